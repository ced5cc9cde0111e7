#include "analysis/AnalysisBudget.h"

#include "core/Translate.h"

namespace {

thread_local TAnalysisBudget ThreadBudget;

}  // namespace

TAnalysisBudgetScope::TAnalysisBudgetScope(const TAnalysisBudget& aBudget)
    : FPrevious(ThreadBudget)
{
    ThreadBudget = aBudget;
}

TAnalysisBudgetScope::~TAnalysisBudgetScope()
{
    ThreadBudget = FPrevious;
}

const TAnalysisBudget& CurrentAnalysisBudget()
{
    return ThreadBudget;
}

TRuleDeadline::TRuleDeadline()
    : FAt(std::chrono::steady_clock::now() + std::chrono::milliseconds(ThreadBudget.RuleBudgetMs))
    , FBudgetMs(ThreadBudget.RuleBudgetMs)
    , FCancel(ThreadBudget.Cancel)
{
}

bool TRuleDeadline::Cancelled() const
{
    return FCancel && FCancel->load(std::memory_order_relaxed);
}

bool TRuleDeadline::Expired(QString* aWhy) const
{
    if (Cancelled()) {
        if (aWhy)
            *aWhy = RuleCancelledMessage();
        return true;
    }
    if (std::chrono::steady_clock::now() < FAt)
        return false;
    if (aWhy)
        *aWhy = RuleTimeBudgetMessage(FBudgetMs);
    return true;
}

QString RuleTimeBudgetMessage(int aBudgetMs)
{
    return Tr("the rule ran out of its time budget of %1 s").arg(aBudgetMs / 1000.0);
}

QString RuleCancelledMessage()
{
    return Tr("the run was cancelled");
}
