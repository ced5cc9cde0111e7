#include "sandbox/IsolatedAnalysis.h"

#include "analysis/AnalysisBudget.h"
#include "core/Translate.h"
#include "sandbox/HelperPool.h"

#include <chrono>

namespace {

using TClock = std::chrono::steady_clock;

// Watches one helper while the program waits for it.
class THelperWatch {
public:
    THelperWatch(TAnalysisHelper& aHelper, const THelperLimits& aLimits, const std::atomic<bool>* aCancel)
        : FHelper(aHelper), FLimits(aLimits), FCancel(aCancel)
    {
    }

    void SetDeadline(int aMs, THelperFailure aFailure, QString aText)
    {
        FDeadline = TClock::now() + std::chrono::milliseconds(aMs);
        FLateFailure = aFailure;
        FLateText = std::move(aText);
    }

    // The callback of every wait: false once the helper has to be stopped.
    bool KeepWaiting()
    {
        if (FCancel && FCancel->load()) {
            Stop(hfCancelled, RuleCancelledMessage());
            return false;
        }
        if (TClock::now() >= FDeadline) {
            Stop(FLateFailure, FLateText);
            return false;
        }
        const qint64 resident = FHelper.ResidentBytes();
        if (resident > FLimits.MemoryBytes) {
            Stop(hfOutOfMemory, Tr("the analysis helper was stopped for using more than %1 MB of memory")
                                    .arg(FLimits.MemoryBytes >> 20));
            return false;
        }
        return true;
    }

    THelperFailure Failure() const { return FFailure; }
    const QString& Text() const { return FText; }

private:
    void Stop(THelperFailure aFailure, QString aText)
    {
        FHelper.Kill();
        FFailure = aFailure;
        FText = std::move(aText);
    }

    TAnalysisHelper& FHelper;
    const THelperLimits FLimits;
    const std::atomic<bool>* FCancel;
    TClock::time_point FDeadline = TClock::now();
    THelperFailure FLateFailure = hfOutOfTime;
    QString FLateText;
    THelperFailure FFailure = hfNone;
    QString FText;
};

QString OutOfTimeText(int aBudgetMs)
{
    return Tr("the analysis helper was stopped: %1").arg(RuleTimeBudgetMessage(aBudgetMs));
}

// False in aSent when the request could not even be handed over.
TIsolatedAnalysis AnalyseOnce(const TAnalysisRequest& aRequest, const std::atomic<bool>* aCancel, bool& aReused,
                              bool& aSent)
{
    TIsolatedAnalysis result;
    THelperPool& pool = THelperPool::Instance();
    const THelperLimits limits = pool.Limits();
    QString error;
    std::unique_ptr<TAnalysisHelper> helper = pool.Acquire(error);
    if (!helper) {
        result.Failure = hfUnavailable;
        result.FailureText = Tr("the analysis helper could not be started: %1").arg(error);
        return result;
    }
    aReused = helper->Ready();
    THelperWatch watch(*helper, limits, aCancel);
    const auto keepWaiting = [&watch] { return watch.KeepWaiting(); };
    // Whatever ended the helper unasked, in its own words.
    const auto crashed = [&] {
        if (watch.Failure() != hfNone) {
            result.Failure = watch.Failure();
            result.FailureText = watch.Text();
        } else {
            result.Failure = hfCrashed;
            result.FailureText = helper->EndDescription();
        }
        return result;
    };

    TFrame frame;
    if (!helper->Ready()) {
        watch.SetDeadline(limits.StartTimeoutMs, hfUnavailable,
                          Tr("the analysis helper did not start within %1 s").arg(limits.StartTimeoutMs / 1000));
        if (helper->Connection().Read(frame, keepWaiting) != wrDone || frame.Kind != fkHello)
            return crashed();
        helper->SetReady();
    }

    const int budgetMs = aRequest.RuleBudgetMs > 0 ? aRequest.RuleBudgetMs : kRuleTimeBudgetMs;
    const int perRuleMs = budgetMs + limits.GraceMs;
    watch.SetDeadline(perRuleMs, hfOutOfTime, OutOfTimeText(budgetMs));
    TAnalysisRequest request = aRequest;  // shares the page's bytes
    request.Language = TranslationLanguage();
    if (helper->Connection().Write(fkRequest, EncodeRequest(request), keepWaiting) != wrDone)
        return crashed();
    aSent = true;
    while (result.Outcomes.size() < aRequest.Rules.size()) {
        if (helper->Connection().Read(frame, keepWaiting) != wrDone)
            return crashed();
        std::optional<TRuleOutcome> outcome = frame.Kind == fkOutcome ? DecodeOutcome(frame.Payload) : std::nullopt;
        if (!outcome) {
            helper->Kill();
            result.Failure = hfCrashed;
            result.FailureText = Tr("the analysis helper sent a malformed answer");
            return result;
        }
        const bool applied = outcome->Applied;
        result.Outcomes.push_back(std::move(*outcome));
        if (!applied)
            break;  // the helper stops at a failed rule
        watch.SetDeadline(perRuleMs, hfOutOfTime, OutOfTimeText(budgetMs));
    }
    pool.Release(std::move(helper));
    return result;
}

}  // namespace

TIsolatedAnalysis AnalyseInHelper(const TAnalysisRequest& aRequest, const std::atomic<bool>* aCancel)
{
    bool reused = false;
    bool sent = false;
    TIsolatedAnalysis result = AnalyseOnce(aRequest, aCancel, reused, sent);
    // An idle helper that died meanwhile is no fault of this page: once more with a fresh one.
    if (result.Failure == hfCrashed && reused && !sent)
        result = AnalyseOnce(aRequest, aCancel, reused, sent);
    return result;
}
