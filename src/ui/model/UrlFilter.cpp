#include "UrlFilter.h"

#include "core/TextUtil.h"

#include <QStringList>

namespace {

// The extension as a file name's: from the last ".", ":" or backslash, when that
// character is a "."; a query string or fragment stays part of it.
QString FileExtension(const QString& s)
{
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        const QChar c = s.at(i);
        if (c == u'.')
            return s.mid(i);
        if (c == u':' || c == u'\\')
            break;
    }
    return {};
}

}  // namespace

bool IsSkippedURL(const QString& sURL)
{
    if (sURL.isEmpty())
        return true;
    if (FoldASCII(sURL.left(4)) != u"HTTP")
        return true;
    // A control character (a NUL among them) is never part of an address; libcurl
    // would fetch the text before a NUL.
    for (const QChar c : sURL)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    static const QStringList skipped = {".PNG", ".JPG", ".GIF", ".JPEG", ".ICO", ".JS", ".CSS"};
    return skipped.contains(FoldASCII(FileExtension(sURL)));
}
