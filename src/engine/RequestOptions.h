#pragma once
// The options every GET request of the program sets (page worker, proxy
// check, rule tester) and the bounds that hold for every transfer: a hostile
// or broken server can neither keep a worker forever nor fill the memory nor
// lead libcurl to another protocol.

#include <QString>
#include <QtGlobal>

class ICurl;

// A body beyond this fails the transfer; also the largest page `query --file` reads.
constexpr qint64 kMaxBodyBytes = qint64(64) * 1024 * 1024;
constexpr long kMaxRedirects = 20;
// A whole transfer, redirects included: generous for a slow real page.
constexpr int kTransferTimeLimitMs = 120 * 1000;
// Nothing received (connecting included) for this long ends a direct transfer.
constexpr int kStallSeconds = 60;
// The whole transfer through a proxy, as the proxy check has always allowed.
constexpr int kProxyTimeLimitMs = 10 * 1000;
// Redirects included: nothing but plain and secure HTTP is ever spoken.
constexpr const char* kAllowedProtocols = "http,https";

struct TTransferLimits {
    qint64 MaxBodyBytes = kMaxBodyBytes;  // negative: none
    long MaxRedirects = kMaxRedirects;
    int TimeLimitMs = kTransferTimeLimitMs;  // 0: none
    int StallSeconds = kStallSeconds;        // 0: none
};

// The limits of a transfer through a proxy: the proxy's time limit instead of
// the stall guard.
TTransferLimits ProxyTransferLimits(TTransferLimits aLimits = {});

// User-Agent, URL, no certificate checks, redirects followed with referer,
// the body into memory, and the limits.
void ConfigureGetRequest(ICurl& aCurl, const QString& aURL, const QString& aUserAgent,
                         const TTransferLimits& aLimits);
// An HTTP proxy with its credentials (also when empty).
void UseHttpProxy(ICurl& aCurl, const QString& aHostAndPort, const QString& aUserAndPws);
