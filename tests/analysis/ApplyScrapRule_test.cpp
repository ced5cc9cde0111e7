#include "analysis/PageAnalysis.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TScrapRule Rule(TScrapQueryType aType, const QString& aQuery, TScrapExtractType aExtract = etTextContent,
                const QString& aAttribute = {})
{
    TScrapRule rule;
    rule.QueryType = aType;
    rule.Query = aQuery;
    rule.ExtractType = aExtract;
    rule.Attribute = aAttribute;
    return rule;
}

const QByteArray kPage1251 =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
    "<title>\xD2\xE5\xF1\xF2</title></head><body>"
    "<h1> \xCF\xF0\xE8\xE2\xE5\xF2 </h1><p class=\"x\">\xEC\xE8\xF0</p><p class=\"x\">\xCC\xC8\xD0</p>"
    "<a href=\"/one\">1</a><a href=\"/two\">2</a></body></html>";

const QByteArray kPageUtf8 =
    "<html><head><title>T</title></head><body>"
    "<ul><li>Alpha</li><li> alpha </li><li>Beta</li><li>   </li></ul>"
    "<div id=\"d\"><b>bold</b> tail</div>"
    "<a href=\"/x\" title=\"X\">x</a><a href=\"/y\">y</a></body></html>";

TEST(ApplyScrapRule, RegularExpressionsOnDecodedPages)
{
    std::unique_ptr<TSRStringList> list;
    // The pattern is Cyrillic; the page is Windows-1251 and is decoded first.
    ASSERT_TRUE(ApplyScrapRule(kPage1251, Rule(qtRegEx, QStringLiteral("мир"), etAnyPart), list, true));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Values(), QStringList{QStringLiteral("мир")});
    ASSERT_TRUE(ApplyScrapRule(kPage1251, Rule(qtRegEx, QStringLiteral("мир"), etAnyPart), list, false));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Values(), (QStringList{QStringLiteral("мир"), QStringLiteral("МИР")}));
    // Whatever the stored extract type, the whole match is taken.
    ASSERT_TRUE(ApplyScrapRule(kPage1251, Rule(qtRegEx, "<h1>([^<]*)</h1>", etInnerHTML), list, true));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Values(), QStringList{QStringLiteral("<h1> Привет </h1>")});
    // Nothing found: true with no list.
    EXPECT_TRUE(ApplyScrapRule(kPage1251, Rule(qtRegEx, "nothing here"), list, true));
    EXPECT_EQ(list, nullptr);
}

TEST(ApplyScrapRule, RulesThatCannotBeApplied)
{
    std::unique_ptr<TSRStringList> list = std::make_unique<TSRStringList>();
    QString why;
    EXPECT_FALSE(ApplyScrapRule(kPageUtf8, Rule(qtDefault, "//a"), list, true, &why));
    EXPECT_EQ(list, nullptr);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(ApplyScrapRule(kPageUtf8, Rule(TScrapQueryType(255), "//a"), list, true));
    EXPECT_FALSE(ApplyScrapRule(kPageUtf8, Rule(qtRegEx, "(unclosed"), list, true, &why));
    EXPECT_EQ(list, nullptr);
    EXPECT_TRUE(why.contains("parenthesis")) << why.toStdString();
    EXPECT_FALSE(CheckQueryValid("//a", qtDefault));
    EXPECT_FALSE(CheckQueryValid("//a", qtTemplate));
    EXPECT_FALSE(CheckQueryValid(QString(), qtXPath));
    EXPECT_FALSE(CheckTemplateValid(QString()));
}

// The following go through the query library.

QStringList Values(const QByteArray& aBody, const TScrapRule& aRule, bool bUnique = true)
{
    std::unique_ptr<TSRStringList> list;
    QString why;
    if (!ApplyScrapRule(aBody, aRule, list, bUnique, &why))
        return {QStringLiteral("<failed: %1>").arg(why)};
    if (!list)
        return {QStringLiteral("<no list>")};
    return list->Values();
}

