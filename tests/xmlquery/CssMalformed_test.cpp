// Malformed and unsupported selectors are refused with a reason; random text
// never crashes the parser or the matcher.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct BadCase {
    std::string selector;
    const char* reasonPart;  // expected somewhere in the reason
};

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

TEST(CssSelectorErrors, MalformedSelectorsAreRefusedWithAReason)
{
    const std::vector<BadCase> cases = {
        {"", "empty selector"},
        {"  \t\n", "empty selector"},
        {"a[", "attribute"},
        {"a[href=", "attribute value"},
        {"[=x]", "attribute name"},
        {"a[x~y]", "operator"},
        {"a[x==y]", "attribute value"},
        {"a[x=y z]", "unknown attribute flag"},
        {"a[x=1]", "attribute value"},  // numbers must be quoted
        {"[a='x\ny']", "line break"},
        {"a:not(", "unterminated ':not('"},
        {":not()", "empty selector list"},
        {":foo", "unsupported pseudo-class ':foo'"},
        {":foo()", "unsupported pseudo-class ':foo()'"},
        {">a", "starts with the combinator"},
        {"~ a", "starts with the combinator"},
        {"a >", "not followed by a selector"},
        {"a > > b", "not followed by a selector"},
        {"a + ~ b", "not followed by a selector"},
        {"a,", "selector missing after ','"},
        {"a, ", "selector missing after ','"},
        {",a", "expected a selector"},
        {"a,,b", "selector missing after ','"},
        {"#1a", "invalid id selector"},
        {".", "class name"},
        {".1", "expected a selector"},
        {"a..b", "class name"},
        {"ns|a", "namespace"},
        {"*|a", "namespace"},
        {"|a", "namespace"},
        {"[ns|a]", "namespace"},
        {":nth-child()", "invalid argument"},
        {":nth-child(x)", "invalid argument"},
        {":nth-child(2n+)", "invalid argument"},
        {":nth-child(+ 2n)", "invalid argument"},
        {":nth-child(2 n)", "invalid argument"},
        {":nth-child(2n + +1)", "invalid argument"},
        {":nth-child(1 of)", "blank after 'of'"},
        {":nth-child(1 of )", "empty selector list"},
        {":nth-of-type(1 of p)", "invalid argument"},
        {":contains()", ":contains() expects"},
        {":contains(a b)", "expected ')'"},
        {"a)", "unmatched ')'"},
        {"a]", "unexpected"},
        {"a{}", "unexpected"},
        {"a;b", "unexpected"},
        {"@media", "expected a selector"},
        {"\"str\"", "expected a selector"},
        {"a | b", "namespace"},
        {"a || b", "namespace"},
        {"div*", "must come first"},
        {"p.a*", "must come first"},
        {"[a]b", "must come first"},
        {"a\\\nb", "unexpected"},
        {std::string("a\0b", 3), "NUL"},
        {"a\xff", "UTF-8"},
        {"a\xc0\xaf", "UTF-8"},  // overlong
        {Repeat(":not(", 17) + "a" + Repeat(")", 17), "nested deeper"},
        {Repeat(":is(", 40) + "a" + Repeat(")", 40), "nested deeper"},
        {Repeat(":not(", 1000), "nested deeper"},
        {Repeat("a ", 70), "more than"},
        {std::string(20000, 'a'), "longer than"},
    };
    for (const BadCase& c : cases) {
        std::string error;
        const xq::css::CompiledSelector compiled = xq::css::Compile(c.selector, &error);
        EXPECT_FALSE(compiled) << "selector: " << c.selector;
        EXPECT_NE(error.find(c.reasonPart), std::string::npos)
            << "selector: " << c.selector << "\nreason: " << error;
    }
    // A null error pointer is allowed.
    EXPECT_FALSE(xq::css::Compile("a["));
}

TEST(CssSelectorErrors, BorderlineSelectorsThatAreValid)
{
    const std::vector<std::string> valid = {
        "a /* note */ b",
        Repeat(":not(", 16) + "a" + Repeat(")", 16),
        Repeat("a ", 64),
        "  a  ,  b  ",
        "a:NOT(b)",
        ":Nth-Child(ODD)",
        "-foo",
        "--foo",
        "_a",
        "\\31 23",
        "[a|=b]",
        "[a=\"\"]",
        "a:nth-child(-n+3 of b, c)",
        "p:nth-child(n)",
        "é",
        // The end of the text closes open strings, comments, brackets and
        // functions, as in a browser.
        "a[href",
        "a[href=x",
        "[a='x",
        "a:not(b",
        ":nth-child(2",
        ":contains('a'",
        "a/*",
        // Forgiving lists, states no one set and pseudo-elements match nothing but are valid.
        "a:is(b,",
        ":is()",
        "a:hover",
        "a::before",
        "a:before",
        "p:first-line",
    };
    for (const std::string& selector : valid) {
        std::string error;
        EXPECT_TRUE(xq::css::Compile(selector, &error)) << "selector: " << selector << "\nreason: " << error;
    }
}

// Random pieces of selector syntax, glued and mutated: the parser must refuse or
// accept without crashing, and whatever it accepts must run over a page.
TEST(CssSelectorErrors, RandomTextNeverCrashes)
{
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(
        "<div id=a class='x y'><p>one <b>two</b></p><ul><li>1<li>2<li lang=en>3</ul>"
        "<input type=TEXT><span></span>text</div><p title='a-b'>three</p>");
    const std::vector<std::string> pieces = {
        "a", "p", "li", "*", "div", "#a", ".x", ".y", "[", "]", "(", ")", "=", "~=", "|=", "^=", "$=",
        "*=", "'", "\"", "\\", "\\31 ", ":", "::", ",", " ", ">", "+", "~", "|", "i", "s", "n", "2n+1",
        "-", "odd", " of ", ":not(", ":is(", ":where(", ":nth-child(", ":nth-last-of-type(", ":contains(",
        ":empty", ":root", ":first-child", ":only-of-type", "lang", "title", "en", "/*", "*/", "\n",
        "\xc3\xa9", "\xff", "0", "9", "%", "@", "{", "}", ";", "!",
    };
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 12);
    int accepted = 0;
    for (int round = 0; round < 10000; ++round) {
        std::string selector;
        const int parts = length(random);
        for (int i = 0; i < parts; ++i) selector += pieces[pick(random)];
        std::string error;
        const xq::css::CompiledSelector compiled = xq::css::Compile(selector, &error);
        if (compiled) {
            ++accepted;
            const std::vector<xmlNode*> found = xq::css::Select(*compiled, doc.get());
            for (std::size_t i = 1; i < found.size(); ++i) ASSERT_NE(found[i - 1], found[i]) << selector;
        } else {
            ASSERT_FALSE(error.empty()) << "no reason for: " << selector;
        }
    }
    // The mix must reach the matcher often enough to mean something.
    EXPECT_GT(accepted, 250);
}

}  // namespace
