// What a template finds on a page, and in which order.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/NodeText.h"
#include "xmlquery/tmpl/HtmlTemplate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Values = std::vector<std::string>;

std::string Squeeze(const std::string& s) {
    std::string out;
    for (char c : s) {
        const bool space = c == ' ' || c == '\n' || c == '\t' || c == '\r';
        if (space) {
            if (!out.empty() && out.back() != ' ') out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// Element values as "name:text", attribute values as "@value".
Values Describe(const std::vector<xq::tmpl::Item>& items) {
    Values out;
    for (const auto& item : items) {
        if (item.node)
            out.push_back(std::string(reinterpret_cast<const char*>(item.node->name)) + ":" +
                          Squeeze(xq::NodeTextContent(item.node)));
        else
            out.push_back("@" + item.text);
    }
    return out;
}

Values Extract(const std::string& page, const std::string& templateText,
           xq::tmpl::ApplyStats* stats = nullptr) {
    std::string error;
    const auto t = xq::tmpl::Parse(templateText, &error);
    EXPECT_TRUE(t) << templateText << ": " << error;
    if (!t) return {};
    const auto doc = xq::ParseHtmlDocument(page);
    return Describe(xq::tmpl::Apply(*t, doc.get(), xq::tmpl::kDefaultStepBudget, stats));
}

struct MatchCase {
    const char* name;
    const char* page;
    const char* templateText;
    Values expected;
};

const char* const kSpecTable =
    "<table><tr><td>Name</td><td>Widget</td></tr>"
    "<tr><td>Price</td><td>10</td></tr>"
    "<tr><td>Weight</td><td>2 kg</td></tr>"
    "<tr><td>Price</td><td>20</td><td>old</td></tr></table>";

TEST(TemplateMatch, CasesTable) {
    const MatchCase cases[] = {
        {"cell beside each Price cell", kSpecTable, "<tr><td>Price</td><td>{.}</td></tr>",
         {"td:10", "td:20"}},
        {"link of every product anchor",
         "<a class='product big' href='/p1'>1</a><a class='nav' href='/n'>n</a>"
         "<p><a class='product' href='/p2'>2</a></p><a href='/p3' class='x product'></a>",
         "<a class=\"product\" href=\"{.}\"></a>", {"@/p1", "@/p2", "@/p3"}},
        {"class subset in any order",
         "<i class='a c b'>1</i><i class='a'>2</i><i class=' b  a '>3</i>",
         "<i class=\"b a\">{.}</i>", {"i:1", "i:3"}},
        {"class is a whole word", "<i class='product'>1</i><i class='prod x'>2</i>",
         "<i class=\"prod\">{.}</i>", {"i:2"}},
        {"other attributes need equal values",
         "<input type='text' name='a'><input type='TEXT' name='b'><input type='hidden' name='c'>"
         "<input name='d'>",
         "<input type=\"text\" name=\"{.}\">", {"@a"}},
        {"valueless attribute needs presence only",
         "<input name='a'><input disabled name='b'><input disabled='disabled' name='c'>",
         "<input disabled name=\"{.}\">", {"@b", "@c"}},
        {"attribute placeholder needs presence", "<img src='1.png'><img alt='two' src='2.png'>",
         "<img alt=\"{.}\">", {"@two"}},
        {"names ignore letter case", "<div class='x'><span>in</span></div><span>out</span>",
         "<DIV Class=\"x\"><SPAN>{.}</SPAN></DIV>", {"span:in"}},
        {"attribute names ignore letter case", "<a HREF='/u'>u</a>", "<A Href=\"{.}\"></A>", {"@/u"}},
        {"text with white space normalised",
         "<li><b>  Total\n   price: </b><span>5</span></li><li><b>Total</b> price<span>6</span></li>",
         "<li><b>Total  price</b><span>{.}</span></li>", {"span:5"}},
        {"text keeps letter case", "<li><b>total price</b><span>5</span></li>",
         "<li><b>Total price</b><span>{.}</span></li>", {}},
        {"text of an element counts its descendants", "<p>Price <b>10</b> EUR</p><p>Cost 9 EUR</p>",
         "<p>Price<b>{.}</b>EUR</p>", {"b:10"}},
        {"entities in template text",
         "<table><tr><td>Fish &amp; Chips</td><td>7</td></tr><tr><td>Fish and Chips</td><td>8</td></tr></table>",
         "<tr><td>Fish &amp; Chips</td><td>{.}</td></tr>", {"td:7"}},
        {"children match descendants, skipping others",
         "<div class='card'><header><h2>A</h2></header><p>junk</p><footer><a href='/a'>go</a></footer></div>",
         "<div class=\"card\"><h2>{.}</h2><a href=\"{.}\"></a></div>", {"h2:A", "@/a"}},
        {"child after the end of the previous match",
         "<ul><li><b>1</b></li><li>2</li></ul>", "<ul><li>{.}</li><b>{.}</b></ul>", {}},
        {"backtracking to a later candidate",
         "<section><div id='outer'><div id='inner'>x</div><span>s</span></div></section>",
         "<section><div>{.}</div><span>{.}</span></section>", {"div:x", "span:s"}},
        {"backtracking over a failed text condition",
         "<dl><dt>Size</dt><dd>L</dd><dt>Colour</dt><dd>red</dd></dl>",
         "<dl><dt>Colour</dt><dd>{.}</dd></dl>", {"dd:red"}},
        {"earliest complete match wins",
         "<ul><li class='a'>1</li><li class='a'>2</li><li class='b'>3</li><li class='b'>4</li></ul>",
         "<ul><li class=\"a\">{.}</li><li class=\"b\">{.}</li></ul>", {"li:1", "li:3"}},
        {"one match per outer element", "<ul><li>1</li><li>2</li></ul><ul><li>3</li></ul>",
         "<ul><li>{.}</li></ul>", {"li:1", "li:3"}},
        {"matches do not overlap",
         "<div class='item'>1<div class='item'>2</div></div><div class='item'>3</div>",
         "<div class=\"item\">{.}</div>", {"div:12", "div:3"}},
        {"nested placeholders in template order",
         "<div class='card'><a href='/a'>Alpha</a></div><div class='card'><a href='/b'>Beta</a></div>",
         "<div class=\"card\"><a href=\"{.}\">{.}</a></div>", {"@/a", "a:Alpha", "@/b", "a:Beta"}},
        {"several placeholders in order",
         "<div class='p'><h2>A</h2><span class='price'>1</span></div>"
         "<div class='p'><h2>B</h2><span class='old price'>2</span></div>"
         "<div class='p'><h2>C</h2></div>",
         "<div class=\"p\"><h2>{.}</h2><span class=\"price\">{.}</span></div>",
         {"h2:A", "span:1", "h2:B", "span:2"}},
        {"top-level elements form a sequence",
         "<dl><dt>a</dt><dd>1</dd><dt>b</dt><dt>c</dt><dd>3</dd><dt>d</dt></dl>",
         "<dt>{.}</dt><dd>{.}</dd>", {"dt:a", "dd:1", "dt:b", "dd:3"}},
        {"implied tbody is skipped like any element", kSpecTable,
         "<table><td>Weight</td><td>{.}</td></table>", {"td:2 kg"}},
        {"no match gives no values", kSpecTable, "<tr><td>Colour</td><td>{.}</td></tr>", {}},
        {"template without placeholders gives no values", kSpecTable, "<td>Price</td>", {}},
        {"repeated page attributes: the first counts", "<a href='/1' href='/2'>x</a>",
         "<a href=\"{.}\"></a>", {"@/1"}},
    };
    for (const MatchCase& c : cases) EXPECT_EQ(Extract(c.page, c.templateText), c.expected) << c.name;
}

TEST(TemplateMatch, ElementValueIsThePageNode) {
    const auto t = xq::tmpl::Parse("<tr><td>Price</td><td>{.}</td></tr>");
    ASSERT_TRUE(t);
    const auto doc = xq::ParseHtmlDocument(kSpecTable);
    const auto items = xq::tmpl::Apply(*t, doc.get());
    ASSERT_EQ(items.size(), 2u);
    ASSERT_NE(items[1].node, nullptr);
    EXPECT_EQ(items[1].node->doc, doc.get());
    EXPECT_EQ(xq::NodeOuterHtml(items[1].node), "<td>20</td>");
    EXPECT_TRUE(items[1].text.empty());
}

TEST(TemplateMatch, NullDocumentGivesNothing) {
    const auto t = xq::tmpl::Parse("<td>{.}</td>");
    ASSERT_TRUE(t);
    xq::tmpl::ApplyStats stats;
    EXPECT_TRUE(xq::tmpl::Apply(*t, nullptr, 10, &stats).empty());
    EXPECT_EQ(stats.steps, 0u);
}

std::string Nested(const std::string& open, const std::string& close, int depth,
                   const std::string& inner) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += open;
    s += inner;
    for (int i = 0; i < depth; ++i) s += close;
    return s;
}

TEST(TemplateMatch, DeepNestingStaysCheapThroughMemoisation) {
    // Without remembering results this search is exponential in the template depth.
    const std::string page = Nested("<div>", "</div>", 300, "<i>x</i>");
    const std::string tmpl = Nested("<div>", "</div>", 20, "<span>{.}</span>");
    xq::tmpl::ApplyStats stats;
    EXPECT_TRUE(Extract(page, tmpl, &stats).empty());
    EXPECT_FALSE(stats.budgetExhausted);
    EXPECT_LT(stats.steps, 1'000'000u);

    const std::string found = Nested("<div>", "</div>", 20, "<span>y</span>");
    EXPECT_EQ(Extract(Nested("<div>", "</div>", 300, found), tmpl), (Values{"span:y"}));
}

TEST(TemplateMatch, BudgetStopsAndKeepsEarlierMatches) {
    // Two quick matches, then a region where every candidate must be tried.
    std::string page = "<p class='hit'>1</p><p class='hit'>2</p>";
    page += Nested("<div>", "</div>", 400, "<i>x</i>");
    page += "<p class='hit'>3</p>";
    const auto t = xq::tmpl::Parse(
        "<p class=\"hit\">{.}</p>" + Nested("<div>", "</div>", 40, "<span>{.}</span>"));
    ASSERT_TRUE(t);
    const auto doc = xq::ParseHtmlDocument(page);
    // The sequence never completes; with a full budget that is just "no values".
    xq::tmpl::ApplyStats full;
    EXPECT_TRUE(xq::tmpl::Apply(*t, doc.get(), xq::tmpl::kDefaultStepBudget, &full).empty());
    EXPECT_FALSE(full.budgetExhausted);

    const std::uint64_t budget = full.steps / 3;
    xq::tmpl::ApplyStats cut;
    EXPECT_TRUE(xq::tmpl::Apply(*t, doc.get(), budget, &cut).empty());
    EXPECT_TRUE(cut.budgetExhausted);
    EXPECT_LE(cut.steps, budget + 1);

    const auto hits = xq::tmpl::Parse("<p class=\"hit\">{.}</p>");
    ASSERT_TRUE(hits);
    xq::tmpl::ApplyStats few;
    EXPECT_EQ(Describe(xq::tmpl::Apply(*hits, doc.get(), 1, &few)), (Values{"p:1"}));
    EXPECT_TRUE(few.budgetExhausted);
}

TEST(TemplateMatch, DefaultBudgetStopsAPathologicalSearch) {
    // Every nested div's text is the whole megabyte, searched again for each div.
    std::string page = "<div>needle</div><b>first</b>";
    page += Nested("<div>", "</div>", 2000, std::string(1 << 20, 'q'));
    page += "<div>needle</div><b>late</b>";
    xq::tmpl::ApplyStats stats;
    EXPECT_EQ(Extract(page, "<div>needle</div><b>{.}</b>", &stats), (Values{"b:first"}));
    EXPECT_TRUE(stats.budgetExhausted);
}

}  // namespace
