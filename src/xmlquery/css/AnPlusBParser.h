#pragma once
// Reads the an+b argument of the :nth-*() pseudo-classes.

#include "xmlquery/css/SelectorTypes.h"

#include <optional>
#include <string_view>

namespace xq::css {

// `odd`, `even`, `b`, `an`, `an+b` with the blank rules of CSS (a sign stays
// attached to what follows it, except between `an` and `b`); nullopt otherwise.
std::optional<AnPlusB> ParseAnPlusB(std::string_view text);

}  // namespace xq::css
