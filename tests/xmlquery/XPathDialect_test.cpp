// Which XPath goes to libxml2 and which to the XPath 3.1 engine.
#include "xmlquery/api/XPathDialect.h"
#include "xmlquery/p1xmlquery.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(XPathDialect, TellsXPath1FromLaterXPath)
{
    for (const char* query : {"//a", "//a/@href", "count(//a) div 2", "//div[@class='body']//p",
                              "//a[contains(@href, 'lower-case(')]",     // a call inside a string is text
                              "//div and //p", "5 div (2)", "2 * 3", "//*", "//x:* | //div",
                              "//text()", "//processing-instruction('x')", "//comment()",
                              "child::node()", "ancestor::div[1]", "//a[.!='x']", "//a[@x<=1 or @y>=2]",
                              "//lower-case", "//div/mod", "string-length(name())"})
        EXPECT_TRUE(xq::api::IsXPath1Expression(query)) << query;
    for (const char* query : {"lower-case(//title)", "//a[matches(@href, '^/')]", "string-join(//a, ',')",
                              "//a ! string()", "for $a in //a return $a", "$x", "fn:count(//a)",
                              "//a[ends-with(@href, '.pdf')]", "'unclosed",
                              "//a[. = ('x', 'y')] ;", "upper-case ( 'x' )"})
        EXPECT_FALSE(xq::api::IsXPath1Expression(query)) << query;
}

TEST(XPathDialect, UnbalancedTextsAreRejectedBeforeAnyEngine)
{
    for (const char* query : {"//a", "//a[@x=']']", "(: a ( comment :) //a", "(: (: nested :) :) 1",
                              "map { 'a': [1, (2)] }", "'it''s'"})
        EXPECT_TRUE(xq::api::HasBalancedBrackets(query)) << query;
    for (const char* query : {"//a[", "//a)", "(//a", "//a[(1])", "'open", "\"open", "(: open", "}", "//a[']"})
        EXPECT_FALSE(xq::api::HasBalancedBrackets(query)) << query;
}

bool XPath31EngineReady()
{
    return p1xqIsQueryValid("lower-case('A')", P1XQ_VALID_XPATH) & 0xFF;
}

std::string Query(const char* html, const char* query, int* status = nullptr)
{
    const char* result = nullptr;
    void* handle = nullptr;
    const int s = p1xqProcessXQuery(html, query, "", 3, P1XQ_QUERY_XPATH, P1XQ_EXTRACT_TEXT, &result, &handle);
    if (status) *status = s;
    std::string json = s == 0 && result ? result : "";
    if (s == 0) p1xqFreeResult(handle);
    return json;
}

TEST(XPathDialect, LaterXPathRunsOnTheXPath31Engine)
{
    if (!XPath31EngineReady()) GTEST_SKIP() << "the XPath 3.1 engine is not available yet";
    const char* page = "<title>Hello World</title><a href='/a.pdf'>A</a><a href='/b.html'>B</a>";
    EXPECT_EQ(Query(page, "lower-case(//title)"), R"(["hello world"])");
    EXPECT_EQ(Query(page, "string-join(//a, ',')"), R"(["A,B"])");
    EXPECT_EQ(Query(page, "//a[ends-with(@href, '.pdf')]"), R"(["A"])");
    EXPECT_EQ(Query(page, "//a[matches(@href, 'html$')]/@href"), R"(["/b.html"])");
    EXPECT_EQ(Query(page, "count(//a) + 0.5"), "[2.5]");
    EXPECT_EQ(Query(page, "//a/string()"), R"(["A","B"])");  // core names, later syntax
    EXPECT_EQ(Query(page, "(1, 'x', true())"), R"([1,"x",true])");
    EXPECT_EQ(Query(page, "//tbody", nullptr), "[]");
    EXPECT_EQ(p1xqIsQueryValid("string-join(//a, ',')", P1XQ_VALID_XPATH) & 0xFF, 1);
    EXPECT_EQ(p1xqIsQueryValid("string-join(//a, ", P1XQ_VALID_XPATH) & 0xFF, 0);
    int status = -1;
    Query(page, "string-join(//a, ", &status);
    EXPECT_EQ(status, P1XQ_ERR_QUERY_COMPILE);
}

}  // namespace
