#include "xmlquery/css/CssSelector.h"

#include "xmlquery/css/SelectorTypes.h"

namespace xq::css {

CompiledSelector Compile(std::string_view, std::string* error)
{
    if (error) *error = "CSS selectors are not supported yet";
    return nullptr;
}

std::vector<xmlNode*> Select(const SelectorList&, xmlDoc*) { return {}; }

}  // namespace xq::css
