#pragma once
// HTML5 tree construction walks the stack of open elements for most tags, so its
// time grows with (tags x depth): 40 000 nested divs take about 2 s. A cheap scan
// estimates that work before the page reaches the HTML5 parser.

#include <cstdint>
#include <string_view>

namespace xq {

// The sum, over every start tag, of the number of elements open before it
// (void elements, self-closed tags and elements whose end tag is usually omitted
// are not counted as open). Raw-text content and comments are skipped.
std::uint64_t EstimateTreeConstructionWork(std::string_view html);

// Above this estimate a page goes to the bounded fallback parser. 40 000 nested
// divs estimate 8e8 and take about 2 s; ordinary pages stay below 1e7.
inline constexpr std::uint64_t kMaxTreeConstructionWork = 100'000'000;

}  // namespace xq
