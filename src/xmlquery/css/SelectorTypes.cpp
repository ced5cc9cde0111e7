#include "xmlquery/css/SelectorTypes.h"

namespace xq::css {

bool AnPlusB::Matches(std::int64_t position) const
{
    const std::int64_t offset = position - b;
    if (a == 0) return offset == 0;
    // Some n >= 0 with a*n == offset.
    return offset % a == 0 && offset / a >= 0;
}

void SelectorListDeleter::operator()(SelectorList* p) const { std::default_delete<SelectorList>()(p); }

}  // namespace xq::css
