#pragma once
// The URL source of a check run: a text file, or a sitemap (a file or an
// http(s) address, plain or gzip-compressed), told apart by content.

#include "core/CodePage.h"
#include "ui/model/SitemapImport.h"

#include <QElapsedTimer>
#include <QString>

class IDialogs;
class TUrlImporter;

// True when the file's first non-blank character (after a byte-order mark) is
// "<", or when it is gzip-compressed.
bool LooksLikeSitemap(const QByteArray& aHead);

// Imports the source; a text file is read in aCodePage. False when the import
// was refused (the view has said why).
bool ImportUrlSource(TUrlImporter& aImporter, IDialogs& aDialogs, const QString& aSource,
                     const TCodePage& aCodePage, const TSitemapFetch& aFetch);

// Spaces request starts by the delay: the sitemap requests among themselves
// and the run's first page request after them.
class TRequestPacer {
public:
    explicit TRequestPacer(int aDelayMs) : FDelayMs(aDelayMs) {}
    void WaitForNextStart();
    void Started() { FLastStart.start(); }

private:
    int FDelayMs;
    QElapsedTimer FLastStart;
};

// Sitemap requests with the run's User-Agent (the default one for an empty
// text), paced by aPacer, bounded in time, size and redirects.
TSitemapFetch PacedSitemapFetch(const QString& aUserAgent, TRequestPacer& aPacer);
