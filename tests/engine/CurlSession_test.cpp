#include "ClosedPort.h"
#include "TestHttpServer.h"
#include "engine/CurlSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// libcurl's global state for the whole test program.
TCurlGlobalGuard CurlGlobal;

qint64 ElapsedMs(std::chrono::steady_clock::time_point aSince)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - aSince).count();
}

ICurlPtr GetSession(const std::string& aUrl)
{
    ICurlPtr curl = NewCurlSession();
    curl->SetUserAgent(QStringLiteral("tester"))
        .SetUrl(*NewGetBuilder(QString::fromStdString(aUrl)))
        .SetOpt(CURLOPT_FOLLOWLOCATION, 1L)
        .SetOpt(CURLOPT_AUTOREFERER, 1L)
        .SwitchRecvToString();
    return curl;
}

class CurlSessionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Server.Start()); }
    TTestHttpServer Server;
};

}  // namespace

TEST(RawByteStreamTest, WritesOverwriteAndExtendAtThePosition)
{
    TRawByteStream s;
    EXPECT_EQ(s.Write("abcdef", 6), 6);
    s.Seek(2);
    EXPECT_EQ(s.Write("XYZW", 4), 4);  // overwrites "cdef"
    EXPECT_EQ(s.Write("!", 1), 1);     // extends
    EXPECT_EQ(s.Bytes(), QByteArray("abXYZW!"));
    EXPECT_EQ(s.Position(), 7);

    EXPECT_EQ(s.Seek(-5), 0);
    EXPECT_EQ(s.Seek(100), 7);
    char buf[4] = {};
    s.Seek(5);
    EXPECT_EQ(s.Read(buf, 4), 2);  // only what is left
    EXPECT_EQ(QByteArray(buf, 2), QByteArray("W!"));

    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Bytes(), QByteArray("abX"));
    try {
        s.SetSize(-1);
        FAIL() << "a negative size is accepted";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "[TRawByteStream.SetSize] Wrong size");
    }
    EXPECT_EQ(s.Bytes(), QByteArray("abX"));
}

TEST(CurlBuilderTest, UrlIsItsUtf8BytesUnescaped)
{
    const QString url = QStringLiteral("http://example.test/путь с пробелом?q=ё&x=%41");
    EXPECT_EQ(NewGetBuilder(url)->Build(), url.toUtf8());
}

TEST_F(CurlSessionTest, StatusAndBodyOfTheFinalResponse)
{
    Server.Respond("/ok", 200, "<p>fine</p>");
    Server.Respond("/missing", 404, "nothing here");
    Server.Respond("/broken", 500, "oops");
    Server.Redirect("/old", "/ok", 301);
    Server.Redirect("/chain", "/old", 302);

    const struct {
        const char* Path;
        long Status;
        const char* Body;
    } cases[] = {
        {"/ok", 200, "<p>fine</p>"},
        {"/missing", 404, "nothing here"},
        {"/broken", 500, "oops"},
        {"/old", 200, "<p>fine</p>"},
        {"/chain", 200, "<p>fine</p>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        ICurlPtr curl = GetSession(Server.Url(c.Path));
        curl->Perform();
        EXPECT_EQ(curl->ResponseCode(), c.Status);
        EXPECT_EQ(curl->ResponseBody(), QByteArray(c.Body));
    }
    // The redirect carried the referer of the page that sent it.
    const auto requests = Server.Requests();
    ASSERT_GE(requests.size(), 2u);
    bool sawReferer = false;
    for (const auto& r : requests)
        sawReferer = sawReferer || r.Header("Referer") == Server.Url("/old");
    EXPECT_TRUE(sawReferer);
}

TEST_F(CurlSessionTest, SendsUserAgentAndNonAsciiPathAsUtf8)
{
    Server.SetFallback([](const httplib::Request&, httplib::Response& res) { res.set_content("x", "text/plain"); });
    ICurlPtr curl = NewCurlSession();
    curl->SetUserAgent(QStringLiteral("Агент/1.0"))
        .SetUrl(*NewGetBuilder(QString::fromStdString(Server.BaseUrl()) + QStringLiteral("/страница")))
        .SwitchRecvToString();
    curl->Perform();
    EXPECT_EQ(curl->ResponseCode(), 200);
    const auto requests = Server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("User-Agent"), QStringLiteral("Агент/1.0").toStdString());
    // libcurl percent-encodes bytes above 127 on the wire; what it was given were UTF-8 bytes.
    EXPECT_EQ(QByteArray::fromPercentEncoding(QByteArray::fromStdString(requests[0].Target)),
              QStringLiteral("/страница").toUtf8());
}

