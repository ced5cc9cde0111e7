#include "cli/check/UrlSource.h"

#include "ui/model/Gunzip.h"
#include "ui/model/UrlImport.h"

#include <QFile>

bool LooksLikeSitemap(const QByteArray& aHead)
{
    if (IsGzip(aHead))
        return true;
    int pos = aHead.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < aHead.size() && (aHead[pos] == ' ' || aHead[pos] == '\t' || aHead[pos] == '\r' ||
                                  aHead[pos] == '\n'))
        ++pos;
    return pos < aHead.size() && aHead[pos] == '<';
}

bool ImportUrlSource(TUrlImporter& aImporter, IUrlImportView& aView, const QString& aSource,
                     const TCodePage& aCodePage, const TSitemapFetch& aFetch)
{
    if (IsWebAddress(aSource))
        return ImportSitemapSource(aImporter, aView, aSource, aFetch);
    QFile file(aSource);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
        head = file.read(4096);
    file.close();
    return LooksLikeSitemap(head) ? ImportSitemapSource(aImporter, aView, aSource, aFetch)
                                  : aImporter.ImportTextFile(aSource, aCodePage);
}
