#include "ui/model/RuleValidity.h"

#include <gtest/gtest.h>

namespace {

TScrapRule Rule(TScrapQueryType aType, const QString& aQuery)
{
    TScrapRule rule;
    rule.QueryType = aType;
    rule.Query = aQuery;
    return rule;
}

}  // namespace

// One answer for panels and the command line: valid or not, the panel's text
// and the compiler's reason.
TEST(RuleValidity, ValidOrInvalidWithTheReason)
{
    const char* empty = "Значение запроса пусто. Вы не сможете запустить проверку";
    const char* invalid = "Запрос некорректен. Вы не сможете запустить проверку";
    const struct {
        TScrapQueryType Type;
        const char* Query;
        const char* Problem;
        const char* Reason;  // a part of it
    } cases[] = {
        {qtXPath, "//h1", "", ""},
        {qtCssPath, "  h1", "", ""},  // leading blanks are checked with the query, not trimmed away
        {qtXPath, " \t\r\n", empty, ""},
        {qtRegEx, "", empty, ""},
        {qtCssPath, "a[", invalid, "at column 2"},
        {qtTemplate, "<ul><li>{.}</ul>", invalid, "line 1, column"},
        {qtXPath, "1 +", invalid, "invalid expression at character 4"},
        {qtXQuery, "for $a in", invalid, "XPST0003"},
        {qtRegEx, "a(b", invalid, "missing closing parenthesis"},
        {qtDefault, "//a", invalid, "unknown query type 5"},
    };
    for (const auto& c : cases) {
        const TRuleValidity validity = CheckRuleValidity(Rule(c.Type, QString::fromUtf8(c.Query)));
        EXPECT_EQ(validity.Valid, *c.Problem == 0) << c.Query;
        EXPECT_EQ(validity.Problem, QString::fromUtf8(c.Problem)) << c.Query;
        EXPECT_EQ(RuleProblemSource(Rule(c.Type, QString::fromUtf8(c.Query))), QString::fromUtf8(c.Problem));
        if (*c.Reason == 0)
            EXPECT_TRUE(validity.Reason.isEmpty()) << c.Query << validity.Reason.toStdString();
        else
            EXPECT_TRUE(validity.Reason.contains(QString::fromUtf8(c.Reason))) << validity.Reason.toStdString();
    }

    TScrapRuleSet set;
    set.Add(std::make_unique<TScrapRule>(Rule(qtXPath, "//a")));
    EXPECT_EQ(FirstInvalidRule(set), -1);
    set.Add(std::make_unique<TScrapRule>(Rule(qtCssPath, "a[")));
    TRuleValidity validity;
    EXPECT_EQ(FirstInvalidRule(set, &validity), 1);
    EXPECT_FALSE(validity.Valid);
}