TEST_F(CurlSessionTest, SecondPerformStartsWithAnEmptyBuffer)
{
    Server.Respond("/page", 200, "abc");
    ICurlPtr curl = GetSession(Server.Url("/page"));
    curl->Perform();
    curl->Perform();
    EXPECT_EQ(curl->ResponseBody(), QByteArray("abc"));
    EXPECT_EQ(Server.RequestCount(), 2u);
}

TEST_F(CurlSessionTest, SwitchingTheReceiveStreamAgainDropsTheOldBody)
{
    Server.Respond("/page", 200, "abc");
    ICurlPtr curl = GetSession(Server.Url("/page"));
    curl->Perform();
    curl->SwitchRecvToString();
    EXPECT_EQ(curl->ResponseBody(), QByteArray());
}

TEST(CurlErrorsTest, FailuresCarryLibcurlCodeAndText)
{
    // Unreachable port.
    ICurlPtr curl = GetSession("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/");
    try {
        curl->Perform();
        FAIL() << "a closed port answered";
    } catch (const ECurlError& e) {
        EXPECT_EQ(e.Code, CURLE_COULDNT_CONNECT);
        EXPECT_EQ(e.Message(), QString::fromUtf8(curl_easy_strerror(CURLE_COULDNT_CONNECT)));
        EXPECT_STREQ(e.what(), curl_easy_strerror(CURLE_COULDNT_CONNECT));
    }

    // An option value libcurl refuses.
    try {
        NewCurlSession()->SetOpt(CURLOPT_PROXYTYPE, 12345L);
        FAIL() << "a bad proxy type is accepted";
    } catch (const ECurlError& e) {
        EXPECT_EQ(e.Code, CURLE_BAD_FUNCTION_ARGUMENT);
        EXPECT_EQ(e.Message(), QString::fromUtf8(curl_easy_strerror(CURLE_BAD_FUNCTION_ARGUMENT)));
    }

    // The body without a memory buffer.
    try {
        NewCurlSession()->ResponseBody();
        FAIL() << "a body without a buffer";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Cannot get response body, use SwitchRecvToString beforehand");
    }

    EXPECT_STREQ(ECurlInternal().what(), "[TEasyCurlImpl.Create] Cannot create cURL object.");
}

TEST_F(CurlSessionTest, AbortFlagEndsATransferWaitingForTheServer)
{
    Server.Stall("/stall");
    std::atomic<bool> abort{false};
    ICurlPtr curl = GetSession(Server.Url("/stall"));
    curl->SetAbortFlag(&abort);

    std::thread canceller([&] {
        Server.WaitForRequests(1, 5000);
        abort.store(true);
    });
    const auto started = std::chrono::steady_clock::now();
    try {
        curl->Perform();
        ADD_FAILURE() << "a stalled transfer completed";
    } catch (const ECurlError& e) {
        EXPECT_EQ(e.Code, CURLE_ABORTED_BY_CALLBACK);
    }
    canceller.join();
    EXPECT_LT(ElapsedMs(started), 2000);
    EXPECT_EQ(Server.RequestCount(), 1u);
}

TEST_F(CurlSessionTest, BodyOverTheLimitFailsAndIsFreed)
{
    const qint64 limit = 256 * 1024;
    Server.Stream("/announced", 4 * limit, false);  // with Content-Length
    Server.Stream("/chunked", 4 * limit, true);     // length unknown until the end
    Server.Stream("/fits", limit, true);
    for (const char* path : {"/announced", "/chunked"}) {
        SCOPED_TRACE(path);
        ICurlPtr curl = GetSession(Server.Url(path));
        curl->SetMaxBodySize(limit);
        try {
            curl->Perform();
            ADD_FAILURE() << "an oversized body was accepted";
        } catch (const ECurlError& e) {
            EXPECT_EQ(e.Message(), BodyTooLargeMessage(limit));
        }
        EXPECT_TRUE(curl->ResponseBody().isEmpty());
    }
    ICurlPtr curl = GetSession(Server.Url("/fits"));
    curl->SetMaxBodySize(limit);
    curl->Perform();
    EXPECT_EQ(curl->ResponseBody().size(), limit);
}
