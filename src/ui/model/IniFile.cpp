#include "IniFile.h"

#include "core/TextUtil.h"
#include "core/TextUtil.h"

#include <QFile>

#include <climits>
#include <optional>

namespace {

bool IsCommentLine(const QString& aTrimmed)
{
    return aTrimmed.startsWith(u';') || aTrimmed.startsWith(u'#');
}

// The section name of a "[name]" line; none for any other line.
std::optional<QString> SectionName(const QString& aLine)
{
    const QString trimmed = aLine.trimmed();
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

}  // namespace

bool TIniFile::Load(const QString& sFileName)
{
    SetText(QString());
    QFile file(sFileName);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    QString text;
    const bool utf8 = DecodeUtf8Strict(bytes, text);
    if (!utf8)
        text = QString::fromLatin1(bytes);
    SetText(text);
    FLatin1 = !utf8;
    FBom = utf8 && bytes.startsWith(kUtf8Bom);
    return true;
}

void TIniFile::SetText(const QString& aText)
{
    FLatin1 = false;
    FBom = false;
    FLineEnd = aText.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text = aText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    FLines = text.split(u'\n');
    // A final line end leaves an empty last piece that is no line of its own.
    if (!FLines.isEmpty() && FLines.constLast().isEmpty())
        FLines.removeLast();
}

QString TIniFile::Text() const
{
    QString text;
    for (const QString& line : FLines)
        text += line + FLineEnd;
    return text;
}

bool TIniFile::Save(const QString& sFileName) const
{
    const QString text = Text();
    QByteArray bytes = FLatin1 ? text.toLatin1() : text.toUtf8();
    if (FBom)
        bytes.prepend(kUtf8Bom);
    return SaveFileAtomically(sFileName, bytes);
}

TIniFile::TRange TIniFile::FindSection(const QString& aSection) const
{
    TRange range;
    for (int i = 0; i < FLines.size(); ++i) {
        const std::optional<QString> name = SectionName(FLines[i]);
        if (!name)
            continue;
        if (range.First >= 0) {
            range.End = i;
            return range;
        }
        if (SameTextASCII(*name, aSection))
            range.First = i;
    }
    range.End = int(FLines.size());
    return range;
}

int TIniFile::FindKey(const TRange& aRange, const QString& aKey) const
{
    if (aRange.First < 0)
        return -1;
    for (int i = aRange.First + 1; i < aRange.End; ++i) {
        const QString& line = FLines[i];
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || IsCommentLine(line.trimmed()))
            continue;
        if (SameTextASCII(line.left(eq).trimmed(), aKey))
            return i;
    }
    return -1;
}

bool TIniFile::ValueOf(const QString& aSection, const QString& aKey, QString& aValue) const
{
    const int line = FindKey(FindSection(aSection), aKey);
    if (line < 0)
        return false;
    const QString& text = FLines[line];
    aValue = text.mid(text.indexOf(u'=') + 1).trimmed();
    return true;
}

bool TIniFile::KeyExists(const QString& aSection, const QString& aKey) const
{
    QString value;
    return ValueOf(aSection, aKey, value);
}

QString TIniFile::ReadString(const QString& aSection, const QString& aKey,
                             const QString& aDefault) const
{
    QString value;
    if (!ValueOf(aSection, aKey, value))
        return aDefault;
    return value.left(MaxValueLength);
}

bool TIniFile::ParseInteger(const QString& aText, int& aValue)
{
    QString text = aText.trimmed();
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.startsWith(u'-');
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
        base = 16;
        text.remove(0, 2);
    }
    // Digits only: toLongLong would also take blanks and a second sign.
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!(c.isDigit() && c.unicode() < 128) &&
            !(base == 16 && QStringLiteral("abcdefABCDEF").contains(c)))
            return false;
    bool ok = false;
    const qlonglong magnitude = text.toLongLong(&ok, base);
    if (!ok)
        return false;
    const qlonglong value = negative ? -magnitude : magnitude;
    // A hexadecimal value may name the bit pattern of a negative number.
    if (base == 16 && !negative && value > INT_MAX && value <= qlonglong(UINT_MAX)) {
        aValue = int(quint32(value));
        return true;
    }
    if (value < INT_MIN || value > INT_MAX)
        return false;
    aValue = int(value);
    return true;
}

int TIniFile::ReadInteger(const QString& aSection, const QString& aKey, int aDefault) const
{
    QString text;
    int value = 0;
    if (!ValueOf(aSection, aKey, text) || !ParseInteger(text, value))
        return aDefault;
    return value;
}

bool TIniFile::ReadBool(const QString& aSection, const QString& aKey, bool aDefault) const
{
    return ReadInteger(aSection, aKey, aDefault ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& aSection, const QString& aKey, const QString& aValue)
{
    QString value = aValue;
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString line = aKey + u'=' + value;
    TRange range = FindSection(aSection);
    const int existing = FindKey(range, aKey);
    if (existing >= 0) {
        FLines[existing] = line;
        return;
    }
    if (range.First < 0) {
        if (!FLines.isEmpty() && !FLines.constLast().trimmed().isEmpty())
            FLines.append(QString());
        FLines.append(u'[' + aSection + u']');
        FLines.append(line);
        return;
    }
    // After the section's last line that is not blank, so a blank line that
    // separates it from the next section stays where it is.
    int insertAt = range.End;
    while (insertAt > range.First + 1 && FLines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    FLines.insert(insertAt, line);
}

void TIniFile::WriteInteger(const QString& aSection, const QString& aKey, int aValue)
{
    WriteString(aSection, aKey, QString::number(aValue));
}

void TIniFile::WriteBool(const QString& aSection, const QString& aKey, bool aValue)
{
    WriteString(aSection, aKey, aValue ? QStringLiteral("1") : QStringLiteral("0"));
}
