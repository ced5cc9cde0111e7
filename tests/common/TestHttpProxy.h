#pragma once
// A small forward HTTP proxy for tests (plain http:// targets, absolute-form
// requests as libcurl sends them to an HTTP proxy). It can demand Basic
// credentials (407 without them) or refuse every request (403).

#include "TestHttpServer.h"

#include <string>
#include <vector>

class TTestHttpProxy {
public:
    enum TMode { pmForward, pmRefuse };

    explicit TTestHttpProxy(TMode aMode = pmForward);
    // Requests must carry "Proxy-Authorization: Basic" with these credentials.
    void RequireCredentials(const std::string& aUser, const std::string& aPassword);

    bool Start();
    void Stop();
    int Port() const { return FServer.Port(); }
    std::string HostAndPort() const;  // "127.0.0.1:<port>"

    // The requests that reached the proxy (Target is the absolute URL asked for).
    std::vector<TRecordedRequest> Requests() const { return FServer.Requests(); }
    size_t RequestCount() const { return FServer.RequestCount(); }

private:
    void Handle(const httplib::Request& aReq, httplib::Response& aRes);
    bool Authorised(const httplib::Request& aReq) const;

    TTestHttpServer FServer;
    TMode FMode;
    std::string FExpectedAuth;  // "Basic <base64>", empty when none is asked for
};
