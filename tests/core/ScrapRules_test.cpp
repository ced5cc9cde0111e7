#include "core/ScrapRules.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TScrapRule> MakeRule(const QString& aName, TScrapQueryType aType, const QString& aQuery,
                                     const QString& aAttr = QString(), TScrapExtractType aExtract = etTextContent)
{
    auto rule = std::make_unique<TScrapRule>();
    rule->Name = aName;
    rule->QueryType = aType;
    rule->Query = aQuery;
    rule->Attribute = aAttr;
    rule->ExtractType = aExtract;
    return rule;
}

TEST(ScrapRuleSet, NewRuleHasEmptyFields)
{
    const TScrapRule rule;
    EXPECT_TRUE(rule.Name.isEmpty());
    EXPECT_EQ(rule.QueryType, qtXPath);
    EXPECT_TRUE(rule.Query.isEmpty());
    EXPECT_TRUE(rule.Attribute.isEmpty());
    EXPECT_EQ(rule.ExtractType, etTextContent);
    EXPECT_EQ(sizeof(TScrapQueryType), 1u);
    EXPECT_EQ(sizeof(TScrapExtractType), 1u);
}

TEST(ScrapRuleSet, CloneCopiesEveryFieldIntoNewObjects)
{
    TScrapRuleSet source;
    source.Name = QStringLiteral("Main");
    source.Add(MakeRule("A", qtCssPath, "div.a", "href", etOuterHTML));
    source.Add(MakeRule("B", TScrapQueryType(255), "x", "", TScrapExtractType(200)));

    const std::unique_ptr<TScrapRuleSet> copy = source.Clone();
    ASSERT_EQ(copy->Count(), 2);
    EXPECT_EQ(copy->Name, QStringLiteral("Main"));
    EXPECT_EQ(copy->GetJSONString(), source.GetJSONString());
    EXPECT_EQ(copy->Rule(1)->QueryType, TScrapQueryType(255));  // kept unchanged
    EXPECT_EQ(copy->Rule(1)->ExtractType, TScrapExtractType(200));
    for (int i = 0; i < 2; ++i)
        EXPECT_NE(copy->Rule(i), source.Rule(i));

    // Edits on either side never reach the other (a running task keeps its rules).
    source.Rule(0)->Query = QStringLiteral("changed");
    source.Add(MakeRule("C", qtRegEx, "y"));
    copy->Rule(1)->Name = QStringLiteral("other");
    EXPECT_EQ(copy->Rule(0)->Query, QStringLiteral("div.a"));
    EXPECT_EQ(copy->Count(), 2);
    EXPECT_EQ(source.Rule(1)->Name, QStringLiteral("B"));

    TScrapRuleSet empty;
    empty.Name = QStringLiteral("Пусто");
    const auto emptyCopy = empty.Clone();
    EXPECT_EQ(emptyCopy->Count(), 0);
    EXPECT_EQ(emptyCopy->Name, QStringLiteral("Пусто"));
}

TEST(ScrapRuleSet, AssignFromReplacesRulesAndKeepsName)
{
    TScrapRuleSet target;
    target.Name = QStringLiteral("Target");
    target.Add(MakeRule("old", qtXPath, "//a"));
    TScrapRuleSet source;
    source.Name = QStringLiteral("Source");
    source.Add(MakeRule("n1", qtXQuery, "q1"));
    source.Add(MakeRule("n2", qtTemplate, "q2"));

    target.AssignFrom(source);
    EXPECT_EQ(target.Name, QStringLiteral("Target"));
    ASSERT_EQ(target.Count(), 2);
    EXPECT_EQ(target.Rule(0)->Name, QStringLiteral("n1"));
    EXPECT_EQ(target.Rule(1)->QueryType, qtTemplate);
    EXPECT_NE(target.Rule(0), source.Rule(0));

    target.AssignFrom(target);  // harmless even though callers never do it
    EXPECT_EQ(target.Count(), 2);

    target.AssignFrom(TScrapRuleSet());
    EXPECT_EQ(target.Count(), 0);
    EXPECT_EQ(target.Name, QStringLiteral("Target"));
}

TEST(ScrapRuleSet, ListOperations)
{
    TScrapRuleSet set;
    TScrapRule* a = set.Add(MakeRule("a", qtXPath, ""));
    set.Add(MakeRule("b", qtXPath, ""));
    set.Add(MakeRule("c", qtXPath, ""));
    std::unique_ptr<TScrapRule> taken = set.Take(0);
    EXPECT_EQ(taken.get(), a);
    EXPECT_EQ(set.Count(), 2);
    EXPECT_EQ(set.Rule(0)->Name, QStringLiteral("b"));
    set.Delete(1);
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Rule(0)->Name, QStringLiteral("b"));
    set.Clear();
    EXPECT_EQ(set.Count(), 0);
}

struct TJsonCase {
    const char* Label;
    TScrapRule Rule;
    QString SetName;
    QString Expected;
};

