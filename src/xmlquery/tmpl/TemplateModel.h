#pragma once
// The parsed form of an HTML template, shared by the parser and the matcher.

#include "xmlquery/tmpl/HtmlTemplate.h"

#include <string>
#include <vector>

namespace xq::tmpl {

struct TemplateAttribute {
    std::string name;                  // lower case
    std::string value;                 // entities decoded
    bool placeholder = false;          // written name="{.}": presence only, yields the value
    bool presenceOnly = false;         // written without a value
    std::vector<std::string> classes;  // for class: the listed class names
};

struct TemplateElement {
    std::string name;  // lower case
    std::vector<TemplateAttribute> attributes;
    std::vector<int> children;       // indices into Template::elements, in order
    std::vector<std::string> texts;  // own text pieces, white space normalised, none empty
    bool elementPlaceholder = false; // whole content is {.}
    int depth = 0;                   // 0 for top-level elements
};

class Template {
public:
    std::vector<TemplateElement> elements;  // in document order
    std::vector<int> roots;                 // top-level elements, in order
    int placeholderCount = 0;
};

}  // namespace xq::tmpl
