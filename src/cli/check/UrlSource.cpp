#include "cli/check/UrlSource.h"

#include "ui/model/UrlImport.h"

#include <QFile>

bool LooksLikeSitemap(const QByteArray& aHead)
{
    int pos = aHead.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < aHead.size() && (aHead[pos] == ' ' || aHead[pos] == '\t' || aHead[pos] == '\r' ||
                                  aHead[pos] == '\n'))
        ++pos;
    return pos < aHead.size() && aHead[pos] == '<';
}

bool ImportUrlFile(TUrlImporter& aImporter, const QString& aFileName, const TCodePage& aCodePage)
{
    QFile file(aFileName);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
        head = file.read(4096);
    file.close();
    return LooksLikeSitemap(head) ? aImporter.ImportSitemap(aFileName)
                                  : aImporter.ImportTextFile(aFileName, aCodePage);
}
