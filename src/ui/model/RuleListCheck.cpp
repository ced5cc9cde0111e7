#include "ui/model/RuleListCheck.h"

#include "core/Translate.h"
#include "ui/model/RuleValidity.h"

QString RuleIdentity(int aIndex, const QString& aName)
{
    const QString number = QStringLiteral("#%1").arg(aIndex + 1);
    return aName.isEmpty() ? number : number + QStringLiteral(" \"") + aName + u'"';
}

bool CheckRulesValid(const std::vector<const TScrapRule*>& aRules, IDialogs& aDialogs, bool bShowMsg)
{
    if (aRules.empty()) {
        if (bShowMsg)
            aDialogs.ShowWarning(Tr("Набор правил пуст. Вы не сможете запустить проверку"));
        return true;  // the run and save buttons are disabled for an empty set anyway
    }
    for (size_t i = 0; i < aRules.size(); ++i) {
        const QString problem = RuleProblemSource(*aRules[i]);
        if (problem.isEmpty())
            continue;
        if (bShowMsg)
            aDialogs.ShowWarning(FormatText(Tr("Ошибка в правиле %s"), {RuleIdentity(int(i), aRules[i]->Name)}) +
                                 u'\n' + Tr(problem));
        return false;
    }
    return true;
}

bool CheckRulesValid(const TScrapRuleSet& aSet, IDialogs& aDialogs, bool bShowMsg)
{
    std::vector<const TScrapRule*> rules;
    for (int i = 0; i < aSet.Count(); ++i)
        rules.push_back(aSet.Rule(i));
    return CheckRulesValid(rules, aDialogs, bShowMsg);
}
