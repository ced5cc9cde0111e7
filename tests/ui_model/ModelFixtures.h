#pragma once
// Small builders shared by the URL-list and report tests.

#include "core/RunModel.h"
#include "ui/model/UrlImport.h"

#include <QStringList>
#include <initializer_list>
#include <memory>
#include <vector>

// Records everything an import tells its window.
struct RecordingImportView : IUrlImportView {
    QStringList informations, warnings, log;
    int progressMaximum = -1, progressSteps = 0;
    bool progressHidden = false;
    void ShowInformation(const QString& t) override { informations << t; }
    void ShowWarning(const QString& t) override { warnings << t; }
    void AddToLog(const QString& t) override { log << t; }
    void ShowProgress(int m) override { progressMaximum = m; }
    void AdvanceProgress() override { ++progressSteps; }
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
