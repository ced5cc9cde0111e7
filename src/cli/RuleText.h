#pragma once
// Rules as the command line writes them: the names of query types and extract
// modes, "--rule" texts, and the words for a rule that cannot run.

#include "core/ScrapRules.h"
#include "ui/model/RuleValidity.h"

#include <QString>

// "xpath", "xquery", "css", "regex", "template" (any letter case).
bool ParseQueryTypeName(const QString& aText, TScrapQueryType& aType);
// "text", "outer", "inner", "any" (any letter case).
bool ParseExtractName(const QString& aText, TScrapExtractType& aType);
QString QueryTypeName(TScrapQueryType aType);  // "css"; the number for an unknown code
QString LanguageName(TScrapQueryType aType);   // "CSS selector"

// The extract mode a rule of the type gets when none is given: a regular
// expression takes its whole match, the others the text content.
TScrapExtractType DefaultExtract(TScrapQueryType aType);

// "TYPE[,name=NAME][,extract=MODE][,attr=ATTRIBUTE]:QUERY": everything after the
// first ":" is the query, unchanged. aPosition (1-based) gives the default name
// "Rule N". False with a message when the rule text is malformed.
bool ParseRuleSpec(const QString& aSpec, int aPosition, TScrapRule& aRule, QString& aError);

// "invalid CSS selector: REASON (query "a[")" or "the query is empty".
QString RuleRefusal(const TScrapRule& aRule, const TRuleValidity& aValidity);
