// Messages posted from worker threads to the one receiver on the main thread.

#include "core/Messages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// What the receiver saw of one message.
struct TSeen {
    int Code = 0;
    int TaskNum = -1;  // WM_TASK_FINISHED: the task's Num, -1 without a task
    QString Text;      // WM_LOG_LINE
    TDateTime Time = 0;
    void* Param = nullptr;
    bool OnMainThread = false;
};

class TRecorder : public QObject {
public:
    std::vector<TSeen> Seen;

protected:
    bool event(QEvent* aEvent) override
    {
        const int code = int(aEvent->type());
        if (code <= WM_USER || code > WM_TEST_RULE)
            return QObject::event(aEvent);
        TSeen seen;
        seen.Code = code;
        seen.OnMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        if (auto* finished = dynamic_cast<TTaskFinishedEvent*>(aEvent))
            seen.TaskNum = finished->Task ? finished->Task->Num : -1;
        if (auto* line = dynamic_cast<TLogLineEvent*>(aEvent)) {
            seen.Text = line->Msg->MsgText;
            seen.Time = line->Msg->MsgTime;
        }
        if (auto* plain = dynamic_cast<TPlainMessageEvent*>(aEvent))
            seen.Param = plain->Param;
        Seen.push_back(seen);
        return true;
    }
};

// Installs a recorder for one test and makes sure no receiver outlives it.
class CoreRunMessages : public ::testing::Test {
protected:
    void SetUp() override { SetMessageReceiver(&Recorder); }
    void TearDown() override
    {
        SetMessageReceiver(nullptr);
        QCoreApplication::removePostedEvents(&Recorder);
    }
    void Deliver() { QCoreApplication::sendPostedEvents(&Recorder); }

    TRecorder Recorder;
};

std::unique_ptr<TURLTaskInfo> TaskFor(int aNum)
{
    const TURLTaskInfo entry(QStringLiteral("http://example.com/%1").arg(aNum), aNum);
    auto task = std::make_unique<TURLTaskInfo>(entry, std::make_unique<TScrapRuleSet>());
    task->InitResults();
    return task;
}

}  // namespace

TEST(CoreRunMessageCodes, AreTheWindowMessageNumbers)
{
    EXPECT_EQ(WM_USER, 1024);
    const int codes[] = {WM_TASK_FINISHED, WM_LOG_LINE, WM_NEXT_TASK,
                         WM_DELETE_RULE_PANEL, WM_REBUILD_RULE_PANELS, WM_TEST_RULE};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(codes[i], 1025 + i);
    EXPECT_GT(WM_TASK_FINISHED, int(QEvent::User));  // clear of Qt's own event types
    EXPECT_LT(WM_TEST_RULE, int(QEvent::MaxUser));
}

TEST_F(CoreRunMessages, EachMessageArrivesAsItsEventTypeWithItsPayload)
{
    int panel = 0;
    PostTaskFinished(TaskFor(7));
    PostTaskFinished(nullptr);
    PostLogMessage(QStringLiteral("URL 7: задача начата"));
    PostNextTask();
    PostPlainMessage(WM_DELETE_RULE_PANEL, &panel);
    PostPlainMessage(WM_REBUILD_RULE_PANELS);
    PostPlainMessage(WM_TEST_RULE, &panel);
    EXPECT_TRUE(Recorder.Seen.empty());  // nothing is handled inside the post
    Deliver();

    ASSERT_EQ(Recorder.Seen.size(), 7u);
    EXPECT_EQ(Recorder.Seen[0].Code, WM_TASK_FINISHED);
    EXPECT_EQ(Recorder.Seen[0].TaskNum, 7);
    EXPECT_EQ(Recorder.Seen[1].Code, WM_TASK_FINISHED);
    EXPECT_EQ(Recorder.Seen[1].TaskNum, -1);
    EXPECT_EQ(Recorder.Seen[2].Code, WM_LOG_LINE);
    EXPECT_EQ(Recorder.Seen[2].Text, QStringLiteral("URL 7: задача начата"));
    EXPECT_EQ(Recorder.Seen[3].Code, WM_NEXT_TASK);
    EXPECT_EQ(Recorder.Seen[4].Code, WM_DELETE_RULE_PANEL);
    EXPECT_EQ(Recorder.Seen[4].Param, &panel);
    EXPECT_EQ(Recorder.Seen[5].Code, WM_REBUILD_RULE_PANELS);
    EXPECT_EQ(Recorder.Seen[5].Param, nullptr);
    EXPECT_EQ(Recorder.Seen[6].Code, WM_TEST_RULE);
}

TEST_F(CoreRunMessages, PlainPostRefusesThePayloadCodes)
{
    for (int code : {WM_TASK_FINISHED, WM_LOG_LINE, WM_USER, 0, 2000})
        PostPlainMessage(code);
    Deliver();
    EXPECT_TRUE(Recorder.Seen.empty());
}

