#include "core/TextUtil.h"

#include "json/JsonNode.h"

#include <QFile>
#include <QFileDevice>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

char16_t UpperASCII(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

bool IsBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

}  // namespace

QString FoldASCII(const QString& s)
{
    QString folded = s;  // shares the data until a letter has to change
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c >= u'a' && c <= u'z')
            folded[i] = QChar(UpperASCII(c));
    }
    return folded;
}

QByteArray FoldASCII(QByteArray aBytes)
{
    for (char& c : aBytes) {
        if (c >= 'a' && c <= 'z')
            c = char(c - ('a' - 'A'));
    }
    return aBytes;
}

bool SameTextASCII(const QString& a, const QString& b)
{
    return a.size() == b.size() && CompareTextASCII(a, b) == 0;
}

int CompareTextASCII(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = UpperASCII(a[i].unicode());
        const char16_t y = UpperASCII(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QString TrimBlanks(const QString& aText)
{
    qsizetype begin = 0;
    qsizetype end = aText.size();
    while (begin < end && IsBlank(aText[begin]))
        ++begin;
    while (end > begin && IsBlank(aText[end - 1]))
        --end;
    return aText.mid(begin, end - begin);
}

QString TrimBlanksAtStart(const QString& aText)
{
    qsizetype begin = 0;
    while (begin < aText.size() && IsBlank(aText[begin]))
        ++begin;
    return aText.mid(begin);
}

QStringList SplitTextLines(const QString& aText)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = aText.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = aText[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(aText.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && aText[i + 1].unicode() == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(aText.mid(start));
    return lines;
}

bool ReadWholeFile(const QString& sFileName, QByteArray& aBytes, QString* aError)
{
    QFile file(sFileName);
    if (file.open(QIODevice::ReadOnly)) {
        aBytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    aBytes.clear();
    if (aError)
        *aError = file.errorString();
    return false;
}

bool SaveFileAtomically(const QString& sFileName, const QByteArray& aBytes, bool bOwnerOnly)
{
    // QSaveFile writes a temporary file beside the target and renames it over
    // the target only on commit; any failure leaves the old file as it was.
    QSaveFile file(sFileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set on the temporary file before a single byte of the content exists, so
    // credentials are never readable by others, not even briefly.
    if (bOwnerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(aBytes) != aBytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool DecodeUtf8Strict(const QByteArray& aBytes, QString& aText)
{
    QByteArrayView bytes(aBytes);
    if (bytes.startsWith(QByteArrayView(kUtf8Bom)))
        bytes = bytes.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    aText = decoder.decode(bytes);
    if (decoder.hasError()) {
        aText.clear();
        return false;
    }
    return true;
}

bool LoadJsonFile(const QString& sFileName, TJsonNode& aRoot)
{
    QByteArray bytes;
    if (!ReadWholeFile(sFileName, bytes))
        return false;
    QString text;
    if (!DecodeUtf8Strict(bytes, text))
        return false;
    try {
        aRoot.Parse(text);
    } catch (const EJsonException&) {
        return false;
    }
    return true;
}

QString JsonFileArrayText(const QStringList& aItems)
{
    QString text = QStringLiteral("[\r\n");
    for (qsizetype i = 0; i < aItems.size(); ++i) {
        text += QLatin1String("  ");
        text += aItems[i];
        if (i + 1 < aItems.size())
            text += QLatin1Char(',');
        text += QLatin1String("\r\n");
    }
    text += QLatin1String("]\r\n");
    return text;
}
