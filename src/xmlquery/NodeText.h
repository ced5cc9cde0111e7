#pragma once
// How a node found by a query becomes a value: by the extract code
// (0 text content, 1 outer HTML, 2 inner HTML, 3 outer HTML for elements and
// the string value otherwise). Internal to the query library.

#include <libxml/tree.h>
#include <string>

namespace xq {

std::string NodeTextContent(const xmlNode* node);  // string value
std::string NodeOuterHtml(const xmlNode* node);    // HTML serialisation
std::string NodeInnerHtml(const xmlNode* node);
// Elements by extract code; attributes, text and other nodes give their string value.
std::string ExtractNode(const xmlNode* node, int extractCode);

}  // namespace xq
