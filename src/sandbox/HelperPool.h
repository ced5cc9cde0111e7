#pragma once
// The program's analysis helpers: started on first use, kept between pages
// (a helper keeps its warm script engine), at most one busy per caller, and
// replaced when one fails. One pool per process.

#include "sandbox/AnalysisHelper.h"
#include "sandbox/HelperLimits.h"

#include <QString>
#include <memory>
#include <mutex>
#include <vector>

class THelperPool {
public:
    static THelperPool& Instance();
    ~THelperPool();

    // The helper program; by default tollmarsh-analyser beside this program's executable.
    void SetProgram(const QString& aProgram);
    QString Program() const;
    void SetLimits(const THelperLimits& aLimits);
    THelperLimits Limits() const;
    // How many idle helpers stay; more are ended when they come back.
    void SetIdleLimit(int aCount);

    // An idle helper, or a newly started one (not yet known to be ready).
    std::unique_ptr<TAnalysisHelper> Acquire(QString& aError);
    // A helper that finished its page cleanly goes back; others are not given back.
    void Release(std::unique_ptr<TAnalysisHelper> aHelper);
    // Ends every idle helper.
    void Clear();

    int IdleCount() const;
    int StartedCount() const;  // helpers started since the program began
    std::vector<pid_t> IdlePids() const;

    static constexpr int kDefaultIdleLimit = 11;
    static constexpr int kIdleEndWaitMs = 2000;  // the most worker threads, and the rule tester

private:
    THelperPool() = default;
    static void EndIdle(std::vector<std::unique_ptr<TAnalysisHelper>>& aHelpers);

    mutable std::mutex FMutex;
    QString FProgram;
    THelperLimits FLimits;
    int FIdleLimit = kDefaultIdleLimit;
    int FStarted = 0;
    std::vector<std::unique_ptr<TAnalysisHelper>> FIdle;
};
