#pragma once
// One GET of a single document outside a run (a sitemap, the page of the
// query command, the rule tester's page): redirects followed up to a limit, http and https only, no
// proxy, and bounds on time and size so that no server can hold or flood it.

#include <QByteArray>
#include <QString>
#include <atomic>

struct TFetchLimits {
    long TimeoutSeconds = 60;   // the whole transfer, connection included
    long MaxRedirects = 10;
    qint64 MaxBodyBytes = qint64(64) * 1024 * 1024;
    int StallSeconds = 0;       // nothing received for this long ends it; 0: no such guard
};

struct TFetchedDocument {
    bool Transferred = false;  // false: Error says why (no connection, a limit, ...)
    long Status = 0;           // the HTTP status of the last response
    QByteArray Body;
    QString Error;
};

// Needs a TCurlGlobalGuard. A set abort flag ends the transfer early.
TFetchedDocument FetchDocument(const QString& aURL, const QString& aUserAgent, const TFetchLimits& aLimits = {},
                               const std::atomic<bool>* aAbort = nullptr);
