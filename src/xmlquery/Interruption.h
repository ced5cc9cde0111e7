#pragma once
// The bounds a caller sets for the evaluations of its thread (a time budget
// and a callback that says "stop"), and the means the query languages use to
// honour them: a helper thread that stops an evaluation running inside a
// library (libxml2's XPath, the script engine), and a cheap check for loops
// of our own. Internal to the query library; the C interface sets them.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace xq {

struct InterruptSource {
    int32_t budgetMs = 0;                      // 0: none
    int32_t (*interrupted)(void*) = nullptr;  // called from another thread too
    void* context = nullptr;
};

void SetThreadInterrupt(const InterruptSource& source);

// The bounds of one evaluation that starts when the check is made.
class InterruptCheck {
public:
    InterruptCheck();  // from the thread's bounds
    explicit InterruptCheck(const InterruptSource& source);
    bool Active() const { return source_.budgetMs > 0 || source_.interrupted || memoryLimit_ > 0; }
    bool Due() const;
    std::chrono::steady_clock::time_point Deadline() const { return deadline_; }

    // Also due once the process holds more than this many bytes beyond what
    // it held now (for engines without a heap limit of their own).
    void LimitMemoryGrowth(std::size_t bytes);
    bool MemoryExceeded() const;

private:
    InterruptSource source_;
    std::chrono::steady_clock::time_point deadline_;
    std::size_t memoryBase_ = 0;
    std::size_t memoryLimit_ = 0;
};

// The process's resident memory in bytes (0 when it cannot be read).
std::size_t ResidentBytes();

// The check of the evaluation running on this thread, started by
// BeginEvaluation and made inactive again by EndEvaluation (the C interface
// does both around every call), so that no later call meets a spent budget.
void BeginEvaluation();
void EndEvaluation();
const InterruptCheck& CurrentEvaluation();

// Thrown by loops of our own when their evaluation is due to stop.
struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("the evaluation was interrupted") {}
};

// Checks every so many calls, so that tight loops pay almost nothing.
class LoopGuard {
public:
    explicit LoopGuard(const InterruptCheck& check) : check_(check) {}
    void Tick()
    {
        if (check_.Active() && ++count_ % 1024 == 0 && check_.Due()) throw Interrupted();
    }

private:
    const InterruptCheck& check_;
    unsigned count_ = 0;
};

// While it lives, a helper thread of the calling thread runs stop once the
// check is due (at most 10 ms late). No thread is used for an inactive check.
class EvaluationWatch {
public:
    EvaluationWatch(const InterruptCheck& check, std::function<void()> stop);
    ~EvaluationWatch();  // waits for a stop that is running
    EvaluationWatch(const EvaluationWatch&) = delete;
    EvaluationWatch& operator=(const EvaluationWatch&) = delete;
    bool Fired() const;

private:
    bool armed_ = false;
};

}  // namespace xq
