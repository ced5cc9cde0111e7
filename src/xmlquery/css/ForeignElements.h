#pragma once
// The tree carries no namespaces, so SVG and MathML elements are told by
// their place: below svg or math, and not below one of the points where
// HTML content starts again (foreignObject, desc, title, the MathML text
// elements, annotation-xml).

#include "xmlquery/css/AncestorMemo.h"

#include <string_view>

namespace xq::css {

class ForeignElements {
public:
    bool IsForeign(const xmlNode* element)
    {
        if (StartsForeignContent(NameOf(element))) return true;
        const xmlNode* decider = NearestAncestor(memo_, element, [](const xmlNode*, const xmlNode* parent) {
            const std::string_view name = NameOf(parent);
            return StartsForeignContent(name) || StartsHtmlContent(name);
        });
        return decider && StartsForeignContent(NameOf(decider));
    }

private:
    static bool StartsForeignContent(std::string_view name) { return name == "svg" || name == "math"; }
    static bool StartsHtmlContent(std::string_view name)
    {
        return name == "foreignObject" || name == "desc" || name == "title" || name == "annotation-xml" ||
               name == "mi" || name == "mo" || name == "mn" || name == "ms" || name == "mtext";
    }

    AncestorAnswers memo_;
};

}  // namespace xq::css
