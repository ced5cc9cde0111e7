#include "xmlquery/css/HtmlAttributeCase.h"

#include <algorithm>
#include <array>

namespace xq::css {

namespace {

// Sorted, for binary search.
constexpr std::array<std::string_view, 46> kCaseInsensitiveAttributes = {
    "accept",   "accept-charset", "align",    "alink",    "axis",      "bgcolor",    "charset",
    "checked",  "clear",          "codetype", "color",    "compact",   "declare",    "defer",
    "dir",      "direction",      "disabled", "enctype",  "face",      "frame",      "hreflang",
    "http-equiv", "lang",         "language", "link",     "media",     "method",     "multiple",
    "nohref",   "noresize",       "noshade",  "nowrap",   "readonly",  "rel",        "rev",
    "rules",    "scope",          "scrolling", "selected", "shape",    "target",     "text",
    "type",     "valign",         "valuetype", "vlink",
};

}  // namespace

bool IsCaseInsensitiveHtmlAttribute(std::string_view lowerCaseName)
{
    static_assert(std::is_sorted(kCaseInsensitiveAttributes.begin(), kCaseInsensitiveAttributes.end()));
    return std::binary_search(kCaseInsensitiveAttributes.begin(), kCaseInsensitiveAttributes.end(),
                              lowerCaseName);
}

}  // namespace xq::css
