// The run controller with workers on real threads: whole runs, the thread
// limit, destruction during a run, and one run through the real page worker.

#include "ControllerFixture.h"

#include "engine/CurlSession.h"
#include "EventPump.h"
#include "TestHttpServer.h"

#include <QDateTime>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace {

TCurlGlobalGuard CurlGlobal;

// Fake workers on their own threads that behave like the real one towards the
// controller: pace through the pool, post the request, end with the two messages.
class TThreadWorkers {
public:
    std::atomic<int> Started{0};
    std::atomic<int> Ended{0};
    std::atomic<int> Alive{0};
    std::atomic<int> MaxAlive{0};
    std::atomic<int> Faults{0};  // a worker found no pool while its run was on
    bool HoldUntilCancelled = false;  // "transfers" last until the run is cancelled

    TWorkerLauncher Launcher()
    {
        return [this](TWorkerStart aStart) -> std::unique_ptr<IRunWorker> {
            aStart.State->ActiveThreadCount.fetch_add(1);
            Started.fetch_add(1);
            return std::make_unique<TWorker>(*this, std::move(aStart));
        };
    }

private:
    class TWorker : public IRunWorker {
    public:
        TWorker(TThreadWorkers& aOwner, TWorkerStart aStart)
            : FThread([this, &aOwner, start = std::move(aStart)]() mutable {
                  aOwner.Body(start);
                  FDone = true;
              })
        {
        }
        ~TWorker() override { FThread.join(); }
        bool Finished() const override { return FDone.load(); }

    private:
        std::atomic<bool> FDone{false};
        std::thread FThread;
    };

    void Body(TWorkerStart& aStart)
    {
        const int alive = Alive.fetch_add(1) + 1;
        int seen = MaxAlive.load();
        while (alive > seen && !MaxAlive.compare_exchange_weak(seen, alive)) {
        }
        TRunState& state = *aStart.State;
        TURLTaskInfo& task = *aStart.Task;
        PostLogMessage(QStringLiteral("URL %1: start").arg(task.Num));

        TURLTaskInfoPool* pool = state.TaskPool.load();
        TDateTime at = 0;
        if (!pool)
            Faults.fetch_add(1);
        else if (pool->GetNextRequestTime(at))
            pool->RegisterLastRequest(0);
        PostNextTask();  // the request goes out

        thread_local std::mt19937 random{std::random_device{}()};
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        while (HoldUntilCancelled && !state.AbortRequested.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

        if (state.AbortRequested.load()) {
            task.TaskResults->TaskResult = trAborted;
        } else {
            task.TaskResults->TaskResult = trOk;
            auto item = std::make_unique<TScrapRuleResult>();
            item->RuleNum = 1;
            item->RuleResult = std::make_unique<TSRStringList>();
            for (int i = 0; i < task.Num % 3; ++i)
                item->RuleResult->Append(QStringLiteral("v%1.%2").arg(task.Num).arg(i));
            task.TaskResults->RulesResult.Add(std::move(item));
        }
        Alive.fetch_sub(1);
        PostTaskFinished(std::move(aStart.Task));
        PostNextTask();
        Ended.fetch_add(1);
    }
};

class EngineRunControllerThreads : public ::testing::Test {
protected:
    EngineRunControllerThreads()
    {
        View.Current.MaxThreads = 4;
        View.Current.RequestDelay = 0;
        Rules = RulesNamed({"Value"});
    }

    TURLTaskInfoList URLs;
    std::unique_ptr<TScrapRuleSet> Rules;
    TFakeRunView View;
    TRecordingDialogs Dialogs;
    TThreadWorkers Workers;
    std::unique_ptr<TRunController> Controller;
};

}  // namespace

TEST_F(EngineRunControllerThreads, WholeRunStaysWithinTheThreadLimit)
{
    FillURLs(URLs, 40);
    Controller = std::make_unique<TRunController>(URLs, [this] { return Rules.get(); }, View,
                                                  Dialogs, Workers.Launcher());
    ASSERT_TRUE(Controller->Run(TRunMode::rmAllURLs));
    ASSERT_TRUE(PumpUntil([this] { return !Controller->IsRunning(); }));

    EXPECT_EQ(Workers.Started.load(), 40);
    EXPECT_LE(Workers.MaxAlive.load(), 4);
    EXPECT_GE(Workers.MaxAlive.load(), 1);
    EXPECT_EQ(Workers.Faults.load(), 0);
    EXPECT_EQ(Controller->State().ActiveThreadCount.load(), 0);
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{40, 40}));
    EXPECT_EQ(Controller->ResultColumnCaptions(), (QStringList{"Value #1", "Value #2"}));
    for (int num = 1; num <= 40; ++num) {
        const TURLTaskResults* results = URLs.GetByNum(num)->TaskResults.get();
        ASSERT_NE(results, nullptr) << num;
        EXPECT_EQ(results->TaskResult, trOk);
        EXPECT_EQ(results->CellTextList.size(), 2);
    }
}

