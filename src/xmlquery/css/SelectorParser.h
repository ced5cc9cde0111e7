#pragma once
// Parses selector text into a SelectorList; every malformed or unsupported form
// is rejected with a reason.

#include "xmlquery/css/CssSelector.h"

#include <string>
#include <string_view>

namespace xq::css {

// Bounds that keep hostile selectors cheap and the recursion shallow.
inline constexpr size_t kMaxSelectorLength = 100'000;
inline constexpr int kMaxNestingDepth = 32;
inline constexpr size_t kMaxCompoundsPerSelector = 256;

CompiledSelector ParseSelectorList(std::string_view text, std::string* error);

}  // namespace xq::css
