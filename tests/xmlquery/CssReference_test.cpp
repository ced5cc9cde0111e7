// Random selectors over random pages, checked against libxml2's XPath: each
// selector (:is(), :not(), :nth-child(of), :has() among them) is generated
// together with an XPath expression that means the same,
// so the matcher's shortcuts (early exits, remembered walks, cached positions)
// are compared with an independent evaluation.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/css/CssSelector.h"

#include <libxml/xpath.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct XPathObjectDeleter { void operator()(xmlXPathObject* p) const { xmlXPathFreeObject(p); } };
struct XPathContextDeleter { void operator()(xmlXPathContext* p) const { xmlXPathFreeContext(p); } };

std::vector<xmlNode*> EvaluateXPath(xmlDoc* doc, const std::string& expression)
{
    std::unique_ptr<xmlXPathContext, XPathContextDeleter> context(xmlXPathNewContext(doc));
    std::unique_ptr<xmlXPathObject, XPathObjectDeleter> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context.get()));
    std::vector<xmlNode*> nodes;
    if (!result || !result->nodesetval) return nodes;
    for (int i = 0; i < result->nodesetval->nodeNr; ++i) nodes.push_back(result->nodesetval->nodeTab[i]);
    return nodes;
}

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    std::string Page()
    {
        std::string html = "<body>";
        int budget = 60;
        AppendChildren(html, 0, budget);
        return html + "</body>";
    }

    // A selector list and the XPath that selects the same elements.
    std::pair<std::string, std::string> SelectorList()
    {
        std::string css, xpath;
        const int count = Pick(3) == 0 ? 2 : 1;
        for (int i = 0; i < count; ++i) {
            auto [c, x] = Complex();
            css += (i ? ", " : "") + c;
            xpath += (i ? " | " : "") + x;
        }
        return {css, xpath};
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    const char* Tag() { return kTags[Pick(4)]; }

    void AppendChildren(std::string& html, int depth, int& budget)
    {
        const int children = depth >= 6 ? 0 : Pick(5);
        for (int i = 0; i < children && budget > 0; ++i) {
            --budget;
            const std::string tag = Tag();
            html += "<" + tag;
            if (Pick(2)) html += " class='" + std::string(kClasses[Pick(3)]) + (Pick(2) ? " c" : "") + "'";
            html += ">";
            if (Pick(3) == 0) html += "t";
            AppendChildren(html, depth + 1, budget);
            html += "</" + tag + ">";
        }
    }

    // One simple test as CSS and as an XPath predicate on the context element.
    static std::string ClassTest(const std::string& c)
    {
        return "contains(concat(' ', normalize-space(@class), ' '), ' " + c + " ')";
    }

    // The XPath test of an+b on a 1-based position expression.
    static std::string NthTest(int a, int b, const std::string& position)
    {
        const std::string p = "(" + position + " - (" + std::to_string(b) + "))";
        return a == 0 ? p + " = 0"
                      : p + " mod " + std::to_string(a) + " = 0 and " + p + " div " + std::to_string(a) + " >= 0";
    }

    static std::string NthText(int a, int b)
    {
        return std::to_string(a) + "n" + (b < 0 ? "" : "+") + std::to_string(b);
    }

    // One simple test as CSS and as an XPath predicate on the context element.
    // `nested` limits selectors inside :is() and :not() to one level.
    std::pair<std::string, std::string> Simple(bool allowNot)
    {
        switch (Pick(allowNot ? (nested_ ? 7 : (inHas_ ? 10 : 12)) : 6)) {
        case 0:
        case 1: {
            const std::string c = kClasses[Pick(3)];
            return {"." + c, ClassTest(c)};
        }
        case 2:
            return {":first-child", "not(preceding-sibling::*)"};
        case 3:
            return {":last-child", "not(following-sibling::*)"};
        case 4: {
            const std::string tag = Tag();
            return {":is(" + tag + ":first-of-type)",
                    "local-name() = '" + tag + "' and not(preceding-sibling::" + tag + ")"};
        }
        case 5: {
            const int a = Pick(5) - 2;
            const int b = Pick(5) - 1;
            return {":nth-child(" + NthText(a, b) + ")", "(" + NthTest(a, b, "count(preceding-sibling::*) + 1") + ")"};
        }
        case 6: {
            auto [css, xpath] = Simple(false);
            return {":not(" + css + ")", "not(" + xpath + ")"};
        }
        case 7: {
            const int a = Pick(4) - 1;
            const int b = Pick(4);
            const std::string c = kClasses[Pick(3)];
            const bool last = Pick(2);
            const std::string axis = last ? "following-sibling" : "preceding-sibling";
            return {std::string(last ? ":nth-last-child(" : ":nth-child(") + NthText(a, b) + " of ." + c + ")",
                    "(" + ClassTest(c) + " and " + NthTest(a, b, "count(" + axis + "::*[" + ClassTest(c) + "]) + 1") +
                        ")"};
        }
        case 10:
        case 11: {
            // :has() with each leading combinator, sometimes two compounds deep;
            // a node-set in an XPath predicate is true when it is not empty.
            ++inHas_;
            auto [firstCss, firstStep] = Compound();
            std::string css, xpath;
            switch (Pick(4)) {
            case 0: css = firstCss; xpath = "descendant::" + firstStep; break;
            case 1: css = "> " + firstCss; xpath = "child::" + firstStep; break;
            case 2: css = "+ " + firstCss; xpath = "following-sibling::*[1]/self::" + firstStep; break;
            default: css = "~ " + firstCss; xpath = "following-sibling::" + firstStep; break;
            }
            if (Pick(2)) {
                auto [nextCss, nextStep] = Compound();
                if (Pick(2)) {
                    css += " " + nextCss;
                    xpath += "/descendant::" + nextStep;
                } else {
                    css += " + " + nextCss;
                    xpath += "/following-sibling::*[1]/self::" + nextStep;
                }
            }
            --inHas_;
            return {":has(" + css + ")", "(" + xpath + ")"};
        }
        default: {
            // A complex selector inside :is() or :not().
            ++nested_;
            auto [leftCss, leftStep] = Compound();
            auto [rightCss, rightStep] = Compound();
            --nested_;
            const bool child = Pick(2);
            const std::string css = leftCss + (child ? " > " : " ") + rightCss;
            const std::string xpath =
                "(self::" + rightStep + " and " + (child ? "parent::" : "ancestor::") + leftStep + ")";
            if (Pick(2)) return {":is(" + css + ")", xpath};
            return {":not(" + css + ")", "not" + xpath};
        }
        }
    }

    std::pair<std::string, std::string> Compound()
    {
        std::string css, xpath = "*";
        if (Pick(2)) {
            const std::string tag = Tag();
            css = tag;
            xpath = tag;
        }
        const int simples = css.empty() ? 1 + Pick(2) : Pick(3);
        for (int i = 0; i < simples; ++i) {
            auto [c, x] = Simple(true);
            css += c;
            xpath += "[" + x + "]";
        }
        return {css, xpath};
    }

    std::pair<std::string, std::string> Complex()
    {
        auto [css, step] = Compound();
        std::string xpath = "//" + step;
        const int more = Pick(4);
        for (int i = 0; i < more; ++i) {
            auto [c, x] = Compound();
            switch (Pick(4)) {
            case 0: css += " " + c; xpath += "/descendant::" + x; break;
            case 1: css += " > " + c; xpath += "/" + x; break;
            case 2: css += "+" + c; xpath += "/following-sibling::*[1]/self::" + x; break;
            default: css += " ~ " + c; xpath += "/following-sibling::" + x; break;
            }
        }
        return {css, xpath};
    }

    static constexpr const char* kTags[] = {"div", "p", "span", "li"};
    static constexpr const char* kClasses[] = {"a", "b", "c"};
    std::mt19937 random_;
    int nested_ = 0;
    int inHas_ = 0;  // :has() may not stand inside :has()
};

TEST(CssSelectorReference, RandomSelectorsAgreeWithXPath)
{
    Generator generator(7);
    int nonEmpty = 0;
    for (int page = 0; page < 20; ++page) {
        const xq::XmlDocPtr doc = xq::ParseHtmlDocument(generator.Page());
        for (int round = 0; round < 30; ++round) {
            const auto [css, xpath] = generator.SelectorList();
            std::string error;
            const xq::css::CompiledSelector compiled = xq::css::Compile(css, &error);
            ASSERT_TRUE(compiled) << css << ": " << error;
            const std::vector<xmlNode*> expected = EvaluateXPath(doc.get(), xpath);
            ASSERT_EQ(xq::css::Select(*compiled, doc.get()), expected) << css << "\n" << xpath;
            nonEmpty += !expected.empty();
        }
    }
    EXPECT_GT(nonEmpty, 150);  // the comparison is not between empty sets
}

}  // namespace
