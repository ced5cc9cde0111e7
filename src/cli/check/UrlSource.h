#pragma once
// The URL file of a check run: a sitemap or a plain text file, told apart by content.

#include "core/CodePage.h"

#include <QString>

class TUrlImporter;

// True when the file's first non-blank character (after a byte-order mark) is "<".
bool LooksLikeSitemap(const QByteArray& aHead);

// Imports the file as a sitemap or as text in aCodePage; false when the import
// was refused (the importer's view has said why).
bool ImportUrlFile(TUrlImporter& aImporter, const QString& aFileName, const TCodePage& aCodePage);
