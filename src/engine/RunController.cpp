#include "engine/RunController.h"

#include "core/Dialogs.h"
#include "core/Translate.h"

#include "engine/PageWorker.h"
#include "sandbox/HelperPool.h"

#include <QDebug>
#include <algorithm>
#include <unordered_set>

// The receiver object that the workers' messages are posted to.
class TRunController::TReceiver : public QObject {
public:
    explicit TReceiver(TRunController& aOwner) : FOwner(aOwner) {}

    bool event(QEvent* aEvent) override
    {
        return FOwner.HandleMessage(aEvent) || QObject::event(aEvent);
    }

private:
    TRunController& FOwner;
};

TRunController::TRunController(TURLTaskInfoList& aURLList,
                               std::function<const TScrapRuleSet*()> aCurrentRuleSet,
                               IRunView& aView, IDialogs& aDialogs, TWorkerLauncher aLauncher,
                               const TClock& aClock)
    : FURLList(aURLList), FCurrentRuleSet(std::move(aCurrentRuleSet)), FView(aView), FDialogs(aDialogs),
      FLauncher(aLauncher ? std::move(aLauncher) : PageWorkerLauncher()), FClock(aClock),
      FReceiver(std::make_unique<TReceiver>(*this))
{
    SetMessageReceiver(FReceiver.get());
}

TRunController::~TRunController()
{
    // Workers notice the flag at their next checkpoint; none of them needs the
    // main thread to end, so waiting here cannot deadlock.
    FState.AbortRequested = true;
    WaitForWorkers();
    if (MessageReceiver() == FReceiver.get())
        SetMessageReceiver(nullptr);
    FReceiver.reset();  // frees the messages still queued for it, tasks included
    FState.TaskPool = nullptr;
    FPool.reset();
}

bool TRunController::HandleMessage(QEvent* aEvent)
{
    const int code = int(aEvent->type());
    switch (code) {
    case WM_TASK_FINISHED:
        if (auto* finished = dynamic_cast<TTaskFinishedEvent*>(aEvent); finished && finished->Task)
            HandleTaskFinished(std::move(finished->Task));
        return true;
    case WM_LOG_LINE:
        if (auto* line = dynamic_cast<TLogLineEvent*>(aEvent); line && line->Msg)
            FView.AddToLog(line->Msg->MsgText, line->Msg->MsgTime);
        return true;  // the record goes with the event
    case WM_NEXT_TASK:
        DispatchNextTask();
        return true;
    case WM_DELETE_RULE_PANEL:
    case WM_REBUILD_RULE_PANELS:
    case WM_TEST_RULE: {
        auto* plain = dynamic_cast<TPlainMessageEvent*>(aEvent);
        FView.OtherMessage(code, plain ? plain->Param : nullptr);
        return true;
    }
    default:
        return false;
    }
}

bool TRunController::Run(TRunMode aMode)
{
    if (FRunning)
        return false;  // the run commands are for the idle state only

    FState.AbortRequested = false;
    FRunStartTime = FClock.Now();

    if (!FView.CheckRulesValid())
        return false;

    FResultCaptions.clear();
    FView.RemoveResultColumns();
    if (aMode != TRunMode::rmErrorURLs) {
        FURLList.FreeResults();
        FView.ResultsChanged(IRunView::AllEntries);
    }

    const TRunSettings settings = FView.Settings();
    // One warm helper per worker thread, and one for the rule tester.
    THelperPool::Instance().SetIdleLimit(std::max(1, settings.MaxThreads) + 1);

    std::vector<int> nums;
    if (aMode == TRunMode::rmSelectedURLs)
        nums = FView.GetSelectedNums();
    else if (aMode == TRunMode::rmErrorURLs)
        nums = GetErrorURLNums();
    if (aMode != TRunMode::rmAllURLs && nums.empty())
        return false;  // nothing chosen: nothing starts, nothing is reported

    const std::unordered_set<int> chosen(nums.begin(), nums.end());
    const TScrapRuleSet* ruleSet = FCurrentRuleSet ? FCurrentRuleSet() : nullptr;
    auto pool = std::make_unique<TURLTaskInfoPool>(settings.RequestDelay, FClock);
    int taskCount = 0;
    // Backwards, so that the pool, which hands out from its end, gives list order.
    for (int i = FURLList.Count() - 1; i >= 0; --i) {
        const TURLTaskInfo* entry = FURLList.At(i);
        if (aMode != TRunMode::rmAllURLs && !chosen.contains(entry->Num))
            continue;
        auto rules = ruleSet ? ruleSet->Clone() : std::make_unique<TScrapRuleSet>();
        pool->Add(std::make_unique<TURLTaskInfo>(*entry, std::move(rules)));
        ++taskCount;
    }

    FCurrentUserAgent = settings.UserAgent;

    std::unique_ptr<TURLTaskInfo> first;
    if (!pool->PickTask(first)) {
        FDialogs.ShowError(Tr("Не удалось запустить первое задание, внутренняя ошибка"));
        return false;
    }

    FPool = std::move(pool);
    FState.TaskPool = FPool.get();
    FRunning = true;
    FTaskCount = taskCount;
    FProgress = 0;

    // The window shows the run before the first worker can report anything.
    FView.RunStateChanged(true);
    FView.SetProgress(FProgress, FTaskCount);
    FView.AddToLog(Tr("Проверка запущена"), FClock.Now());
    StartWorker(std::move(first), settings, FCurrentUserAgent);
    return true;
}

