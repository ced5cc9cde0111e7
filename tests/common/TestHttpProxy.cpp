#include "TestHttpProxy.h"

#include <QByteArray>

namespace {

bool IsHopByHop(const std::string& aName)
{
    static const char* const names[] = {"connection", "keep-alive", "proxy-authorization",
                                        "proxy-authenticate", "proxy-connection", "te",
                                        "trailer", "transfer-encoding", "upgrade", "content-length"};
    std::string lower = aName;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* n : names)
        if (lower == n)
            return true;
    return false;
}

}  // namespace

TTestHttpProxy::TTestHttpProxy(TMode aMode)
    : FMode(aMode)
{
    FServer.SetFallback([this](const httplib::Request& req, httplib::Response& res) { Handle(req, res); });
}

void TTestHttpProxy::RequireCredentials(const std::string& aUser, const std::string& aPassword)
{
    const QByteArray pair = QByteArray::fromStdString(aUser + ":" + aPassword);
    FExpectedAuth = "Basic " + pair.toBase64().toStdString();
}

bool TTestHttpProxy::Start()
{
    return FServer.Start();
}

void TTestHttpProxy::Stop()
{
    FServer.Stop();
}

std::string TTestHttpProxy::HostAndPort() const
{
    return "127.0.0.1:" + std::to_string(FServer.Port());
}

bool TTestHttpProxy::Authorised(const httplib::Request& aReq) const
{
    return FExpectedAuth.empty() || aReq.get_header_value("Proxy-Authorization") == FExpectedAuth;
}

void TTestHttpProxy::Handle(const httplib::Request& aReq, httplib::Response& aRes)
{
    if (FMode == pmRefuse) {
        aRes.status = 403;
        aRes.set_content("proxy refuses", "text/plain");
        return;
    }
    if (!Authorised(aReq)) {
        aRes.status = 407;
        aRes.set_header("Proxy-Authenticate", "Basic realm=\"test\"");
        aRes.set_content("proxy authentication required", "text/plain");
        return;
    }
    // "http://host:port/path?query" -> origin and path.
    const std::string& target = aReq.target;
    const std::string scheme = "http://";
    if (target.compare(0, scheme.size(), scheme) != 0) {
        aRes.status = 400;
        aRes.set_content("only absolute http:// targets", "text/plain");
        return;
    }
    const size_t slash = target.find('/', scheme.size());
    const std::string origin = target.substr(0, slash);
    const std::string path = slash == std::string::npos ? "/" : target.substr(slash);

    httplib::Client upstream(origin);
    upstream.set_connection_timeout(5);
    upstream.set_read_timeout(30);
    httplib::Headers headers;
    for (const auto& [name, value] : aReq.headers)
        if (!IsHopByHop(name) && name != "Host" && name != "REMOTE_ADDR" && name != "REMOTE_PORT"
            && name != "LOCAL_ADDR" && name != "LOCAL_PORT")
            headers.emplace(name, value);
    const auto result = upstream.Get(path.c_str(), headers);
    if (!result) {
        aRes.status = 502;
        aRes.set_content("bad gateway", "text/plain");
        return;
    }
    aRes.status = result->status;
    for (const auto& [name, value] : result->headers)
        if (!IsHopByHop(name) && name != "Content-Type")
            aRes.headers.emplace(name, value);
    aRes.set_content(result->body, result->get_header_value("Content-Type").c_str());
}
