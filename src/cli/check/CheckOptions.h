#pragma once
// Options of the command-line check run and their validation.

#include "engine/RunSettings.h"

#include <QString>
#include <QStringList>

struct TCheckOptions {
    QString UrlsFile;       // a text file or a sitemap (file or http(s) address), told apart by content
    QString RulesFile;      // empty: Tollmarsh.json beside the executable
    QString SetName;        // empty: the first set of the file; with --rule the name of the new set
    QStringList RuleSpecs;  // --rule, in order; used instead of a rule-set file
    QString SaveRulesFile;  // --save-rules: the --rule rules are stored there as a set
    int Threads = TRunSettings().MaxThreads;
    int Delay = TRunSettings().RequestDelay;  // ms
    QString UserAgent;      // the text sent; set from a table row or given as text
    QString ProxiesFile;    // empty: proxies.json beside the executable
    bool UseProxies = false;
    bool Unique = true;
    bool HideURLsWithoutResults = false;  // --hide-empty
    bool Verbose = false;
    bool Quiet = false;     // no progress and no summary
    QString OutFile;        // empty: standard output
    QString Encoding;       // a name of ReportEncodingNames(); empty: the locale's code page
    QString Language;       // "ru", "en"; empty: Tollmarsh.ini, else the system language
    bool Help = false;
};

// A row number of the User-Agent table picks that row's text; anything else is
// the text itself. The custom row has no text of its own.
bool ResolveUserAgent(const QString& aValue, QString& aUserAgent, QString& aError);

// Reads the arguments that follow "check". False with a message on bad usage.
bool ParseCheckOptions(const QStringList& aArgs, TCheckOptions& aOptions, QString& aError);

QString CheckUsageText();