const TProxy* TRunController::ChooseProxy(const TRunSettings& aSettings) const
{
    return aSettings.UseProxies ? FView.RandomProxy() : nullptr;
}

void TRunController::StartWorker(std::unique_ptr<TURLTaskInfo> aTask, const TRunSettings& aSettings,
                                 const QString& aUserAgent)
{
    aTask->InitResults();
    const int num = aTask->Num;
    TWorkerStart start;
    start.Task = std::move(aTask);
    start.UserAgent = aUserAgent;
    start.Proxy = ChooseProxy(aSettings);
    start.UniqueResults = aSettings.UniqueResults;
    start.State = &FState;

    std::unique_ptr<IRunWorker> worker;
    try {
        if (FLauncher)
            worker = FLauncher(std::move(start));
    } catch (const std::exception& e) {
        qWarning("Worker for URL %d not started: %s", num, e.what());
    }
    if (worker) {
        FWorkers.push_back(std::move(worker));
        return;
    }

    // No thread took the task: count it as done without a result and let the
    // dispatcher go on with the next one (or end the run).
    qWarning("Worker for URL %d could not be started", num);
    ++FProgress;
    FView.SetProgress(FProgress, FTaskCount);
    PostNextTask();
}

void TRunController::ReapFinishedWorkers()
{
    std::erase_if(FWorkers, [](const auto& worker) { return worker->Finished(); });
}

void TRunController::WaitForWorkers()
{
    FWorkers.clear();  // each waits for its thread
}

void TRunController::DispatchNextTask()
{
    ReapFinishedWorkers();
    if (!FRunning)
        return;  // a late message of a run that has already ended

    if (!FState.AbortRequested) {
        const TRunSettings settings = FView.Settings();
        const int limit = std::max(1, settings.MaxThreads);
        if (FState.ActiveThreadCount.load() >= limit)
            return;
        std::unique_ptr<TURLTaskInfo> task;
        if (FPool->PickTask(task)) {
            StartWorker(std::move(task), settings, settings.UserAgent);
            return;
        }
    }
    if (FState.ActiveThreadCount.load() != 0)
        return;
    FinishRun();
}

void TRunController::HandleTaskFinished(std::unique_ptr<TURLTaskInfo> aTask)
{
    if (!aTask)
        return;
    if (!FRunning)
        return;  // not a task of this controller's run: it is only freed

    ++FProgress;
    FView.SetProgress(FProgress, FTaskCount);

    const TURLTaskResults* results = aTask->TaskResults.get();
    if (results && results->TaskResult != trAborted) {
        if (TURLTaskInfo* entry = FURLList.GetByNum(aTask->Num)) {
            entry->TaskResults = std::move(aTask->TaskResults);  // frees the previous ones
            FView.ResultsChanged(entry->Num);
        }
    }
    aTask.reset();

    // Lowered only now, so the run cannot end before this task was installed.
    if (FState.ActiveThreadCount.load() > 0)
        FState.ActiveThreadCount.fetch_sub(1);
}

