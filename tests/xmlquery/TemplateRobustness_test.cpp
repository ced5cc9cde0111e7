// Random templates and pages: parsing never crashes, and the matcher's
// shortcuts (memo tables, pruning, shared page text) never change a result.
// The reference below follows the language's rules literally and slowly.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/NodeText.h"
#include "xmlquery/tmpl/HtmlTemplate.h"
#include "xmlquery/tmpl/PageIndex.h"
#include "xmlquery/tmpl/PageText.h"
#include "xmlquery/tmpl/TemplateModel.h"
#include "xmlquery/tmpl/TemplateText.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace xq::tmpl;

std::string Pick(std::mt19937& rng, const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
}

int Below(std::mt19937& rng, int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

// ---- random input -------------------------------------------------------

std::string RandomMarkupSoup(std::mt19937& rng) {
    static const std::vector<std::string> bits{
        "<div", "<td", "<br", "<img", "<A", ">", ">", "/>", "</div>", "</td>", "</a>", "</",
        "{.}", "{.}", " class=\"a b\"", " href=", "\"", "'", "=", " ", "\n", "&amp;", "&#x41;",
        "&#99999999;", "&", "<!--", "-->", "<!", "<?", "text", "<", "{", ".}", "\xC3\xA9", "\xFF"};
    std::string s;
    const int n = Below(rng, 24);
    for (int i = 0; i < n; ++i) s += Pick(rng, bits);
    return s;
}

std::string RandomBytes(std::mt19937& rng) {
    std::string s(std::size_t(Below(rng, 120)), '\0');
    for (char& c : s) c = char(Below(rng, 256));
    if (!s.empty() && Below(rng, 2)) s[0] = '<';
    return s;
}

const std::vector<std::string> kNames{"div", "p", "span", "a", "b"};
const std::vector<std::string> kClasses{"a", "b", "a b", "b c"};
const std::vector<std::string> kTexts{"x", "Price", "y z", "Price x", "  "};

void RandomPageElement(std::mt19937& rng, int depth, std::string& out, int& budget) {
    const std::string name = Pick(rng, kNames);
    out += "<" + name;
    if (Below(rng, 2)) out += " class=\"" + Pick(rng, kClasses) + "\"";
    if (Below(rng, 3) == 0) out += " href=\"/" + std::to_string(Below(rng, 3)) + "\"";
    out += ">";
    while (budget > 0 && depth < 6 && Below(rng, 3)) {
        --budget;
        if (Below(rng, 3) == 0) out += Pick(rng, kTexts);
        else RandomPageElement(rng, depth + 1, out, budget);
    }
    out += "</" + name + ">";
}

std::string RandomPage(std::mt19937& rng) {
    std::string page = "<body>";
    int budget = 40;
    while (budget-- > 0 && Below(rng, 8)) RandomPageElement(rng, 0, page, budget);
    return page + "</body>";
}

void RandomTemplateElement(std::mt19937& rng, int depth, std::string& out) {
    const std::string name = Pick(rng, kNames);
    out += "<" + name;
    const int attr = Below(rng, 6);
    if (attr == 0) out += " class=\"" + Pick(rng, kClasses) + "\"";
    if (attr == 1) out += " href=\"{.}\"";
    if (attr == 2) out += " href=\"/" + std::to_string(Below(rng, 3)) + "\"";
    if (attr == 3) out += " class=\"{.}\"";
    out += ">";
    const int content = Below(rng, 4);
    if (content == 0) {
        out += "{.}";
    } else if (depth < 3) {
        const int kids = Below(rng, 3);
        for (int i = 0; i < kids; ++i) RandomTemplateElement(rng, depth + 1, out);
        if (content == 1) out += Pick(rng, kTexts);
    }
    out += "</" + name + ">";
}

std::string RandomTemplate(std::mt19937& rng) {
    std::string t;
    const int roots = 1 + Below(rng, 2);
    for (int i = 0; i < roots; ++i) RandomTemplateElement(rng, 0, t);
    return t;
}

// A few characters of a valid template cut, doubled or replaced by markup.
std::string Mutated(std::mt19937& rng, std::string s) {
    static const std::vector<std::string> bits{"<", ">", "/", "\"", "{.}", "</b>", "<p>", "=", " "};
    const int edits = 1 + Below(rng, 2);
    for (int e = 0; e < edits && !s.empty(); ++e) {
        const std::size_t at = std::size_t(Below(rng, int(s.size())));
        switch (Below(rng, 3)) {
        case 0: s.erase(at, 1); break;
        case 1: s.insert(at, 1, s[at]); break;
        default: s.insert(at, Pick(rng, bits)); break;
        }
    }
    return s;
}

// ---- literal reference ----------------------------------------------------

class Reference {
public:
    Reference(const Template& t, xmlDoc* doc) : t_(t) { Walk(xmlDocGetRootElement(doc)); }

    std::vector<Item> Run() {
        std::vector<Item> out;
        if (t_.placeholderCount == 0) return out;
        int pos = 0;
        const int n = int(nodes_.size());
        while (pos < n) {
            const auto seq = Sequence(t_.roots, 0, pos, n);
            if (!seq) break;
            for (std::size_t j = 0; j < seq->size(); ++j) Collect(t_.roots[j], (*seq)[j], out);
            pos = end_[std::size_t(seq->back())];
        }
        return out;
    }

private:
    void Walk(xmlNode* n) {
        if (!n || n->type != XML_ELEMENT_NODE) return;
        const std::size_t i = nodes_.size();
        nodes_.push_back(n);
        end_.push_back(0);
        for (xmlNode* c = n->children; c; c = c->next) Walk(c);
        end_[i] = int(nodes_.size());
    }

    std::optional<std::vector<int>> Sequence(const std::vector<int>& kids, std::size_t i, int start,
                                             int bound) {
        if (i == kids.size()) return std::vector<int>{};
        for (int d = start; d < bound; ++d) {
            if (!Matches(kids[i], d)) continue;
            if (auto rest = Sequence(kids, i + 1, end_[std::size_t(d)], bound)) {
                rest->insert(rest->begin(), d);
                return rest;
            }
        }
        return std::nullopt;
    }

    bool Matches(int t, int d) {
        const TemplateElement& e = t_.elements[std::size_t(t)];
        xmlNode* n = nodes_[std::size_t(d)];
        if (!xq::EqualsIgnoringAsciiCase(e.name, reinterpret_cast<const char*>(n->name))) return false;
        for (const TemplateAttribute& a : e.attributes) {
            const xmlAttr* pa = FindAttribute(n, a.name);
            if (!pa) return false;
            if (a.placeholder || a.presenceOnly) continue;
            const std::string v = AttributeValue(pa);
            if (a.name == "class") {
                const std::string padded = " " + NormaliseSpace(v) + " ";
                for (const std::string& c : a.classes)
                    if (padded.find(" " + c + " ") == std::string::npos) return false;
            } else if (v != a.value) {
                return false;
            }
        }
        const std::string text = NormaliseSpace(xq::NodeTextContent(n));
        for (const std::string& piece : e.texts)
            if (text.find(piece) == std::string::npos) return false;
        if (e.elementPlaceholder) return true;
        return Sequence(e.children, 0, d + 1, end_[std::size_t(d)]).has_value();
    }

    void Collect(int t, int d, std::vector<Item>& out) {
        const TemplateElement& e = t_.elements[std::size_t(t)];
        xmlNode* n = nodes_[std::size_t(d)];
        for (const TemplateAttribute& a : e.attributes)
            if (a.placeholder) out.push_back(Item{nullptr, AttributeValue(FindAttribute(n, a.name))});
        if (e.elementPlaceholder) {
            out.push_back(Item{n, {}});
            return;
        }
        const auto seq = Sequence(e.children, 0, d + 1, end_[std::size_t(d)]);
        for (std::size_t j = 0; seq && j < seq->size(); ++j) Collect(e.children[j], (*seq)[j], out);
    }

    const Template& t_;
    std::vector<xmlNode*> nodes_;
    std::vector<int> end_;
};

std::vector<std::string> Flatten(const std::vector<Item>& items) {
    std::vector<std::string> out;
    for (const Item& i : items)
        out.push_back(i.node ? "node " + std::to_string(reinterpret_cast<std::uintptr_t>(i.node))
                             : "text " + i.text);
    return out;
}

// ---- tests ------------------------------------------------------------------

TEST(TemplateRobustness, RandomTextNeverCrashes) {
    std::mt19937 rng(20261210);
    const auto doc = xq::ParseHtmlDocument(
        "<div class='a b'><td>x</td><a href='/1'>A</a><img src='i.png'><br></div><p>{.}</p>");
    int valid = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        switch (round % 3) {
        case 0: text = RandomMarkupSoup(rng); break;
        case 1: text = RandomBytes(rng); break;
        default: text = Mutated(rng, RandomTemplate(rng)); break;
        }
        std::string error;
        const ParsedTemplate t = Parse(text, &error);
        if (!t) {
            EXPECT_FALSE(error.empty()) << text;
            continue;
        }
        ++valid;
        for (const Item& item : Apply(*t, doc.get(), 1000, nullptr))
            if (item.node) {
                EXPECT_EQ(item.node->doc, doc.get());
            }
    }
    EXPECT_GT(valid, 200);  // mutations often stay valid, so Apply was exercised
}

