#pragma once
// Options of the command-line check run and their validation.

#include "engine/RunSettings.h"

#include <QString>
#include <QStringList>

struct TCheckOptions {
    QString UrlsFile;     // a text file or a sitemap, told apart by content
    QString RulesFile;    // empty: Tollmarsh.json beside the executable
    QString SetName;      // empty: the first set of the file
    int Threads = TRunSettings().MaxThreads;
    int Delay = TRunSettings().RequestDelay;  // ms
    QString UserAgent;    // the text sent; set from a table row or given as text
    QString ProxiesFile;  // empty: proxies.json beside the executable
    bool UseProxies = false;
    bool Unique = true;
    bool HideURLsWithoutResults = false;  // --hide-empty
    bool Verbose = false;
    QString OutFile;      // empty: standard output
    bool Help = false;
};

// Reads the arguments that follow "check". False with a message on bad usage.
bool ParseCheckOptions(const QStringList& aArgs, TCheckOptions& aOptions, QString& aError);

QString CheckUsageText();
