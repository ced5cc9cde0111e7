#pragma once
// Query validity checks that may be slow (XQuery, and XPath that needs the
// XPath 3.1 engine, whose first use starts a script engine) run on one thread
// of their own, so typing never waits for them. Each client (a rule panel) has
// at most one request waiting: a newer text replaces an older one that has not
// started, and only the answer for a client's newest text is delivered.
//
// The thread keeps the query library's per-thread engine for the whole life of
// the queue, so the engine is created once.

#include "core/ScrapRules.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class TQueryCheckQueue {
public:
    using TCheck = std::function<bool(const QString& aQuery, TScrapQueryType aType)>;
    // Called on the thread that created the queue.
    using TAnswer = std::function<void(bool aValid)>;

    // aCheck defaults to the page analysis' validity checks.
    explicit TQueryCheckQueue(TCheck aCheck = {});
    ~TQueryCheckQueue();  // drops waiting requests, waits for the running one
    TQueryCheckQueue(const TQueryCheckQueue&) = delete;
    TQueryCheckQueue& operator=(const TQueryCheckQueue&) = delete;

    // True for the types whose check may have to start the script engine.
    static bool MayBeSlow(TScrapQueryType aType);

    // Asks for the validity of aQuery on behalf of aClient. When the thread is
    // idle the caller waits up to aWaitMs for the answer and gets it back at
    // once; otherwise (or when it takes longer) the result is empty and
    // aAnswer runs later on this thread, through an event of aContext, provided
    // aClient has asked nothing newer and aContext still exists.
    std::optional<bool> Check(int aClient, const QString& aQuery, TScrapQueryType aType,
                              int aWaitMs, QObject* aContext, TAnswer aAnswer);
    // Forgets the client's waiting request and any answer still to come.
    void Forget(int aClient);

    // A number no other client of this queue has (panels take one each).
    int NewClient() { return ++FLastClient; }

    // While held, requests wait and nothing is checked: a page that is not
    // shown yet starts no script engine (start-up stays light).
    void Hold(bool bHeld);

    // True while no request waits or runs (tests, benchmarks).
    bool Idle() const;

private:
    struct TRequest {
        int Client = 0;
        quint64 Serial = 0;
        QString Query;
        TScrapQueryType Type = qtXPath;
        QPointer<QObject> Context;
        TAnswer Answer;
    };

    void Run();
    void Deliver(const TRequest& aRequest, bool aValid);

    // Shared with answers still in the event queue, which may outlive the queue.
    struct TShared {
        std::mutex Lock;
        QHash<int, quint64> Newest;  // client -> serial of its newest request
    };

    TCheck FCheck;
    std::shared_ptr<TShared> FShared = std::make_shared<TShared>();
    std::mutex& FLock = FShared->Lock;
    std::condition_variable FWake;      // the thread: a request or the end
    std::condition_variable FAnswered;  // the waiting caller
    std::deque<TRequest> FWaiting;
    quint64 FLastSerial = 0;
    bool FBusy = false;
    bool FHeld = false;
    bool FStopping = false;
    quint64 FSyncSerial = 0;            // the request a caller waits for, 0 for none
    std::optional<bool> FSyncResult;
    int FLastClient = 0;
    std::thread FThread;
};
