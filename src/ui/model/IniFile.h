#pragma once
// A small INI file that keeps its text: reading looks keys up in the lines as
// they stand, writing replaces the one line of a key in place (or appends the
// key to its section), so other keys, other sections, comments and their order
// survive. Section and key names compare ignoring ASCII letter case.

#include <QString>
#include <QStringList>

class TIniFile {
public:
    // Longest value that reading gives back; the rest of a longer value is cut.
    static constexpr int MaxValueLength = 2047;

    // Reads the file. A missing file gives an empty one; false when the file
    // exists but cannot be read (the object is then empty).
    bool Load(const QString& sFileName);
    void SetText(const QString& aText);
    QString Text() const;
    // Writes the whole text through a temporary file and a rename, so a failed
    // write leaves the previous file as it was.
    bool Save(const QString& sFileName) const;

    bool KeyExists(const QString& aSection, const QString& aKey) const;
    QString ReadString(const QString& aSection, const QString& aKey, const QString& aDefault) const;
    // Decimal, or hexadecimal after "0x"; an absent key or a value that is not
    // a whole number gives the default.
    int ReadInteger(const QString& aSection, const QString& aKey, int aDefault) const;
    // Any integer but 0 is true.
    bool ReadBool(const QString& aSection, const QString& aKey, bool aDefault) const;

    // A line break in a value would start a new line of the file: it becomes a blank.
    void WriteString(const QString& aSection, const QString& aKey, const QString& aValue);
    void WriteInteger(const QString& aSection, const QString& aKey, int aValue);
    void WriteBool(const QString& aSection, const QString& aKey, bool aValue);

    // "0x1F" and "-12" and "7"; false for anything else.
    static bool ParseInteger(const QString& aText, int& aValue);

private:
    struct TRange {
        int First = -1;  // the section's header line; -1 when absent
        int End = 0;     // one past its last line
    };
    TRange FindSection(const QString& aSection) const;
    int FindKey(const TRange& aRange, const QString& aKey) const;  // line index or -1
    bool ValueOf(const QString& aSection, const QString& aKey, QString& aValue) const;

    QStringList FLines;
    QString FLineEnd = QStringLiteral("\n");
    bool FLatin1 = false;  // the file was not UTF-8: written back byte for byte
    bool FBom = false;
};
