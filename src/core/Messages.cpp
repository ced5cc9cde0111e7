#include "core/Messages.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPointer>
#include <mutex>

namespace {

// Posters hold the lock while they queue an event, and changing the receiver
// holds it too, so a receiver can never be cleared (and then destroyed) in the
// middle of a post. Qt's own queue lock already serialises posts, so holding
// this one costs nothing more.
std::mutex PostLock;
QObject* Receiver = nullptr;

// Qt's event queue is guarded by a lock that thread checkers cannot see, so to
// them a payload built on a worker and read on the main thread looks unordered.
// Taking the posters' lock before each event of the receiver is handled makes
// the order that the queue already guarantees visible (one uncontended lock).
class TPostOrderFilter : public QObject {
protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override
    {
        {
            const std::lock_guard lock(PostLock);  // before the event is read at all
        }
        return QObject::eventFilter(aWatched, aEvent);
    }
};

// Only touched on the main thread (SetMessageReceiver and the destroyed signal).
QMetaObject::Connection ReceiverDestroyedConnection;
QPointer<QObject> FilteredReceiver;

QObject& PostOrderFilter()
{
    static TPostOrderFilter filter;
    return filter;
}

void ClearIfCurrent(QObject* aDying)
{
    const std::lock_guard lock(PostLock);
    if (Receiver == aDying)
        Receiver = nullptr;
}

// Hands the event to Qt's queue, or frees it (with its payload) when nobody listens.
void Post(std::unique_ptr<QEvent> aEvent)
{
    const std::lock_guard lock(PostLock);
    if (Receiver)
        QCoreApplication::postEvent(Receiver, aEvent.release());
}

bool IsPlainCode(int aCode)
{
    return aCode == WM_NEXT_TASK || aCode == WM_DELETE_RULE_PANEL
        || aCode == WM_REBUILD_RULE_PANELS || aCode == WM_TEST_RULE;
}

}  // namespace

TTaskFinishedEvent::TTaskFinishedEvent(std::unique_ptr<TURLTaskInfo> aTask)
    : QEvent(QEvent::Type(WM_TASK_FINISHED)), Task(std::move(aTask))
{
}

TLogLineEvent::TLogLineEvent(std::unique_ptr<TMsgForLog> aMsg)
    : QEvent(QEvent::Type(WM_LOG_LINE)), Msg(std::move(aMsg))
{
}

TPlainMessageEvent::TPlainMessageEvent(int aCode, void* aParam)
    : QEvent(QEvent::Type(aCode)), Param(aParam)
{
}

void SetMessageReceiver(QObject* aReceiver)
{
    QObject::disconnect(ReceiverDestroyedConnection);
    if (FilteredReceiver)
        FilteredReceiver->removeEventFilter(&PostOrderFilter());
    {
        const std::lock_guard lock(PostLock);
        Receiver = aReceiver;
    }
    FilteredReceiver = aReceiver;
    if (aReceiver) {
        aReceiver->installEventFilter(&PostOrderFilter());
        ReceiverDestroyedConnection = QObject::connect(aReceiver, &QObject::destroyed,
            [aReceiver] { ClearIfCurrent(aReceiver); });
    }
}

QObject* MessageReceiver()
{
    const std::lock_guard lock(PostLock);
    return Receiver;
}

void PostLogMessage(const QString& text)
{
    PostLogMessage(text, TClock::System());
}

void PostLogMessage(const QString& text, const TClock& aClock)
{
    auto msg = std::make_unique<TMsgForLog>();
    msg->MsgText = text;
    msg->MsgTime = aClock.Now();  // the time of the event, not of its display
    Post(std::make_unique<TLogLineEvent>(std::move(msg)));
}

void PostTaskFinished(std::unique_ptr<TURLTaskInfo> task)
{
    Post(std::make_unique<TTaskFinishedEvent>(std::move(task)));
}

void PostNextTask()
{
    Post(std::make_unique<TPlainMessageEvent>(WM_NEXT_TASK));
}

void PostPlainMessage(int aCode, void* aParam)
{
    if (!IsPlainCode(aCode)) {
        qWarning("PostPlainMessage: code %d is not a plain message, not posted", aCode);
        return;
    }
    Post(std::make_unique<TPlainMessageEvent>(aCode, aParam));
}
