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

// Above this estimate a page goes to the bounded fallback parser. Measured (Release,
// tm_nesting_calibration): the costliest shape, nested unclosed <ul><li>, takes about
// 16 ns per unit (2.5e7: 0.5 s, 1e8: 1.6 s); nested divs about 8 ns. The largest
// real page of the Python documentation estimates 6e5. 2e7 keeps the HTML5 parse of
// any page under about 0.4 s while leaving real pages 30 times below the limit.
inline constexpr std::uint64_t kMaxTreeConstructionWork = 20'000'000;

}  // namespace xq
