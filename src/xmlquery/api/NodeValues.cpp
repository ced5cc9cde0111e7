#include "xmlquery/api/NodeValues.h"

#include "xmlquery/AsciiText.h"
#include "xmlquery/NodeText.h"

#include <cstring>

namespace xq::api {

bool FindAttributeValue(const xmlNode* element, const std::string& name, std::string& value)
{
    const xmlAttr* found = nullptr;
    for (const xmlAttr* attr = element->properties; attr && !found; attr = attr->next) {
        if (attr->name && std::strcmp(reinterpret_cast<const char*>(attr->name), name.c_str()) == 0) found = attr;
    }
    for (const xmlAttr* attr = element->properties; attr && !found; attr = attr->next) {
        if (attr->name && EqualsIgnoringAsciiCase(reinterpret_cast<const char*>(attr->name), name)) found = attr;
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