TEST(ApplyScrapRule, QueryLibraryLanguages)
{
    struct {
        const char* Name;
        QByteArray Body;
        TScrapRule Rule;
        bool Unique;
        QStringList Expected;
    } cases[] = {
        {"XPath text, trimmed, unique", kPageUtf8, Rule(qtXPath, "//li"), true, {"Alpha", "Beta"}},
        {"XPath text, all", kPageUtf8, Rule(qtXPath, "//li"), false, {"Alpha", "alpha", "Beta"}},
        {"XPath finds nothing: an empty list", kPageUtf8, Rule(qtXPath, "//table"), true, {}},
        {"XPath outer HTML", kPageUtf8, Rule(qtXPath, "//div[@id='d']/b", etOuterHTML), true,
         {"<b>bold</b>"}},
        {"XPath inner HTML", kPageUtf8, Rule(qtXPath, "//div[@id='d']", etInnerHTML), true,
         {"<b>bold</b> tail"}},
        {"XPath on a Windows-1251 page", kPage1251, Rule(qtXPath, "//h1"), true,
         {QStringLiteral("Привет")}},
        {"CSS with an attribute", kPageUtf8, Rule(qtCssPath, "a", etTextContent, "href"), true,
         {"/x", "/y"}},
        {"CSS text", kPage1251, Rule(qtCssPath, "p.x"), true, {QStringLiteral("мир")}},
        {"template", "<table><tr><td>Price</td><td>10</td></tr><tr><td>Name</td><td>W</td></tr>"
                     "<tr><td>Price</td><td> 20 </td></tr></table>",
         Rule(qtTemplate, "<tr><td>Price</td><td>{.}</td></tr>"), true, {"10", "20"}},
        {"a NUL byte does not cut the page", QByteArray("<p>a</p>\0<p>b</p>", 17), Rule(qtXPath, "//p"),
         true, {"a", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Values(c.Body, c.Rule, c.Unique), c.Expected) << c.Name;
}

TEST(ApplyScrapRule, QueryLibraryFailuresAndValidity)
{
    std::unique_ptr<TSRStringList> list;
    EXPECT_FALSE(ApplyScrapRule(kPageUtf8, Rule(qtXPath, "//a[", etTextContent), list, true));
    EXPECT_EQ(list, nullptr);
    EXPECT_TRUE(CheckQueryValid("//a[@href]", qtXPath));
    EXPECT_FALSE(CheckQueryValid("//a[", qtXPath));
    EXPECT_TRUE(CheckQueryValid("div > p.x", qtCssPath));
    EXPECT_FALSE(CheckQueryValid("a[", qtCssPath));
    EXPECT_TRUE(CheckTemplateValid("<tr><td>{.}</td></tr>"));
    EXPECT_FALSE(CheckTemplateValid("<div><span></div>"));
}

TEST(ApplyScrapRule, XQueryRules)
{
    EXPECT_EQ(Values(kPageUtf8, Rule(qtXQuery, "for $a in //a return string($a/@href)")),
              (QStringList{"/x", "/y"}));
    EXPECT_TRUE(CheckQueryValid("for $a in //a return $a", qtXQuery));
    EXPECT_FALSE(CheckQueryValid("for $a in", qtXQuery));
}

TEST(ApplyScrapRule, WorkerThreadsApplyRulesAtOnce)
{
    // Each worker applies its own rule copies to its own page; results must not mix.
    const TScrapRule rules[] = {Rule(qtXPath, "//li"), Rule(qtCssPath, "a", etTextContent, "href"),
                                Rule(qtRegEx, "<li>\\w+</li>", etAnyPart)};
    const QStringList expected[] = {{"Alpha", "Beta"}, {"/x", "/y"}, {"<li>Alpha</li>", "<li>Beta</li>"}};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                const int r = (t + i) % 3;
                if (Values(kPageUtf8, rules[r]) != expected[r])
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace

// Pages are decoded and converted once per thread and page: the next page, a
// page that differs only in its code page, and the first page again must each
// give their own values.
TEST(ApplyScrapRule, EveryPageGivesItsOwnValuesOnOneThread)
{
    const TScrapRule title = Rule(qtXPath, "//title");
    const TScrapRule regex = Rule(qtRegEx, "<title>[^<]*");
    QByteArray page1252 = kPage1251;
    page1252.replace("windows-1251", "windows-1252");
    const struct {
        const QByteArray* Page;
        const char* Title;
    } pages[] = {
        {&kPageUtf8, "T"}, {&kPage1251, "Тест"}, {&page1252, "Òåñò"}, {&kPageUtf8, "T"}, {&kPage1251, "Тест"},
    };
    for (const auto& p : pages) {
        std::unique_ptr<TSRStringList> list;
        ASSERT_TRUE(ApplyScrapRule(*p.Page, title, list, true));
        ASSERT_EQ(list->Count(), 1);
        EXPECT_EQ(list->At(0), QString::fromUtf8(p.Title));
        ASSERT_TRUE(ApplyScrapRule(*p.Page, regex, list, true));
        ASSERT_EQ(list->Count(), 1);
        EXPECT_EQ(list->At(0), "<title>" + QString::fromUtf8(p.Title));
    }
}
