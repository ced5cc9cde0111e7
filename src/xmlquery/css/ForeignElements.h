#pragma once
// The tree carries no namespaces, so SVG and MathML elements are told by
// their place: below svg or math, and not below one of the points where
// HTML content starts again (foreignObject, desc, title, the MathML text
// elements, annotation-xml).

#include "xmlquery/css/ElementWalk.h"

#include <string_view>

namespace xq::css {

inline bool IsForeignElement(const xmlNode* element)
{
    for (const xmlNode* node = element; node; node = ParentElement(node)) {
        const std::string_view name = NameOf(node);
        if (name == "svg" || name == "math") return true;
        if (node == element) continue;
        if (name == "foreignObject" || name == "desc" || name == "title" || name == "annotation-xml" ||
            name == "mi" || name == "mo" || name == "mn" || name == "ms" || name == "mtext")
            return false;
    }
    return false;
}

}  // namespace xq::css
