#include "xmlquery/api/Evaluators.h"

#include "xmlquery/p1xmlquery.h"
#include "xmlquery/tmpl/HtmlTemplate.h"

namespace xq::api {

int EvaluateTemplate(const CachedPage& page, const std::string& templateText, int extractCode,
                     std::string& json)
{
    const tmpl::ParsedTemplate parsed = tmpl::Parse(templateText);
    if (!parsed) return P1XQ_ERR_TEMPLATE_PARSE;
    const ValueOptions options{std::string(), extractCode};
    JsonArrayText out;
    for (const tmpl::Item& item : tmpl::Apply(*parsed, page.doc)) {
        if (item.node) AddNodeValue(out, item.node, options);
        else out.AddString(item.text);
    }
    json = std::move(out).Finish();
    return P1XQ_OK;
}

bool IsTemplateValid(const std::string& templateText, std::string* reason)
{
    if (templateText.empty()) {
        if (reason) *reason = "the template is empty";
        return false;
    }
    return tmpl::Parse(templateText, reason) != nullptr;
}

}  // namespace xq::api
