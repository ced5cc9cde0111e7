#include "ui/model/RuleValidity.h"

#include "analysis/PageAnalysis.h"
#include "core/TextUtil.h"

QString RuleProblemSource(const TScrapRule& aRule)
{
    if (TrimBlanks(aRule.Query).isEmpty())
        return QStringLiteral("Значение запроса пусто. Вы не сможете запустить проверку");
    // the untrimmed query is what runs, so it is what is checked
    const bool valid = aRule.QueryType == qtTemplate ? CheckTemplateValid(aRule.Query)
                                                     : CheckQueryValid(aRule.Query, aRule.QueryType);
    return valid ? QString() : QStringLiteral("Запрос некорректен. Вы не сможете запустить проверку");
}

int FirstInvalidRule(const TScrapRuleSet& aSet, QString* aProblem)
{
    for (int i = 0; i < aSet.Count(); ++i) {
        const QString problem = RuleProblemSource(*aSet.Rule(i));
        if (!problem.isEmpty()) {
            if (aProblem)
                *aProblem = problem;
            return i;
        }
    }
    return -1;
}

QString RuleProblemDetail(const TScrapRule& aRule)
{
    return aRule.QueryType == qtRegEx ? RegExPatternError(aRule.Query) : QString();
}
