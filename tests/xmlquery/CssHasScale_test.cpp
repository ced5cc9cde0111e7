// :has() on large pages: each element is settled once per compound of a
// relative selector, so anchors that share descendants or later siblings never
// walk them again. Without that, the wide list below alone is 2·10^8 steps.

#include "CssCount.h"
#include "xmlquery/HtmlDocument.h"
#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CssHasLargePage, LaterSiblingsAreWalkedOnce)
{
    constexpr int kItems = 20000;
    std::string html = "<ul>";
    for (int i = 1; i <= kItems; ++i) html += "<li class='c" + std::to_string(i % 7) + "'>" + std::to_string(i) + "</li>";
    html += "<li class=last>end</li></ul>";
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(html);
    EXPECT_EQ(CountFound(doc.get(), "li:has(~ li.last)"), std::size_t(kItems));
    EXPECT_EQ(CountFound(doc.get(), "li:has(~ li.none)"), 0u);
    // The last c3 with a c5 + c6 pair after it is item 19 995: the items before it qualify.
    EXPECT_EQ(CountFound(doc.get(), "li:has(~ .c3 ~ .c5 + .c6 ~ .last)"), std::size_t(kItems - 6));
    EXPECT_EQ(CountFound(doc.get(), "li:has(+ .last)"), 1u);
    EXPECT_EQ(CountFound(doc.get(), "ul:has(> .c1 ~ .c2 + .c3), :has(~ li.none)"), 1u);
}

TEST(CssHasLargePage, DeepSubtreesAreWalkedOnce)
{
    constexpr int kDepth = 2000;
    std::string html = "<body>";
    for (int i = 0; i < kDepth; ++i) html += "<div class='d" + std::to_string(i % 3) + "'>";
    html += "<p>bottom</p>";
    for (int i = 0; i < kDepth; ++i) html += "</div>";
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(html);
    EXPECT_EQ(CountFound(doc.get(), "div:has(p)"), std::size_t(kDepth));
    EXPECT_EQ(CountFound(doc.get(), "div:has(span)"), 0u);
    // The p's parent is div 1 999 (class d1); d0 and d2 sit just above it, so
    // the anchors are the divs above those three.
    EXPECT_EQ(CountFound(doc.get(), "div:has(.d2 .d0 .d1 > p)"), std::size_t(kDepth - 3));
    EXPECT_EQ(CountFound(doc.get(), "div:has(.d0 .d1 .d2 > p)"), 0u);
    EXPECT_EQ(CountFound(doc.get(), "div:has(> div > div > p)"), 1u);
    EXPECT_EQ(CountFound(doc.get(), ":is(div:has(p)) div:not(:has(div))"), 1u);
    EXPECT_EQ(CountFound(doc.get(), "body:has(div div div div div div div div span, p:only-child)"), 1u);
}

// Many anchors, many relative selectors, nested lists inside: still bounded.
TEST(CssHasLargePage, ManyRelativeSelectorsStayBounded)
{
    std::string html = "<body>";
    for (int section = 0; section < 200; ++section) {
        html += "<section>";
        for (int i = 0; i < 20; ++i) html += "<div><p class=a" + std::to_string(i % 4) + "><b>x</b></p></div>";
        html += "</section>";
    }
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(html);
    std::string list;
    for (int i = 0; i < 16; ++i) list += std::string(i ? ", " : "") + ":is(div, p) > .a" + std::to_string(i % 4) + " b";
    EXPECT_EQ(CountFound(doc.get(), "section:has(" + list + ")"), 200u);
    // Ten of the twenty divs of a section hold a0 or a1, and the a3 of the last div follows them all.
    EXPECT_EQ(CountFound(doc.get(), "div:has(> p:is(.a0, .a1) > b):has(~ div .a3)"), 200u * 10);
    EXPECT_EQ(CountFound(doc.get(), ":where(section, div):has(:nth-child(3 of div) .a2)"), 200u);
}

}  // namespace
