#pragma once
// The check of the rules before a run or a save, with the box that explains the
// first problem.

#include "core/Dialogs.h"
#include "core/ScrapRules.h"

#include <QString>
#include <vector>

// How a rule is named in "Ошибка в правиле %s": its position in the set
// (from 1) and, when it has one, its name in quotes: #2 "Title".
QString RuleIdentity(int aIndex, const QString& aName);

// True when every rule can be run; an empty list counts as valid. With
// bShowMsg the first problem (or the empty list) is explained in a warning box.
bool CheckRulesValid(const std::vector<const TScrapRule*>& aRules, IDialogs& aDialogs, bool bShowMsg);
bool CheckRulesValid(const TScrapRuleSet& aSet, IDialogs& aDialogs, bool bShowMsg);
