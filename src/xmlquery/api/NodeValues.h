#pragma once
// Turns the nodes a query found into result values, by extract code and attribute.

#include "xmlquery/api/JsonArrayText.h"

#include <libxml/tree.h>
#include <string>

namespace xq::api {

struct ValueOptions {
    std::string attribute;  // non-empty: elements give this attribute's value
    int extractCode = 0;    // 0 text, 1 outer HTML, 2 inner HTML, 3 outer HTML or string value
};

// Elements: the named attribute's value when an attribute is given (nothing when
// the element lacks it), otherwise the text by extract code. Attribute, text and
// other nodes: their string value.
void AddNodeValue(JsonArrayText& out, const xmlNode* node, const ValueOptions& options);

// The attribute's value, matching names without regard to ASCII case as HTML
// does (an exact match wins). False when the element has no such attribute.
bool FindAttributeValue(const xmlNode* element, const std::string& name, std::string& value);

}  // namespace xq::api
