#pragma once
// A recording window and scripted workers for the run controller's tests.

#include "RecordingDialogs.h"
#include "engine/RunController.h"
#include "proxies/Proxies.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

struct TLogLine {
    QString Text;
    TDateTime Time = 0;
};

class TFakeRunView : public IRunView {
public:
    TRunSettings Current;
    bool RulesValid = true;
    std::vector<int> Selected;
    TProxy Proxy;
    int RandomProxyCalls = 0;

    std::vector<bool> RunStates;   // every RunStateChanged, in order
    std::pair<int, int> LastProgress{-1, -1};
    std::vector<TLogLine> Log;
    std::optional<bool> ProgressHidden;
    std::optional<bool> CancelEnabled;
    std::optional<bool> ExportEnabled;
    int RemoveColumnsCalls = 0;
    std::vector<QStringList> ColumnSets;  // every SetResultColumns
    int ResultsChangedCalls = 0;
    std::vector<int> ResultsChangedNums;  // every ResultsChanged, in order
    int RemoveWithoutResultsCalls = 0;
    std::vector<std::pair<int, void*>> Others;
    // Whether every listed entry held results when the run was reported idle.
    std::function<void()> OnIdle;

    TRunSettings Settings() const override { return Current; }
    bool CheckRulesValid() override { return RulesValid; }
    std::vector<int> GetSelectedNums() const override { return Selected; }
    const TProxy* RandomProxy() const override
    {
        ++const_cast<TFakeRunView*>(this)->RandomProxyCalls;
        return &Proxy;
    }

    void RunStateChanged(bool bRunning) override
    {
        RunStates.push_back(bRunning);
        if (!bRunning && OnIdle)
            OnIdle();
    }
    void SetProgress(int aPosition, int aMaximum) override
    {
        LastProgress = {aPosition, aMaximum};
        ProgressHidden = false;
    }
    void HideProgress() override { ProgressHidden = true; }
    void SetCancelEnabled(bool bEnabled) override { CancelEnabled = bEnabled; }
    void SetExportEnabled(bool bEnabled) override { ExportEnabled = bEnabled; }
    void RemoveResultColumns() override { ++RemoveColumnsCalls; }
    void SetResultColumns(const QStringList& aCaptions) override { ColumnSets.push_back(aCaptions); }
    void ResultsChanged(int aNum) override
    {
        ++ResultsChangedCalls;
        ResultsChangedNums.push_back(aNum);
    }
    void RemoveURLsWithoutResults() override { ++RemoveWithoutResultsCalls; }
    void AddToLog(const QString& aText, TDateTime aTime) override { Log.push_back({aText, aTime}); }
    void OtherMessage(int aCode, void* aParam) override { Others.emplace_back(aCode, aParam); }

    bool Logged(const QString& aText) const
    {
        for (const auto& line : Log)
            if (line.Text == aText)
                return true;
        return false;
    }
};

// Values a scripted page gives per rule number; a rule without a key gives no list.
using TPageValues = std::map<int, QStringList>;

// Workers without threads: the launcher keeps each task, and the test plays
// the worker's messages in whatever order it needs.
class TScriptedWorkers {
public:
    struct TLaunch {
        int Num = 0;
        QString UserAgent;
        const TProxy* Proxy = nullptr;
        bool UniqueResults = false;
    };
    std::vector<TLaunch> Launches;
    bool FailNext = false;

    TWorkerLauncher Launcher()
    {
        return [this](TWorkerStart aStart) -> std::unique_ptr<IRunWorker> {
            if (FailNext) {
                FailNext = false;
                return nullptr;
            }
            Launches.push_back({aStart.Task->Num, aStart.UserAgent, aStart.Proxy, aStart.UniqueResults});
            aStart.State->ActiveThreadCount.fetch_add(1);
            FState = aStart.State;
            FTasks[aStart.Task->Num] = std::move(aStart.Task);
            return std::make_unique<TDone>();
        };
    }

    std::vector<int> LaunchedNums() const
    {
        std::vector<int> nums;
        for (const auto& launch : Launches)
            nums.push_back(launch.Num);
        return nums;
    }
    int Held() const { return int(FTasks.size()); }

    // The worker's request goes out.
    static void RequestSent() { PostNextTask(); }

    // The worker ends: outcome, values, then its two last messages.
    void Finish(int aNum, TURLTaskResult aResult, int aErrorCode = 0, const TPageValues& aValues = {})
    {
        auto it = FTasks.find(aNum);
        ASSERT_NE(it, FTasks.end()) << "no running task " << aNum;
        std::unique_ptr<TURLTaskInfo> task = std::move(it->second);
        FTasks.erase(it);
        ASSERT_NE(task->TaskResults, nullptr);
        task->TaskResults->TaskResult = aResult;
        task->TaskResults->ErrorCode = aErrorCode;
        for (const auto& [ruleNum, values] : aValues) {
            auto item = std::make_unique<TScrapRuleResult>();
            item->RuleNum = ruleNum;
            item->RuleResult = std::make_unique<TSRStringList>();
            for (const QString& value : values)
                item->RuleResult->Append(value);
            task->TaskResults->RulesResult.Add(std::move(item));
        }
        PostTaskFinished(std::move(task));
        PostNextTask();
    }

    // A cancelled worker ends as aborted.
    void Abort(int aNum) { Finish(aNum, trAborted); }

private:
    struct TDone : IRunWorker {
        bool Finished() const override { return true; }
    };
    std::map<int, std::unique_ptr<TURLTaskInfo>> FTasks;
    TRunState* FState = nullptr;
};

// Delivers every queued message, also those posted while handling others (Qt
// leaves those for its next round).
inline void Deliver()
{
    for (int round = 0; round < 4; ++round)
        QCoreApplication::sendPostedEvents();
}

inline std::unique_ptr<TScrapRuleSet> RulesNamed(std::initializer_list<const char*> aNames)
{
    auto set = std::make_unique<TScrapRuleSet>();
    set->Name = QStringLiteral("Main");
    for (const char* name : aNames) {
        auto rule = std::make_unique<TScrapRule>();
        rule->Name = QString::fromUtf8(name);
        rule->Query = QStringLiteral("//x");
        set->Add(std::move(rule));
    }
    return set;
}

inline void FillURLs(TURLTaskInfoList& aList, int aCount)
{
    for (int num = 1; num <= aCount; ++num)
        aList.Add(std::make_unique<TURLTaskInfo>(QStringLiteral("http://site.test/%1").arg(num), num));
}
