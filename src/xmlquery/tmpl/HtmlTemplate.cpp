#include "xmlquery/tmpl/HtmlTemplate.h"

namespace xq::tmpl {

class Template {};

void TemplateDeleter::operator()(Template* p) const { delete p; }

ParsedTemplate Parse(std::string_view, std::string* error) {
    if (error) *error = "templates are not available yet";
    return nullptr;
}

std::vector<Item> Apply(const Template& tmpl, xmlDoc* doc) {
    return Apply(tmpl, doc, kDefaultStepBudget, nullptr);
}

std::vector<Item> Apply(const Template&, xmlDoc*, std::uint64_t, ApplyStats* stats) {
    if (stats) *stats = {};
    return {};
}

}  // namespace xq::tmpl
