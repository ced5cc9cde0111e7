#include "core/RunModel.h"

#include "core/TextUtil.h"

#include <algorithm>
#include <unordered_set>

// ---- results ----

void TScrapRulesResult::Add(std::unique_ptr<TScrapRuleResult> aItem)
{
    if (!aItem)
        return;
    if (aItem->RuleResult)
        TotalCount += aItem->RuleResult->Count();
    FItems.push_back(std::move(aItem));
}

TSRStringList* TScrapRulesResult::GetByRuleNum(int aRuleNum) const
{
    for (const auto& item : FItems)
        if (item->RuleNum == aRuleNum)
            return item->RuleResult.get();
    return nullptr;
}

int TScrapRulesResult::CountForRuleNum(int aRuleNum) const
{
    const TSRStringList* list = GetByRuleNum(aRuleNum);
    return list ? list->Count() : 0;
}

QString TURLTaskResults::ErrorText() const
{
    switch (TaskResult) {
    case trSendError: return QStringLiteral("SEND ERROR");
    case trUnknownResponse: return QStringLiteral("UNKNOWN RESPONSE");
    case trNotHTML: return QStringLiteral("NOT HTML");
    default: break;
    }
    if (ErrorCode == 0)
        return QStringLiteral("200");
    if (ErrorCode < 0)
        return QStringLiteral("0");
    return QString::number(ErrorCode);
}

// ---- entries and tasks ----

TURLTaskInfo::TURLTaskInfo(const QString& sURL, int iNum) : URL(sURL), Num(iNum) {}

TURLTaskInfo::TURLTaskInfo(const TURLTaskInfo& aFrom, std::unique_ptr<TScrapRuleSet> aRules)
    : URL(aFrom.URL), Num(aFrom.Num), Rules(std::move(aRules))
{
}

void TURLTaskInfo::InitResults()
{
    TaskResults = std::make_unique<TURLTaskResults>();
}

void TURLTaskInfo::FreeResults()
{
    TaskResults.reset();
}

// ---- URL list ----

void TURLTaskInfoList::IndexAdd(const QString& sURL)
{
    ++FFoldedURLs[FoldASCII(sURL)];
}

void TURLTaskInfoList::IndexRemove(const QString& sURL)
{
    const auto it = FFoldedURLs.find(FoldASCII(sURL));
    if (it == FFoldedURLs.end())
        return;
    if (--it.value() <= 0)
        FFoldedURLs.erase(it);
}

TURLTaskInfo* TURLTaskInfoList::Add(std::unique_ptr<TURLTaskInfo> aItem)
{
    if (!aItem)
        return nullptr;
    IndexAdd(aItem->URL);
    FItems.push_back(std::move(aItem));
    return FItems.back().get();
}

void TURLTaskInfoList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    IndexRemove(FItems[size_t(Index)]->URL);
    FItems.erase(FItems.begin() + Index);
}

void TURLTaskInfoList::Clear()
{
    FItems.clear();
    FFoldedURLs.clear();
}

bool TURLTaskInfoList::URLExists(const QString& sURL) const
{
    return FFoldedURLs.contains(FoldASCII(sURL));
}

TURLTaskInfo* TURLTaskInfoList::GetByNum(int aNum) const
{
    for (const auto& item : FItems)
        if (item->Num == aNum)
            return item.get();
    return nullptr;
}

void TURLTaskInfoList::FreeResults()
{
    for (const auto& item : FItems)
        item->FreeResults();
}

void TURLTaskInfoList::DeleteNums(const std::vector<int>& aNums)
{
    if (aNums.empty())
        return;
    const std::unordered_set<int> nums(aNums.begin(), aNums.end());
    const auto firstRemoved = std::stable_partition(FItems.begin(), FItems.end(),
        [&nums](const auto& item) { return !nums.contains(item->Num); });
    for (auto it = firstRemoved; it != FItems.end(); ++it)
        IndexRemove((*it)->URL);
    FItems.erase(firstRemoved, FItems.end());
}

void TURLTaskInfoList::Renumber()
{
    int num = 0;
    for (const auto& item : FItems)
        item->Num = ++num;
}

// ---- task pool ----

TURLTaskInfoPool::TURLTaskInfoPool(int aDelay, const TClock& aClock)
    : FNextRequestCanRunAt(aClock.Now()), FRequestDelay(aDelay), FClock(aClock)
{
}

TURLTaskInfoPool::~TURLTaskInfoPool()
{
    ClearTasks();
}

void TURLTaskInfoPool::Add(std::unique_ptr<TURLTaskInfo> aTask)
{
    if (!aTask)
        return;
    const std::lock_guard lock(FLock);
    FTasks.push_back(std::move(aTask));
}

bool TURLTaskInfoPool::PickTask(std::unique_ptr<TURLTaskInfo>& TaskInfo)
{
    TaskInfo.reset();  // whatever the caller held is freed outside the lock
    const std::lock_guard lock(FLock);
    if (FTasks.empty())
        return false;
    TaskInfo = std::move(FTasks.back());
    FTasks.pop_back();
    return true;
}

bool TURLTaskInfoPool::GetNextRequestTime(TDateTime& aDT)
{
    const std::lock_guard lock(FLock);
    if (!FCanRunNextRequest)
        return false;
    aDT = FNextRequestCanRunAt;
    FCanRunNextRequest = false;
    return true;
}

void TURLTaskInfoPool::RegisterLastRequest(TDateTime aDT)
{
    const std::lock_guard lock(FLock);
    if (aDT == 0) {
        // A request goes out now. Another worker may already have been promised
        // a later start (its own registration moved the next start on); moving
        // it back would let two requests go out together, so it only moves on.
        FNextRequestCanRunAt = std::max(FNextRequestCanRunAt, FClock.Now() + FRequestDelay);
    } else {
        FNextRequestCanRunAt = aDT + FRequestDelay;
    }
    FCanRunNextRequest = true;
}

void TURLTaskInfoPool::ClearTasks()
{
    std::vector<std::unique_ptr<TURLTaskInfo>> dropped;
    {
        const std::lock_guard lock(FLock);
        dropped.swap(FTasks);
    }
    // dropped frees the tasks (rule-set copies and results) here, unlocked
}

int TURLTaskInfoPool::Count() const
{
    const std::lock_guard lock(FLock);
    return int(FTasks.size());
}