// Closing the window mid-run: the controller cancels and waits for every
// worker thread before the pool and the run state go.
TEST_F(EngineRunControllerThreads, DestroyedDuringARunWaitsForEveryWorker)
{
    FillURLs(URLs, 20);
    Workers.HoldUntilCancelled = true;
    Controller = std::make_unique<TRunController>(URLs, [this] { return Rules.get(); }, View,
                                                  Dialogs, Workers.Launcher());
    ASSERT_TRUE(Controller->Run(TRunMode::rmAllURLs));
    ASSERT_TRUE(PumpUntil([this] { return Workers.Started.load() == 4; }));

    Controller.reset();
    EXPECT_EQ(Workers.Ended.load(), 4);
    EXPECT_EQ(Workers.Faults.load(), 0);
    EXPECT_EQ(MessageReceiver(), nullptr);
    QCoreApplication::sendPostedEvents();  // the queued finished tasks are gone already
    for (int num = 1; num <= 20; ++num)
        EXPECT_EQ(URLs.GetByNum(num)->TaskResults, nullptr);
}

TEST_F(EngineRunControllerThreads, CancelledRunEndsOnceEveryWorkerHasReported)
{
    FillURLs(URLs, 20);
    Workers.HoldUntilCancelled = true;
    Controller = std::make_unique<TRunController>(URLs, [this] { return Rules.get(); }, View,
                                                  Dialogs, Workers.Launcher());
    ASSERT_TRUE(Controller->Run(TRunMode::rmAllURLs));
    ASSERT_TRUE(PumpUntil([this] { return Workers.Started.load() == 4; }));
    Controller->Cancel();
    ASSERT_TRUE(PumpUntil([this] { return !Controller->IsRunning(); }));
    EXPECT_EQ(Workers.Started.load(), 4);
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{4, 20}));
    EXPECT_FALSE(View.ExportEnabled.has_value());
    Controller->WaitForWorkers();
    EXPECT_EQ(Workers.Ended.load(), 4);
}

// The real page worker against a loopback server: the default launcher leaves
// the count to the controller, pages land in their entries, columns are built.
TEST_F(EngineRunControllerThreads, RealWorkersFetchAndAnalysePages)
{
    TTestHttpServer server;
    server.Respond("/1", 200, "<html><body><b>one</b> <b>two</b></body></html>");
    server.Respond("/2", 404, "gone");
    server.Respond("/3", 200, "<html><body><b>three</b></body></html>");
    ASSERT_TRUE(server.Start());
    for (int num = 1; num <= 3; ++num)
        URLs.Add(std::make_unique<TURLTaskInfo>(
            QString::fromStdString(server.Url("/" + std::to_string(num))), num));
    Rules = RulesNamed({"Bold"});
    Rules->Rule(0)->QueryType = qtRegEx;
    Rules->Rule(0)->Query = QStringLiteral("<b>\\w+</b>");
    Rules->Rule(0)->ExtractType = etAnyPart;
    View.Current.RequestDelay = 20;
    View.Current.UserAgent = QStringLiteral("TestAgent/1.0");

    Controller = std::make_unique<TRunController>(URLs, [this] { return Rules.get(); }, View, Dialogs);
    ASSERT_TRUE(Controller->Run(TRunMode::rmAllURLs));
    ASSERT_TRUE(PumpUntil([this] { return !Controller->IsRunning(); }));

    EXPECT_EQ(Controller->State().ActiveThreadCount.load(), 0);
    EXPECT_EQ(Controller->ResultColumnCaptions(), (QStringList{"Bold #1", "Bold #2"}));
    const TURLTaskResults* first = URLs.GetByNum(1)->TaskResults.get();
    const TURLTaskResults* second = URLs.GetByNum(2)->TaskResults.get();
    const TURLTaskResults* third = URLs.GetByNum(3)->TaskResults.get();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->TaskResult, trOk);
    EXPECT_EQ(first->CellTextList, (QStringList{"<b>one</b>", "<b>two</b>"}));
    EXPECT_EQ(second->TaskResult, trHTTPError);
    EXPECT_EQ(second->ErrorText(), QStringLiteral("404"));
    EXPECT_EQ(third->CellTextList, (QStringList{"<b>three</b>", ""}));
    EXPECT_EQ(View.ExportEnabled, std::optional<bool>(true));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& request : requests)
        EXPECT_EQ(request.Header("User-Agent"), "TestAgent/1.0");
    EXPECT_TRUE(View.Logged(QStringLiteral("URL 2: получение страницы")));
}
