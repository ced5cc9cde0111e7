#pragma once
// Parses selector text into a SelectorList; every malformed or unsupported form
// is rejected with a reason.

#include "xmlquery/css/CssSelector.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace xq::css {

// Bounds that keep hostile selectors cheap and the recursion of parsing and
// matching shallow (compounds times nesting bounds the matcher's stack).
inline constexpr std::size_t kMaxSelectorLength = 16 * 1024;
inline constexpr int kMaxNestingDepth = 16;
inline constexpr std::size_t kMaxCompoundsPerSelector = 64;

CompiledSelector ParseSelectorList(std::string_view text, std::string* error);

}  // namespace xq::css
