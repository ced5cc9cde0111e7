#pragma once
// Stops a script that runs too long: a helper thread interrupts the engine when
// the armed deadline passes. One watchdog per engine, living no longer than it.
// Internal to the XQuery engine.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class QJSEngine;

namespace xq::xquery {

class InterruptWatchdog {
public:
    explicit InterruptWatchdog(QJSEngine& engine);
    ~InterruptWatchdog();
    InterruptWatchdog(const InterruptWatchdog&) = delete;
    InterruptWatchdog& operator=(const InterruptWatchdog&) = delete;

    // Arms the watchdog for one call into the engine; Disarm afterwards tells
    // whether the deadline passed (the engine is then re-enabled for the next call).
    void Arm(std::chrono::milliseconds limit);
    bool Disarm();

private:
    void Run();

    QJSEngine& engine_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool armed_ = false;
    bool fired_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::thread thread_;  // last: starts after the fields above exist
};

}  // namespace xq::xquery
