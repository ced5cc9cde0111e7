#include "engine/CurlSession.h"

#include <cstdlib>

#include <chrono>
#include <cstring>
#include <mutex>

namespace {

std::mutex GlobalLock;
int GlobalUsers = 0;

class TGetBuilder : public ICurlGetBuilder {
public:
    explicit TGetBuilder(QByteArray aURL) : FURL(std::move(aURL)) {}
    QByteArray Build() const override { return FURL; }

private:
    QByteArray FURL;
};

// The receive stream and its flags; with csfAutoDestroy the session owns it.
struct TCurlAutoStream {
    TRawByteStream* Stream = nullptr;
    unsigned Flags = 0;
    std::unique_ptr<TRawByteStream> Owned;
};

class TEasyCurlImpl : public ICurl {
public:
    TEasyCurlImpl()
        : FHandle(curl_easy_init())
    {
        if (!FHandle)
            throw ECurlInternal();
        FErrorDetail[0] = '\0';
        Check(curl_easy_setopt(FHandle, CURLOPT_ERRORBUFFER, FErrorDetail));
    }

    ~TEasyCurlImpl() override
    {
        curl_easy_cleanup(FHandle);
        ReleaseRecvStream();
    }

    TEasyCurlImpl(const TEasyCurlImpl&) = delete;
    TEasyCurlImpl& operator=(const TEasyCurlImpl&) = delete;

    ICurl& SetUserAgent(const QString& aText) override { return SetOpt(CURLOPT_USERAGENT, aText); }

    ICurl& SetUrl(const ICurlStringBuilder& aBuilder) override
    {
        const QByteArray url = aBuilder.Build();
        Check(curl_easy_setopt(FHandle, CURLOPT_URL, url.constData()));
        return *this;
    }

    ICurl& SetOpt(CURLoption aOption, long aValue) override
    {
        Check(curl_easy_setopt(FHandle, aOption, aValue));
        return *this;
    }

    ICurl& SetOpt(CURLoption aOption, const QString& aText) override
    {
        // libcurl copies string options, so the bytes need not outlive the call.
        const QByteArray bytes = aText.toUtf8();
        Check(curl_easy_setopt(FHandle, aOption, bytes.constData()));
        return *this;
    }

    ICurl& SwitchRecvToString() override
    {
        auto stream = std::make_unique<TRawByteStream>();
        if (FRecv.Stream != stream.get())
            ReleaseRecvStream();
        FRecv.Stream = stream.get();
        FRecv.Flags = csfAutoRewind | csfAutoDestroy;
        FRecv.Owned = std::move(stream);
        Check(curl_easy_setopt(FHandle, CURLOPT_WRITEDATA, static_cast<void*>(this)));
        Check(curl_easy_setopt(FHandle, CURLOPT_WRITEFUNCTION, &TEasyCurlImpl::WriteCallback));
        return *this;
    }

    ICurl& SetAbortFlag(const std::atomic<bool>* aFlag) override
    {
        FAbortFlag = aFlag;
        return *this;
    }

    ICurl& SetMaxBodySize(qint64 aBytes) override
    {
        FMaxBodySize = aBytes;
        // Also refuse early when the server announces a larger body.
        if (aBytes >= 0)
            Check(curl_easy_setopt(FHandle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(aBytes)));
        return *this;
    }

    ICurl& SetTransferLimits(const TTransferLimits& aLimits) override
    {
        FLimits = aLimits;
        Check(curl_easy_setopt(FHandle, CURLOPT_PROTOCOLS_STR, kAllowedProtocols));
        Check(curl_easy_setopt(FHandle, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols));
        Check(curl_easy_setopt(FHandle, CURLOPT_MAXREDIRS, aLimits.MaxRedirects));
        Check(curl_easy_setopt(FHandle, CURLOPT_TIMEOUT_MS, long(qMax(0, aLimits.TimeLimitMs))));
        if (aLimits.StallSeconds > 0) {
            const long stall = aLimits.StallSeconds;
            Check(curl_easy_setopt(FHandle, CURLOPT_LOW_SPEED_LIMIT, 1L));
            Check(curl_easy_setopt(FHandle, CURLOPT_LOW_SPEED_TIME, stall));
            Check(curl_easy_setopt(FHandle, CURLOPT_CONNECTTIMEOUT, stall));
        }
        return SetMaxBodySize(aLimits.MaxBodyBytes);
    }

