#include "ui/model/RuleValidity.h"

#include "analysis/PageAnalysis.h"
#include "core/TextUtil.h"

TRuleValidity CheckRuleValidity(const TScrapRule& aRule)
{
    TRuleValidity validity;
    if (TrimBlanks(aRule.Query).isEmpty()) {
        validity.Valid = false;
        validity.Problem = QStringLiteral("Значение запроса пусто. Вы не сможете запустить проверку");
        return validity;
    }
    validity.Reason = QueryInvalidReason(aRule.Query, aRule.QueryType);
    if (!validity.Reason.isEmpty()) {
        validity.Valid = false;
        validity.Problem = QStringLiteral("Запрос некорректен. Вы не сможете запустить проверку");
    }
    return validity;
}

QString RuleProblemSource(const TScrapRule& aRule)
{
    return CheckRuleValidity(aRule).Problem;
}

int FirstInvalidRule(const TScrapRuleSet& aSet, TRuleValidity* aValidity)
{
    for (int i = 0; i < aSet.Count(); ++i) {
        TRuleValidity validity = CheckRuleValidity(*aSet.Rule(i));
        if (!validity.Valid) {
            if (aValidity)
                *aValidity = std::move(validity);
            return i;
        }
    }
    return -1;
}
