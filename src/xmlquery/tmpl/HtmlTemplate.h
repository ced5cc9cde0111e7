#pragma once
// HTML templates: markup that looks like the part of the page to extract,
// with {.} placeholders. Internal to the query library; the language is
// documented for users in docs/templates.md.

#include <libxml/tree.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xq::tmpl {

class Template;  // parsed template; opaque

struct TemplateDeleter { void operator()(Template* p) const; };
using ParsedTemplate = std::unique_ptr<Template, TemplateDeleter>;

// Null and a reason in *error when the text is not one or more balanced elements.
ParsedTemplate Parse(std::string_view templateUtf8, std::string* error = nullptr);

// One placeholder value: an element placeholder yields the matched page element
// (taken by the extract code by the caller); an attribute placeholder yields text.
struct Item {
    xmlNode* node = nullptr;  // set for element placeholders
    std::string text;         // set for attribute placeholders
};

// Every match in document order, each match's placeholders in template order.
std::vector<Item> Apply(const Template& tmpl, xmlDoc* doc);

}  // namespace xq::tmpl