TEST(TemplateRobustness, MatchesTheLiteralReference) {
    std::mt19937 rng(7);
    int nonEmpty = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string page = RandomPage(rng);
        const auto doc = xq::ParseHtmlDocument(page);
        for (int k = 0; k < 4; ++k) {
            const std::string text = RandomTemplate(rng);
            std::string error;
            const ParsedTemplate t = Parse(text, &error);
            ASSERT_TRUE(t) << text << ": " << error;
            const auto expected = Flatten(Reference(*t, doc.get()).Run());
            ApplyStats stats;
            const auto got = Flatten(Apply(*t, doc.get(), kDefaultStepBudget, &stats));
            EXPECT_FALSE(stats.budgetExhausted);
            EXPECT_EQ(got, expected) << "page: " << page << "\ntemplate: " << text;
            nonEmpty += !expected.empty();
        }
    }
    EXPECT_GT(nonEmpty, 150);  // the generators make templates that do match
}

TEST(TemplateRobustness, PageTextRangesEqualEachElementsText) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        std::string page = RandomPage(rng);
        if (round % 3 == 0) page = "  \n" + page + "<!-- c --> tail\t text ";
        const auto doc = xq::ParseHtmlDocument(page);
        const PageIndex index(doc.get());
        const PageText text(doc.get(), index);
        for (int i = 0; i < index.Size(); ++i)
            ASSERT_EQ(text.Of(i), NormaliseSpace(xq::NodeTextContent(index.Node(i)))) << page;
    }
}

TEST(TemplateRobustness, OneTemplateServesSeveralThreads) {
    const ParsedTemplate t = Parse("<div class=\"p\"><h2>{.}</h2><a href=\"{.}\">{.}</a></div>");
    ASSERT_TRUE(t);
    std::string page = "<body>";
    for (int i = 0; i < 300; ++i)
        page += "<div class='p'><h2>T" + std::to_string(i) + "</h2><a href='/" + std::to_string(i) +
                "'>go</a></div>";
    std::vector<std::vector<std::string>> results(4);
    std::vector<std::thread> threads;
    for (auto& r : results)
        threads.emplace_back([&t, &page, &r] {
            const auto doc = xq::ParseHtmlDocument(page);
            for (const Item& i : Apply(*t, doc.get()))
                r.push_back(i.node ? xq::NodeTextContent(i.node) : i.text);
        });
    for (auto& th : threads) th.join();
    ASSERT_EQ(results[0].size(), 900u);
    EXPECT_EQ(results[0][0], "T0");
    EXPECT_EQ(results[0][1], "/0");
    for (const auto& r : results) EXPECT_EQ(r, results[0]);
}

}  // namespace
