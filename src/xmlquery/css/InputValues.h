#pragma once
// The values of form controls as the HTML standard reads them from markup:
// input types, value sanitisation, numbers, dates and times as numbers, and
// the syntax checks of e-mail and URL fields.

#include <optional>
#include <string>
#include <string_view>

namespace xq::css {

// The lower-case state of an input's type attribute; "text" when absent or unknown.
std::string InputTypeOf(std::string_view typeAttribute);

// Input types whose value the min/max/step attributes read (number, range, date, ...).
bool IsRangedInputType(std::string_view type);
// Types that the readonly / required / placeholder attributes apply to.
bool ReadonlyApplies(std::string_view type);
bool RequiredApplies(std::string_view type);
bool PlaceholderApplies(std::string_view type);
bool PatternApplies(std::string_view type);

// A ranged input's value (or min, max) as a number in the type's own unit:
// numbers as such, dates in days, months and weeks counted from year 0,
// times and local date-times in seconds. Nullopt when not valid for the type.
std::optional<double> InputNumber(std::string_view type, std::string_view text);
// The step in the same unit when the step attribute is absent or invalid; nullopt for "any".
std::optional<double> InputStep(std::string_view type, const std::optional<std::string>& stepAttribute);

// The value after the type's sanitisation (line breaks dropped from text, an
// invalid number or date becoming empty, ...); range values are handled by the caller.
std::string SanitizedValue(std::string_view type, std::string_view raw);

bool IsValidEmailList(std::string_view value, bool multiple);
bool IsValidAbsoluteUrl(std::string_view value);

}  // namespace xq::css
