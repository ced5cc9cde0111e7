#pragma once
// Whole-file writes that never leave a half-written or missing data file behind.

#include <QByteArray>
#include <QString>
#include <QStringList>

class TJsonNode;

// Writes bytes to a file through a temporary file in the same folder and a rename,
// so a failed write never destroys the previous copy. With bOwnerOnly the file is
// readable and writable by its owner only (0600), also when it existed before.
bool SaveFileAtomically(const QString& sFileName, const QByteArray& aBytes, bool bOwnerOnly = false);

// The UTF-8 byte-order mark that every JSON data file starts with.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Decodes UTF-8 bytes, a leading byte-order mark skipped. False when the bytes
// are not valid UTF-8; aText is then empty.
bool DecodeUtf8Strict(const QByteArray& aBytes, QString& aText);

// Reads a JSON data file (UTF-8, optional byte-order mark) into aRoot. False
// when the file cannot be read, is not valid UTF-8 or is not a JSON document.
bool LoadJsonFile(const QString& sFileName, TJsonNode& aRoot);

// The text of a JSON data file: "[", one item per line indented by two
// spaces with commas between items, "]", each line ending in CR LF.
QString JsonFileArrayText(const QStringList& aItems);