TEST(ScrapRuleSet, JsonTextIsExact)
{
    const auto rule = [](const char* n, int q, const QString& query, const char* attr, int e) {
        TScrapRule r;
        r.Name = QString::fromUtf8(n);
        r.QueryType = TScrapQueryType(q);
        r.Query = query;
        r.Attribute = QString::fromUtf8(attr);
        r.ExtractType = TScrapExtractType(e);
        return r;
    };
    const TJsonCase cases[] = {
        {"example", rule("Title", qtXPath, "//h1", "", etTextContent), "Main",
         R"({"name":"Main","rules":[{"name":"Title","qtype":0,"query":"//h1","attr":"","etype":0}]})"},
        {"control characters", rule("r", qtRegEx, QStringLiteral("a\nb\tc\x1b" "d/e\rf\bg\fh\vi\x01"), "", etAnyPart), "S",
         R"({"name":"S","rules":[{"name":"r","qtype":3,"query":"a\nb\tc\u001Bd/e\rf\bg\fh\vi\u0001","attr":"","etype":3}]})"},
        {"quotes, backslashes, Cyrillic", rule("Цена \"x\" \\ y", qtCssPath, "a[href]", "href", etInnerHTML),
         QStringLiteral(u"Набор"),
         QStringLiteral(u"{\"name\":\"Набор\",\"rules\":[{\"name\":\"Цена \\\"x\\\" \\\\ y\",\"qtype\":2,"
                        u"\"query\":\"a[href]\",\"attr\":\"href\",\"etype\":2}]}")},
        {"255 is -1", rule("", 255, "", "", 255), "",
         R"({"name":"","rules":[{"name":"","qtype":-1,"query":"","attr":"","etype":-1}]})"},
        {"128 is -128", rule("", 128, "", "", 127), "",
         R"({"name":"","rules":[{"name":"","qtype":-128,"query":"","attr":"","etype":127}]})"},
    };
    for (const auto& c : cases) {
        TScrapRuleSet set;
        set.Name = c.SetName;
        set.Add(std::make_unique<TScrapRule>(c.Rule));
        EXPECT_EQ(set.GetJSONString(), c.Expected) << c.Label;
    }
    TScrapRuleSet empty;
    empty.Name = QStringLiteral("E");
    EXPECT_EQ(empty.GetJSONString(), QStringLiteral(R"({"name":"E","rules":[]})"));

    TScrapRuleSet two;
    two.Add(MakeRule("a", qtXPath, "1"));
    two.Add(MakeRule("b", qtXQuery, "2"));
    EXPECT_EQ(two.GetJSONString(),
              QStringLiteral(R"({"name":"","rules":[{"name":"a","qtype":0,"query":"1","attr":"","etype":0},)"
                             R"({"name":"b","qtype":1,"query":"2","attr":"","etype":0}]})"));
}

TEST(SRStringList, AddResultTrimsAndSkipsEmptyValues)
{
    TSRStringList list;
    list.AddResult(QString(), false);
    list.AddResult(QStringLiteral(" \t\r\n "), false);
    list.AddResult(QString(QChar(0)) + QStringLiteral("\x1f"), false);
    EXPECT_EQ(list.Count(), 0);
    list.AddResult(QStringLiteral("  a b \r\n"), false);
    // Only U+0000..U+0020 are trimmed: a no-break space stays.
    list.AddResult(QStringLiteral(u"\u00a0x\u00a0"), false);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0), QStringLiteral("a b"));
    EXPECT_EQ(list[1], QStringLiteral(u"\u00a0x\u00a0"));
    EXPECT_EQ(list.Text(), QStringLiteral(u"a b\r\n\u00a0x\u00a0\r\n"));
}

TEST(SRStringList, UniqueFlagIgnoresLetterCaseInEveryScript)
{
    TSRStringList unique;
    for (const char* value : {"Привет Мир", "ПРИВЕТ мир", " привет мир ", "Hello", "HELLO", "ёлка", "ЁЛКА", "Straße",
                              "STRASSE", "STRAßE"})
        unique.AddResult(QString::fromUtf8(value), true);
    // ß has no one-letter upper form: "STRASSE" is another value.
    const QStringList expected = {QStringLiteral(u"Привет Мир"), QStringLiteral("Hello"), QStringLiteral(u"ёлка"),
                                  QStringLiteral(u"Straße"), QStringLiteral("STRASSE")};
    EXPECT_EQ(unique.Values(), expected);

    TSRStringList all;
    all.AddResult(QStringLiteral(u"Ёж"), false);
    all.AddResult(QStringLiteral(u"ёЖ"), false);
    EXPECT_EQ(all.Count(), 2);
    EXPECT_EQ(all.IndexOf(QStringLiteral(u"ЁЖ")), 0);  // the first of equal values
}

TEST(SRStringList, LookupFollowsChangesAfterAnEarlierLookup)
{
    TSRStringList list;
    EXPECT_EQ(list.IndexOf(QStringLiteral("a")), -1);  // builds the index of an empty list
    list.Append(QStringLiteral("a"));
    list.Append(QStringLiteral("A"));
    list.Append(QStringLiteral(u"\U00010400"));  // DESERET CAPITAL LONG I, outside the BMP
    EXPECT_EQ(list.IndexOf(QStringLiteral("A")), 0);
    list.Append(QStringLiteral("b"));
    EXPECT_EQ(list.IndexOf(QStringLiteral("B")), 3);
    EXPECT_TRUE(list.Contains(QStringLiteral(u"\U00010428")));  // its small letter
    EXPECT_FALSE(list.Contains(QStringLiteral("c")));
    EXPECT_EQ(TSRStringList::UpperKey(QStringLiteral(u"aß\U00010428я")), QStringLiteral(u"Aß\U00010400Я"));
}

TEST(SRStringList, UniqueFillOfManyValuesStaysFast)
{
    // A scan of the list per value would make this quadratic.
    TSRStringList list;
    for (int i = 0; i < 20000; ++i) {
        list.AddResult(QStringLiteral("value %1").arg(i), true);
        list.AddResult(QStringLiteral("VALUE %1").arg(i / 2), true);
    }
    EXPECT_EQ(list.Count(), 20000);
}

}  // namespace
