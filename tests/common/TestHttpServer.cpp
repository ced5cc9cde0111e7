#include "TestHttpServer.h"

#include <chrono>

namespace {

qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string TRecordedRequest::Header(const std::string& aName) const
{
    const auto it = Headers.find(aName);
    return it == Headers.end() ? std::string() : it->second;
}

TTestHttpServer::TTestHttpServer()
{
    const auto dispatch = [this](const httplib::Request& req, httplib::Response& res) { Dispatch(req, res); };
    FServer.Get(".*", dispatch);
    FServer.Post(".*", dispatch);
    FServer.Put(".*", dispatch);
    FServer.Delete(".*", dispatch);
    FServer.Options(".*", dispatch);
    // Idle keep-alive connections must not hold Stop() up for long.
    FServer.set_keep_alive_timeout(1);
}

TTestHttpServer::~TTestHttpServer()
{
    Stop();
}

void TTestHttpServer::Route(const std::string& aPath, THandler aHandler)
{
    const std::lock_guard lock(FLock);
    FRoutes[aPath] = std::move(aHandler);
}

void TTestHttpServer::SetFallback(THandler aHandler)
{
    const std::lock_guard lock(FLock);
    FFallback = std::move(aHandler);
}

void TTestHttpServer::Respond(const std::string& aPath, int aStatus, const std::string& aBody,
                              const std::string& aContentType)
{
    Route(aPath, [aStatus, aBody, aContentType](const httplib::Request&, httplib::Response& res) {
        res.status = aStatus;
        res.set_content(aBody, aContentType.c_str());
    });
}

void TTestHttpServer::Redirect(const std::string& aPath, const std::string& aLocation, int aStatus)
{
    Route(aPath, [aStatus, aLocation](const httplib::Request&, httplib::Response& res) {
        res.status = aStatus;
        res.set_header("Location", aLocation);
        res.set_content("moved", "text/plain");
    });
}

void TTestHttpServer::Stall(const std::string& aPath)
{
    Route(aPath, [this](const httplib::Request&, httplib::Response& res) {
        WaitUntilStopped();
        res.status = 503;
    });
}

void TTestHttpServer::Stream(const std::string& aPath, qint64 aBytes, bool aChunked)
{
    Route(aPath, [aBytes, aChunked](const httplib::Request&, httplib::Response& res) {
        const auto block = std::make_shared<std::string>(64 * 1024, 'x');
        if (aChunked) {
            auto sent = std::make_shared<qint64>(0);
            res.set_chunked_content_provider("application/octet-stream",
                [aBytes, block, sent](size_t, httplib::DataSink& sink) {
                    if (*sent >= aBytes) {
                        sink.done();
                        return true;
                    }
                    const size_t n = size_t(qMin<qint64>(qint64(block->size()), aBytes - *sent));
                    *sent += qint64(n);
                    return sink.write(block->data(), n);
                });
        } else {
            res.set_content_provider(size_t(aBytes), "application/octet-stream",
                [aBytes, block](size_t offset, size_t length, httplib::DataSink& sink) {
                    const size_t n = qMin(length, qMin(block->size(), size_t(aBytes) - offset));
                    return sink.write(block->data(), n);
                });
        }
    });
}

void TTestHttpServer::Trickle(const std::string& aPath, int aIntervalMs, int aMaxBytes)
{
    Route(aPath, [this, aIntervalMs, aMaxBytes](const httplib::Request&, httplib::Response& res) {
        auto sent = std::make_shared<int>(0);
        res.set_chunked_content_provider("text/html",
            [this, aIntervalMs, aMaxBytes, sent](size_t, httplib::DataSink& sink) {
                {
                    std::unique_lock lock(FLock);
                    if (FChanged.wait_for(lock, std::chrono::milliseconds(aIntervalMs), [this] { return FStopping; }))
                        return false;
                }
                if (++*sent > aMaxBytes) {
                    sink.done();
                    return true;
                }
                return sink.write("a", 1);
            });
    });
}

bool TTestHttpServer::Start()
{
    if (FThread.joinable())
        return true;
    {
        const std::lock_guard lock(FLock);
        FStopping = false;
    }
    // bind_to_any_port also listens, so connections queue up before the thread runs.
    FPort = FServer.bind_to_any_port("127.0.0.1");
    if (FPort <= 0)
        return false;
    FThread = std::thread([this] { FServer.listen_after_bind(); });
    // stop() does nothing until the server runs; wait so that Stop() always works.
    while (!FServer.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void TTestHttpServer::Stop()
{
    {
        const std::lock_guard lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    if (FThread.joinable()) {
        FServer.stop();
        FThread.join();
    }
}

std::string TTestHttpServer::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(FPort);
}

std::string TTestHttpServer::Url(const std::string& aPath) const
{
    return BaseUrl() + aPath;
}

std::vector<TRecordedRequest> TTestHttpServer::Requests() const
{
    const std::lock_guard lock(FLock);
    return FRequests;
}

size_t TTestHttpServer::RequestCount() const
{
    const std::lock_guard lock(FLock);
    return FRequests.size();
}

bool TTestHttpServer::WaitForRequests(size_t aCount, int aTimeoutMs) const
{
    std::unique_lock lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(aTimeoutMs),
                             [&] { return FRequests.size() >= aCount; });
}

void TTestHttpServer::Dispatch(const httplib::Request& aReq, httplib::Response& aRes)
{
    THandler handler;
    {
        const std::lock_guard lock(FLock);
        TRecordedRequest rec;
        rec.Method = aReq.method;
        rec.Target = aReq.target;
        rec.Path = aReq.path;
        rec.Headers = aReq.headers;
        rec.TimeMs = NowMs();
        FRequests.push_back(std::move(rec));
        const auto it = FRoutes.find(aReq.path);
        if (it != FRoutes.end())
            handler = it->second;
        else
            handler = FFallback;
    }
    FChanged.notify_all();
    if (handler) {
        handler(aReq, aRes);
    } else {
        aRes.status = 404;
        aRes.set_content("not found", "text/plain");
    }
}

void TTestHttpServer::WaitUntilStopped()
{
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FStopping; });
}
