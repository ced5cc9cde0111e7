// :has(): relative selectors matched left to right from the anchor element.
// Their combinators only look down and forward, so whether an element reaches
// the end of a relative selector from compound i does not depend on the anchor:
// it is remembered per compound, and so are "some descendant reaches" and "some
// later sibling reaches". Each element is then settled once per compound, and
// :has() over a whole page costs about the page times the compounds.

#include "xmlquery/css/SelectorMatcher.h"

#include "xmlquery/css/ElementWalk.h"

namespace xq::css {

bool SelectorMatcher::MatchesHas(const SelectorList& relatives, const xmlNode* anchor)
{
    for (const ComplexSelector& relative : relatives.selectors)
        if (RelatedReaches(relative, 0, relative.leading, anchor)) return true;
    return false;
}

bool SelectorMatcher::Reaches(const ComplexSelector& relative, std::size_t index, const xmlNode* element)
{
    const CompoundSelector& compound = relative.compounds[index];
    const bool last = index + 1 == relative.compounds.size();
    if (last) return MatchesCompound(compound, element);
    NodeFlags& memo = reaches_[&compound];
    const auto known = memo.find(element);
    if (known != memo.end()) return known->second;
    const bool result = MatchesCompound(compound, element) &&
                        RelatedReaches(relative, index + 1, relative.combinators[index], element);
    memo.emplace(element, result);
    return result;
}

bool SelectorMatcher::RelatedReaches(const ComplexSelector& relative, std::size_t index, Combinator combinator,
                                     const xmlNode* from)
{
    switch (combinator) {
    case Combinator::Descendant:
        return SomeDescendantReaches(relative, index, from);
    case Combinator::Child:
        for (const xmlNode* child = FirstChildElement(from); child; child = NextElement(child))
            if (Reaches(relative, index, child)) return true;
        return false;
    case Combinator::NextSibling: {
        const xmlNode* next = NextElement(from);
        return next && Reaches(relative, index, next);
    }
    case Combinator::LaterSibling:
        return SomeLaterSiblingReaches(relative, index, from);
    }
    return false;
}

// Depth first without recursion; subtrees already settled are not entered again.
// An element whose subtree was cut short by an early success stays unsettled.
bool SelectorMatcher::SomeDescendantReaches(const ComplexSelector& relative, std::size_t index,
                                            const xmlNode* from)
{
    NodeFlags& memo = descendantReaches_[&relative.compounds[index]];
    if (const auto known = memo.find(from); known != memo.end()) return known->second;
    struct Frame {
        const xmlNode* element;
        const xmlNode* child;  // next child to look at
        bool found;
    };
    std::vector<Frame> stack{{from, FirstChildElement(from), false}};
    bool result = false;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.found || !frame.child) {
            const Frame done = frame;
            memo.emplace(done.element, done.found);
            stack.pop_back();
            if (stack.empty()) {
                result = done.found;
            } else {
                stack.back().found = stack.back().found || done.found;
            }
            continue;
        }
        const xmlNode* child = frame.child;
        frame.child = NextElement(child);
        if (Reaches(relative, index, child)) {
            frame.found = true;
            continue;
        }
        if (const auto known = memo.find(child); known != memo.end()) {
            frame.found = known->second;
            continue;
        }
        stack.push_back({child, FirstChildElement(child), false});
    }
    return result;
}

bool SelectorMatcher::SomeLaterSiblingReaches(const ComplexSelector& relative, std::size_t index,
                                              const xmlNode* from)
{
    NodeFlags& memo = laterReaches_[&relative.compounds[index]];
    if (const auto known = memo.find(from); known != memo.end()) return known->second;
    std::vector<const xmlNode*> passed{from};
    bool result = false;
    for (const xmlNode* sibling = NextElement(from); sibling; sibling = NextElement(sibling)) {
        if (Reaches(relative, index, sibling)) {
            result = true;
            break;
        }
        if (const auto known = memo.find(sibling); known != memo.end()) {
            result = known->second;
            break;
        }
        passed.push_back(sibling);
    }
    for (const xmlNode* element : passed) memo.emplace(element, result);
    return result;
}

}  // namespace xq::css
