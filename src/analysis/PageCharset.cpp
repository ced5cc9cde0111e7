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

bool IsTagSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The HTML5 form <META CHARSET="X"> (any quoting, attributes in any order) of
// the tag whose attributes start at aFrom; an empty value when the tag has no
// CHARSET attribute or is an HTTP-EQUIV tag (those go by the rule above).
QByteArray Html5CharsetOfTag(const QByteArray& aHead, qsizetype aFrom)
{
    QByteArray charset;
    qsizetype i = aFrom;
    const qsizetype n = aHead.size();
    while (i < n) {
        while (i < n && (IsTagSpace(aHead.at(i)) || aHead.at(i) == '/'))
            ++i;
        if (i >= n || aHead.at(i) == '>')
            break;
        const qsizetype nameStart = i;
        while (i < n && !IsTagSpace(aHead.at(i)) && aHead.at(i) != '=' && aHead.at(i) != '>' && aHead.at(i) != '/')
            ++i;
        const QByteArray name = aHead.mid(nameStart, i - nameStart);
        while (i < n && IsTagSpace(aHead.at(i)))
            ++i;
        QByteArray value;
        if (i < n && aHead.at(i) == '=') {
            ++i;
            while (i < n && IsTagSpace(aHead.at(i)))
                ++i;
            if (i < n && (aHead.at(i) == '"' || aHead.at(i) == '\'')) {
                const char quote = aHead.at(i);
                const qsizetype end = aHead.indexOf(quote, i + 1);
                if (end < 0)
                    break;  // the tag does not end within the scanned text
                value = aHead.mid(i + 1, end - i - 1);
                i = end + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !IsTagSpace(aHead.at(i)) && aHead.at(i) != '>')
                    ++i;
                value = aHead.mid(valueStart, i - valueStart);
            }
        }
        if (name == "HTTP-EQUIV")
            return {};
        if (name == "CHARSET" && charset.isEmpty())
            charset = value.trimmed();
    }
    return charset;
}

// Position and charset of the last HTML5-form declaration naming a code page;
// aDeclared tells whether any such tag names a character set at all.
qsizetype LastHtml5Declaration(const QByteArray& aHead, QString& aCharset, bool& aDeclared)
{
    static const QByteArray kMetaOpen = "<META";
    qsizetype last = -1;
    for (qsizetype pos = aHead.indexOf(kMetaOpen); pos >= 0; pos = aHead.indexOf(kMetaOpen, pos + 1)) {
        const qsizetype attributes = pos + kMetaOpen.size();
        if (attributes >= aHead.size() || !(IsTagSpace(aHead.at(attributes)) || aHead.at(attributes) == '/'))
            continue;
        const QByteArray value = Html5CharsetOfTag(aHead, attributes);
        aDeclared = aDeclared || !value.isEmpty();
        const QString charset = CharsetOfValue(value);
        if (!charset.isEmpty()) {
            aCharset = charset;
            last = pos;
        }
    }
    return last;
}

// The code page of a Content-Type header's charset parameter, or an empty text.
QString CharsetOfContentType(const QString& aContentType)
{
    const QByteArray header = aContentType.toLatin1().toUpper();
    static const QByteArray kKey = "CHARSET=";
    const qsizetype keyPos = header.indexOf(kKey);
    if (keyPos < 0)
        return {};
    QByteArray value = header.mid(keyPos + kKey.size());
    const qsizetype end = value.indexOf(';');
    value = value.left(end < 0 ? value.size() : end).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return CharsetOfValue(value);
}

// The page's own declarations; aDeclared tells whether any names a character set.
QString DeclaredCharset(const QByteArray& aBody, bool& aDeclared)
{
    static const QByteArray kMetaMarker = "<META HTTP-EQUIV=\"";
    QString result = kUtf8;
    const QByteArray head = FoldASCII(aBody.left(kCharsetScanLength));
    QString html5Charset;
    aDeclared = false;
    const qsizetype html5At = LastHtml5Declaration(head, html5Charset, aDeclared);
    qsizetype resultAt = -1;
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
        aDeclared = true;
        const QString charset = CharsetOfValue(value);
        if (!charset.isEmpty()) {
            result = charset;
            resultAt = markerPos;
        }
    }
    // Both forms count; the last declaration in the page decides.
    return html5At > resultAt ? html5Charset : result;
}

}  // namespace

QString DetectPageCharset(const QByteArray& aBody, const QString& aContentType)
{
    bool declared = false;
    const QString charset = DeclaredCharset(aBody, declared);
    if (declared)
        return charset;
    // A page that declares nothing goes by its HTTP header.
    const QString fromHeader = CharsetOfContentType(aContentType);
    return fromHeader.isEmpty() ? charset : fromHeader;
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

QString DecodePageText(const QByteArray& aBody, const QString& aContentType)
{
    return DecodePageTextAs(aBody, DetectPageCharset(aBody, aContentType));
}
