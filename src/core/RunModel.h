#pragma once
// URL entries and tasks of a run, their outcomes and result lists, and the
// task pool that hands tasks to the workers and spaces their requests.

#include "Clock.h"
#include "ScrapRules.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <vector>

enum TURLTaskResult : unsigned char {
    trUndefined, trOk, trAborted, trSendError, trParseError,
    trUnknownResponse, trNotHTML, trHTTPError, trSearchError
};

class TScrapRuleResult {
public:
    int RuleNum = 0;                          // 1-based position of the rule
    std::unique_ptr<TSRStringList> RuleResult;  // none when created
};

class TScrapRulesResult {
public:
    int TotalCount = 0;

    // Appends the item and adds the count of its list to TotalCount.
    void Add(std::unique_ptr<TScrapRuleResult> aItem);
    int Count() const { return int(FItems.size()); }
    TScrapRuleResult* Item(int Index) const { return FItems.at(size_t(Index)).get(); }
    TSRStringList* GetByRuleNum(int aRuleNum) const;  // first item with that number
    int CountForRuleNum(int aRuleNum) const;

private:
    std::vector<std::unique_ptr<TScrapRuleResult>> FItems;
};

class TURLTaskResults {
public:
    TURLTaskResult TaskResult = trUndefined;
    int ErrorCode = 0;
    TScrapRulesResult RulesResult;
    QStringList CellTextList;  // one text per result column, filled at the end of a run

    QString ErrorText() const;  // the response-code column's text
};

// A URL entry of the list, or a task of a run (then it carries its own rule set).
class TURLTaskInfo {
public:
    TURLTaskInfo(const QString& sURL, int iNum);  // a URL entry
    TURLTaskInfo(const TURLTaskInfo& aFrom, std::unique_ptr<TScrapRuleSet> aRules);  // a task
    TURLTaskInfo(const TURLTaskInfo&) = delete;
    TURLTaskInfo& operator=(const TURLTaskInfo&) = delete;

    QString URL;
    int Num = 0;
    std::unique_ptr<TScrapRuleSet> Rules;
    std::unique_ptr<TURLTaskResults> TaskResults;

    void InitResults();  // a new, empty results record
    void FreeResults();
};

// The URL list; owns its entries. URLExists answers from an index of the
// ASCII-folded addresses kept in step with the list, so the URL of an entry
// must not be changed while it is listed (the import sets it once).
class TURLTaskInfoList {
public:
    int Count() const { return int(FItems.size()); }
    TURLTaskInfo* At(int Index) const { return FItems.at(size_t(Index)).get(); }
    TURLTaskInfo* Add(std::unique_ptr<TURLTaskInfo> aItem);  // none is refused
    void Delete(int Index);  // removes and frees; an index out of range does nothing
    void Clear();            // frees every entry

    bool URLExists(const QString& sURL) const;  // ASCII letters folded only
    TURLTaskInfo* GetByNum(int aNum) const;
    void FreeResults();

    // Removes and frees every entry whose Num is in aNums (order of the rest kept).
    void DeleteNums(const std::vector<int>& aNums);
    void Renumber();  // Num := 1..Count in list order

private:
    void IndexAdd(const QString& sURL);
    void IndexRemove(const QString& sURL);

    std::vector<std::unique_ptr<TURLTaskInfo>> FItems;
    QHash<QString, int> FFoldedURLs;  // ASCII-folded URL -> number of entries with it
};

// The pool of one run. Every operation takes the one lock; none waits or calls
// out while holding it (tasks are freed after the lock is released).

class TURLTaskInfoPool {
public:
    explicit TURLTaskInfoPool(int aDelay, const TClock& aClock = TClock::System());
    ~TURLTaskInfoPool();
    TURLTaskInfoPool(const TURLTaskInfoPool&) = delete;
    TURLTaskInfoPool& operator=(const TURLTaskInfoPool&) = delete;

    void Add(std::unique_ptr<TURLTaskInfo> aTask);
    bool PickTask(std::unique_ptr<TURLTaskInfo>& TaskInfo);  // from the end; none when empty
    // Takes the free start time (false, aDT untouched, while another worker holds it).
    bool GetNextRequestTime(TDateTime& aDT);
    // The next start time becomes aDT (0 means now) plus the delay, and is free again.
    void RegisterLastRequest(TDateTime aDT);
    void ClearTasks();  // frees every task still held
    int Count() const;
    int RequestDelay() const { return FRequestDelay; }
    const TClock& Clock() const { return FClock; }

private:
    mutable std::mutex FLock;
    std::vector<std::unique_ptr<TURLTaskInfo>> FTasks;
    TDateTime FNextRequestCanRunAt;
    bool FCanRunNextRequest = true;
    const int FRequestDelay;
    const TClock& FClock;
};