    void Perform() override
    {
        if (FRecv.Stream && (FRecv.Flags & csfAutoRewind)) {
            FRecv.Stream->SetSize(0);
            FRecv.Stream->Seek(0);
        }
        FBodyTooLarge = false;
        FBodyStarted = false;
        FErrorDetail[0] = '\0';
        const auto started = std::chrono::steady_clock::now();
        const CURLcode code = FAbortFlag ? PerformAbortable() : curl_easy_perform(FHandle);
        if (FBodyTooLarge || (code == CURLE_FILESIZE_EXCEEDED && FMaxBodySize >= 0)) {
            if (FRecv.Stream)
                FRecv.Stream->Release();
            throw ECurlError(code, BodyTooLargeMessage(FMaxBodySize));
        }
        if (code != CURLE_OK) {
            const auto elapsed = std::chrono::steady_clock::now() - started;
            throw ECurlError(code, FailureText(code, std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
        }
    }

    long ResponseCode() override
    {
        long code = 0;
        Check(curl_easy_getinfo(FHandle, CURLINFO_RESPONSE_CODE, &code));
        return code;
    }

    QString ContentType() override
    {
        const char* type = nullptr;
        Check(curl_easy_getinfo(FHandle, CURLINFO_CONTENT_TYPE, &type));
        return type ? QString::fromLatin1(type) : QString();
    }

    QByteArray ResponseBody() const override
    {
        if (!FRecv.Stream)
            throw std::runtime_error("Cannot get response body, use SwitchRecvToString beforehand");
        return FRecv.Stream->Bytes();
    }

private:
    // libcurl's texts for the ends that a limit caused say little ("Timeout
    // was reached" for a stall and for the time limit alike, "Out of memory"
    // for an oversized header): name the limit, or add libcurl's detail.
    QString FailureText(CURLcode aCode, qint64 aElapsedMs) const
    {
        const QString detail = QString::fromUtf8(FErrorDetail).trimmed();
        switch (aCode) {
        case CURLE_TOO_MANY_REDIRECTS:
            return RedirectLimitMessage(FLimits.MaxRedirects);
        case CURLE_UNSUPPORTED_PROTOCOL:
            return RefusedProtocolMessage(detail);
        case CURLE_OPERATION_TIMEDOUT:
            // Whichever limit the elapsed time is nearer to: our clock and
            // libcurl's start a few milliseconds apart.
            if (FLimits.TimeLimitMs > 0
                && (FLimits.StallSeconds <= 0
                    || std::abs(aElapsedMs - FLimits.TimeLimitMs)
                           <= std::abs(aElapsedMs - qint64(FLimits.StallSeconds) * 1000)))
                return TimeLimitMessage(FLimits.TimeLimitMs);
            if (FLimits.StallSeconds > 0)
                return StallLimitMessage(FLimits.StallSeconds);
            break;
        case CURLE_OUT_OF_MEMORY:
            // libcurl answers a header line beyond its 100 KB buffer this way.
            if (detail.isEmpty() && !FBodyStarted)
                return HeaderTooLargeMessage();
            [[fallthrough]];
        case CURLE_RECV_ERROR:
        case CURLE_WEIRD_SERVER_REPLY:
            if (!detail.isEmpty())
                return QString::fromUtf8(curl_easy_strerror(aCode)) + QStringLiteral(": ") + detail;
            break;
        default:
            break;
        }
        return QString::fromUtf8(curl_easy_strerror(aCode));
    }

    static void Check(CURLcode aCode)
    {
        if (aCode != CURLE_OK)
            throw ECurlError(aCode);
    }

    static size_t WriteCallback(char* aData, size_t aSize, size_t aCount, void* aUser)
    {
        auto* self = static_cast<TEasyCurlImpl*>(aUser);
        const qint64 bytes = qint64(aSize * aCount);
        TRawByteStream* stream = self->FRecv.Stream;
        if (!stream)
            return 0;
        self->FBodyStarted = true;
        if (self->FMaxBodySize >= 0 && stream->Size() + bytes > self->FMaxBodySize) {
            self->FBodyTooLarge = true;
            stream->Release();  // give the memory back at once, not when the session ends
            return 0;           // libcurl ends the transfer with CURLE_WRITE_ERROR
        }
        try {
            return size_t(stream->Write(aData, bytes));
        } catch (...) {
            // Out of memory: nothing may unwind through libcurl.
            stream->Release();
            return 0;
        }
    }

    // The same transfer as curl_easy_perform, driven through a multi handle so
    // that the abort flag is looked at every 50 ms even while the peer is silent
    // (a progress callback under curl_easy_perform runs only about once a second
    // while nothing arrives).
    CURLcode PerformAbortable()
    {
        CURLM* multi = curl_multi_init();
        if (!multi)
            return CURLE_OUT_OF_MEMORY;
        CURLcode result = CURLE_OK;
        if (curl_multi_add_handle(multi, FHandle) != CURLM_OK) {
            curl_multi_cleanup(multi);
            return CURLE_FAILED_INIT;
        }
        bool done = false;
        while (!done) {
            if (FAbortFlag->load()) {
                result = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
                if (msg->msg == CURLMSG_DONE && msg->easy_handle == FHandle) {
                    result = msg->data.result;
                    done = true;
                }
            }
            if (!done && running == 0) {
                result = CURLE_FAILED_INIT;  // no completion message: should not happen
                break;
            }
            if (!done && curl_multi_poll(multi, nullptr, 0, 50, nullptr) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
        }
        curl_multi_remove_handle(multi, FHandle);
        curl_multi_cleanup(multi);
        return result;
    }

    void ReleaseRecvStream()
    {
        // A stream the session does not own is only detached.
        FRecv.Owned.reset();
        FRecv.Stream = nullptr;
        FRecv.Flags = 0;
    }

    CURL* FHandle;
    TCurlAutoStream FRecv;
    const std::atomic<bool>* FAbortFlag = nullptr;
    qint64 FMaxBodySize = -1;
    bool FBodyTooLarge = false;
    bool FBodyStarted = false;
    // Limits are named in failure texts only when they were set.
    TTransferLimits FLimits{-1, -1, 0, 0};
    char FErrorDetail[CURL_ERROR_SIZE];
};

}  // namespace

TCurlGlobalGuard::TCurlGlobalGuard()
{
    std::lock_guard<std::mutex> lock(GlobalLock);
    if (GlobalUsers++ == 0)
        curl_global_init(CURL_GLOBAL_ALL);
}

TCurlGlobalGuard::~TCurlGlobalGuard()
{
    std::lock_guard<std::mutex> lock(GlobalLock);
    if (--GlobalUsers == 0)
        curl_global_cleanup();
}

ECurl::ECurl(const QString& aMessage)
    : std::runtime_error(aMessage.toStdString())
    , FMessage(aMessage)
{
}

ECurlError::ECurlError(CURLcode aCode)
    : ECurlError(aCode, QString::fromUtf8(curl_easy_strerror(aCode)))
{
}

ECurlError::ECurlError(CURLcode aCode, const QString& aMessage)
    : ECurl(aMessage)
    , Code(aCode)
{
}

ECurlInternal::ECurlInternal()
    : std::runtime_error("[TEasyCurlImpl.Create] Cannot create cURL object.")
{
}

qint64 TRawByteStream::Write(const char* aData, qint64 aCount)
{
    if (aCount <= 0)
        return 0;
    const qint64 end = FPos + aCount;
    if (end > FData.size()) {
        if (end > FData.capacity())
            FData.reserve(qMax(end, FData.capacity() * 2));  // amortised growth for many small blocks
        FData.resize(end);
    }
    std::memcpy(FData.data() + FPos, aData, size_t(aCount));
    FPos = end;
    return aCount;
}

qint64 TRawByteStream::Read(char* aData, qint64 aCount)
{
    const qint64 count = qBound<qint64>(0, aCount, FData.size() - FPos);
    if (count > 0)
        std::memcpy(aData, FData.constData() + FPos, size_t(count));
    FPos += count;
    return count;
}

qint64 TRawByteStream::Seek(qint64 aPos)
{
    FPos = qBound<qint64>(0, aPos, FData.size());
    return FPos;
}

void TRawByteStream::SetSize(qint64 aSize)
{
    if (aSize < 0)
        throw std::runtime_error("[TRawByteStream.SetSize] Wrong size");
    FData.resize(aSize);
    FPos = qMin(FPos, aSize);
}

void TRawByteStream::Release()
{
    QByteArray().swap(FData);
    FPos = 0;
}

QString BodyTooLargeMessage(qint64 aLimit)
{
    return QStringLiteral("Response body is larger than the limit of %1 bytes").arg(aLimit);
}

QString RedirectLimitMessage(long aLimit)
{
    return QStringLiteral("Redirect limit reached: more than %1 redirects").arg(aLimit);
}

QString TimeLimitMessage(int aLimitMs)
{
    return QStringLiteral("Transfer time limit of %1 s reached").arg(aLimitMs / 1000.0);
}

QString StallLimitMessage(int aSeconds)
{
    return QStringLiteral("Nothing received from the server for %1 s").arg(aSeconds);
}

QString HeaderTooLargeMessage()
{
    return QStringLiteral("Response header too large (or out of memory while receiving it)");
}

QString RefusedProtocolMessage(const QString& aDetail)
{
    const QString text = QStringLiteral("Only http and https addresses are fetched");
    return aDetail.isEmpty() ? text : text + QStringLiteral(" (") + aDetail + QLatin1Char(')');
}

ICurlPtr NewCurlSession()
{
    return std::make_shared<TEasyCurlImpl>();
}

std::unique_ptr<ICurlGetBuilder> NewGetBuilder(const QString& aURL)
{
    return std::make_unique<TGetBuilder>(aURL.toUtf8());
}
