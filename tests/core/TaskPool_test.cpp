// The task pool: order of the tasks, pacing of the request start times, freeing.

#include "core/RunModel.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

namespace {

constexpr int Delay = 1500;

// 12:00:00.000 local time on some day.
TDateTime Noon()
{
    return QDateTime(QDate(2026, 3, 14), QTime(12, 0)).toMSecsSinceEpoch();
}

std::unique_ptr<TURLTaskInfo> TaskFor(int aNum)
{
    const TURLTaskInfo entry(QStringLiteral("http://example.com/%1").arg(aNum), aNum);
    auto rules = std::make_unique<TScrapRuleSet>();
    rules->Add(std::make_unique<TScrapRule>());
    return std::make_unique<TURLTaskInfo>(entry, std::move(rules));
}

}  // namespace

// ---- PickTask ----

struct TPickCase {
    const char* Name;
    std::vector<int> Added;
    std::vector<int> Picked;  // then PickTask gives false
};

class CoreRunPoolPick : public ::testing::TestWithParam<TPickCase> {};

TEST_P(CoreRunPoolPick, HandsOutFromTheEndThenNone)
{
    TManualClock clock(Noon());
    TURLTaskInfoPool pool(Delay, clock);
    for (int num : GetParam().Added)
        pool.Add(TaskFor(num));

    std::vector<int> picked;
    std::unique_ptr<TURLTaskInfo> task;
    while (pool.PickTask(task)) {
        ASSERT_NE(task, nullptr);
        EXPECT_NE(task->Rules, nullptr);  // the task travels with its rule set
        picked.push_back(task->Num);
    }
    EXPECT_EQ(picked, GetParam().Picked);
    EXPECT_EQ(task, nullptr);  // a failed pick leaves none, even after a task
    EXPECT_EQ(pool.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CoreRunPoolPick, ::testing::Values(
    TPickCase{"ListWalkedBackwards", {3, 2, 1}, {1, 2, 3}},
    TPickCase{"Empty", {}, {}},
    TPickCase{"Single", {5}, {5}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(CoreRunPool, PickOnEmptyPoolClearsWhatTheCallerHeld)
{
    TURLTaskInfoPool pool(Delay);
    auto task = TaskFor(1);
    EXPECT_FALSE(pool.PickTask(task));
    EXPECT_EQ(task, nullptr);
}

// ---- pacing ----

// One step of a pacing scenario: move the clock, take a start time, or register one.
struct TPacingStep {
    enum TOp { Advance, Get, Register } Op;
    qint64 Arg = 0;        // Advance: ms; Register: offset from noon, or Now for 0
    bool ExpectOk = true;  // Get only
    qint64 Expect = 0;     // Get only: offset from noon of the time handed out
};

constexpr qint64 Now = LLONG_MIN;  // Register(0): "the current time"
constexpr qint64 Untouched = LLONG_MAX;

struct TPacingCase {
    const char* Name;
    std::vector<TPacingStep> Steps;
};

class CoreRunPoolPacing : public ::testing::TestWithParam<TPacingCase> {};

TEST_P(CoreRunPoolPacing, HandsOutStartTimes)
{
    TManualClock clock(Noon());
    TURLTaskInfoPool pool(Delay, clock);  // created at noon
    int stepNo = 0;
    for (const TPacingStep& step : GetParam().Steps) {
        ++stepNo;
        switch (step.Op) {
        case TPacingStep::Advance:
            clock.Advance(step.Arg);
            break;
        case TPacingStep::Register:
            pool.RegisterLastRequest(step.Arg == Now ? 0 : Noon() + step.Arg);
            break;
        case TPacingStep::Get: {
            const TDateTime sentinel = 4242;
            TDateTime dt = sentinel;
            EXPECT_EQ(pool.GetNextRequestTime(dt), step.ExpectOk) << "step " << stepNo;
            if (step.Expect == Untouched)
                EXPECT_EQ(dt, sentinel) << "step " << stepNo;
            else
                EXPECT_EQ(dt - Noon(), step.Expect) << "step " << stepNo;
            break;
        }
        }
    }
}

using S = TPacingStep;
INSTANTIATE_TEST_SUITE_P(Scenarios, CoreRunPoolPacing, ::testing::Values(
    TPacingCase{"NewPoolHandsOutItsCreationTime",
        {{S::Advance, 5000}, {S::Get, 0, true, 0}}},
    TPacingCase{"SecondTakeWithoutRegisterIsRefused",
        {{S::Get, 0, true, 0}, {S::Get, 0, false, Untouched}, {S::Get, 0, false, Untouched}}},
    TPacingCase{"RegisterZeroMeansNow",  // 12:00:00.000 + 1500 -> 12:00:01.500
        {{S::Get, 0, true, 0}, {S::Register, Now}, {S::Get, 0, true, 1500}}},
    TPacingCase{"RegisterZeroLaterOn",
        {{S::Get, 0, true, 0}, {S::Advance, 3210}, {S::Register, Now}, {S::Get, 0, true, 4710}}},
    TPacingCase{"RegisterGivenTime",
        {{S::Register, 10000}, {S::Get, 0, true, 11500}}},
    TPacingCase{"LaterRegistrationReplacesEarlier",
        {{S::Register, 10000}, {S::Register, 200}, {S::Get, 0, true, 1700}}},
    // A worker takes T, registers T + 20 at once, waits, and registers 0 when it
    // sends; the next worker gets the sending time plus the delay.
    TPacingCase{"OneWorker",
        {{S::Get, 0, true, 0}, {S::Register, 20}, {S::Advance, 21}, {S::Register, Now},
         {S::Get, 0, true, 1521}}},
    // B takes A's T + 20 + delay and registers its own T + 20 before A sends:
    // A's sending must not bring the next start back before B's promise, or a
    // third worker would send close to B.
    TPacingCase{"SendingNeverBringsTheNextStartForward",
        {{S::Get, 0, true, 0}, {S::Register, 20},      // A
         {S::Get, 0, true, 1520}, {S::Register, 1540}, // B
         {S::Advance, 25}, {S::Register, Now},         // A sends at +25
         {S::Get, 0, true, 3040}}},                    // C: a delay after B
    // A sending late still moves the next start on from its sending time.
    TPacingCase{"LateSendingMovesTheNextStartOn",
        {{S::Get, 0, true, 0}, {S::Register, 20}, {S::Advance, 4000}, {S::Register, Now},
         {S::Get, 0, true, 5500}}},
    // Between B's taking and B's registration A's sending frees a start time,
    // never one before a delay after A's sending.
    TPacingCase{"WorkerBetweenAnothersRegistrations",
        {{S::Get, 0, true, 0}, {S::Register, 20},      // A
         {S::Get, 0, true, 1520},                      // B
         {S::Get, 0, false, Untouched},                // C refused while B holds it
         {S::Advance, 25}, {S::Register, Now},         // A sends at +25
         {S::Get, 0, true, 1525}}}),                   // C
    [](const auto& info) { return std::string(info.param.Name); });

TEST(CoreRunPool, KeepsDelayAndClock)
{
    TManualClock clock(Noon());
    TURLTaskInfoPool pool(2500, clock);
    EXPECT_EQ(pool.RequestDelay(), 2500);
    EXPECT_EQ(&pool.Clock(), &clock);
}

TEST(CoreRunPool, SystemClockPoolStartsAtItsCreation)
{
    const TDateTime before = TClock::System().Now();
    TURLTaskInfoPool pool(Delay);
    const TDateTime after = TClock::System().Now();
    TDateTime dt = 0;
    ASSERT_TRUE(pool.GetNextRequestTime(dt));
    EXPECT_GE(dt, before);
    EXPECT_LE(dt, after);
}

// ---- freeing ----

TEST(CoreRunPool, ClearTasksFreesTasksAndLeavesEntriesAlone)
{
    TURLTaskInfoList entries;
    for (int num = 1; num <= 3; ++num) {
        TURLTaskInfo* entry = entries.Add(
            std::make_unique<TURLTaskInfo>(QStringLiteral("http://e/%1").arg(num), num));
        entry->InitResults();
        entry->TaskResults->TaskResult = trOk;
    }

    TURLTaskInfoPool pool(Delay);
    for (int i = entries.Count() - 1; i >= 0; --i) {
        auto task = std::make_unique<TURLTaskInfo>(*entries.At(i), std::make_unique<TScrapRuleSet>());
        task->InitResults();  // as a worker would have it
        pool.Add(std::move(task));
    }
    pool.Add(nullptr);  // refused
    EXPECT_EQ(pool.Count(), 3);

    pool.ClearTasks();  // the sanitizer build proves the tasks are freed
    EXPECT_EQ(pool.Count(), 0);
    std::unique_ptr<TURLTaskInfo> task;
    EXPECT_FALSE(pool.PickTask(task));
    for (int i = 0; i < entries.Count(); ++i) {
        ASSERT_NE(entries.At(i)->TaskResults, nullptr);
        EXPECT_EQ(entries.At(i)->TaskResults->TaskResult, trOk);
    }

    pool.Add(TaskFor(9));  // still usable; the destructor frees what is left
}

// ---- threads ----

// Workers pace themselves while the main thread picks tasks; the free start time
// must go to one worker at a time, and every task leaves the pool exactly once.
TEST(CoreRunPool, StartTimeGoesToOneWorkerAtATime)
{
    TManualClock clock(Noon());
    TURLTaskInfoPool pool(Delay, clock);
    constexpr int TaskCount = 200;
    for (int num = TaskCount; num >= 1; --num)
        pool.Add(TaskFor(num));

    std::atomic<int> holders{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> taken{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([&] {
            for (int round = 0; round < 500; ++round) {
                TDateTime t = 0;
                if (!pool.GetNextRequestTime(t)) {
                    std::this_thread::yield();
                    continue;
                }
                if (holders.fetch_add(1) != 0)
                    overlaps.fetch_add(1);
                taken.fetch_add(1);
                holders.fetch_sub(1);
                pool.RegisterLastRequest(round % 2 ? 0 : t + 20);
            }
        });

    std::vector<int> picked;
    std::unique_ptr<TURLTaskInfo> task;
    while (pool.PickTask(task))
        picked.push_back(task->Num);
    for (auto& worker : workers)
        worker.join();

    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(taken.load(), 0);
    ASSERT_EQ(int(picked.size()), TaskCount);
    for (int i = 0; i < TaskCount; ++i)
        EXPECT_EQ(picked[size_t(i)], i + 1);
}
