#pragma once
// A loopback HTTP server for tests: listens on 127.0.0.1 at a free port in its
// own thread, answers from a table of routes that may change at any time, and
// records every request with its arrival time and headers.

#include <httplib.h>

#include <QtGlobal>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TRecordedRequest {
    std::string Method;
    std::string Target;  // as sent: a path, or an absolute URL when sent to a proxy
    std::string Path;    // decoded, without the query
    httplib::Headers Headers;
    qint64 TimeMs = 0;   // wall clock, milliseconds since the epoch, at arrival

    std::string Header(const std::string& aName) const;  // empty when absent
};

class TTestHttpServer {
public:
    using THandler = std::function<void(const httplib::Request&, httplib::Response&)>;

    TTestHttpServer();
    ~TTestHttpServer();  // stops
    TTestHttpServer(const TTestHttpServer&) = delete;
    TTestHttpServer& operator=(const TTestHttpServer&) = delete;

    // Routes by exact path (without the query). Unknown paths go to the
    // fallback when one is set, otherwise they answer 404.
    void Route(const std::string& aPath, THandler aHandler);
    void SetFallback(THandler aHandler);

    // Ready-made routes.
    void Respond(const std::string& aPath, int aStatus, const std::string& aBody,
                 const std::string& aContentType = "text/html; charset=utf-8");
    void Redirect(const std::string& aPath, const std::string& aLocation, int aStatus = 301);
    // Never answers; the connection stays open until the server stops.
    void Stall(const std::string& aPath);
    // aBytes bytes of filler, with a Content-Length or (aChunked) without one.
    void Stream(const std::string& aPath, qint64 aBytes, bool aChunked);
    // A chunked body of one byte every aIntervalMs, until the client goes away
    // or the server stops (at most aMaxBytes bytes).
    void Trickle(const std::string& aPath, int aIntervalMs, int aMaxBytes = 100000);

    bool Start();  // false when no port could be bound
    void Stop();   // wakes stalled requests, waits for the server thread
    int Port() const { return FPort; }
    std::string BaseUrl() const;                       // "http://127.0.0.1:<port>"
    std::string Url(const std::string& aPath) const;  // BaseUrl() + aPath

    std::vector<TRecordedRequest> Requests() const;
    size_t RequestCount() const;
    // Waits until at least aCount requests have arrived; false on time-out.
    bool WaitForRequests(size_t aCount, int aTimeoutMs) const;

private:
    void Dispatch(const httplib::Request& aReq, httplib::Response& aRes);
    void WaitUntilStopped();

    httplib::Server FServer;
    std::thread FThread;
    int FPort = -1;

    mutable std::mutex FLock;
    mutable std::condition_variable FChanged;
    std::map<std::string, THandler> FRoutes;
    THandler FFallback;
    std::vector<TRecordedRequest> FRequests;
    bool FStopping = false;
};
