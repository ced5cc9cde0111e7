#pragma once
// Runs page workers against the loopback server and collects what they post.

#include "ClosedPort.h"
#include "EventPump.h"
#include "TestHttpServer.h"
#include "core/Messages.h"
#include "core/RunModel.h"
#include "engine/CurlSession.h"
#include "engine/PageWorker.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// Receives the posted messages on the test's (main) thread and, as the run
// controller does, lowers the running count for each finished task.
class TMessageSink : public QObject {
public:
    TRunState* RunState = nullptr;
    std::vector<int> Order;  // message codes in arrival order
    QStringList Logs;
    std::vector<TDateTime> LogTimes;  // when each line was posted
    std::vector<std::unique_ptr<TURLTaskInfo>> Finished;
    int NextTasks = 0;

    bool event(QEvent* e) override
    {
        const int code = int(e->type());
        if (code == WM_LOG_LINE) {
            Order.push_back(code);
            Logs << static_cast<TLogLineEvent*>(e)->Msg->MsgText;
            LogTimes.push_back(static_cast<TLogLineEvent*>(e)->Msg->MsgTime);
            return true;
        }
        if (code == WM_TASK_FINISHED) {
            Order.push_back(code);
            Finished.push_back(std::move(static_cast<TTaskFinishedEvent*>(e)->Task));
            if (RunState)
                RunState->ActiveThreadCount.fetch_sub(1);
            return true;
        }
        if (code == WM_NEXT_TASK) {
            Order.push_back(code);
            ++NextTasks;
            return true;
        }
        return QObject::event(e);
    }
};

inline std::unique_ptr<TScrapRule> RegExRule(const QString& aPattern)
{
    auto rule = std::make_unique<TScrapRule>();
    rule->Name = QStringLiteral("r");
    rule->QueryType = qtRegEx;
    rule->Query = aPattern;
    return rule;
}

inline std::unique_ptr<TURLTaskInfo> MakeTask(const std::string& aUrl, int aNum,
                                              std::unique_ptr<TScrapRuleSet> aRules = nullptr)
{
    const TURLTaskInfo entry(QString::fromStdString(aUrl), aNum);
    if (!aRules)
        aRules = std::make_unique<TScrapRuleSet>();
    auto task = std::make_unique<TURLTaskInfo>(entry, std::move(aRules));
    task->InitResults();  // as the run controller gives it
    return task;
}

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server.Start());
        Sink.RunState = &State;
        SetMessageReceiver(&Sink);
        UsePool(1500);
    }

    void TearDown() override
    {
        State.AbortRequested = true;
        Workers.clear();  // joins
        QCoreApplication::sendPostedEvents();
        SetMessageReceiver(nullptr);
        State.TaskPool = nullptr;
    }

    void UsePool(int aDelay, const TClock& aClock = TClock::System())
    {
        State.TaskPool = nullptr;
        Pool = std::make_unique<TURLTaskInfoPool>(aDelay, aClock);
        State.TaskPool = Pool.get();
    }

    TPageWorker& StartWorker(std::unique_ptr<TURLTaskInfo> aTask, const QString& aUserAgent = {},
                             const TProxy* aProxy = nullptr, TPageWorkerOptions aOptions = {})
    {
        Workers.push_back(std::make_unique<TPageWorker>(std::move(aTask), aUserAgent, aProxy, false,
                                                        State, aOptions));
        Workers.back()->Start();
        return *Workers.back();
    }

    // Waits for aCount finished tasks (and the messages posted after them).
    bool WaitFinished(size_t aCount, int aTimeoutMs = 15000)
    {
        const bool ok = PumpUntil([&] { return Sink.Finished.size() >= aCount; }, aTimeoutMs);
        for (auto& w : Workers)
            w->Join();
        QCoreApplication::sendPostedEvents();
        return ok;
    }

    // One worker for one URL, run to its end.
    TURLTaskInfo& RunOne(const std::string& aUrl, std::unique_ptr<TScrapRuleSet> aRules = nullptr,
                         const TProxy* aProxy = nullptr, TPageWorkerOptions aOptions = {})
    {
        StartWorker(MakeTask(aUrl, 1, std::move(aRules)), {}, aProxy, aOptions);
        EXPECT_TRUE(WaitFinished(1));
        EXPECT_EQ(State.ActiveThreadCount.load(), 0);
        if (Sink.Finished.empty())
            throw std::runtime_error("the worker did not finish");
        return *Sink.Finished.back();
    }

    TTestHttpServer Server;
    TMessageSink Sink;
    TRunState State;
    std::unique_ptr<TURLTaskInfoPool> Pool;
    std::vector<std::unique_ptr<TPageWorker>> Workers;
};
