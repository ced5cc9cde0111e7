#include "ui/model/QueryCheckQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

// A check that waits until the test opens the gate, and records what it saw.
struct TGatedCheck {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Open = true;
    QStringList Seen;

    bool operator()(const QString& aQuery)
    {
        std::unique_lock<std::mutex> lock(Lock);
        Seen << aQuery;
        Changed.notify_all();
        Changed.wait(lock, [&] { return Open; });
        return aQuery.endsWith(u'!');
    }
    void Close()
    {
        std::lock_guard<std::mutex> lock(Lock);
        Open = false;
    }
    void Release()
    {
        {
            std::lock_guard<std::mutex> lock(Lock);
            Open = true;
        }
        Changed.notify_all();
    }
    void WaitSeen(int aCount)
    {
        std::unique_lock<std::mutex> lock(Lock);
        Changed.wait(lock, [&] { return Seen.size() >= aCount; });
    }
};

bool WaitUntil(const std::function<bool()>& aDone)
{
    QElapsedTimer timer;
    timer.start();
    while (!aDone() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return aDone();
}

}  // namespace

TEST(QueryCheckQueue, AnIdleQueueAnswersAtOnce)
{
    TGatedCheck gate;
    TQueryCheckQueue queue([&](const QString& q, TScrapQueryType) { return gate(q); });
    QObject context;
    int late = 0;
    const int client = queue.NewClient();
    EXPECT_EQ(queue.Check(client, "ok!", qtXQuery, 2000, &context, [&](bool) { ++late; }), true);
    EXPECT_EQ(queue.Check(client, "bad", qtXQuery, 2000, &context, [&](bool) { ++late; }), false);
    QCoreApplication::processEvents();
    EXPECT_EQ(late, 0);  // an answer given at once does not come again
}

TEST(QueryCheckQueue, WhileBusyTheNewestTextOfAClientWins)
{
    TGatedCheck gate;
    TQueryCheckQueue queue([&](const QString& q, TScrapQueryType) { return gate(q); });
    QObject context;
    const int typing = queue.NewClient();
    const int other = queue.NewClient();
    QStringList answers;
    const auto record = [&](const QString& aLabel) {
        return [&answers, aLabel](bool aValid) { answers << aLabel + (aValid ? "=valid" : "=invalid"); };
    };

    gate.Close();
    EXPECT_FALSE(queue.Check(typing, "s", qtXQuery, 0, &context, record("s")).has_value());
    gate.WaitSeen(1);  // the first check is running and blocked
    // typing goes on while the check hangs: none of these waits
    EXPECT_FALSE(queue.Check(typing, "sl", qtXQuery, 50, &context, record("sl")).has_value());
    EXPECT_FALSE(queue.Check(other, "x!", qtXPath, 50, &context, record("x")).has_value());
    EXPECT_FALSE(queue.Check(typing, "slow!", qtXQuery, 50, &context, record("slow")).has_value());
    EXPECT_FALSE(queue.Idle());
    gate.Release();

    ASSERT_TRUE(WaitUntil([&] { return answers.size() == 2 && queue.Idle(); }));
    QCoreApplication::processEvents();
    // "s" ran but was outdated; "sl" never ran
    EXPECT_EQ(answers, (QStringList{"x=valid", "slow=valid"}));
    EXPECT_EQ(gate.Seen, (QStringList{"s", "x!", "slow!"}));
}

TEST(QueryCheckQueue, AForgottenClientGetsNoAnswerAndAGoneContextIsSafe)
{
    TGatedCheck gate;
    TQueryCheckQueue queue([&](const QString& q, TScrapQueryType) { return gate(q); });
    int answers = 0;
    const int client = queue.NewClient();
    auto context = std::make_unique<QObject>();
    gate.Close();
    queue.Check(client, "a!", qtXQuery, 0, context.get(), [&](bool) { ++answers; });
    gate.WaitSeen(1);
    queue.Forget(client);
    const int second = queue.NewClient();
    queue.Check(second, "b!", qtXQuery, 0, context.get(), [&](bool) { ++answers; });
    context.reset();  // a panel freed while its check runs
    gate.Release();
    ASSERT_TRUE(WaitUntil([&] { return queue.Idle(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(answers, 0);
}

TEST(QueryCheckQueue, FreeingTheQueueWithWorkWaitingDoesNotHang)
{
    TGatedCheck gate;
    QObject context;
    int answers = 0;
    {
        TQueryCheckQueue queue([&](const QString& q, TScrapQueryType) { return gate(q); });
        gate.Close();
        const int client = queue.NewClient();
        queue.Check(client, "a", qtXQuery, 0, &context, [&](bool) { ++answers; });
        queue.Check(queue.NewClient(), "b", qtXQuery, 0, &context, [&](bool) { ++answers; });
        gate.WaitSeen(1);
        gate.Release();
    }
    QCoreApplication::processEvents();  // an answer posted before the end finds no queue
    EXPECT_LE(answers, 1);
}

TEST(QueryCheckQueue, TheRealChecksRunOnTheQueueThread)
{
    TQueryCheckQueue queue;
    QObject context;
    std::optional<bool> answer;
    const auto keep = [&](bool aValid) { answer = aValid; };
    const int client = queue.NewClient();
    // the first XQuery check starts the script engine: give it time
    std::optional<bool> now = queue.Check(client, "for $a in //a return string($a)", qtXQuery, 0, &context, keep);
    ASSERT_TRUE(WaitUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);
    now = queue.Check(client, "for $a in", qtXQuery, 5000, &context, keep);
    ASSERT_TRUE(now.has_value());
    EXPECT_FALSE(*now);
    now = queue.Check(client, "//a[lower-case(@id) = 'x']", qtXPath, 5000, &context, keep);
    ASSERT_TRUE(now.has_value());
    EXPECT_TRUE(*now);
}

// A held queue checks nothing (no script engine starts for a page nobody has
// seen); released, it answers the newest text of each client.
TEST(QueryCheckQueue, AHeldQueueChecksNothingUntilReleased)
{
    TGatedCheck gate;
    TQueryCheckQueue queue([&](const QString& q, TScrapQueryType) { return gate(q); });
    queue.Hold(true);
    QObject context;
    std::vector<bool> answers;
    const int client = queue.NewClient();
    EXPECT_FALSE(queue.Check(client, "first", qtXQuery, 50, &context, [&](bool v) { answers.push_back(v); }));
    EXPECT_FALSE(queue.Check(client, "newest!", qtXQuery, 50, &context, [&](bool v) { answers.push_back(v); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(gate.Seen.isEmpty());
    EXPECT_FALSE(queue.Idle());

    queue.Hold(false);
    ASSERT_TRUE(WaitUntil([&] { return !answers.empty() && queue.Idle(); }));
    EXPECT_EQ(gate.Seen, QStringList{"newest!"});
    EXPECT_EQ(answers, std::vector<bool>{true});
}
