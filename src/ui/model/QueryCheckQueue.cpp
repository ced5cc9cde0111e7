#include "ui/model/QueryCheckQueue.h"

#include "analysis/PageAnalysis.h"

#include <QMetaObject>
#include <chrono>

namespace {

bool DefaultCheck(const QString& aQuery, TScrapQueryType aType)
{
    return aType == qtTemplate ? CheckTemplateValid(aQuery) : CheckQueryValid(aQuery, aType);
}

}  // namespace

TQueryCheckQueue::TQueryCheckQueue(TCheck aCheck)
    : FCheck(aCheck ? std::move(aCheck) : TCheck(DefaultCheck)), FThread([this] { Run(); })
{
}

TQueryCheckQueue::~TQueryCheckQueue()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
        FWaiting.clear();
    }
    FWake.notify_all();
    FThread.join();
}

bool TQueryCheckQueue::MayBeSlow(TScrapQueryType aType)
{
    return aType == qtXPath || aType == qtXQuery;
}

std::optional<bool> TQueryCheckQueue::Check(int aClient, const QString& aQuery, TScrapQueryType aType,
                                            int aWaitMs, QObject* aContext, TAnswer aAnswer)
{
    std::unique_lock<std::mutex> lock(FLock);
    const bool idle = !FHeld && !FBusy && FWaiting.empty();
    TRequest request{aClient, ++FLastSerial, aQuery, aType, aContext, std::move(aAnswer)};
    const quint64 serial = request.Serial;
    FShared->Newest.insert(aClient, serial);
    // the client's older request that has not started is of no use any more
    for (auto it = FWaiting.begin(); it != FWaiting.end();)
        it = it->Client == aClient ? FWaiting.erase(it) : it + 1;
    FWaiting.push_back(std::move(request));
    FWake.notify_one();
    if (!idle || aWaitMs <= 0)
        return std::nullopt;

    FSyncSerial = serial;
    FSyncResult.reset();
    FAnswered.wait_for(lock, std::chrono::milliseconds(aWaitMs), [&] { return FSyncResult.has_value(); });
    FSyncSerial = 0;  // from now on the answer comes as an event
    std::optional<bool> result = FSyncResult;
    FSyncResult.reset();
    return result;
}

void TQueryCheckQueue::Forget(int aClient)
{
    std::lock_guard<std::mutex> lock(FLock);
    FShared->Newest.remove(aClient);
    for (auto it = FWaiting.begin(); it != FWaiting.end();)
        it = it->Client == aClient ? FWaiting.erase(it) : it + 1;
}

void TQueryCheckQueue::Hold(bool bHeld)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FHeld = bHeld;
    }
    FWake.notify_all();
}

bool TQueryCheckQueue::Idle() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return !FBusy && FWaiting.empty();
}

void TQueryCheckQueue::Run()
{
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FWake.wait(lock, [&] { return FStopping || (!FHeld && !FWaiting.empty()); });
        if (FStopping)
            return;
        TRequest request = std::move(FWaiting.front());
        FWaiting.pop_front();
        FBusy = true;
        lock.unlock();
        const bool valid = FCheck(request.Query, request.Type);
        lock.lock();
        FBusy = false;
        if (FSyncSerial == request.Serial) {
            FSyncResult = valid;
            FAnswered.notify_all();
        } else {
            Deliver(request, valid);
        }
    }
}

// Under the lock: posts the answer to the context's thread, where it is
// dropped if the client has asked something newer in the meantime.
void TQueryCheckQueue::Deliver(const TRequest& aRequest, bool aValid)
{
    QObject* context = aRequest.Context.data();
    if (!context || !aRequest.Answer)
        return;
    const int client = aRequest.Client;
    const quint64 serial = aRequest.Serial;
    TAnswer answer = aRequest.Answer;
    QMetaObject::invokeMethod(
        context,
        [shared = std::weak_ptr<TShared>(FShared), client, serial, answer, aValid] {
            const std::shared_ptr<TShared> state = shared.lock();
            if (!state)
                return;
            {
                std::lock_guard<std::mutex> lock(state->Lock);
                if (state->Newest.value(client) != serial)
                    return;
            }
            answer(aValid);
        },
        Qt::QueuedConnection);
}
