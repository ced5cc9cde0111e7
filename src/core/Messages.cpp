#include "core/Messages.h"

#include <QCoreApplication>
#include <QDebug>
#include <shared_mutex>

namespace {

// Posters hold the lock shared while they queue an event; changing the receiver
// holds it exclusively, so a receiver can never be cleared (and then destroyed)
// in the middle of a post.
std::shared_mutex ReceiverLock;
QObject* Receiver = nullptr;

// Only touched on the main thread (SetMessageReceiver and the destroyed signal).
QMetaObject::Connection ReceiverDestroyedConnection;

void ClearIfCurrent(QObject* aDying)
{
    const std::unique_lock lock(ReceiverLock);
    if (Receiver == aDying)
        Receiver = nullptr;
}

// Hands the event to Qt's queue, or frees it (with its payload) when nobody listens.
void Post(std::unique_ptr<QEvent> aEvent)
{
    const std::shared_lock lock(ReceiverLock);
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
    {
        const std::unique_lock lock(ReceiverLock);
        Receiver = aReceiver;
    }
    if (aReceiver)
        ReceiverDestroyedConnection = QObject::connect(aReceiver, &QObject::destroyed,
            [aReceiver] { ClearIfCurrent(aReceiver); });
}

QObject* MessageReceiver()
{
    const std::shared_lock lock(ReceiverLock);
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
