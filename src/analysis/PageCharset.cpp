// Character set of a page from its META tags, and decoding of the body.

#include "analysis/PageAnalysis.h"

#include "core/CodePage.h"
#include "core/TextUtil.h"

namespace {

constexpr int kCharsetScanLength = 1024;
constexpr int kCharsetValueMaxLength = 20;

const QString kUtf8 = QStringLiteral("UTF8");
const QString kWindows1251 = QStringLiteral("WINDOWS-1251");
const QString kWindows1252 = QStringLiteral("WINDOWS-1252");

// The charset a declaration value selects, or an empty text for any other value.
QString CharsetOfValue(const QByteArray& aValue)
{
    if (aValue == "WINDOWS-1251" || aValue == "CP1251")
        return kWindows1251;
    if (aValue == "WINDOWS-1252" || aValue == "CP1252")
        return kWindows1252;
    return {};
}

// The value after CHARSET= in one tag (up to its first double quote within 20
// characters); false when the tag declares nothing usable.
bool CharsetValueOfTag(const QByteArray& aTag, QByteArray& aValue)
{
    static const QByteArray kCharsetKey = "CHARSET=";
    const qsizetype keyPos = aTag.indexOf(kCharsetKey);
    if (keyPos < 0)
        return false;
    const QByteArray following = aTag.mid(keyPos + kCharsetKey.size(), kCharsetValueMaxLength);
    const qsizetype quotePos = following.indexOf('"');
    if (quotePos < 0)
        return false;
    aValue = following.left(quotePos);
    return true;
}

}  // namespace

QString DetectPageCharset(const QByteArray& aBody)
{
    static const QByteArray kMetaMarker = "<META HTTP-EQUIV=\"";
    QString result = kUtf8;
    const QByteArray head = FoldASCII(aBody.left(kCharsetScanLength));
    qsizetype from = 0;
    for (;;) {
        const qsizetype markerPos = head.indexOf(kMetaMarker, from);
        if (markerPos < 0)
            break;
        // The rest starts at the quote that ends the marker; the next search
        // starts there too, so every round moves forward.
        from = markerPos + kMetaMarker.size() - 1;
        const qsizetype tagEnd = head.indexOf('>', from);
        const QByteArray tag = tagEnd < 0 ? QByteArray() : head.mid(from, tagEnd - from + 1);
        QByteArray value;
        if (!CharsetValueOfTag(tag, value))
            continue;
        const QString charset = CharsetOfValue(value);
        if (!charset.isEmpty())
            result = charset;
    }
    return result;
}

QString DecodePageTextAs(const QByteArray& aBody, const QString& aCharset)
{
    if (aCharset == kWindows1251 || aCharset == kWindows1252)
        return TCodePage(aCharset.toLatin1()).Decode(aBody);
    // Every invalid sequence becomes U+FFFD; a byte-order mark is not page text.
    if (aBody.startsWith(kUtf8Bom))
        return QString::fromUtf8(QByteArrayView(aBody).sliced(QByteArrayView(kUtf8Bom).size()));
    return QString::fromUtf8(aBody);
}

QString DecodePageText(const QByteArray& aBody)
{
    return DecodePageTextAs(aBody, DetectPageCharset(aBody));
}
