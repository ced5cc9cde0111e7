#pragma once
// Attributes whose values HTML documents compare without regard to ASCII case
// in attribute selectors (the HTML standard's list; `type` is the common one).

#include <string_view>

namespace xq::css {

// lowerCaseName must already be lower-case.
bool IsCaseInsensitiveHtmlAttribute(std::string_view lowerCaseName);

}  // namespace xq::css
