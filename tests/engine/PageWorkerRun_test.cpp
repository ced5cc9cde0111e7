// Pacing, cancellation and proxies of page workers.

#include "TestHttpProxy.h"
#include "TestProxies.h"
#include "WorkerFixture.h"
#include "proxies/Proxies.h"

#include <map>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

qint64 MsSince(steady_clock::time_point aSince)
{
    return std::chrono::duration_cast<milliseconds>(steady_clock::now() - aSince).count();
}

}  // namespace

TEST_F(WorkerTest, CancelWhileWaitingForTheStartTimeSendsNothing)
{
    // A clock that never passes the start time keeps the worker waiting.
    TManualClock clock(100000);
    UsePool(1500, clock);
    StartWorker(MakeTask(Server.Url("/never"), 3));
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_FALSE(Workers[0]->Finished());

    const auto cancelled = steady_clock::now();
    State.AbortRequested = true;
    Workers[0]->Join();
    EXPECT_LT(MsSince(cancelled), 200);
    ASSERT_TRUE(WaitFinished(1));

    EXPECT_EQ(Sink.Finished[0]->TaskResults->TaskResult, trAborted);
    EXPECT_EQ(Sink.Logs, (QStringList{"URL 3: задача начата", "URL 3: задача прервана"}));
    EXPECT_EQ(Sink.Order, (std::vector<int>{WM_LOG_LINE, WM_LOG_LINE, WM_TASK_FINISHED, WM_NEXT_TASK}));
    EXPECT_EQ(Server.RequestCount(), 0u);
    EXPECT_EQ(State.ActiveThreadCount.load(), 0);
}

TEST_F(WorkerTest, CancelledBeforeItStartsTheWorkerOnlyReports)
{
    State.AbortRequested = true;
    TURLTaskInfo& task = RunOne(Server.Url("/never"));
    EXPECT_EQ(task.TaskResults->TaskResult, trAborted);
    EXPECT_EQ(task.TaskResults->ErrorText(), QStringLiteral("200"));
    EXPECT_EQ(Sink.Logs, (QStringList{"URL 1: задача начата", "URL 1: задача прервана"}));
    EXPECT_EQ(Server.RequestCount(), 0u);
}

TEST_F(WorkerTest, CancelAbandonsATransferUnderWay)
{
    Server.Stall("/stall");
    StartWorker(MakeTask(Server.Url("/stall"), 1));
    ASSERT_TRUE(Server.WaitForRequests(1, 5000));

    const auto cancelled = steady_clock::now();
    State.AbortRequested = true;
    Workers.clear();  // what a controller does when it goes away mid-run: joins
    EXPECT_LT(MsSince(cancelled), 300);
    ASSERT_TRUE(WaitFinished(1));

    EXPECT_EQ(Sink.Finished[0]->TaskResults->TaskResult, trAborted);
    EXPECT_EQ(Sink.Logs, (QStringList{"URL 1: задача начата", "URL 1: получение страницы",
                                      "URL 1: задача прервана"}));
    EXPECT_EQ(State.ActiveThreadCount.load(), 0);
}

TEST_F(WorkerTest, WorkerRefusedAStartTimeAsksAgain)
{
    TManualClock clock(10000);
    UsePool(1500, clock);
    Server.Respond("/ok", 200, "ok");
    TDateTime held = 0;
    ASSERT_TRUE(Pool->GetNextRequestTime(held));  // someone else holds the start time
    StartWorker(MakeTask(Server.Url("/ok"), 1));
    std::this_thread::sleep_for(milliseconds(60));
    EXPECT_EQ(Server.RequestCount(), 0u);

    Pool->RegisterLastRequest(held - 1500);  // frees it again, at 10000
    clock.Set(10001);                        // and that moment has passed
    ASSERT_TRUE(WaitFinished(1));
    EXPECT_EQ(Sink.Finished[0]->TaskResults->TaskResult, trOk);
    EXPECT_EQ(Server.RequestCount(), 1u);
    // The next start is a delay after the worker's promise of 10000 + 20; its
    // sending at 10001 does not bring it forward.
    TDateTime next = 0;
    ASSERT_TRUE(Pool->GetNextRequestTime(next));
    EXPECT_EQ(next, 10020 + 1500);
}

