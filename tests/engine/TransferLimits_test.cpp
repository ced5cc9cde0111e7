// The bounds of every transfer against a hostile loopback server.

#include "TestHttpServer.h"
#include "engine/CurlSession.h"
#include "engine/RequestOptions.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

TCurlGlobalGuard CurlGlobal;

// A listening loopback socket that only tells whether anyone connected.
class TConnectionTrap {
public:
    TConnectionTrap()
    {
        FSocket = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (FSocket < 0 || bind(FSocket, reinterpret_cast<sockaddr*>(&address), length) != 0
            || listen(FSocket, 8) != 0 || getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        FPort = ntohs(address.sin_port);
    }
    ~TConnectionTrap()
    {
        if (FSocket >= 0)
            close(FSocket);
    }
    int Port() const { return FPort; }
    // The handshake completes in the kernel's queue even though nothing accepts.
    bool Connected() const
    {
        const int accepted = accept(FSocket, nullptr, nullptr);
        if (accepted < 0)
            return false;
        close(accepted);
        return true;
    }

private:
    int FSocket = -1;
    int FPort = 0;
};

qint64 ElapsedMs(std::chrono::steady_clock::time_point aSince)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - aSince).count();
}

// The failure of one GET with the given limits; code CURLE_OK when it succeeded.
ECurlError Fail(const std::string& aUrl, const TTransferLimits& aLimits = {})
{
    ICurlPtr curl = NewCurlSession();
    ConfigureGetRequest(*curl, QString::fromStdString(aUrl), QStringLiteral("tester"), aLimits);
    try {
        curl->Perform();
    } catch (const ECurlError& e) {
        return e;
    }
    return ECurlError(CURLE_OK);
}

class CurlLimitsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Server.Start()); }
    TTestHttpServer Server;
};

}  // namespace

TEST_F(CurlLimitsTest, RedirectLoopEndsAtTheLimit)
{
    Server.Redirect("/loop", "/loop", 302);
    const ECurlError e = Fail(Server.Url("/loop"));
    EXPECT_EQ(e.Code, CURLE_TOO_MANY_REDIRECTS);
    EXPECT_EQ(e.Message(), RedirectLimitMessage(kMaxRedirects));
    EXPECT_EQ(Server.RequestCount(), size_t(kMaxRedirects + 1));

    // Twenty redirects are still followed.
    for (int i = 0; i < kMaxRedirects; ++i)
        Server.Redirect("/hop" + std::to_string(i), "/hop" + std::to_string(i + 1), 302);
    Server.Respond("/hop" + std::to_string(kMaxRedirects), 200, "end");
    EXPECT_EQ(Fail(Server.Url("/hop0")).Code, CURLE_OK);
}

TEST_F(CurlLimitsTest, OnlyHttpAndHttpsAreSpoken)
{
    TConnectionTrap trap;
    ASSERT_GT(trap.Port(), 0);
    const std::string port = std::to_string(trap.Port());
    const std::string others[] = {
        "ftp://127.0.0.1:" + port + "/etc/passwd",
        "ftps://127.0.0.1:" + port + "/etc/passwd",
        "gopher://127.0.0.1:" + port + "/",
        "dict://127.0.0.1:" + port + "/d:x",
        "telnet://127.0.0.1:" + port + "/",
        "file:///etc/passwd",
    };
    for (const std::string& target : others) {
        SCOPED_TRACE(target);
        Server.Redirect("/away", target, 302);
        for (const std::string& url : {Server.Url("/away"), target}) {
            const ECurlError e = Fail(url);
            EXPECT_EQ(e.Code, CURLE_UNSUPPORTED_PROTOCOL);
            EXPECT_TRUE(e.Message().startsWith(RefusedProtocolMessage({}))) << e.Message().toStdString();
        }
    }
    EXPECT_FALSE(trap.Connected());
}

TEST_F(CurlLimitsTest, TrickleEndsAtTheWholeTransferLimit)
{
    // One byte every 100 ms keeps above any stall guard.
    Server.Trickle("/slow", 100);
    TTransferLimits limits;
    limits.TimeLimitMs = 1500;
    const auto started = std::chrono::steady_clock::now();
    const ECurlError e = Fail(Server.Url("/slow"), limits);
    EXPECT_EQ(e.Code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(e.Message(), TimeLimitMessage(1500));
    EXPECT_GE(ElapsedMs(started), 1400);
    EXPECT_LT(ElapsedMs(started), 10000);  // generous: a loaded machine is slow to wake
}

TEST_F(CurlLimitsTest, AbortFlagStillEndsATrickleAtOnce)
{
    Server.Trickle("/slow", 100);
    std::atomic<bool> abort{false};
    ICurlPtr curl = NewCurlSession();
    ConfigureGetRequest(*curl, QString::fromStdString(Server.Url("/slow")), QStringLiteral("tester"), {});
    curl->SetAbortFlag(&abort);
    std::thread canceller([&] {
        Server.WaitForRequests(1, 5000);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        abort.store(true);
    });
    const auto started = std::chrono::steady_clock::now();
    try {
        curl->Perform();
        ADD_FAILURE() << "the trickle completed";
    } catch (const ECurlError& e) {
        EXPECT_EQ(e.Code, CURLE_ABORTED_BY_CALLBACK);
    }
    canceller.join();
    EXPECT_LT(ElapsedMs(started), 300 + 500);
}

TEST_F(CurlLimitsTest, OversizedHeaderSaysWhatWasTooLarge)
{
    Server.Route("/header", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("X-Filler", std::string(1024 * 1024, 'h'));
        res.set_content("x", "text/plain");
    });
    const ECurlError e = Fail(Server.Url("/header"));
    EXPECT_NE(e.Code, CURLE_OK);
    EXPECT_NE(e.Message(), QString::fromUtf8(curl_easy_strerror(e.Code))) << e.Message().toStdString();
    EXPECT_TRUE(e.Message().contains(QStringLiteral("header"), Qt::CaseInsensitive)) << e.Message().toStdString();
}
