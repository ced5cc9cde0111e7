#pragma once
// Messages from worker threads (and deferred work of the window) to the one
// receiving object on the main thread. They are Qt events whose types carry the
// message codes; the payload is owned by the event, so nothing leaks when an
// event is never handled.

#include "Clock.h"
#include "RunModel.h"

#include <QEvent>
#include <QObject>
#include <QString>
#include <memory>

constexpr int WM_USER = 1024;
constexpr int WM_TASK_FINISHED = WM_USER + 1;
constexpr int WM_LOG_LINE = WM_USER + 2;
constexpr int WM_NEXT_TASK = WM_USER + 3;
constexpr int WM_DELETE_RULE_PANEL = WM_USER + 4;
constexpr int WM_REBUILD_RULE_PANELS = WM_USER + 5;
constexpr int WM_TEST_RULE = WM_USER + 6;

class TMsgForLog {
public:
    QString MsgText;
    TDateTime MsgTime = 0;
};

class TTaskFinishedEvent : public QEvent {
public:
    explicit TTaskFinishedEvent(std::unique_ptr<TURLTaskInfo> aTask);
    std::unique_ptr<TURLTaskInfo> Task;  // the handler takes it
};

class TLogLineEvent : public QEvent {
public:
    explicit TLogLineEvent(std::unique_ptr<TMsgForLog> aMsg);
    std::unique_ptr<TMsgForLog> Msg;
};

// Messages that carry nothing, or a pointer the receiver interprets (rule panels).
class TPlainMessageEvent : public QEvent {
public:
    explicit TPlainMessageEvent(int aCode, void* aParam = nullptr);
    void* Param;
};

// The object that receives every posted message (the main window, the command-line
// program's controller host, or a test's receiver). Set on the main thread;
// with none set, posted messages are freed at once.
//
// Lifetime rule: the owner clears the receiver with SetMessageReceiver(nullptr)
// once all workers of a run have ended (so no finished task is dropped) and
// before the receiver is destroyed. Posting and clearing exclude each other, so
// a post either lands in the queue before the receiver goes (Qt then frees the
// undelivered event with it) or finds no receiver and frees its payload. As a
// safety net a receiver that is destroyed while still set clears itself.
// The receiver gets a small event filter for as long as it is set (it makes the
// queue's ordering visible to thread checkers).
void SetMessageReceiver(QObject* aReceiver);
QObject* MessageReceiver();

// Callable from any thread; never block. Messages of one thread arrive in posting
// order. Handlers should cast by the event type: WM_TASK_FINISHED always arrives
// as TTaskFinishedEvent (Task may be none), WM_LOG_LINE as TLogLineEvent, the
// other codes as TPlainMessageEvent.
void PostLogMessage(const QString& text);  // stamps the current time
void PostLogMessage(const QString& text, const TClock& aClock);
void PostTaskFinished(std::unique_ptr<TURLTaskInfo> task);
void PostNextTask();
// For WM_NEXT_TASK, WM_DELETE_RULE_PANEL, WM_REBUILD_RULE_PANELS and WM_TEST_RULE;
// any other code is refused with a warning (the two payload messages have their
// own posting operations).
void PostPlainMessage(int aCode, void* aParam = nullptr);
