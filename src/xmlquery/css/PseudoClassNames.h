#pragma once
// The names of the pseudo-classes and pseudo-elements that the parser knows
// without arguments, and what each becomes.

#include "xmlquery/css/SelectorTypes.h"

#include <optional>
#include <string_view>

namespace xq::css {

// A pseudo-class written without arguments (lower-case name); nullopt when unknown.
// States of interaction (:hover, :visited, :focus, ...) become SimpleKind::Never.
std::optional<SimpleKind> PlainPseudoClass(std::string_view lowerName);

// ::name (or ::name( with function true) that browsers accept; lower-case name.
bool IsPseudoElementName(std::string_view lowerName, bool function);

// The pseudo-elements that may also be written with one colon.
bool IsLegacyPseudoElement(std::string_view lowerName);

}  // namespace xq::css
