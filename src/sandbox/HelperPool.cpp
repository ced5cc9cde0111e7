#include "sandbox/HelperPool.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sys/socket.h>

THelperPool& THelperPool::Instance()
{
    static THelperPool pool;
    return pool;
}

THelperPool::~THelperPool()
{
    Clear();
}

namespace {

QString DefaultProgram()
{
    // Beside the running executable, whoever started it from wherever.
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return QFileInfo(self).absolutePath() + QStringLiteral("/tollmarsh-analyser");
}

}  // namespace

void THelperPool::SetProgram(const QString& aProgram)
{
    std::vector<std::unique_ptr<TAnalysisHelper>> previous;
    {
        std::lock_guard lock(FMutex);
        FProgram = aProgram;
        previous.swap(FIdle);  // helpers of another program
    }
    EndIdle(previous);
}

QString THelperPool::Program() const
{
    std::lock_guard lock(FMutex);
    return FProgram.isEmpty() ? DefaultProgram() : FProgram;
}

void THelperPool::SetLimits(const THelperLimits& aLimits)
{
    std::lock_guard lock(FMutex);
    FLimits = aLimits;
}

THelperLimits THelperPool::Limits() const
{
    std::lock_guard lock(FMutex);
    return FLimits;
}

void THelperPool::SetIdleLimit(int aCount)
{
    std::vector<std::unique_ptr<TAnalysisHelper>> surplus;
    {
        std::lock_guard lock(FMutex);
        FIdleLimit = std::max(aCount, 0);
        while (int(FIdle.size()) > FIdleLimit) {
            surplus.push_back(std::move(FIdle.back()));
            FIdle.pop_back();
        }
    }
    EndIdle(surplus);  // outside the lock: each end waits for a process
}

std::unique_ptr<TAnalysisHelper> THelperPool::Acquire(QString& aError)
{
    QString program;
    {
        std::lock_guard lock(FMutex);
        if (!FIdle.empty()) {
            auto helper = std::move(FIdle.back());
            FIdle.pop_back();
            return helper;
        }
        program = FProgram;
        ++FStarted;
    }
    if (program.isEmpty())
        program = DefaultProgram();
    return TAnalysisHelper::Start(program, aError);
}

void THelperPool::Release(std::unique_ptr<TAnalysisHelper> aHelper)
{
    if (!aHelper)
        return;
    std::lock_guard lock(FMutex);
    if (int(FIdle.size()) < FIdleLimit)
        FIdle.push_back(std::move(aHelper));
    // else it ends when aHelper goes, after the lock
}

void THelperPool::Clear()
{
    std::vector<std::unique_ptr<TAnalysisHelper>> idle;
    {
        std::lock_guard lock(FMutex);
        idle.swap(FIdle);
    }
    EndIdle(idle);
}

void THelperPool::EndIdle(std::vector<std::unique_ptr<TAnalysisHelper>>& aHelpers)
{
    // An idle helper ends on its own at once (all are asked before any is
    // waited for); it is killed only if it does not.
    for (const auto& helper : aHelpers)
        ::shutdown(helper->Connection().Fd(), SHUT_WR);
    for (const auto& helper : aHelpers)
        helper->End(kIdleEndWaitMs);
    aHelpers.clear();
}

int THelperPool::IdleCount() const
{
    std::lock_guard lock(FMutex);
    return int(FIdle.size());
}

int THelperPool::StartedCount() const
{
    std::lock_guard lock(FMutex);
    return FStarted;
}

std::vector<pid_t> THelperPool::IdlePids() const
{
    std::lock_guard lock(FMutex);
    std::vector<pid_t> pids;
    for (const auto& helper : FIdle)
        pids.push_back(helper->Pid());
    return pids;
}
