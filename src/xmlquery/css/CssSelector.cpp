#include "xmlquery/css/CssSelector.h"

#include "xmlquery/css/ElementWalk.h"
#include "xmlquery/css/SelectorMatcher.h"
#include "xmlquery/css/SelectorParser.h"
#include "xmlquery/css/SelectorTypes.h"

namespace xq::css {

CompiledSelector Compile(std::string_view selectorUtf8, std::string* error)
{
    return ParseSelectorList(selectorUtf8, error);
}

std::vector<xmlNode*> Select(const SelectorList& selector, xmlDoc* doc)
{
    std::vector<xmlNode*> found;
    if (!doc) return found;
    SelectorMatcher matcher(doc, selector.needsText);
    // Visiting every element once, in document order, gives the order and no duplicates.
    const xmlNode* top = reinterpret_cast<const xmlNode*>(doc);
    for (const xmlNode* node = doc->children; node; node = NextInDocumentOrder(node, top)) {
        if (IsElement(node) && matcher.Matches(selector, node)) found.push_back(const_cast<xmlNode*>(node));
    }
    return found;
}

}  // namespace xq::css
