#pragma once
// Attribute and text access on libxml2 elements for the matcher and the
// element-state helpers.

#include "xmlquery/AsciiText.h"

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <string_view>

namespace xq::css {

inline std::string_view ContentOf(const xmlNode* node)
{
    return node->content ? std::string_view(reinterpret_cast<const char*>(node->content)) : std::string_view();
}

inline bool IsTextNode(const xmlNode* node)
{
    return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE;
}

// The first attribute of that name (names compared without regard to case);
// false when there is none. The value lands in *value, backed by the tree or *scratch.
inline bool AttributeValue(const xmlNode* element, std::string_view lowerName, std::string_view* value,
                           std::string* scratch)
{
    for (const xmlAttr* attr = element->properties; attr; attr = attr->next) {
        const std::string_view name = attr->name ? reinterpret_cast<const char*>(attr->name) : "";
        if (!EqualsIgnoringAsciiCase(name, lowerName)) continue;
        const xmlNode* child = attr->children;
        if (!child) {
            *value = std::string_view();
        } else if (!child->next && IsTextNode(child)) {
            *value = ContentOf(child);
        } else {
            scratch->clear();
            for (; child; child = child->next)
                if (IsTextNode(child)) scratch->append(ContentOf(child));
            *value = *scratch;
        }
        return true;
    }
    return false;
}

inline bool HasAttribute(const xmlNode* element, std::string_view lowerName)
{
    for (const xmlAttr* attr = element->properties; attr; attr = attr->next)
        if (EqualsIgnoringAsciiCase(attr->name ? reinterpret_cast<const char*>(attr->name) : "", lowerName))
            return true;
    return false;
}

// The value as a string of its own, or nullopt when the attribute is absent.
inline std::optional<std::string> AttributeText(const xmlNode* element, std::string_view lowerName)
{
    std::string scratch;
    std::string_view value;
    if (!AttributeValue(element, lowerName, &value, &scratch)) return std::nullopt;
    return std::string(value);
}

// The element's own text children, joined (a textarea's raw value).
inline std::string ChildText(const xmlNode* element)
{
    std::string text;
    for (const xmlNode* child = element->children; child; child = child->next)
        if (IsTextNode(child)) text.append(ContentOf(child));
    return text;
}

}  // namespace xq::css
