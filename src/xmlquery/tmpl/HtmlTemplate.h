#pragma once
// HTML templates: markup that looks like the part of the page to extract,
// with {.} placeholders. Internal to the query library; the language is
// documented for users in docs/templates.md.

#include <libxml/tree.h>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xq::tmpl {

class Template;  // parsed template; opaque

struct TemplateDeleter { void operator()(Template* p) const; };
using ParsedTemplate = std::unique_ptr<Template, TemplateDeleter>;

// Null and a reason in *error ("line 2, column 5: <li> is not closed before </ul>")
// when the text is not one or more balanced elements with well-placed {.}.
ParsedTemplate Parse(std::string_view templateUtf8, std::string* error = nullptr);

// One placeholder value: an element placeholder yields the matched page element
// (taken by the extract code by the caller); an attribute placeholder yields text.
struct Item {
    xmlNode* node = nullptr;  // set for element placeholders
    std::string text;         // set for attribute placeholders
};

// Every match in document order, each match's placeholders in template order.
// A parsed template is read-only here: all scratch state lives in the call.
std::vector<Item> Apply(const Template& tmpl, xmlDoc* doc);

// Limits of the template language.
inline constexpr int kMaxTemplateDepth = 256;
inline constexpr int kMaxTemplateElements = 2000;

// Work allowed for one Apply: roughly one step per candidate page element tried
// and per text node or 64 bytes of text read or searched (the default is about
// a second of work). A pathological template on a huge page stops here and
// keeps the matches completed so far.
inline constexpr std::uint64_t kDefaultStepBudget = 20'000'000;

struct ApplyStats {
    std::uint64_t steps = 0;
    bool budgetExhausted = false;
};

// Apply with an explicit step budget; *stats (optional) tells what it cost.
std::vector<Item> Apply(const Template& tmpl, xmlDoc* doc, std::uint64_t stepBudget,
                        ApplyStats* stats);

}  // namespace xq::tmpl
