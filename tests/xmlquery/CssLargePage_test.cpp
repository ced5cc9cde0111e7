// Large and deep pages: matching must stay roughly linear. Without the shortcuts
// of the matcher these selectors take minutes (deep descendant chains) or count
// siblings over and over (wide lists); with them the whole suite takes well under
// a second even with sanitizers.

#include "CssCount.h"
#include "xmlquery/HtmlDocument.h"
#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kDepth = 300;
constexpr int kWidth = 10;

// `depth` nested lists; every list has kWidth items, the first item holds the next list.
std::string NestedLists(int depth = kDepth)
{
    std::string html = "<!DOCTYPE html><html><body>";
    for (int level = 0; level < depth; ++level) {
        html += "<ul><li><b>level " + std::to_string(level) + "</b>";
    }
    for (int level = depth - 1; level >= 0; --level) {
        html += "</li>";
        for (int i = 1; i < kWidth; ++i) html += "<li>item " + std::to_string(level) + "." + std::to_string(i) + "</li>";
        html += "</ul>";
    }
    html += "</body></html>";
    return html;
}

TEST(CssSelectorLargePage, DeepNestedListsStayLinear)
{
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(NestedLists());
    ASSERT_EQ(CountFound(doc.get(), "li"), std::size_t(kDepth * kWidth));
    EXPECT_EQ(CountFound(doc.get(), "li:nth-child(2n+1)"), std::size_t(kDepth * kWidth / 2));
    EXPECT_EQ(CountFound(doc.get(), "li:nth-last-child(3)"), std::size_t(kDepth));
    EXPECT_EQ(CountFound(doc.get(), "ul > li:first-child > b"), std::size_t(kDepth));
    // Needs six more li ancestors: the first six levels have too few.
    EXPECT_EQ(CountFound(doc.get(), "li li li li li li li > b"), std::size_t(kDepth - 6));
    // No ol anywhere: every b would try every choice of six ancestors without the
    // early exits of the matcher.
    EXPECT_EQ(CountFound(doc.get(), "ol li li li li li li b"), 0u);
    EXPECT_EQ(CountFound(doc.get(), "ol ul li ~ li li ul > li b"), 0u);
    // Nested lists inside :is() and :not() are evaluated once per element.
    EXPECT_EQ(CountFound(doc.get(), ":is(:is(ul li) li) :not(ol li, li ol) li > b"), std::size_t(kDepth - 2));
    EXPECT_EQ(CountFound(doc.get(), "li:nth-child(odd of :not(:first-child)) ~ li:last-child"), std::size_t(kDepth));
    EXPECT_EQ(CountFound(doc.get(), "b:contains('level 29')"), 11u);  // 29 and 290..299
    EXPECT_EQ(CountFound(doc.get(), "li:contains('item 0.9')"), 1u);
}

// The largest selector the parser accepts: sixteen nested :is(), each with 64
// compounds. Matching recursion stays bounded and the work stays small.
TEST(CssSelectorLargePage, DeepestAcceptedSelectorOnDeepPage)
{
    std::string selector = "b";
    for (int level = 0; level < 16; ++level) {
        std::string chain;
        for (int i = 0; i < 63; ++i) chain += "li ";
        selector = ":is(" + chain + selector + ")";
    }
    constexpr int kLevels = 80;
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(NestedLists(kLevels));
    // The b of level L has L + 1 li ancestors; 63 are needed.
    EXPECT_EQ(CountFound(doc.get(), selector), std::size_t(kLevels - 62));
    EXPECT_EQ(CountFound(doc.get(), "ul " + selector), std::size_t(kLevels - 62));
    EXPECT_EQ(CountFound(doc.get(), "ol " + selector), 0u);
}

TEST(CssSelectorLargePage, WideListCountsSiblingsOnce)
{
    constexpr int kItems = 10000;
    std::string html = "<ul>";
    for (int i = 1; i <= kItems; ++i) html += "<li class='c" + std::to_string(i % 7) + "'>" + std::to_string(i) + "</li>";
    html += "</ul>";
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(html);
    EXPECT_EQ(CountFound(doc.get(), "li:nth-child(3n)"), std::size_t(kItems / 3));
    EXPECT_EQ(CountFound(doc.get(), "li:nth-last-of-type(-n+10)"), 10u);
    EXPECT_EQ(CountFound(doc.get(), "li:last-child, li:first-of-type"), 2u);
    EXPECT_EQ(CountFound(doc.get(), "li:nth-child(2 of .c3)"), 1u);
    // Every item with class c2 (it follows a c1) except the second, which has no c0 before it.
    std::size_t c2AfterC0 = 0;
    for (int i = 3; i <= kItems; ++i) c2AfterC0 += i % 7 == 2;
    EXPECT_EQ(CountFound(doc.get(), ".c0 ~ .c1 + .c2"), c2AfterC0);
    EXPECT_EQ(CountFound(doc.get(), "li:only-of-type"), 0u);
    // Nothing precedes the list items: each walk back over earlier siblings is done once.
    EXPECT_EQ(CountFound(doc.get(), "div ~ li, p ~ *, :not(li) ~ li"), 0u);
    EXPECT_EQ(CountFound(doc.get(), "li:not(.c6 ~ li)"), 6u);
}

}  // namespace
