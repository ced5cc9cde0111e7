#pragma once
// Small builders shared by the URL-list and report tests.

#include "core/RunModel.h"
#include "core/UrlListView.h"

#include <QStringList>
#include <initializer_list>
#include <memory>
#include <vector>

// Records the log lines and the progress an import shows in its window.
struct RecordingListView : IUrlListView {
    QStringList log;
    int progressMaximum = -1, progressSteps = 0;  // the steps: the last position shown
    bool progressHidden = false;
    void AddToLog(const QString& t, TDateTime) override { log << t; }
    void SetProgress(int position, int maximum) override
    {
        progressSteps = position;
        progressMaximum = maximum;
    }
    void HideProgress() override { progressHidden = true; }
};

// Gives an entry a finished result: outcome, code and per-rule values.
inline void SetResult(TURLTaskInfo& entry, TURLTaskResult outcome, int errorCode = 0,
                      std::initializer_list<QStringList> ruleValues = {},
                      QStringList cells = {})
{
    entry.InitResults();
    entry.TaskResults->TaskResult = outcome;
    entry.TaskResults->ErrorCode = errorCode;
    int ruleNum = 0;
    for (const QStringList& values : ruleValues) {
        auto item = std::make_unique<TScrapRuleResult>();
        item->RuleNum = ++ruleNum;
        item->RuleResult = std::make_unique<TSRStringList>();
        for (const QString& v : values)
            item->RuleResult->AddResult(v, false);
        entry.TaskResults->RulesResult.Add(std::move(item));
    }
    entry.TaskResults->CellTextList = cells;
}

inline std::vector<int> Nums(const TURLTaskInfoList& list)
{
    std::vector<int> nums;
    for (int i = 0; i < list.Count(); ++i)
        nums.push_back(list.At(i)->Num);
    return nums;
}
