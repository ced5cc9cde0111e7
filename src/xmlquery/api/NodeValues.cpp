#include "xmlquery/api/NodeValues.h"

#include "xmlquery/NodeText.h"

#include <cstring>

namespace xq::api {
namespace {

bool SameIgnoringAsciiCase(const char* a, const char* b)
{
    const auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    for (; *a && *b; ++a, ++b) {
        if (lower(static_cast<unsigned char>(*a)) != lower(static_cast<unsigned char>(*b))) return false;
    }
    return *a == *b;
}

}  // namespace

bool FindAttributeValue(const xmlNode* element, const std::string& name, std::string& value)
{
    const xmlAttr* found = nullptr;
    for (const xmlAttr* attr = element->properties; attr && !found; attr = attr->next) {
        if (attr->name && std::strcmp(reinterpret_cast<const char*>(attr->name), name.c_str()) == 0) found = attr;
    }
    for (const xmlAttr* attr = element->properties; attr && !found; attr = attr->next) {
        if (attr->name && SameIgnoringAsciiCase(reinterpret_cast<const char*>(attr->name), name.c_str())) found = attr;
    }
    if (!found) return false;
    value = NodeTextContent(reinterpret_cast<const xmlNode*>(found));
    return true;
}

void AddNodeValue(JsonArrayText& out, const xmlNode* node, const ValueOptions& options)
{
    if (!node) return;
    if (node->type == XML_ELEMENT_NODE && !options.attribute.empty()) {
        std::string value;
        if (FindAttributeValue(node, options.attribute, value)) out.AddString(value);
        return;
    }
    out.AddString(ExtractNode(node, options.extractCode));
}

}  // namespace xq::api
