#include "xmlquery/xquery/DomStream.h"

#include <cstring>

namespace xq::xquery {

namespace {

const char* Chars(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : ""; }

// Where the next token goes: the current chunk, or a new one when it is full.
std::string& NextToken(DomStream& stream)
{
    if (stream.chunks.empty() || stream.tokensInChunk >= kTokensPerChunk) {
        if (!stream.chunks.empty()) {
            stream.chunks.back().back() = ']';  // the comma after the last token
        }
        stream.chunks.emplace_back("[");
        stream.tokensInChunk = 0;
    }
    ++stream.tokensInChunk;
    return stream.chunks.back();
}

void AppendToken(DomStream& stream, DomToken token)
{
    std::string& out = NextToken(stream);
    out += static_cast<char>('0' + token);
    out += ',';
}

void AppendCount(DomStream& stream, std::size_t count)
{
    std::string& out = NextToken(stream);
    out += std::to_string(count);
    out += ',';
}

void AppendString(DomStream& stream, const xmlChar* text)
{
    std::string& out = NextToken(stream);
    const char* chars = Chars(text);
    AppendJsonString(out, chars, std::strlen(chars));
    out += ',';
}

void AppendAttributeValue(DomStream& out, xmlAttr* attr)
{
    const xmlNode* child = attr->children;
    if (child && !child->next && child->type == XML_TEXT_NODE) {  // the usual case: no copy
        AppendString(out, child->content);
        return;
    }
    xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attr));
    AppendString(out, value);
    xmlFree(value);
}

void AppendElementStart(DomStream& out, xmlNode* element)
{
    AppendToken(out, kOpen);
    AppendString(out, element->name);
    std::size_t count = 0;
    for (xmlAttr* attr = element->properties; attr; attr = attr->next) ++count;
    AppendCount(out, count);
    for (xmlAttr* attr = element->properties; attr; attr = attr->next) {
        AppendString(out, attr->name);
        AppendAttributeValue(out, attr);
    }
}

// Writes the node's own token; returns true when its children follow.
bool AppendNode(DomStream& stream, xmlNode* node)
{
    switch (node->type) {
    case XML_ELEMENT_NODE:
        stream.elements.push_back(node);
        AppendElementStart(stream, node);
        return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        AppendToken(stream, kText);
        AppendString(stream, node->content);
        return false;
    case XML_COMMENT_NODE:
        AppendToken(stream, kComment);
        AppendString(stream, node->content);
        return false;
    default:  // doctype, processing instructions, entity references: not part of the page's DOM
        return false;
    }
}

}  // namespace

void AppendJsonString(std::string& out, const char* text, std::size_t length)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

DomStream WriteDomStream(xmlDoc* doc)
{
    DomStream stream;
    if (doc) {
        bool rootWritten = false;
        for (xmlNode* top = doc->children; top; top = top->next) {
            if (top->type == XML_COMMENT_NODE) {
                AppendNode(stream, top);
                continue;
            }
            if (top->type != XML_ELEMENT_NODE || rootWritten) continue;
            rootWritten = true;
            // Depth-first walk of the root element's subtree without recursion.
            xmlNode* node = top;
            while (node) {
                if (AppendNode(stream, node) && node->children) {
                    node = node->children;
                    continue;
                }
                if (node->type == XML_ELEMENT_NODE) AppendToken(stream, kClose);
                while (node != top && !node->next) {
                    node = node->parent;
                    AppendToken(stream, kClose);
                }
                node = node == top ? nullptr : node->next;
            }
        }
    }
    if (stream.chunks.empty()) stream.chunks.emplace_back("[");
    std::string& last = stream.chunks.back();
    if (last.back() == ',') last.back() = ']';
    else last += ']';
    return stream;
}

}  // namespace xq::xquery
