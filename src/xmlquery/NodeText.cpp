#include "xmlquery/NodeText.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace xq {
namespace {

std::string_view Name(const xmlNode* node)
{
    return node->name ? std::string_view(reinterpret_cast<const char*>(node->name)) : std::string_view();
}

std::string_view Content(const xmlNode* node)
{
    return node->content ? std::string_view(reinterpret_cast<const char*>(node->content)) : std::string_view();
}

bool IsVoidElement(std::string_view name)
{
    static constexpr std::array<std::string_view, 18> kVoid = {
        "area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr",
        "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr"};
    return std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end();
}

// Elements whose text children are serialised without escaping.
bool IsRawTextParent(const xmlNode* parent)
{
    if (!parent || parent->type != XML_ELEMENT_NODE) return false;
    // Not noscript: the tree is built with scripting off, so its content is markup.
    static constexpr std::array<std::string_view, 7> kRaw = {
        "style", "script", "xmp", "iframe", "noembed", "noframes", "plaintext"};
    const std::string_view name = Name(parent);
    return std::find(kRaw.begin(), kRaw.end(), name) != kRaw.end();
}

void AppendEscaped(std::string& out, std::string_view text, bool attributeMode)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* replacement = nullptr;
        std::size_t skip = 1;
        if (c == '&') replacement = "&amp;";
        else if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') { replacement = "&nbsp;"; skip = 2; }
        else if (attributeMode && c == '"') replacement = "&quot;";
        else if (!attributeMode && c == '<') replacement = "&lt;";
        else if (!attributeMode && c == '>') replacement = "&gt;";
        if (!replacement) continue;
        out.append(text.substr(start, i - start));
        out.append(replacement);
        i += skip - 1;
        start = i + 1;
    }
    out.append(text.substr(start));
}

void AppendStartTag(std::string& out, const xmlNode* element)
{
    out.push_back('<');
    out.append(Name(element));
    for (const xmlAttr* attr = element->properties; attr; attr = attr->next) {
        out.push_back(' ');
        if (attr->ns && attr->ns->prefix) {
            out.append(reinterpret_cast<const char*>(attr->ns->prefix));
            out.push_back(':');
        }
        out.append(attr->name ? reinterpret_cast<const char*>(attr->name) : "");
        out.append("=\"");
        for (const xmlNode* child = attr->children; child; child = child->next)
            AppendEscaped(out, Content(child), true);
        out.push_back('"');
    }
    out.push_back('>');
}

// One node without its children (elements: the start tag only).
void AppendLeaf(std::string& out, const xmlNode* node)
{
    switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:  // the HTML DOM has no CDATA: it is text
        if (IsRawTextParent(node->parent)) out.append(Content(node));
        else AppendEscaped(out, Content(node), false);
        break;
    case XML_COMMENT_NODE:
        out.append("<!--").append(Content(node)).append("-->");
        break;
    case XML_PI_NODE:
        out.append("<?").append(Name(node));
        if (!Content(node).empty()) out.append(" ").append(Content(node));
        out.push_back('>');
        break;
    case XML_DTD_NODE:
        out.append("<!DOCTYPE ").append(Name(node)).push_back('>');
        break;
    case XML_ELEMENT_NODE:
        AppendStartTag(out, node);
        break;
    default:
        break;
    }
}

bool HasSerialisedChildren(const xmlNode* node)
{
    return node->type == XML_ELEMENT_NODE && node->children && !IsVoidElement(Name(node));
}

void AppendEndTag(std::string& out, const xmlNode* element)
{
    if (IsVoidElement(Name(element))) return;
    out.append("</").append(Name(element)).push_back('>');
}

// Serialises the children of root in document order without recursion:
// pages can nest tens of thousands of elements deep.
void AppendChildren(std::string& out, const xmlNode* root)
{
    const xmlNode* node = root->children;
    while (node) {
        AppendLeaf(out, node);
        if (HasSerialisedChildren(node)) {
            node = node->children;
            continue;
        }
        if (node->type == XML_ELEMENT_NODE) AppendEndTag(out, node);
        while (node != root && !node->next) {
            node = node->parent;
            if (node != root) AppendEndTag(out, node);
        }
        node = node == root ? nullptr : node->next;
    }
}

bool IsContainer(const xmlNode* node)
{
    return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
           node->type == XML_HTML_DOCUMENT_NODE || node->type == XML_DOCUMENT_FRAG_NODE;
}

}  // namespace

std::string NodeTextContent(const xmlNode* node)
{
    std::string out;
    if (!node) return out;
    if (node->type == XML_ATTRIBUTE_NODE) {
        for (const xmlNode* child = node->children; child; child = child->next) out.append(Content(child));
        return out;
    }
    if (!IsContainer(node)) {
        out.append(Content(node));
        return out;
    }
    // Concatenated descendant text, walked without recursion.
    const xmlNode* current = node->children;
    while (current) {
        if (current->type == XML_TEXT_NODE || current->type == XML_CDATA_SECTION_NODE)
            out.append(Content(current));
        if (current->type == XML_ELEMENT_NODE && current->children) {
            current = current->children;
            continue;
        }
        while (current != node && !current->next) current = current->parent;
        current = current == node ? nullptr : current->next;
    }
    return out;
}

std::string NodeOuterHtml(const xmlNode* node)
{
    std::string out;
    if (!node) return out;
    if (node->type != XML_ELEMENT_NODE) {
        if (IsContainer(node)) AppendChildren(out, node);
        else if (node->type == XML_ATTRIBUTE_NODE) out = NodeTextContent(node);
        else AppendLeaf(out, node);
        return out;
    }
    AppendStartTag(out, node);
    if (IsVoidElement(Name(node))) return out;
    AppendChildren(out, node);
    AppendEndTag(out, node);
    return out;
}

std::string NodeInnerHtml(const xmlNode* node)
{
    std::string out;
    if (!node) return out;
    if (IsContainer(node)) {
        if (node->type != XML_ELEMENT_NODE || !IsVoidElement(Name(node))) AppendChildren(out, node);
        return out;
    }
    return NodeTextContent(node);
}

std::string ExtractNode(const xmlNode* node, int extractCode)
{
    if (!node) return {};
    if (!IsContainer(node)) return NodeTextContent(node);
    switch (extractCode) {
    case 1: return NodeOuterHtml(node);
    case 2: return NodeInnerHtml(node);
    case 3: return NodeOuterHtml(node);
    default: return NodeTextContent(node);
    }
}

}  // namespace xq