std::vector<int> TRunController::GetErrorURLNums() const
{
    std::vector<int> nums;
    for (int i = 0; i < FURLList.Count(); ++i) {
        const TURLTaskInfo* entry = FURLList.At(i);
        if (entry->TaskResults && entry->TaskResults->TaskResult != trOk)
            nums.push_back(entry->Num);
    }
    return nums;
}

void TRunController::Cancel()
{
    if (!FRunning)
        return;
    FView.SetCancelEnabled(false);
    FState.AbortRequested = true;
    FView.AddToLog(Tr("Отмена проверки..."), FClock.Now());
}

void TRunController::BuildResultColumns()
{
    const TScrapRuleSet* ruleSet = FCurrentRuleSet ? FCurrentRuleSet() : nullptr;
    const int ruleCount = ruleSet ? ruleSet->Count() : 0;

    // Per rule, the most values any page gave; results match rules by position.
    std::vector<int> maxima(size_t(ruleCount), 0);
    for (int i = 0; i < FURLList.Count(); ++i) {
        const TURLTaskResults* results = FURLList.At(i)->TaskResults.get();
        if (!results || results->TaskResult != trOk)
            continue;
        for (int n = 1; n <= ruleCount; ++n)
            maxima[size_t(n - 1)] = std::max(maxima[size_t(n - 1)], results->RulesResult.CountForRuleNum(n));
    }

    QStringList captions;
    for (int n = 1; n <= ruleCount; ++n) {
        const QString name = ruleSet->Rule(n - 1)->Name;
        for (int j = 1; j <= maxima[size_t(n - 1)]; ++j)
            captions.append(name + QStringLiteral(" #") + QString::number(j));
    }

    for (int i = 0; i < FURLList.Count(); ++i) {
        TURLTaskResults* results = FURLList.At(i)->TaskResults.get();
        if (!results || results->TaskResult != trOk)
            continue;
        results->CellTextList.clear();
        for (int n = 1; n <= ruleCount; ++n) {
            const TSRStringList* values = results->RulesResult.GetByRuleNum(n);
            for (int j = 1; j <= maxima[size_t(n - 1)]; ++j)
                results->CellTextList.append(values && values->Count() >= j ? values->At(j - 1) : QString());
        }
    }

    FResultCaptions = captions;
}

void TRunController::FinishRun()
{
    FState.TaskPool = nullptr;
    FPool->ClearTasks();  // tasks that never ran
    FPool.reset();

    BuildResultColumns();
    FRunning = false;

    FView.SetResultColumns(FResultCaptions);
    FView.ResultsChanged(IRunView::AllEntries);
    FView.RunStateChanged(false);
    FView.HideProgress();

    if (FView.Settings().HideURLsWithoutResults)
        FView.RemoveURLsWithoutResults();

    const qint64 seconds = std::max<qint64>(0, (FClock.Now() - FRunStartTime) / 1000);
    PostLogMessage(FormatText(Tr("Проверка завершена за %d сек."), {seconds}), FClock);

    if (!FState.AbortRequested)
        FView.SetExportEnabled(true);
    FState.AbortRequested = false;
}

// ---- the real worker ----

namespace {

class TPageWorkerHandle : public IRunWorker {
public:
    explicit TPageWorkerHandle(std::unique_ptr<TPageWorker> aWorker) : FWorker(std::move(aWorker)) {}
    bool Finished() const override { return FWorker->Finished(); }

private:
    std::unique_ptr<TPageWorker> FWorker;  // joins its thread when destroyed
};

}  // namespace

TWorkerLauncher PageWorkerLauncher()
{
    return [](TWorkerStart aStart) -> std::unique_ptr<IRunWorker> {
        auto worker = std::make_unique<TPageWorker>(std::move(aStart.Task), aStart.UserAgent,
            aStart.Proxy, aStart.UniqueResults, *aStart.State);
        worker->Start();
        return std::make_unique<TPageWorkerHandle>(std::move(worker));
    };
}
