#pragma once
// The text of a whole page folded once (white space runs as one blank), with
// each element's text as a range of it: an element's string value is one
// contiguous stretch of the page's text, so no element needs its own copy.

#include "xmlquery/tmpl/PageIndex.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xq::tmpl {

class PageText {
public:
    PageText(xmlDoc* doc, const PageIndex& index);

    // The element's string value with white space folded and trimmed.
    std::string_view Of(int element) const;
    // Work spent building: one per text node and per 64 bytes.
    std::uint64_t Cost() const { return cost_; }

private:
    std::string text_;
    std::vector<std::size_t> start_, end_;
    std::uint64_t cost_ = 0;
};

}  // namespace xq::tmpl
