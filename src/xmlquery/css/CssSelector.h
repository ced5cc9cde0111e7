#pragma once
// CSS selectors (Level 3, and Level 4 as browsers ship it: :has(), forgiving
// :is()/:where(), :lang() ranges, :dir(), the form states of the HTML standard)
// parsed by our own parser and matched natively over a libxml2 HTML document,
// as on a page that has just loaded and no one has touched. Internal to the query library.

#include <libxml/tree.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xq::css {

class SelectorList;  // compiled selector list; opaque

struct SelectorListDeleter { void operator()(SelectorList* p) const; };
using CompiledSelector = std::unique_ptr<SelectorList, SelectorListDeleter>;

// Null and a reason in *error when the selector is malformed or unsupported.
CompiledSelector Compile(std::string_view selectorUtf8, std::string* error = nullptr);

// Matching elements in document order, without duplicates.
std::vector<xmlNode*> Select(const SelectorList& selector, xmlDoc* doc);

}  // namespace xq::css
