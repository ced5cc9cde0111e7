#pragma once
// The page worker: one thread that processes one task of a run. It waits for
// its turn under the pool's pacing, fetches the task's URL once, applies every
// rule of the task's own rule set and posts the finished task to the window.
// It reports only through posted messages (core/Messages.h).

#include "core/RunModel.h"
#include "analysis/AnalysisBudget.h"
#include "engine/RequestOptions.h"
#include "core/RunState.h"

#include <QString>
#include <QVariantList>
#include <atomic>
#include <memory>
#include <thread>

class TProxy;

struct TPageWorkerOptions {
    // Bounds of the transfer; a transfer they end is a send error. Through a
    // proxy the proxy's time limit replaces the stall guard.
    TTransferLimits Transfer;
    // Each rule on the page gets this long; cancelling the run stops a rule too.
    int RuleBudgetMs = kRuleTimeBudgetMs;
};

// Owned by the run controller. Typical use on the window thread:
//   auto w = std::make_unique<TPageWorker>(std::move(task), ua, proxy, unique, state);
//   w->Start();
//   ... later, after the task-finished message: w->Join();
// Cancelling is the run state's AbortRequested; destroying a started worker
// waits for its thread (set AbortRequested first to make that quick: a
// transfer under way is abandoned within about 100 ms).
//
// Messages of one worker, in order: log lines, WM_NEXT_TASK when its request
// goes out (not when it was cancelled or failed before), then WM_TASK_FINISHED
// with the task and a last WM_NEXT_TASK. Every started worker ends with these
// last two, whatever happens on the way.
class TPageWorker {
public:
    // The task comes with a fresh results record (the controller gives it one).
    // aProxy, when given, must stay valid and unchanged until the worker has
    // ended; aRunState outlives it.
    TPageWorker(std::unique_ptr<TURLTaskInfo> aURLTaskInfo, const QString& sUserAgent,
                const TProxy* aProxy, bool aUniqueResults, TRunState& aRunState,
                const TPageWorkerOptions& aOptions = {});
    ~TPageWorker();  // joins the thread
    TPageWorker(const TPageWorker&) = delete;
    TPageWorker& operator=(const TPageWorker&) = delete;

    // Raises ActiveThreadCount by one on the calling thread, then starts the
    // thread. The count is lowered by whoever handles WM_TASK_FINISHED (the
    // run controller), so a run never looks ended while its last finished task
    // still waits in the queue. Once only. If no thread can be created, the task ends at once as
    // a send error through the usual end steps.
    void Start();
    void Join();            // waits until the thread body has returned; harmless twice
    bool Finished() const;  // the thread body has returned (all its messages are posted)
    int Num() const { return FNum; }

    // Sent when the User-Agent text is empty.
    static QString DefaultUserAgent();

private:
    void Execute();
    void Run(TURLTaskResults& aResults);
    void End();
    void Log(const char* aFormat, const QVariantList& aArgs);

    std::unique_ptr<TURLTaskInfo> FURLTaskInfo;
    const QString FUserAgent;
    const TProxy* const FProxy;
    const bool FUniqueResults;
    TRunState& FRunState;
    const TPageWorkerOptions FOptions;
    const int FNum;
    std::thread FThread;
    std::atomic<bool> FFinished{false};
    bool FStarted = false;
};
