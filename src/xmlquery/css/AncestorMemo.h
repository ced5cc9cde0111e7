#pragma once
// Questions about an element's ancestors, answered once per element: each
// answer is remembered for every element the walk passed, so asking about
// all elements of a deep page costs about the page, not the page times its depth.

#include "xmlquery/css/ElementWalk.h"

#include <unordered_map>
#include <vector>

namespace xq::css {

using AncestorAnswers = std::unordered_map<const xmlNode*, const xmlNode*>;

// The nearest ancestor A of element, reached through its child C on the way
// up, with found(C, A); null when there is none. `found` must depend only on
// C and A, and the same `memo` must always go with the same `found`.
template <typename Found>
const xmlNode* NearestAncestor(AncestorAnswers& memo, const xmlNode* element, Found found)
{
    std::vector<const xmlNode*> path;
    const xmlNode* answer = nullptr;
    for (const xmlNode* node = element; node;) {
        const auto known = memo.find(node);
        if (known != memo.end()) {
            answer = known->second;
            break;
        }
        path.push_back(node);
        const xmlNode* parent = ParentElement(node);
        if (parent && found(node, parent)) {
            answer = parent;
            break;
        }
        node = parent;
    }
    for (const xmlNode* node : path) memo.emplace(node, answer);
    return answer;
}

}  // namespace xq::css
