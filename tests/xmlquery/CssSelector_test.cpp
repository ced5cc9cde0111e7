// Selector families over small fixtures: each case lists the ids of the
// elements it must find, in document order.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/NodeText.h"
#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kPage = R"(<!DOCTYPE html>
<html id="html"><head id="head"><title id="title">T</title></head>
<body id="body">
 <div id="d1" class="box main" lang="en-US" data-x="Hello World">
   <p id="p1" class="intro">Hello <b id="b1">bold</b> text</p>
   <p id="p2" class="Intro note" title="a-b c">Second</p>
   <span id="s1"></span>
   <p id="p3"><!-- only a comment --></p>
 </div>
 <ul id="list">
   <li id="li1">one</li><li id="li2" class="x">two</li><li id="li3">three</li><li id="li4">four</li><li id="li5">five</li>
 </ul>
 <form id="f1" method="POST"><input id="i1" type="TEXT" name="Q"><input id="i2" type="checkbox" name="q" checked></form>
 <div id="d2"><em id="e1"> </em><span id="s2">x</span><em id="e2">y</em><span id="s3">Hello</span></div>
</body></html>)";

const char* const kEscapesPage = R"(<div id="x"><i id="a:b"></i><i id="1st"></i><i id="é"></i>
<i id="dot" class="a.b"></i><i id="sp" title='say "hi"'></i></div>)";

struct Case {
    const char* selector;
    const char* ids;  // blank-separated ids in document order; "?" for an element without one
};

std::string IdsFound(const std::string& html, const std::string& selector)
{
    std::string error;
    const xq::css::CompiledSelector compiled = xq::css::Compile(selector, &error);
    if (!compiled) return "invalid: " + error;
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(html);
    std::string ids;
    for (xmlNode* node : xq::css::Select(*compiled, doc.get())) {
        xmlChar* id = xmlGetProp(node, reinterpret_cast<const xmlChar*>("id"));
        if (!ids.empty()) ids += ' ';
        ids += id ? reinterpret_cast<const char*>(id) : "?";
        xmlFree(id);
    }
    return ids;
}

void ExpectCases(const std::string& html, const std::vector<Case>& cases)
{
    for (const Case& c : cases) EXPECT_EQ(IdsFound(html, c.selector), c.ids) << "selector: " << c.selector;
}

TEST(CssSelector, TypeUniversalIdAndClass)
{
    ExpectCases(kPage, {
        {"p", "p1 p2 p3"},
        {"P", "p1 p2 p3"},  // element names ignore case in HTML
        {"#p2", "p2"},
        {"#P2", ""},  // ids do not
        {".intro", "p1"},
        {".Intro.note", "p2"},
        {"p.intro", "p1"},
        {"div#d1.box.main", "d1"},
        {"*#d1", "d1"},
        {"#d2 *", "e1 s2 e2 s3"},
        {"*", "html head title body d1 p1 b1 p2 s1 p3 list li1 li2 li3 li4 li5 f1 i1 i2 d2 e1 s2 e2 s3"},
        {"article", ""},
    });
}

TEST(CssSelector, AttributeOperatorsAndCase)
{
    ExpectCases(kPage, {
        {"[title]", "p2"},
        {"[TITLE]", "p2"},
        {"[checked]", "i2"},
        {"[title=\"a-b c\"]", "p2"},
        {"[ data-x = 'Hello World' ]", "d1"},
        {"[title~=c]", "p2"},
        {"[title~=a-b]", "p2"},
        {"[title~=a]", ""},
        {"[title~='a-b c']", ""},  // a word never holds a blank
        {"[class~=note]", "p2"},
        {"[title|=a]", "p2"},
        {"[lang|=en]", "d1"},
        {"[data-x^=Hello]", "d1"},
        {"[data-x^=hello]", ""},
        {"[data-x^=hello i]", "d1"},
        {"[data-x^=hello I]", "d1"},
        {"[data-x$=World]", "d1"},
        {"[data-x*='o W']", "d1"},
        {"[data-x*='O w' i]", "d1"},
        {"[data-x^=''], [data-x$=''], [data-x*='']", ""},  // empty values select nothing
        // Values of attributes HTML treats as case-insensitive (type, lang, method, ...).
        {"[type=text]", "i1"},
        {"[type=text s]", ""},
        {"[type=TEXT s]", "i1"},
        {"[lang=en-us]", "d1"},
        {"[lang|=EN]", "d1"},
        {"[method=post]", "f1"},
        // Other values keep their case unless the i flag says otherwise.
        {"[name=q]", "i2"},
        {"[name=q i]", "i1 i2"},
        {"[id=P1]", ""},
    });
}

