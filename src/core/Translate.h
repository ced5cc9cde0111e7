#pragma once
// Translation of interface texts through GNU gettext (text domain "Tollmarsh",
// catalogues in <executable dir>/locale/<code>/LC_MESSAGES/Tollmarsh.mo).
// Without a catalogue the Russian source text comes back unchanged.

#include <QString>
#include <QVariant>
#include <QVariantList>

// The catalogue folder: "locale" in the executable's directory.
QString CatalogueDir();

// Binds the text domain to aLocaleDir (absolute). Call once, after the
// application object exists. Safe to skip: Tr then returns the source text.
void InitTranslation(const QString& aLocaleDir);
// Switches the catalogue language ("ru", "en"); only while no worker runs.
void SetTranslationLanguage(const QString& aCode);
QString TranslationLanguage();

// The translation of a UTF-8 source text. Thread-safe for lookups.
QString Tr(const char* sourceUtf8);
QString Tr(const QString& source);

// printf-style insertion of values into an already translated format:
// %d takes an integer, %s a text, %% gives a percent sign. Locale-independent.
QString FormatText(const QString& format, const QVariantList& args);
