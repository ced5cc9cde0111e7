#include "cli/check/BadInput.h"
#include "core/Translate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString BesideExecutable(const QString& aName)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(aName);
}

void RequireReadableFile(const QString& aFileName, const char* aWhat)
{
    const QFileInfo info(aFileName);
    if (!info.exists())
        throw TBadInput(Tr("%1 not found: %2").arg(Tr(aWhat), aFileName));
    if (!info.isFile() || !info.isReadable())
        throw TBadInput(Tr("%1 cannot be read: %2").arg(Tr(aWhat), aFileName));
}
