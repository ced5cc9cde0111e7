#include "json/JsonText.h"
#include "json/JsonNode.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

bool IsHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return u - 'A' + 10;
}

// strtod follows LC_NUMERIC; a private "C" locale keeps the point whatever
// the process locale is.
locale_t CLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

}  // namespace

namespace JsonText {

double ReadNumber(const QString& Literal)
{
    const QByteArray bytes = Literal.toLatin1();
    if (bytes.isEmpty())
        return 0;
    const char* begin = bytes.constData();
    char* end = nullptr;
    const double value = strtod_l(begin, &end, CLocale());
    if (end != begin + bytes.size())
        return 0;
    return value;
}

QString WriteNumber(double Number)
{
    if (std::isfinite(Number) && std::trunc(Number) == Number && std::fabs(Number) < 1e15)
        return QString::number(qint64(Number));
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, Number);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

}  // namespace JsonText

QString TJsonNode::EncodeString(const QString& Text)
{
    static const char kHex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(Text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : Text) {
        const char16_t u = c.unicode();
        switch (u) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case 0x08: out += QLatin1String("\\b"); break;
        case 0x09: out += QLatin1String("\\t"); break;
        case 0x0A: out += QLatin1String("\\n"); break;
        case 0x0B: out += QLatin1String("\\v"); break;
        case 0x0C: out += QLatin1String("\\f"); break;
        case 0x0D: out += QLatin1String("\\r"); break;
        default:
            // U+0000 is escaped too: a raw NUL would make the text unreadable.
            if (u < 0x20) {
                out += QLatin1String("\\u00");
                out += QLatin1Char(kHex[u >> 4]);
                out += QLatin1Char(kHex[u & 0xF]);
            } else {
                out += c;
            }
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString TJsonNode::DecodeString(const QString& Literal)
{
    qsizetype begin = 0;
    qsizetype end = Literal.size();
    if (end >= 2 && Literal.front() == QLatin1Char('"') && Literal.back() == QLatin1Char('"')) {
        ++begin;
        --end;
    }
    QString out;
    out.reserve(end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = Literal[i];
        if (c != QLatin1Char('\\') || i + 1 >= end) {
            out += c;
            continue;
        }
        const char16_t e = Literal[++i].unicode();
        switch (e) {
        case 'b': out += QChar(0x08); break;
        case 't': out += QChar(0x09); break;
        case 'n': out += QChar(0x0A); break;
        case 'v': out += QChar(0x0B); break;
        case 'f': out += QChar(0x0C); break;
        case 'r': out += QChar(0x0D); break;
        case 'u':
            if (i + 4 < end && IsHexDigit(Literal[i + 1]) && IsHexDigit(Literal[i + 2])
                && IsHexDigit(Literal[i + 3]) && IsHexDigit(Literal[i + 4])) {
                // One UTF-16 unit per escape: a surrogate pair in two escapes
                // becomes one character by itself.
                const char16_t unit = char16_t((HexValue(Literal[i + 1]) << 12) | (HexValue(Literal[i + 2]) << 8)
                                               | (HexValue(Literal[i + 3]) << 4) | HexValue(Literal[i + 4]));
                out += QChar(unit);
                i += 4;
            } else {
                out += QLatin1Char('u');
            }
            break;
        default: out += QChar(e);
        }
    }
    return out;
}
