#pragma once
// Whether a rule can be run, with the reason shown to the user. The window's
// rule panels, the command-line check and the query command use this one test.

#include "core/ScrapRules.h"

#include <QString>

struct TRuleValidity {
    bool Valid = true;
    // Untranslated source text when invalid: "Значение запроса пусто. ..." or
    // "Запрос некорректен. ..."; empty when valid.
    QString Problem;
    // For an invalid query: why, in the words of its compiler (see
    // QueryInvalidReason); empty for an empty query.
    QString Reason;
};

// A query of only blanks and control characters (code 32 and below) counts as
// empty; otherwise the untrimmed query is checked, since that is what runs.
TRuleValidity CheckRuleValidity(const TScrapRule& aRule);

// CheckRuleValidity(aRule).Problem: what a panel shows beside its mark.
QString RuleProblemSource(const TScrapRule& aRule);

// Position (0-based) of the first rule that cannot be run, or -1 when all can.
// An empty set counts as valid. *aValidity gets that rule's answer.
int FirstInvalidRule(const TScrapRuleSet& aSet, TRuleValidity* aValidity = nullptr);
