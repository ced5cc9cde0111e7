#pragma once
// One HTTP(S) request over the libcurl easy interface: create a session, set a
// handful of options, perform the transfer into memory, read status and body.

#include "engine/RequestOptions.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <curl/curl.h>
#include <memory>
#include <stdexcept>

// libcurl's process-wide state: one guard lives in main() (or a test fixture)
// for as long as any session may exist, and it must be created before any
// worker thread starts. Nested guards share one initialisation; the last one
// to go cleans up.
class TCurlGlobalGuard {
public:
    TCurlGlobalGuard();
    ~TCurlGlobalGuard();
    TCurlGlobalGuard(const TCurlGlobalGuard&) = delete;
    TCurlGlobalGuard& operator=(const TCurlGlobalGuard&) = delete;
};

class ECurl : public std::runtime_error {
public:
    explicit ECurl(const QString& aMessage);
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};

// A libcurl failure: Code is the libcurl result, the message curl_easy_strerror's text
// (or, for the body limit, a text naming the limit).
class ECurlError : public ECurl {
public:
    explicit ECurlError(CURLcode aCode);
    ECurlError(CURLcode aCode, const QString& aMessage);
    CURLcode Code;
};

class ECurlInternal : public std::runtime_error {
public:
    ECurlInternal();  // "[TEasyCurlImpl.Create] Cannot create cURL object."
};

// A growable byte buffer with a position.
class TRawByteStream {
public:
    qint64 Write(const char* aData, qint64 aCount);  // at the position, extends as needed
    qint64 Read(char* aData, qint64 aCount);
    qint64 Seek(qint64 aPos);  // clamped to 0..Size
    qint64 Position() const { return FPos; }
    qint64 Size() const { return FData.size(); }
    void SetSize(qint64 aSize);  // "[TRawByteStream.SetSize] Wrong size" on a negative size
    void Release();              // empties the buffer and gives its memory back
    const QByteArray& Bytes() const { return FData; }

private:
    QByteArray FData;
    qint64 FPos = 0;
};

enum TCurlStreamFlag : unsigned { csfAutoRewind = 1, csfAutoDestroy = 2 };

class ICurlStringBuilder {
public:
    virtual ~ICurlStringBuilder() = default;
    virtual QByteArray Build() const = 0;
};

class ICurlGetBuilder : public ICurlStringBuilder {};

// One session; every setter returns the session so that calls can be chained.
// A session belongs to the thread that uses it.
class ICurl {
public:
    virtual ~ICurl() = default;
    virtual ICurl& SetUserAgent(const QString& aText) = 0;
    virtual ICurl& SetUrl(const ICurlStringBuilder& aBuilder) = 0;
    virtual ICurl& SetOpt(CURLoption aOption, long aValue) = 0;
    virtual ICurl& SetOpt(CURLoption aOption, const QString& aText) = 0;
    virtual ICurl& SwitchRecvToString() = 0;

    // Guards used by the page worker. A set abort flag ends a running transfer
    // within about 50 ms with CURLE_ABORTED_BY_CALLBACK. A body beyond the limit
    // (negative: none) ends it with a message naming the limit, and the bytes
    // received so far are freed at once.
    virtual ICurl& SetAbortFlag(const std::atomic<bool>* aFlag) = 0;
    virtual ICurl& SetMaxBodySize(qint64 aBytes) = 0;
    // Allowed protocols (for redirects too), redirect count, whole-transfer
    // time, stall guard and body size. A transfer ended by one of them fails
    // with a message that names the limit.
    virtual ICurl& SetTransferLimits(const TTransferLimits& aLimits) = 0;

    virtual void Perform() = 0;
    virtual long ResponseCode() = 0;
    // The last response's Content-Type header; empty when it had none.
    virtual QString ContentType() = 0;
    virtual QByteArray ResponseBody() const = 0;
};

using ICurlPtr = std::shared_ptr<ICurl>;

ICurlPtr NewCurlSession();  // ECurlInternal when libcurl gives no handle
std::unique_ptr<ICurlGetBuilder> NewGetBuilder(const QString& aURL);  // UTF-8 bytes, unescaped

// The messages of transfers ended by a limit.
QString BodyTooLargeMessage(qint64 aLimit);
QString RedirectLimitMessage(long aLimit);
QString TimeLimitMessage(int aLimitMs);
QString StallLimitMessage(int aSeconds);
QString HeaderTooLargeMessage();
// aDetail: libcurl's own description of the refused address, may be empty.
QString RefusedProtocolMessage(const QString& aDetail);
