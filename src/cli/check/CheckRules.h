#pragma once
// The rules of a check run: a set of a rule-set file read strictly, or the
// --rule rules, optionally written into a rule-set file. Every refusal is a
// TBadInput that names the set, the rule and what is wrong.

#include "cli/check/CheckOptions.h"
#include "core/RuleSets.h"

#include <memory>

class TConsoleOutput;

// The set chosen by --rules and --set, loaded into aSets.
const TScrapRuleSet& LoadRuleSetFile(TScrapRuleSets& aSets, const TCheckOptions& aOptions);

// The --rule rules as a set named by --set (default "Main").
std::unique_ptr<TScrapRuleSet> RuleSetFromSpecs(const TCheckOptions& aOptions);

// Adds the set to the rule-set file, replacing a set of the same name.
void SaveRuleSet(const TScrapRuleSet& aSet, const QString& aFileName, TConsoleOutput& aOut);
