#pragma once
// What the rule tester does, without its window: the choice of extract modes
// by query type, loading a page by URL or from a file, and running one query.

#include "core/CodePage.h"
#include "core/ScrapRules.h"

#include <QByteArray>
#include <QString>
#include <atomic>

// The extract options the tester offers for a query type (none selected = -1).
struct TTesterExtractChoice {
    bool TextModesEnabled = false;  // "Просто текст", "Внешний HTML", "Внутренний HTML"
    bool AnyPartEnabled = false;    // "Любой код страницы"
};
// aQueryType -1 when no type is selected.
TTesterExtractChoice TesterExtractChoice(int aQueryType);
// The extract type to select after a type change: the current one while it is
// enabled, else etTextContent or etAnyPart, whichever is enabled; aCurrent for
// none (etUnknown when nothing is selected).
TScrapExtractType TesterExtractAfterTypeChange(const TTesterExtractChoice& aChoice, TScrapExtractType aCurrent);

struct TTesterQuery {
    QString Html;
    QString Query;
    QString Attribute;
    TScrapQueryType QueryType = qtTemplate;
    TScrapExtractType ExtractType = etUnknown;  // of the enabled, selected button
    bool ChkUnique = true;
};

struct TTesterOutcome {
    QString Warning;          // translated; empty when the query ran
    bool FocusQuery = false;  // the warning is about the query text
    bool ResultChanged = false;
    QString Result;           // values one per line, no empty last line
};

TTesterOutcome RunTesterQuery(const TTesterQuery& aQuery);

struct TTesterDownload {
    bool Ok = false;
    QString Warning;  // translated, when not Ok
    QString Text;     // the page decoded by its META character set
};

// One GET request without a proxy, the User-Agent as given. Bounded: http and
// https only, at most 20 redirects, 64 MB of body, no more than 60 s without a
// byte and 120 s in all; a set aAbort ends it within about 50 ms.
TTesterDownload DownloadTesterPage(const QString& aURL, const QString& aUserAgent,
                                   const std::atomic<bool>* aAbort = nullptr);

// A local HTML file's text: by its byte-order mark (UTF-8, UTF-16) or, without
// one, in aCodePage.
QString DecodeHtmlFile(const QByteArray& aBytes, const TCodePage& aCodePage);
