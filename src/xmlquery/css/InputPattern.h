#pragma once
// The pattern attribute of text inputs: the whole value must match the
// regular expression. A pattern that does not compile sets no constraint.

#include <string_view>

namespace xq::css {

// False as well when the pattern is invalid or the match runs past its limits
// (a hostile pattern never costs more than a bounded match).
bool ValueMismatchesPattern(std::string_view pattern, std::string_view value);

}  // namespace xq::css
