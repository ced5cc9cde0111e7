#pragma once
// Whether the rules of a set can be run, with the reason shown to the user.
// The window's rule panels and the command-line check use the same test.

#include "core/ScrapRules.h"

#include <QString>

// Empty when the rule can be run; otherwise "Значение запроса пусто. ..." or
// "Запрос некорректен. ..." (untranslated source texts).
QString RuleProblemSource(const TScrapRule& aRule);

// Position (0-based) of the first rule that cannot be run, or -1 when all can.
// An empty set counts as valid. *aProblem gets the untranslated reason.
int FirstInvalidRule(const TScrapRuleSet& aSet, QString* aProblem = nullptr);

// A little more about why a query does not compile, when the analysis can tell
// (the regular expression's error); empty otherwise.
QString RuleProblemDetail(const TScrapRule& aRule);
