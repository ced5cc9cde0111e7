#include "xmlquery/api/Evaluators.h"

#include "xmlquery/css/CssSelector.h"
#include "xmlquery/p1xmlquery.h"

namespace xq::api {

int EvaluateCss(const CachedPage& page, const std::string& selector, const ValueOptions& options,
                std::string& json)
{
    const css::CompiledSelector compiled = css::Compile(selector);
    if (!compiled) return P1XQ_ERR_QUERY_COMPILE;
    JsonArrayText out;
    for (const xmlNode* node : css::Select(*compiled, page.doc)) AddNodeValue(out, node, options);
    json = std::move(out).Finish();
    return P1XQ_OK;
}

bool IsCssValid(const std::string& selector, std::string* reason)
{
    if (selector.empty()) {
        if (reason) *reason = "the selector is empty";
        return false;
    }
    return css::Compile(selector, reason) != nullptr;
}

}  // namespace xq::api
