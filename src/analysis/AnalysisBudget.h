#pragma once
// The time every rule of every page gets, and the cancel flag that ends a
// rule early. A worker (or the command-line program) sets both for its
// thread with a TAnalysisBudgetScope; ApplyScrapRule starts each rule's clock.

#include <QString>
#include <atomic>
#include <chrono>

// One rule on one page, whatever the pattern, query, selector or template.
constexpr int kRuleTimeBudgetMs = 5000;

struct TAnalysisBudget {
    int RuleBudgetMs = kRuleTimeBudgetMs;
    const std::atomic<bool>* Cancel = nullptr;  // none: only the clock ends a rule
};

// Sets this thread's budget until the scope ends (scopes nest).
class TAnalysisBudgetScope {
public:
    explicit TAnalysisBudgetScope(const TAnalysisBudget& aBudget);
    ~TAnalysisBudgetScope();
    TAnalysisBudgetScope(const TAnalysisBudgetScope&) = delete;
    TAnalysisBudgetScope& operator=(const TAnalysisBudgetScope&) = delete;

private:
    TAnalysisBudget FPrevious;
};

const TAnalysisBudget& CurrentAnalysisBudget();

// The clock of one rule, started when it is made.
class TRuleDeadline {
public:
    TRuleDeadline();
    // True (with the reason) once the budget is spent or the run cancelled.
    bool Expired(QString* aWhy = nullptr) const;
    bool Cancelled() const;
    std::chrono::steady_clock::time_point At() const { return FAt; }

private:
    std::chrono::steady_clock::time_point FAt;
    int FBudgetMs;
    const std::atomic<bool>* FCancel;
};

// The failure texts of a rule that was stopped.
QString RuleTimeBudgetMessage(int aBudgetMs);
QString RuleCancelledMessage();
