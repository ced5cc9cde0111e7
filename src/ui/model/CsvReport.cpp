#include "CsvReport.h"

#include "ResultsTable.h"
#include "core/TextUtil.h"
#include "core/Translate.h"

#include <QFile>
#include <QFileInfo>

namespace {

const char* const FooterSource =
    "Отчет сгенерирован при помощи Tollmarsh ( " TOLLMARSH_SITE_URL " )";

QString Line(const QStringList& fields)
{
    QStringList written;
    written.reserve(fields.size());
    for (const QString& field : fields)
        written.append(CsvField(field));
    return written.join(u';') + QStringLiteral("\r\n");
}

bool WriteInPlace(const QString& aFileName, const QByteArray& aBytes, QString* aError)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(aBytes) != aBytes.size()
        || !file.flush()) {
        if (aError)
            *aError = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

QString CsvField(const QString& aText)
{
    for (const QChar c : aText) {
        if (c == u';' || c == u'"' || c == u'\r' || c == u'\n') {
            QString quoted = aText;
            quoted.replace(u'"', QStringLiteral("\"\""));
            return u'"' + quoted + u'"';
        }
    }
    return aText;
}

QString CsvReportText(const TResultsTable& aTable)
{
    QString text;
    QStringList fields;
    for (int c = 0; c < aTable.ColumnCount(); ++c)
        fields.append(aTable.ColumnCaption(c));
    text += Line(fields);
    for (int r = 0; r < aTable.RowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < aTable.ColumnCount(); ++c)
            fields.append(aTable.CellText(r, c));
        text += Line(fields);
    }
    text += QStringLiteral("\r\n");
    text += Tr(FooterSource) + QStringLiteral("\r\n");
    return text;
}

QByteArray CsvReportBytes(const TResultsTable& aTable, const TCodePage& aCodePage, bool bByteOrderMark)
{
    const QByteArray bytes = aCodePage.Encode(CsvReportText(aTable));
    return bByteOrderMark && aCodePage.IsUtf8() ? QByteArray(kUtf8Bom) + bytes : bytes;
}

bool WriteReportFile(const QString& aFileName, const QByteArray& aBytes, QString* aError)
{
    const QFileInfo info(aFileName);
    // A FIFO or a device stays what it is: the report goes into it.
    if (info.exists() && !info.isFile() && !info.isDir())
        return WriteInPlace(aFileName, aBytes, aError);
    if (info.isDir()) {
        if (aError)
            *aError = QStringLiteral("it is a folder");
        return false;
    }
    if (SaveFileAtomically(aFileName, aBytes))
        return true;
    if (aError)
        *aError = QStringLiteral("the file or a temporary file beside it cannot be written");
    return false;
}

bool WriteCsvReport(const QString& aFileName, const TResultsTable& aTable, const TCodePage& aCodePage,
                    bool bByteOrderMark)
{
    return WriteReportFile(aFileName, CsvReportBytes(aTable, aCodePage, bByteOrderMark));
}
