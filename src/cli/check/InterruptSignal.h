#pragma once
// Ctrl+C during a check run: the first SIGINT (or SIGTERM) calls the handler on
// the main thread through the event loop; the default reaction is restored, so
// a second Ctrl+C ends the program at once.

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

class TInterruptSignal {
public:
    explicit TInterruptSignal(std::function<void()> aOnInterrupt);
    ~TInterruptSignal();
    TInterruptSignal(const TInterruptSignal&) = delete;
    TInterruptSignal& operator=(const TInterruptSignal&) = delete;

    bool Received() const { return FReceived; }

private:
    void Handle();

    std::function<void()> FOnInterrupt;
    std::unique_ptr<QSocketNotifier> FNotifier;
    bool FReceived = false;
};
