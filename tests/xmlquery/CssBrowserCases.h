#pragma once
// Expected answers of selectors on a fixture, as a browser gives them.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/css/CssSelector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace css_test {

struct BrowserCase {
    const char* selector;
    const char* ids;  // blank-separated ids in document order; "?" for an element without one
};

inline std::string Answer(xmlDoc* doc, const std::string& selector)
{
    std::string error;
    const xq::css::CompiledSelector compiled = xq::css::Compile(selector, &error);
    if (!compiled) return error.empty() ? "INVALID without a reason" : "INVALID";
    std::string ids;
    for (xmlNode* node : xq::css::Select(*compiled, doc)) {
        xmlChar* id = xmlGetProp(node, reinterpret_cast<const xmlChar*>("id"));
        if (!ids.empty()) ids += ' ';
        ids += id ? reinterpret_cast<const char*>(id) : "?";
        xmlFree(id);
    }
    return ids;
}

inline void ExpectBrowserAnswers(const char* html, const std::vector<BrowserCase>& cases)
{
    const xq::XmlDocPtr doc = xq::ParseHtmlDocument(html);
    for (const BrowserCase& c : cases) EXPECT_EQ(Answer(doc.get(), c.selector), c.ids) << "selector: " << c.selector;
}

}  // namespace css_test