TEST_F(CoreRunMessages, LogLineKeepsTheTimeItWasPosted)
{
    const TDateTime posted = QDateTime(QDate(2026, 3, 14), QTime(12, 0, 1)).toMSecsSinceEpoch();
    TManualClock clock(posted);
    PostLogMessage(QStringLiteral("line"), clock);
    clock.Advance(2000);  // handled two seconds later
    Deliver();
    ASSERT_EQ(Recorder.Seen.size(), 1u);
    EXPECT_EQ(Recorder.Seen[0].Time, posted);
    EXPECT_EQ(FormatLogTime(Recorder.Seen[0].Time), QStringLiteral("12:00:01"));

    const TDateTime before = TClock::System().Now();
    PostLogMessage(QStringLiteral("now"));
    Deliver();
    ASSERT_EQ(Recorder.Seen.size(), 2u);
    EXPECT_GE(Recorder.Seen[1].Time, before);
    EXPECT_LE(Recorder.Seen[1].Time, TClock::System().Now());
}

// Several workers post their usual sequence at once: each worker's messages
// arrive in its own order, on the main thread, none lost.
TEST_F(CoreRunMessages, WorkersMessagesArriveInTheirPostingOrder)
{
    constexpr int Workers = 4;
    constexpr int TasksEach = 50;
    std::vector<std::thread> threads;
    for (int w = 0; w < Workers; ++w)
        threads.emplace_back([w] {
            for (int i = 0; i < TasksEach; ++i) {
                const int num = w * 1000 + i;
                PostLogMessage(QString::number(num));
                PostNextTask();            // request sent
                PostTaskFinished(TaskFor(num));
                PostNextTask();            // end
            }
        });
    for (auto& thread : threads)
        thread.join();
    Deliver();

    ASSERT_EQ(Recorder.Seen.size(), size_t(Workers * TasksEach * 4));
    std::vector<int> nextExpected(Workers, 0);
    for (size_t i = 0; i < Recorder.Seen.size(); ++i) {
        const TSeen& seen = Recorder.Seen[i];
        ASSERT_TRUE(seen.OnMainThread);
        if (seen.Code == WM_LOG_LINE) {
            // a worker's log line comes before its own finished task
            const int w = seen.Text.toInt() / 1000;
            EXPECT_EQ(seen.Text.toInt() % 1000, nextExpected[size_t(w)]) << "message " << i;
        } else if (seen.Code == WM_TASK_FINISHED) {
            const int w = seen.TaskNum / 1000;
            EXPECT_EQ(seen.TaskNum % 1000, nextExpected[size_t(w)]) << "message " << i;
            ++nextExpected[size_t(w)];
        } else {
            EXPECT_EQ(seen.Code, WM_NEXT_TASK);
        }
    }
    for (int w = 0; w < Workers; ++w)
        EXPECT_EQ(nextExpected[size_t(w)], TasksEach);
}

// Without a receiver the payload is freed at once; undelivered events are freed
// with their receiver. The leak checker of the sanitizer build proves the frees.
TEST(CoreRunMessageOwnership, NothingLeaksWhenMessagesAreNeverHandled)
{
    SetMessageReceiver(nullptr);
    PostTaskFinished(TaskFor(1));
    PostLogMessage(QStringLiteral("dropped"));
    EXPECT_EQ(MessageReceiver(), nullptr);

    {
        TRecorder doomed;
        SetMessageReceiver(&doomed);
        EXPECT_EQ(MessageReceiver(), &doomed);
        PostTaskFinished(TaskFor(2));
        PostLogMessage(QStringLiteral("queued"));
        PostNextTask();
    }  // destroyed with three events queued
    EXPECT_EQ(MessageReceiver(), nullptr);  // it cleared itself

    TRecorder next;
    SetMessageReceiver(&next);
    PostTaskFinished(TaskFor(3));
    QCoreApplication::sendPostedEvents();
    SetMessageReceiver(nullptr);
    ASSERT_EQ(next.Seen.size(), 1u);  // nothing of the old receiver's queue
    EXPECT_EQ(next.Seen[0].TaskNum, 3);
}

TEST(CoreRunMessageOwnership, ReplacingTheReceiverKeepsTheSelfClearOfTheNewOne)
{
    auto first = std::make_unique<TRecorder>();
    TRecorder second;
    SetMessageReceiver(first.get());
    SetMessageReceiver(&second);
    first.reset();  // no longer the receiver: must not clear the new one
    EXPECT_EQ(MessageReceiver(), &second);
    SetMessageReceiver(nullptr);
}

// Workers keep posting while the main thread clears and destroys receivers:
// every post either reaches a live receiver's queue or is freed.
TEST(CoreRunMessageOwnership, PostingWhileTheReceiverGoesAway)
{
    constexpr int Posters = 3;
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < Posters; ++w)
        threads.emplace_back([&done, w] {
            for (int i = 1; i <= 500; ++i) {
                PostTaskFinished(TaskFor(w * 100000 + i));
                PostLogMessage(QStringLiteral("x"));
                PostNextTask();
            }
            done.fetch_add(1);
        });
    int rounds = 0;
    while (done.load() < Posters || rounds < 10) {
        auto receiver = std::make_unique<TRecorder>();
        SetMessageReceiver(receiver.get());
        std::this_thread::yield();
        if (++rounds % 2)
            SetMessageReceiver(nullptr);  // the orderly way
        receiver.reset();                 // or destroyed while still set
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(MessageReceiver(), nullptr);
}
