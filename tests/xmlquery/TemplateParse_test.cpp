// Which texts are templates, and why the others are not.

#include "xmlquery/tmpl/HtmlTemplate.h"
#include "xmlquery/tmpl/TemplateModel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using xq::tmpl::Parse;

struct ValidCase {
    const char* name;
    const char* text;
    int placeholders;
};

TEST(TemplateParse, AcceptsBalancedElements) {
    const ValidCase cases[] = {
        {"price row", "<tr><td>Price</td><td>{.}</td></tr>", 1},
        {"product link", "<a class=\"product\" href=\"{.}\"></a>", 1},
        {"void elements unclosed", "<div><img src=\"{.}\"><br>text</div>", 1},
        {"void element closed", "<p><img src='{.}'></img></p>", 1},
        {"self-closing", "<div class=\"x\"/><span/>", 0},
        {"unquoted values", "<a class=product href={.}></a>", 1},
        {"single quotes hold double", "<a title='say \"hi\"' href=\"{.}\"></a>", 1},
        {"valueless attribute", "<input disabled name=\"{.}\">", 1},
        {"comments ignored", "<!-- a --><div><!-- b -->{.}<!-- <c> --></div>", 1},
        {"placeholder with spaces", "<td>\n  {.}  \n</td>", 1},
        {"mixed case names", "<TR><Td>{.}</tD></tr>", 1},
        {"several top-level", "<dt>{.}</dt>\n<dd>{.}</dd>", 2},
        {"stray less-than is text", "<td>a < b</td>", 0},
        {"attribute and element placeholders", "<a href=\"{.}\">{.}</a>", 2},
        {"nested placeholders", "<div><h2>{.}</h2><p><span title=\"{.}\">{.}</span></p></div>", 3},
        {"stray slash in tag", "<div / class=\"a\">{.}</div>", 1},
        {"spaces around equals", "<a href = \"{.}\" ></a >", 1},
    };
    for (const ValidCase& c : cases) {
        std::string error = "unset";
        const auto t = Parse(c.text, &error);
        ASSERT_TRUE(t) << c.name << ": " << error;
        EXPECT_TRUE(error.empty()) << c.name;
        EXPECT_EQ(t->placeholderCount, c.placeholders) << c.name;
    }
}

struct InvalidCase {
    const char* text;
    const char* reason;  // part of the error text
};

TEST(TemplateParse, RejectsWithReason) {
    const InvalidCase cases[] = {
        {"", "no element"},
        {"   \n ", "no element"},
        {"<!-- only a comment -->", "no element"},
        {"just text", "text outside an element"},
        {"{.}", "text outside an element"},
        {"<td>{.}</td> trailing", "text outside an element"},
        {"<div>", "<div> is not closed"},
        {"<div><span></div>", "<span> is not closed before </div>"},
        {"</div>", "</div> has no start tag"},
        {"<div></span></div>", "</span> has no start tag"},
        {"<div></div></div>", "</div> has no start tag"},
        {"<p>x</br></p>", "</br> has no start tag"},
        {"<div class=\"a></div>", "no closing quote"},
        {"<div class=\"a\"", "is not finished"},
        {"<div", "is not finished"},
        {"<div></div", "is not finished"},
        {"<div <span>", "\"<\" inside the tag"},
        {"<div>< /div>", "<div> is not closed"},  // "< /div>" is text
        {"<div class=x/>", "<div> is not closed"},  // the slash belongs to the value
        {"</ div>", "\"</\" is not followed by a tag name"},
        {"<div></div x>", "unexpected text in the end tag"},
        {"<!DOCTYPE html><p></p>", "only comments"},
        {"<?xml version=\"1.0\"?><p></p>", "processing instructions"},
        {"<div><!-- open </div>", "comment is not closed"},
        {"<a href=>x</a>", "has no value"},
        {"<a href=x\"y>x</a>", "unexpected"},
        {"<a href=\"/p/{.}\"></a>", "whole value of the attribute href"},
        {"<td>Price: {.}</td>", "whole content of <td>"},
        {"<td>{.}<b>x</b></td>", "whole content of <td>"},
        {"<td>{.} {.}</td>", "whole content of <td>"},
        {"<td {.}></td>", "cannot be an attribute name"},
        {"<p class=\"a\" CLASS=\"b\"></p>", "attribute class is repeated"},
    };
    for (const InvalidCase& c : cases) {
        std::string error;
        EXPECT_FALSE(Parse(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << " gave: " << error;
    }
}

TEST(TemplateParse, ErrorNamesLineAndColumn) {
    std::string error;
    ASSERT_FALSE(Parse("<ul>\n  <li>x</ul>", &error));
    EXPECT_EQ(error, "line 2, column 3: <li> is not closed before </ul>");
    ASSERT_FALSE(Parse("<p>é</q>", &error));
    EXPECT_EQ(error, "line 1, column 5: </q> has no start tag");
}

TEST(TemplateParse, NullErrorPointerIsAllowed) {
    EXPECT_FALSE(Parse("<div>"));
    EXPECT_TRUE(Parse("<div>{.}</div>"));
}

TEST(TemplateParse, LimitsOfDepthAndSize) {
    const auto nested = [](int depth) {
        std::string s;
        for (int i = 0; i < depth; ++i) s += "<b>";
        s += "{.}";
        for (int i = 0; i < depth; ++i) s += "</b>";
        return s;
    };
    EXPECT_TRUE(Parse(nested(xq::tmpl::kMaxTemplateDepth)));
    std::string error;
    EXPECT_FALSE(Parse(nested(xq::tmpl::kMaxTemplateDepth + 1), &error));
    EXPECT_NE(error.find("nested deeper"), std::string::npos) << error;

    std::string many;
    for (int i = 0; i < xq::tmpl::kMaxTemplateElements; ++i) many += "<br>";
    EXPECT_TRUE(Parse(many));
    many += "<br>";
    EXPECT_FALSE(Parse(many, &error));
    EXPECT_NE(error.find("more than"), std::string::npos) << error;
}

TEST(TemplateParse, ReadsTextAndAttributesAsWritten) {
    const auto t = Parse("<td title=\"a &amp; b\" CLASS=' x  y '>  Fish\n&amp;&#32;&#x43;hips &bogus; &</td>");
    ASSERT_TRUE(t);
    ASSERT_EQ(t->elements.size(), 1u);
    const auto& e = t->elements[0];
    EXPECT_EQ(e.name, "td");
    ASSERT_EQ(e.attributes.size(), 2u);
    EXPECT_EQ(e.attributes[0].value, "a & b");
    EXPECT_EQ(e.attributes[1].name, "class");
    EXPECT_EQ(e.attributes[1].classes, (std::vector<std::string>{"x", "y"}));
    ASSERT_EQ(e.texts.size(), 1u);
    EXPECT_EQ(e.texts[0], "Fish & Chips &bogus; &");
}

}  // namespace
