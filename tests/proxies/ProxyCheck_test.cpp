// The check of one proxy: a request through it to the test page.

#include "ClosedPort.h"
#include "TestHttpProxy.h"
#include "TestHttpServer.h"
#include "TestProxies.h"
#include "engine/CurlSession.h"
#include "proxies/Proxies.h"

#include <gtest/gtest.h>

namespace {

TCurlGlobalGuard CurlGlobal;

}  // namespace

TEST(ProxyCheckTest, PassesExactlyForAFinalStatus200)
{
    TTestHttpServer site;
    site.Respond("/ok", 200, "fine");
    site.Respond("/missing", 404, "no");
    site.Redirect("/moved", "/ok", 302);
    TTestHttpProxy open;
    TTestHttpProxy guarded;
    guarded.RequireCredentials("u", "p");
    TTestHttpProxy refusing(TTestHttpProxy::pmRefuse);
    ASSERT_TRUE(site.Start() && open.Start() && guarded.Start() && refusing.Start());
    const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());

    const struct {
        const char* Name;
        TProxy Proxy;
        const char* Path;
        bool Passes;
    } cases[] = {
        {"open proxy", ProxyAt(open.HostAndPort()), "/ok", true},
        {"redirect to a 200 page", ProxyAt(open.HostAndPort()), "/moved", true},
        {"test page answers 404", ProxyAt(open.HostAndPort()), "/missing", false},
        {"credentials", ProxyAt(guarded.HostAndPort(), "u:p"), "/ok", true},
        {"no credentials: 407", ProxyAt(guarded.HostAndPort()), "/ok", false},
        {"refusing proxy", ProxyAt(refusing.HostAndPort()), "/ok", false},
        {"nothing listens", ProxyAt(closed), "/ok", false},
        {"malformed test URL", ProxyAt(open.HostAndPort()), "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString url = *c.Path ? QString::fromStdString(site.Url(c.Path)) : QStringLiteral("ht tp://\x01");
        EXPECT_EQ(c.Proxy.Test(url, QStringLiteral("checker/1")), c.Passes);
    }
    const auto seen = open.Requests();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].Header("User-Agent"), "checker/1");
    EXPECT_EQ(seen[0].Target, site.Url("/ok"));
}
