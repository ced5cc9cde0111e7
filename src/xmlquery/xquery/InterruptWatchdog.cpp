#include "xmlquery/xquery/InterruptWatchdog.h"

#include <QJSEngine>

namespace xq::xquery {

InterruptWatchdog::InterruptWatchdog(QJSEngine& engine)
    : engine_(engine), thread_([this] { Run(); })
{
}

InterruptWatchdog::~InterruptWatchdog()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void InterruptWatchdog::Arm(std::chrono::milliseconds limit)
{
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
        fired_ = false;
        deadline_ = std::chrono::steady_clock::now() + limit;
    }
    wake_.notify_one();
}

bool InterruptWatchdog::Disarm()
{
    bool fired = false;
    {
        std::lock_guard lock(mutex_);
        armed_ = false;
        fired = fired_;
        fired_ = false;
    }
    // Under the lock above the watchdog can no longer fire for this call, so
    // clearing the flag here cannot race with a late interrupt.
    if (fired) engine_.setInterrupted(false);
    return fired;
}

void InterruptWatchdog::Run()
{
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!armed_) {
            wake_.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < deadline_) {
            wake_.wait_until(lock, deadline_);
            continue;
        }
        engine_.setInterrupted(true);
        fired_ = true;
        armed_ = false;
    }
}

}  // namespace xq::xquery
