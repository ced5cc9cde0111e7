#pragma once
// Delivering the messages that threads post to the test's (main) thread.

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

// Delivers posted messages until aDone holds; false when aTimeoutMs passes first.
inline bool PumpUntil(const std::function<bool()>& aDone, int aTimeoutMs = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
    while (!aDone()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::sendPostedEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