TEST(CssSelector, Combinators)
{
    ExpectCases(kPage, {
        {"div p", "p1 p2 p3"},
        {"div>p", "p1 p2 p3"},
        {"div > b", ""},
        {"div b", "b1"},
        {"p+p", "p2"},
        {"p ~ p", "p2 p3"},
        {"p~span", "s1"},
        {"li+li", "li2 li3 li4 li5"},
        {"#li2 ~ li", "li3 li4 li5"},
        {"body>div>p.intro", "p1"},
        {"html body ul li:first-child", "li1"},
        {"em + span", "s2 s3"},
        {"head ~ body", "body"},
        {"form>input + input", "i2"},
        {"div  \n\t  b", "b1"},
        {"ul > li ~ li + li", "li3 li4 li5"},
        {"body > * > * > b", "b1"},
        {"body > * > b", ""},
        {"p b, div > span", "b1 s1 s2 s3"},
        {"li ~ p", ""},
    });
}

TEST(CssSelector, ListsAndLogicalPseudoClasses)
{
    ExpectCases(kPage, {
        {"li, p, #d1", "d1 p1 p2 p3 li1 li2 li3 li4 li5"},  // document order, not list order
        {"p, p, .intro", "p1 p2 p3"},                       // no duplicates
        {"#d1 p:not(.intro)", "p2 p3"},
        {"li:not(:first-child):not(:last-child)", "li2 li3 li4"},
        {"li:not(.x)", "li1 li3 li4 li5"},
        {"p:not(div > p)", ""},
        {"li:not(div li)", "li1 li2 li3 li4 li5"},
        {"#d1 > :not(p, span)", ""},
        {":is(#d1, #d2) > span", "s1 s2 s3"},
        {":where(ul, form) > :first-child", "li1 i1"},
        {":matches(em, b)", "b1 e1 e2"},
        {"li:is(:nth-child(2), :nth-child(4))", "li2 li4"},
        {":is(:is(:is(em)))", "e1 e2"},
        {"div:not(:is(#d1))", "d2"},
        {":is(ul li, form input):not(:is(li, input) + *)", "li1 i1"},
        {":not(:not(:not(:not(#s2))))", "s2"},
    });
}

TEST(CssSelector, ChildIndexPseudoClasses)
{
    ExpectCases(kPage, {
        {"li:first-child", "li1"},
        {"li:last-child", "li5"},
        {":only-child", "html title b1"},
        {"li:nth-child(2)", "li2"},
        {"li:nth-child(odd)", "li1 li3 li5"},
        {"li:nth-child(EVEN)", "li2 li4"},
        {"li:nth-child(2n+1)", "li1 li3 li5"},
        {"li:nth-child( 2n + 1 )", "li1 li3 li5"},
        {"li:nth-child(2n- 1)", "li1 li3 li5"},
        {"li:nth-child(-n+2)", "li1 li2"},
        {"li:nth-child(n+4)", "li4 li5"},
        {"li:nth-child(0n+3)", "li3"},
        {"li:nth-child(3n)", "li3"},
        {"li:nth-child(+3)", "li3"},
        {"li:nth-child(-2n+5)", "li1 li3 li5"},
        {"li:nth-child(n)", "li1 li2 li3 li4 li5"},
        {"li:nth-child(0)", ""},
        {"li:nth-child(-n-1)", ""},
        {"li:nth-child(99999999999999999999)", ""},
        {"li:nth-last-child(1)", "li5"},
        {"li:nth-last-child(-n+2)", "li4 li5"},
        {"li:nth-child(2 of :not(.x))", "li3"},
        {"li:nth-child(odd of :not(.x))", "li1 li4"},
        {"li:nth-last-child(1 of :not(#li5))", "li4"},
        {"li.x:nth-child(1 of .x)", "li2"},
        {"#d2 > *:nth-child(2)", "s2"},  // siblings of any type count
    });
}

