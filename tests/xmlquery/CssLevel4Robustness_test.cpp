// Random glue of Level 4 syntax (:has(), forgiving lists, pseudo-elements,
// :lang(), :dir(), form states, text cut off anywhere) over a page with forms:
// the parser refuses with a reason or accepts, and whatever it accepts runs,
// in document order without duplicates. Hostile form values stay bounded.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

const char* const kFormPage = R"(<form id=f><fieldset disabled><legend><input id=a required></legend>
<input type=radio name=r checked><input type=radio name=r></fieldset><select required><option value="">-<option>x</select>
<input type=number min=1 max=3 value=9><input type=email value=x pattern="[a-z]+"><textarea placeholder=p></textarea>
<div dir=auto lang=de-AT contenteditable>שלום<p>text</p><x-y is=z></x-y></div><svg><a href=#><title>t</title></a></svg>
<details open><summary>s</summary></details><a href=/x>l</a></form>)";

TEST(CssLevel4Robustness, RandomSelectorsNeverCrash)
{
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(kFormPage);
    const std::vector<std::string> pieces = {
        "p", "input", "*", "div", "#a", ".x", "[", "]", "(", ")", "'", "\\", ":", "::", ",", " ", ">", "+", "~",
        "&", ":has(", ":is(", ":where(", ":not(", ":nth-child(", " of ", "2n+1", ":lang(", "de", "\\*-AT", ":dir(",
        "rtl", ":checked", ":valid", ":invalid", ":disabled", ":read-write", ":placeholder-shown", ":in-range",
        ":defined", ":open", ":hover", ":any-link", "::before", ":after", "::part(", "::slotted(", ":host(",
        ":state(", ":foo", "{", "}", ";", "/*", "\"", "1",
    };
    std::mt19937 random(1414);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 10);
    int accepted = 0;
    for (int round = 0; round < 8000; ++round) {
        std::string selector;
        const int parts = length(random);
        for (int i = 0; i < parts; ++i) selector += pieces[pick(random)];
        std::string error;
        const xq::css::CompiledSelector compiled = xq::css::Compile(selector, &error);
        if (!compiled) {
            ASSERT_FALSE(error.empty()) << "no reason for: " << selector;
            continue;
        }
        ++accepted;
        const std::vector<xmlNode*> found = xq::css::Select(*compiled, doc.get());
        for (std::size_t i = 1; i < found.size(); ++i) ASSERT_NE(found[i - 1], found[i]) << selector;
    }
    EXPECT_GT(accepted, 500);
}

// A pattern that backtracks exponentially on a long value runs into the match
// limit; the value then counts as matching (no constraint is proven broken).
TEST(CssLevel4Robustness, CatastrophicPatternIsBounded)
{
    const std::string value = std::string(5000, 'a') + "!";
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument("<input id=p pattern='(a|a)*' value='" + value +
                                                    "'><input id=q pattern='a+' value='" + value + "'>");
    const xq::css::CompiledSelector valid = xq::css::Compile(":valid");
    const xq::css::CompiledSelector invalid = xq::css::Compile(":invalid");
    ASSERT_TRUE(valid && invalid);
    ASSERT_EQ(xq::css::Select(*valid, doc.get()).size(), 1u);
    ASSERT_EQ(xq::css::Select(*invalid, doc.get()).size(), 1u);
    xmlChar* id = xmlGetProp(xq::css::Select(*invalid, doc.get()).front(), reinterpret_cast<const xmlChar*>("id"));
    EXPECT_STREQ(reinterpret_cast<const char*>(id), "q");
    xmlFree(id);
}

// The Level 4 refusals say what is wrong and where.
TEST(CssLevel4Robustness, RefusalsSayWhatAndWhere)
{
    const struct {
        const char* selector;
        const char* reasonPart;
    } cases[] = {
        {":has()", "empty selector list at column 6"},
        {"li:has(", "unterminated ':has('"},
        {"a:has(:has(p))", ":has() cannot stand inside :has() at column 7"},
        {":has(:not(:has(p)))", ":has() cannot stand inside :has()"},
        {":has(a, :foo)", "unsupported pseudo-class ':foo' at column 9"},
        {":has(> > p)", "expected a selector, found '>' at column 8"},
        {"::foo", "unknown pseudo-element"},
        {"a::before span", "a pseudo-element must end its selector at column 11"},
        {"a::before.x", "nothing may follow a pseudo-element"},
        {":not(::before)", "pseudo-elements are not allowed inside a pseudo-class at column 6"},
        {":dir()", "':dir()' expects a name"},
        {":lang(1)", "':lang()' expects a name or a quoted text, found '1' at column 7"},
        {":state(1)", "expects a name"},
        {"::part()", "'::part(' expects names"},
        {":nth-child(1 of p, :foo)", "unsupported pseudo-class ':foo'"},
        {"a:is(b) c)", "unmatched ')' at column 10"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(xq::css::Compile(c.selector, &error)) << c.selector;
        EXPECT_NE(error.find(c.reasonPart), std::string::npos) << c.selector << "\nreason: " << error;
    }
}

}  // namespace
