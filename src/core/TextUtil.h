#pragma once
// Small text and file helpers shared by every subsystem: letter case of ASCII
// letters only, trimming, lines, whole-file reads and safe writes, and the
// UTF-8 JSON data files.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

class TJsonNode;

// ---- ASCII letter case ----
// URLs, proxy hosts, rule-set names and grid texts fold a-z to A-Z and leave
// every other character as it is (no locale, no other alphabet).

QString FoldASCII(const QString& s);
QByteArray FoldASCII(QByteArray aBytes);  // bytes read as ASCII
bool SameTextASCII(const QString& a, const QString& b);
// Order of two texts: ASCII letters upper-cased, then code unit by code unit,
// a prefix before the longer text. Negative, zero or positive.
int CompareTextASCII(QStringView a, QStringView b);

// ---- blanks and lines ----

// Removes every character up to and including the space (U+0000 to U+0020)
// from both ends, or from the start only.
QString TrimBlanks(const QString& aText);
QString TrimBlanksAtStart(const QString& aText);

// Lines of a text split at CR LF, LF or CR; a break at the very end opens no
// further, empty line.
QStringList SplitTextLines(const QString& aText);

// ---- files ----

// The UTF-8 byte-order mark that every JSON data file starts with.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Reads a whole file. False when it cannot be opened or read; aError then
// holds the system's reason.
bool ReadWholeFile(const QString& sFileName, QByteArray& aBytes, QString* aError = nullptr);

// Writes bytes to a file through a temporary file in the same folder and a rename,
// so a failed write never destroys the previous copy. With bOwnerOnly the file is
// readable and writable by its owner only (0600), also when it existed before.
bool SaveFileAtomically(const QString& sFileName, const QByteArray& aBytes, bool bOwnerOnly = false);

// Decodes UTF-8 bytes, a leading byte-order mark skipped. False when the bytes
// are not valid UTF-8; aText is then empty.
bool DecodeUtf8Strict(const QByteArray& aBytes, QString& aText);

// Reads a JSON data file (UTF-8, optional byte-order mark) into aRoot. False
// when the file cannot be read, is not valid UTF-8 or is not a JSON document.
bool LoadJsonFile(const QString& sFileName, TJsonNode& aRoot);

// The text of a JSON data file: "[", one item per line indented by two
// spaces with commas between items, "]", each line ending in CR LF.
QString JsonFileArrayText(const QStringList& aItems);