TEST(CssSelector, TypeIndexPseudoClasses)
{
    ExpectCases(kPage, {
        {"#d2 > :first-of-type", "e1 s2"},
        {"#d2 > :last-of-type", "e2 s3"},
        {"#d2 > span:nth-of-type(2)", "s3"},
        {"#d2 > :nth-of-type(odd)", "e1 s2"},
        {"#d2 > :nth-last-of-type(2)", "e1 s2"},
        {"p:only-of-type", ""},
        {"span:only-of-type", "s1"},
        {"#d1 > p:first-of-type, #d1 > p:last-of-type", "p1 p3"},
        {"#d2 :only-of-type", ""},
    });
}

TEST(CssSelector, EmptyRootAndContains)
{
    ExpectCases(kPage, {
        {":root", "html"},
        {":scope > body", "body"},
        {"body:root", ""},
        {":empty", "s1 p3 i1 i2"},  // comments do not count, blanks do
        {"p:contains(Hello)", "p1"},
        {"p:contains('Hello bold')", "p1"},  // text content runs across child elements
        {"b:contains('bold text')", ""},
        {"span:contains(\"Hello\")", "s3"},
        {"span:contains(hello)", ""},  // case is kept
        {"li:contains('')", "li1 li2 li3 li4 li5"},
        {"#d2 :contains(x)", "s2"},
        {":contains('Second')", "html body d1 p2"},
        {"li:not(:contains(o))", "li3 li5"},
        {":contains('five') + *", "f1"},  // the list holds li5
    });
}

TEST(CssSelector, EscapesAndQuotedStrings)
{
    ExpectCases(kPage, {
        {"#\\70 1", "p1"},          // hex escape ended by a blank
        {".\\49 ntro", "p2"},
        {"#li\\32", "li2"},
        {"[title=\"a-b\\20 c\"]", "p2"},
        {"[title='a-b\\\nc']", ""},  // an escaped line break continues the string: "a-bc"
        {"p/* a comment */ b", "b1"},
        {"\\70", "p1 p2 p3"},
        {"[data-x=\"Hello\\\nWorld\"]", ""},
    });
    ExpectCases(kEscapesPage, {
        {"#a\\:b", "a:b"},
        {"#\\31 st", "1st"},
        {"#\\31st", "1st"},  // the escape ends at the first character that is not hex
        {"#é", "é"},
        {"#\\e9", "é"},
        {"#\\E9 ", "é"},
        {".a\\.b", "dot"},
        {"[id=\"1st\"]", "1st"},
        {"[title='say \"hi\"']", "sp"},
        {"[title=\"say \\\"hi\\\"\"]", "sp"},
    });
}

TEST(CssSelector, EmptyAndNullDocuments)
{
    const xq::css::CompiledSelector compiled = xq::css::Compile("p");
    ASSERT_TRUE(compiled);
    EXPECT_TRUE(xq::css::Select(*compiled, nullptr).empty());
    EXPECT_EQ(IdsFound("", "*"), "? ? ?");  // html, head, body
}

}  // namespace

namespace {

// :contains() reads ranges of one document-wide text; it must agree with the
// text content of every element, including needles that cross element borders.
TEST(CssSelector, ContainsAgreesWithTextContent)
{
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(
        "<div>ab<i>ba<!--ab--></i><b>a</b>b<p>aab<span>aa</span><span></span>b</p>"
        "<script>var s = 'ab';</script><p>b</p>a<em>b</em></div><ul><li>aba<li>bab</ul>");
    for (const std::string needle : {"a", "b", "ab", "ba", "aab", "aba", "aaab", "bab", "'ab'", "ab';", "x"}) {
        const xq::css::CompiledSelector compiled = xq::css::Compile(":contains(\"" + needle + "\")");
        ASSERT_TRUE(compiled) << needle;
        std::vector<xmlNode*> expected;
        for (xmlNode* node = xmlDocGetRootElement(doc.get()); node;) {
            if (xq::NodeTextContent(node).find(needle) != std::string::npos) expected.push_back(node);
            // Document order without recursion.
            if (node->children) {
                node = node->children;
                continue;
            }
            while (node && !node->next) node = node->parent;
            if (node) node = node->next;
        }
        std::erase_if(expected, [](xmlNode* node) { return node->type != XML_ELEMENT_NODE; });
        EXPECT_EQ(xq::css::Select(*compiled, doc.get()), expected) << "needle: " << needle;
    }
}

}  // namespace
