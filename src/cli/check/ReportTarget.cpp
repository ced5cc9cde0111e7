#include "cli/check/ReportTarget.h"
#include "core/Translate.h"

#include "ui/model/CsvReport.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

QStringList ReportEncodingNames()
{
    return {"locale", "utf-8", "utf-8-bom", "windows-1251", "windows-1252"};
}

bool ParseReportEncoding(const QString& aName, TReportEncoding& aEncoding)
{
    const QString name = aName.toLower();
    if (name == u"locale")
        aEncoding = TReportEncoding{};
    else if (name == u"utf-8" || name == u"utf8")
        aEncoding = TReportEncoding{TCodePage("UTF-8"), false};
    else if (name == u"utf-8-bom" || name == u"utf8-bom")
        aEncoding = TReportEncoding{TCodePage("UTF-8"), true};
    else if (name == u"windows-1251" || name == u"cp1251")
        aEncoding = TReportEncoding{TCodePage("WINDOWS-1251"), false};
    else if (name == u"windows-1252" || name == u"cp1252")
        aEncoding = TReportEncoding{TCodePage("WINDOWS-1252"), false};
    else
        return false;
    return true;
}

QString ReportTargetProblem(const QString& aFileName)
{
    if (aFileName.isEmpty())
        return QString();
    const QFileInfo info(aFileName);
    if (info.isDir())
        return Tr("it is a folder; give a file name");
    if (info.exists() && !info.isFile())
        return info.isWritable() ? QString() : Tr("no permission to write to it");
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists())
        return Tr("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder.filePath()));
    if (!folder.isDir())
        return Tr("%1 is not a folder").arg(QDir::toNativeSeparators(folder.filePath()));
    // The report replaces the file through a temporary file in the same folder.
    if (!folder.isWritable())
        return Tr("no permission to write in the folder %1").arg(QDir::toNativeSeparators(folder.filePath()));
    if (info.exists() && !info.isWritable())
        return Tr("no permission to write to it");
    return QString();
}

bool WriteReport(const QString& aFileName, QIODevice& aOut, const QByteArray& aBytes, QString& aError)
{
    if (!aFileName.isEmpty())
        return WriteReportFile(aFileName, aBytes, &aError);
    auto* file = qobject_cast<QFileDevice*>(&aOut);
    const bool written = aOut.write(aBytes) == aBytes.size() && (!file || file->flush());
    if (!written)
        aError = aOut.errorString();
    return written;
}
