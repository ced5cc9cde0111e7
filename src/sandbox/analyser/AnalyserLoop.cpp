#include "sandbox/analyser/AnalyserLoop.h"

#include "analysis/AnalysisBudget.h"
#include "analysis/PageAnalysis.h"
#include "core/Translate.h"
#include "sandbox/FrameChannel.h"
#include "sandbox/analyser/FaultHooks.h"

namespace {

void TakeValues(const std::unique_ptr<TSRStringList>& aList, TRuleOutcome& aOutcome)
{
    if (aList) {
        aOutcome.HasList = true;
        aOutcome.Values = aList->Values();
    }
}

TRuleOutcome ApplyToBody(const TAnalysisRequest& aRequest, const TScrapRule& aRule)
{
    TRuleOutcome outcome;
    std::unique_ptr<TSRStringList> list;
    outcome.Applied = ApplyScrapRule(aRequest.Body, aRule, list, aRequest.ChkUnique, &outcome.Failure,
                                     aRequest.ContentType);
    TakeValues(list, outcome);
    return outcome;
}

// The rule tester's text: already decoded, so no character set is looked for.
TRuleOutcome ApplyToText(const TAnalysisRequest& aRequest, const TScrapRule& aRule)
{
    TRuleOutcome outcome;
    std::unique_ptr<TSRStringList> list;
    if (aRule.QueryType == qtRegEx) {
        outcome.Applied = RunRegExQuery(aRequest.Text, aRule.Query, aRequest.ChkUnique, list, &outcome.Failure);
    } else {
        outcome.LibraryStatus = RunXmlQuery(aRequest.Text, aRule.QueryType, aRule.Query, aRule.Attribute,
                                            aRule.ExtractType, aRequest.ChkUnique, list);
        outcome.Applied = outcome.LibraryStatus == 0;
        if (!outcome.Applied)
            outcome.Failure = QueryFailureMessage(outcome.LibraryStatus);
    }
    TakeValues(list, outcome);
    return outcome;
}

// The failure texts come in the caller's language; a caller that uses no
// catalogue gets the source texts.
void UseLanguage(const QString& aCode)
{
    static bool bound = false;
    if (aCode.isEmpty() || aCode == TranslationLanguage())
        return;
    if (!bound) {
        InitTranslation(CatalogueDir());
        bound = true;
    }
    SetTranslationLanguage(aCode);
}

}  // namespace

std::vector<TRuleOutcome> AnalyseRequest(const TAnalysisRequest& aRequest,
                                         const std::function<bool(const TRuleOutcome&)>& aSend)
{
    std::vector<TRuleOutcome> outcomes;
    TAnalysisBudget budget;
    if (aRequest.RuleBudgetMs > 0)
        budget.RuleBudgetMs = aRequest.RuleBudgetMs;
    const TAnalysisBudgetScope scope(budget);
    for (const TScrapRule& rule : aRequest.Rules) {
        RunFaultHook(rule.Query);
        TRuleOutcome outcome = aRequest.Form == pfText ? ApplyToText(aRequest, rule) : ApplyToBody(aRequest, rule);
        const bool applied = outcome.Applied;
        if (aSend && !aSend(outcome))
            break;
        outcomes.push_back(std::move(outcome));
        if (!applied)
            break;
    }
    return outcomes;
}

int ServePages(int aFd)
{
    if (!WriteFrameBlocking(aFd, fkHello, {}))
        return 1;
    TFrame frame;
    while (ReadFrameBlocking(aFd, frame)) {
        if (frame.Kind != fkRequest)
            return 1;
        const std::optional<TAnalysisRequest> request = DecodeRequest(frame.Payload);
        frame.Payload.clear();
        if (!request)
            return 1;
        UseLanguage(request->Language);
        bool sent = true;
        AnalyseRequest(*request, [&](const TRuleOutcome& aOutcome) {
            sent = WriteFrameBlocking(aFd, fkOutcome, EncodeOutcome(aOutcome));
            return sent;
        });
        if (!sent)
            return 1;
    }
    return 0;
}
