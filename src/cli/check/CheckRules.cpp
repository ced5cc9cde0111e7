#include "cli/check/CheckRules.h"
#include "core/Translate.h"

#include "cli/RuleText.h"
#include "cli/check/BadInput.h"
#include "cli/check/ConsoleOutput.h"
#include "cli/check/RuleSetDiagnosis.h"
#include "ui/model/RuleValidity.h"

#include <QFileInfo>

namespace {

void RequireRunnable(const TScrapRuleSet& aSet, const QString& aWhere)
{
    if (aSet.Count() == 0)
        throw TBadInput(Tr("the rule set \"%1\" has no rules").arg(aSet.Name));
    TRuleValidity validity;
    const int invalid = FirstInvalidRule(aSet, &validity);
    if (invalid >= 0) {
        const TScrapRule& rule = *aSet.Rule(invalid);
        throw TBadInput(Tr("%1rule %2 \"%3\" of the set \"%4\": %5")
                            .arg(aWhere)
                            .arg(invalid + 1)
                            .arg(rule.Name, aSet.Name, RuleRefusal(rule, validity)));
    }
}

const TScrapRuleSet& ChooseRuleSet(const TScrapRuleSets& aSets, const TCheckOptions& aOptions,
                                   const QString& aFileName)
{
    if (aSets.Count() == 0)
        throw TBadInput(Tr("the rule-set file holds no rule set: %1 (docs/rule-sets.md shows one)")
                            .arg(aFileName));
    const TScrapRuleSet* set = aOptions.SetName.isEmpty() ? aSets.At(0) : aSets.GetByName(aOptions.SetName);
    if (!set) {
        QStringList names;
        for (int i = 0; i < aSets.Count(); ++i)
            names << QStringLiteral("\"%1\"").arg(aSets.At(i)->Name);
        throw TBadInput(Tr("no rule set named \"%1\" in %2 (sets: %3)")
                            .arg(aOptions.SetName, aFileName, names.join(", ")));
    }
    RequireRunnable(*set, QString());
    return *set;
}

}  // namespace

const TScrapRuleSet& LoadRuleSetFile(TScrapRuleSets& aSets, const TCheckOptions& aOptions)
{
    const QString fileName =
        aOptions.RulesFile.isEmpty() ? BesideExecutable("Tollmarsh.json") : aOptions.RulesFile;
    if (aOptions.RulesFile.isEmpty() && !QFileInfo::exists(fileName))
        throw TBadInput(Tr("no rules: give a rule-set file with --rules FILE or rules with --rule RULE "
                                       "(there is no %1; docs/rule-sets.md describes both)")
                            .arg(fileName));
    RequireReadableFile(fileName, "rule-set file");
    const QString problem = DiagnoseRuleSetFile(fileName);
    if (!problem.isEmpty())
        throw TBadInput(Tr("not a valid rule-set file: %1: %2\n(the format is described in "
                                       "docs/rule-sets.md)")
                            .arg(fileName, problem));
    if (!aSets.LoadFromFile(fileName))
        throw TBadInput(Tr("not a valid rule-set file: %1").arg(fileName));
    return ChooseRuleSet(aSets, aOptions, fileName);
}

std::unique_ptr<TScrapRuleSet> RuleSetFromSpecs(const TCheckOptions& aOptions)
{
    auto set = std::make_unique<TScrapRuleSet>();
    set->Name = aOptions.SetName.isEmpty() ? QStringLiteral("Main") : aOptions.SetName;
    for (int i = 0; i < aOptions.RuleSpecs.size(); ++i) {
        auto rule = std::make_unique<TScrapRule>();
        QString error;
        if (!ParseRuleSpec(aOptions.RuleSpecs.at(i), i + 1, *rule, error))
            throw TBadInput(error);
        set->Add(std::move(rule));
    }
    RequireRunnable(*set, QStringLiteral("--rule: "));
    return set;
}

void SaveRuleSet(const TScrapRuleSet& aSet, const QString& aFileName, TConsoleOutput& aOut)
{
    TScrapRuleSets sets;
    if (QFileInfo::exists(aFileName)) {
        const QString problem = DiagnoseRuleSetFile(aFileName);
        if (!problem.isEmpty())
            throw TBadInput(Tr("--save-rules: %1 exists and is not a rule-set file that a set can be "
                                           "added to: %2")
                                .arg(aFileName, problem));
        sets.LoadFromFile(aFileName);
    }
    const int index = sets.GetNdxByName(aSet.Name);
    if (index >= 0)
        sets.At(index)->AssignFrom(aSet);
    else
        sets.Add(aSet.Clone())->Name = aSet.Name;
    if (!sets.SaveToFile(aFileName))
        throw TBadInput(Tr("--save-rules: cannot write %1").arg(aFileName), ecWriteFailed);
    aOut.Message(Tr("rule set \"%1\" with %2 rule(s) %3 %4")
                     .arg(aSet.Name)
                     .arg(aSet.Count())
                     .arg(index >= 0 ? Tr("replaced in") : Tr("written to"), aFileName));
}
