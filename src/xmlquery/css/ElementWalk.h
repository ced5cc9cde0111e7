#pragma once
// Element navigation over a libxml2 tree that skips text, comments and the like.
// Iterative, so deep trees never exhaust the stack.

#include <libxml/tree.h>

#include <string_view>

namespace xq::css {

inline bool IsElement(const xmlNode* node) { return node && node->type == XML_ELEMENT_NODE; }

inline std::string_view NameOf(const xmlNode* node)
{
    return node->name ? std::string_view(reinterpret_cast<const char*>(node->name)) : std::string_view();
}

inline const xmlNode* ParentElement(const xmlNode* element)
{
    return IsElement(element->parent) ? element->parent : nullptr;
}

inline const xmlNode* PreviousElement(const xmlNode* node)
{
    for (node = node->prev; node; node = node->prev)
        if (IsElement(node)) return node;
    return nullptr;
}

inline const xmlNode* NextElement(const xmlNode* node)
{
    for (node = node->next; node; node = node->next)
        if (IsElement(node)) return node;
    return nullptr;
}

inline const xmlNode* FirstChildElement(const xmlNode* element)
{
    for (const xmlNode* child = element->children; child; child = child->next)
        if (IsElement(child)) return child;
    return nullptr;
}

// The next node after `node` in document order (children first), staying below `top`.
inline const xmlNode* NextInDocumentOrder(const xmlNode* node, const xmlNode* top)
{
    if (node->children && (node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
                           node->type == XML_HTML_DOCUMENT_NODE))
        return node->children;
    while (node && node != top) {
        if (node->next) return node->next;
        node = node->parent;
    }
    return nullptr;
}

}  // namespace xq::css
