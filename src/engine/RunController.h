#pragma once
// The run controller: starts a check run, keeps up to the thread limit of page
// workers busy, cancels the run on request and finishes it (result columns, cell
// texts, duration). Everything here runs on the main thread; the workers only
// post messages, which the controller's receiver object takes in.

#include "core/Clock.h"
#include "core/Messages.h"
#include "core/RunModel.h"
#include "core/RunState.h"
#include "core/ScrapRules.h"
#include "engine/RunView.h"

#include <QEvent>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class IDialogs;
class TProxy;

// Which URLs the run command checks.
enum class TRunMode { rmAllURLs, rmSelectedURLs, rmErrorURLs };

// What one worker is started with. State (and the pool it points to) stays
// valid until the worker's thread has ended.
struct TWorkerStart {
    std::unique_ptr<TURLTaskInfo> Task;
    QString UserAgent;                   // may be empty
    const TProxy* Proxy = nullptr;       // an entry of the proxy list, or none
    bool UniqueResults = true;
    TRunState* State = nullptr;
};

// A started worker as the controller keeps it; destroying it waits for its thread.
class IRunWorker {
public:
    virtual ~IRunWorker() = default;
    virtual bool Finished() const = 0;  // the thread body has returned
};

// Starts one worker thread for aStart.Task. It raises State->ActiveThreadCount by
// one on the calling thread, never lowers it, and always ends by posting
// WM_TASK_FINISHED with the task, then WM_NEXT_TASK. A launcher that cannot start
// a thread returns none (or throws) without having raised the count.
using TWorkerLauncher = std::function<std::unique_ptr<IRunWorker>(TWorkerStart aStart)>;

// The real page worker.
TWorkerLauncher PageWorkerLauncher();

class TRunController {
public:
    // aCurrentRuleSet is read when a run starts (cloned for every task) and when
    // it ends (names of the result columns); it is a getter because the window
    // may replace its current set between runs. Its one modal box (no first task)
    // goes to aDialogs. Without a launcher the real page worker is used. The controller installs its receiver object as the message
    // receiver (see Receiver()).
    TRunController(TURLTaskInfoList& aURLList,
                   std::function<const TScrapRuleSet*()> aCurrentRuleSet,
                   IRunView& aView,
                   IDialogs& aDialogs,
                   TWorkerLauncher aLauncher = {},
                   const TClock& aClock = TClock::System());
    // Cancels a running run and waits for every worker thread before anything
    // they use is freed; finished tasks still queued are freed unhandled.
    ~TRunController();
    TRunController(const TRunController&) = delete;
    TRunController& operator=(const TRunController&) = delete;

    // The run command; true when a run started. Refused while a run is active.
    bool Run(TRunMode aMode);
    // The cancel command; nothing happens outside a run.
    void Cancel();
    // WM_NEXT_TASK: starts one more worker, or ends the run when it is over.
    void DispatchNextTask();
    // WM_TASK_FINISHED: installs the task's results in its URL entry.
    void HandleTaskFinished(std::unique_ptr<TURLTaskInfo> aTask);
    // Numbers, in list order, of the entries whose results are not trOk.
    std::vector<int> GetErrorURLNums() const;

    // Acts on one posted message; false for events that are not messages. For a
    // window that is the message receiver itself and passes them on.
    bool HandleMessage(QEvent* aEvent);
    QObject* Receiver() const { return FReceiver.get(); }

    bool IsRunning() const { return FRunning; }
    // The User-Agent text captured when the latest run started; empty before.
    const QString& CurrentUserAgent() const { return FCurrentUserAgent; }
    // Result columns of the last finished run (after the four fixed columns).
    const QStringList& ResultColumnCaptions() const { return FResultCaptions; }
    int ResultColumnCount() const { return int(FResultCaptions.size()); }
    int Progress() const { return FProgress; }
    int TaskCount() const { return FTaskCount; }
    TRunState& State() { return FState; }
    // Blocks until no worker thread of this controller is alive.
    void WaitForWorkers();

private:
    class TReceiver;

    void StartWorker(std::unique_ptr<TURLTaskInfo> aTask, const TRunSettings& aSettings,
                     const QString& aUserAgent);
    const TProxy* ChooseProxy(const TRunSettings& aSettings) const;
    void FinishRun();
    void ReapFinishedWorkers();
    void BuildResultColumns();

    TURLTaskInfoList& FURLList;
    std::function<const TScrapRuleSet*()> FCurrentRuleSet;
    IRunView& FView;
    IDialogs& FDialogs;
    TWorkerLauncher FLauncher;
    const TClock& FClock;

    TRunState FState;
    std::unique_ptr<TURLTaskInfoPool> FPool;
    std::vector<std::unique_ptr<IRunWorker>> FWorkers;  // started, not yet reaped
    std::unique_ptr<QObject> FReceiver;

    bool FRunning = false;
    TDateTime FRunStartTime = 0;
    int FTaskCount = 0;
    int FProgress = 0;
    QString FCurrentUserAgent;
    QStringList FResultCaptions;
};