TEST_F(WorkerTest, RequestsAreSpacedByTheDelay)
{
    Server.Respond("/a", 200, "a");
    Server.Respond("/b", 200, "b");
    const TDateTime poolCreated = TClock::System().Now();
    UsePool(1500);  // the smallest delay the options allow
    StartWorker(MakeTask(Server.Url("/a"), 1));
    StartWorker(MakeTask(Server.Url("/b"), 2));
    ASSERT_TRUE(WaitFinished(2, 10000));
    for (const auto& task : Sink.Finished)
        EXPECT_EQ(task->TaskResults->TaskResult, trOk);
    ASSERT_EQ(Server.RequestCount(), 2u);

    // When each request went out, by the workers' own log lines.
    std::map<QString, TDateTime> sent;
    for (int i = 0; i < Sink.Logs.size(); ++i)
        if (Sink.Logs[i].endsWith(QStringLiteral("получение страницы")))
            sent[Sink.Logs[i]] = Sink.LogTimes[size_t(i)];
    ASSERT_EQ(sent.size(), 2u);
    const TDateTime first = std::min(sent.begin()->second, sent.rbegin()->second);
    const TDateTime second = std::max(sent.begin()->second, sent.rbegin()->second);
    EXPECT_LT(first - poolCreated, 400);       // the first request starts at once
    EXPECT_GT(second - poolCreated, 1500);     // the second waits for the delay
    EXPECT_LE(second - first, 1900);
    EXPECT_GE(second - first, 1300);
}

TEST_F(WorkerTest, ThroughAForwardProxy)
{
    Server.Respond("/ok", 200, "<h1>via proxy</h1>");
    TTestHttpProxy open;
    TTestHttpProxy guarded;
    guarded.RequireCredentials("user", "secret");
    TTestHttpProxy refusing(TTestHttpProxy::pmRefuse);
    ASSERT_TRUE(open.Start() && guarded.Start() && refusing.Start());
    const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());

    const struct {
        const char* Name;
        TProxy Proxy;
        TURLTaskResult Result;
        int ErrorCode;
    } cases[] = {
        {"open", ProxyAt(open.HostAndPort()), trOk, 0},
        {"credentials", ProxyAt(guarded.HostAndPort(), "user:secret"), trOk, 0},
        {"wrong credentials", ProxyAt(guarded.HostAndPort(), "user:wrong"), trHTTPError, 407},
        {"refusing", ProxyAt(refusing.HostAndPort()), trHTTPError, 403},
        {"closed port", ProxyAt(closed), trSendError, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Sink.Logs.clear();
        Sink.Finished.clear();
        UsePool(1500);
        TURLTaskInfo& task = RunOne(Server.Url("/ok"), nullptr, &c.Proxy);
        EXPECT_EQ(task.TaskResults->TaskResult, c.Result);
        EXPECT_EQ(task.TaskResults->ErrorCode, c.ErrorCode);
        ASSERT_GE(Sink.Logs.size(), 2);
        EXPECT_EQ(Sink.Logs[1], QStringLiteral("URL 1: используем прокси ") + c.Proxy.HostAndPort());
    }
    // Only the proxies reached the server, and they were asked for the absolute URL.
    EXPECT_EQ(Server.RequestCount(), 2u);
    ASSERT_EQ(open.RequestCount(), 1u);
    EXPECT_EQ(open.Requests()[0].Target, Server.Url("/ok"));
    const auto guardedRequests = guarded.Requests();
    ASSERT_EQ(guardedRequests.size(), 2u);
    EXPECT_EQ(guardedRequests[0].Header("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");
}
