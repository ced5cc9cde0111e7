#include "xmlquery/Interruption.h"

#include <condition_variable>
#include <cstdio>
#include <unistd.h>
#include <memory>
#include <mutex>
#include <thread>

namespace xq {
namespace {

thread_local InterruptSource gSource;
thread_local InterruptCheck gCurrent{InterruptSource{}};

// One per thread that evaluates with bounds; sleeps while nothing is armed.
class Watchdog {
public:
    Watchdog() : thread_([this] { Run(); }) {}
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    void Arm(const InterruptCheck& check, std::function<void()> stop)
    {
        {
            std::lock_guard lock(mutex_);
            check_ = check;
            stop_ = std::move(stop);
            armed_ = true;
            fired_ = false;
        }
        wake_.notify_one();
    }

    // Under the lock a stop cannot be running or start afterwards.
    bool Disarm()
    {
        std::lock_guard lock(mutex_);
        armed_ = false;
        stop_ = nullptr;
        return fired_;
    }

    bool Fired()
    {
        std::lock_guard lock(mutex_);
        return fired_;
    }

private:
    void Run()
    {
        constexpr auto kPoll = std::chrono::milliseconds(10);
        std::unique_lock lock(mutex_);
        while (!quit_) {
            if (!armed_) {
                wake_.wait(lock);
                continue;
            }
            if (check_.Due()) {
                fired_ = true;
                armed_ = false;
                if (stop_) stop_();
                continue;
            }
            // A sleep outside the lock rather than a timed wait: the timed wait on
            // the steady clock is invisible to the thread checker, and a new
            // evaluation or the end is picked up within one poll anyway.
            const auto now = std::chrono::steady_clock::now();
            const auto pause = std::min<std::chrono::steady_clock::duration>(
                kPoll, std::max(check_.Deadline() - now, std::chrono::steady_clock::duration::zero()));
            lock.unlock();
            std::this_thread::sleep_for(pause);
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool armed_ = false;
    bool fired_ = false;
    InterruptCheck check_;
    std::function<void()> stop_;
    std::thread thread_;  // last: starts after the fields above exist
};

Watchdog& WatchdogForThread()
{
    thread_local std::unique_ptr<Watchdog> watchdog = std::make_unique<Watchdog>();
    return *watchdog;
}

}  // namespace

void SetThreadInterrupt(const InterruptSource& source)
{
    gSource = source;
}

void BeginEvaluation()
{
    gCurrent = InterruptCheck();
}

void EndEvaluation()
{
    gCurrent = InterruptCheck(InterruptSource{});
}

const InterruptCheck& CurrentEvaluation()
{
    return gCurrent;
}

InterruptCheck::InterruptCheck()
    : InterruptCheck(gSource)
{
}

InterruptCheck::InterruptCheck(const InterruptSource& source)
    : source_(source)
    , deadline_(source_.budgetMs > 0
                    ? std::chrono::steady_clock::now() + std::chrono::milliseconds(source_.budgetMs)
                    : std::chrono::steady_clock::time_point::max())
{
}

bool InterruptCheck::Due() const
{
    if (source_.interrupted && source_.interrupted(source_.context)) return true;
    if (MemoryExceeded()) return true;
    return source_.budgetMs > 0 && std::chrono::steady_clock::now() >= deadline_;
}

void InterruptCheck::LimitMemoryGrowth(std::size_t bytes)
{
    memoryBase_ = ResidentBytes();
    memoryLimit_ = memoryBase_ ? bytes : 0;
}

bool InterruptCheck::MemoryExceeded() const
{
    return memoryLimit_ > 0 && ResidentBytes() > memoryBase_ + memoryLimit_;
}

std::size_t ResidentBytes()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long size = 0, resident = 0;
    const bool read = std::fscanf(statm, "%lu %lu", &size, &resident) == 2;
    std::fclose(statm);
    return read ? std::size_t(resident) * std::size_t(sysconf(_SC_PAGESIZE)) : 0;
}

EvaluationWatch::EvaluationWatch(const InterruptCheck& check, std::function<void()> stop)
{
    if (!check.Active()) return;
    WatchdogForThread().Arm(check, std::move(stop));
    armed_ = true;
}

EvaluationWatch::~EvaluationWatch()
{
    if (armed_) WatchdogForThread().Disarm();
}

bool EvaluationWatch::Fired() const
{
    return armed_ && WatchdogForThread().Fired();
}

}  // namespace xq
