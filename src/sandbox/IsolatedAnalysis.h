#pragma once
// A page analysed in a helper process: a crash, an endless rule or a rule that
// eats the memory ends that helper, never this program.

#include "sandbox/AnalysisRequest.h"

#include <QString>
#include <atomic>
#include <vector>

enum THelperFailure {
    hfNone,
    hfUnavailable,  // no helper could be started
    hfCrashed,
    hfOutOfTime,
    hfOutOfMemory,
    hfCancelled,
};

struct TIsolatedAnalysis {
    // One per rule that ended, in order; the last may be a failed rule.
    std::vector<TRuleOutcome> Outcomes;
    // When not hfNone, the helper ended during rule number Outcomes.size() + 1.
    THelperFailure Failure = hfNone;
    QString FailureText;
};

// Uses the process's helper pool and its limits. A set aCancel kills the
// helper within about 20 ms and gives hfCancelled.
TIsolatedAnalysis AnalyseInHelper(const TAnalysisRequest& aRequest, const std::atomic<bool>* aCancel = nullptr);
