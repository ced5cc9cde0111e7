#include "xmlquery/css/SelectorMatcher.h"

#include "xmlquery/AsciiText.h"
#include "xmlquery/css/ElementAttributes.h"
#include "xmlquery/css/ElementWalk.h"

#include <algorithm>
#include <string_view>

namespace xq::css {

namespace {

// Equality of a document value with a selector value that is already lower-case
// when ignoreCase is set.
bool SameText(std::string_view value, std::string_view wanted, bool ignoreCase)
{
    return ignoreCase ? EqualsIgnoringAsciiCase(value, wanted) : value == wanted;
}

bool ContainsText(std::string_view value, std::string_view wanted, bool ignoreCase)
{
    if (!ignoreCase) return value.find(wanted) != std::string_view::npos;
    if (wanted.size() > value.size()) return false;
    for (std::size_t i = 0; i + wanted.size() <= value.size(); ++i)
        if (EqualsIgnoringAsciiCase(value.substr(i, wanted.size()), wanted)) return true;
    return false;
}

// Element names as hash keys, compared without regard to ASCII case.
struct FoldedNameHash {
    std::size_t operator()(std::string_view name) const
    {
        std::size_t hash = 1469598103934665603ull;
        for (char c : name) hash = (hash ^ static_cast<unsigned char>(ToLowerAscii(c))) * 1099511628211ull;
        return hash;
    }
};
struct FoldedNameEqual {
    bool operator()(std::string_view a, std::string_view b) const { return EqualsIgnoringAsciiCase(a, b); }
};

template <typename Visit>
bool AnyBlankSeparatedWord(std::string_view list, Visit visit)
{
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsHtmlSpace(list[i])) ++i;
        const std::size_t start = i;
        while (i < list.size() && !IsHtmlSpace(list[i])) ++i;
        if (i > start && visit(list.substr(start, i - start))) return true;
    }
    return false;
}

// A name that the page could define as a custom element.
bool IsValidCustomElementName(std::string_view name)
{
    if (name.empty() || name[0] < 'a' || name[0] > 'z' || name.find('-') == std::string_view::npos) return false;
    for (std::string_view reserved : {"annotation-xml", "color-profile", "font-face", "font-face-src",
                                      "font-face-uri", "font-face-format", "font-face-name", "missing-glyph"})
        if (name == reserved) return false;
    for (char c : name)
        if (c >= 'A' && c <= 'Z') return false;
    return true;
}

}  // namespace

SelectorMatcher::SelectorMatcher(xmlDoc* doc, bool needsText) : doc_(doc), languages_(doc)
{
    if (needsText && doc) BuildTextRanges(doc);
}

FormStates& SelectorMatcher::Forms()
{
    if (!forms_) forms_ = std::make_unique<FormStates>(doc_, foreign_);
    return *forms_;
}

void SelectorMatcher::BuildTextRanges(xmlDoc* doc)
{
    // Every element's text content is one contiguous stretch of the document's text.
    const xmlNode* top = reinterpret_cast<const xmlNode*>(doc);
    const xmlNode* node = doc->children;
    while (node) {
        if (IsTextNode(node)) {
            text_.append(ContentOf(node));
        } else if (IsElement(node)) {
            textRanges_[node].begin = text_.size();
        }
        // Close every element that the step out of `node` leaves.
        if (node->children && IsElement(node)) {
            node = node->children;
            continue;
        }
        while (node && node != top) {
            if (IsElement(node)) textRanges_[node].end = text_.size();
            if (node->next) {
                node = node->next;
                break;
            }
            node = node->parent;
        }
        if (node == top) break;
    }
}

bool SelectorMatcher::Contains(const std::string& needle, const xmlNode* element)
{
    if (needle.empty()) return true;
    const auto range = textRanges_.find(element);
    if (range == textRanges_.end()) return false;
    auto [found, inserted] = occurrences_.try_emplace(needle);
    std::vector<std::size_t>& offsets = found->second;
    if (inserted) {
        for (std::size_t at = text_.find(needle); at != std::string::npos; at = text_.find(needle, at + 1))
            offsets.push_back(at);
    }
    const auto first = std::lower_bound(offsets.begin(), offsets.end(), range->second.begin);
    return first != offsets.end() && *first + needle.size() <= range->second.end;
}

bool SelectorMatcher::MatchesInner(const SelectorList& list, const xmlNode* element)
{
    if (!list.memoize) return MatchesListDirect(list, element);
    auto& results = listResults_[&list];
    const auto known = results.find(element);
    if (known != results.end()) return known->second;
    const bool result = MatchesListDirect(list, element);
    if (memoEntries_ < kMaxMemoEntries && results.emplace(element, result).second) ++memoEntries_;
    return result;
}

bool SelectorMatcher::MatchesListDirect(const SelectorList& list, const xmlNode* element)
{
    for (const ComplexSelector& complex : list.selectors) {
        guard_.Tick();
        const std::size_t last = complex.compounds.size() - 1;
        if (MatchesCompound(complex.compounds[last], element) &&
            MatchLeftOf(complex, last, element) == Outcome::Matches)
            return true;
    }
    return false;
}

// The element matches compounds[index]; `index - 1` and the combinator between
// them decide where to look next. FailsAllSiblings and FailsCompletely cut the
// search short where no other sibling or ancestor could succeed, which keeps
// chains of descendant combinators linear in the depth.
SelectorMatcher::Outcome SelectorMatcher::MatchLeftOf(const ComplexSelector& complex, std::size_t index,
                                                     const xmlNode* element)
{
    if (index == 0) return Outcome::Matches;
    switch (complex.combinators[index - 1]) {
    case Combinator::Descendant:
        return Scan(complex, index, ParentElement(element), ParentElement, Outcome::FailsCompletely,
                    [](Outcome o) { return o == Outcome::Matches || o == Outcome::FailsCompletely; });
    case Combinator::Child: {
        const xmlNode* parent = ParentElement(element);
        return parent ? Step(complex, index - 1, parent) : Outcome::FailsCompletely;
    }
    case Combinator::NextSibling: {
        const xmlNode* previous = PreviousElement(element);
        return previous ? Step(complex, index - 1, previous) : Outcome::FailsAllSiblings;
    }
    case Combinator::LaterSibling:
        return Scan(complex, index, PreviousElement(element), PreviousElement, Outcome::FailsAllSiblings,
                    [](Outcome o) { return o != Outcome::FailsLocally; });
    }
    return Outcome::FailsCompletely;
}

// Walks ancestors or earlier siblings from `start` until an outcome settles the
// search. What a walk finds holds for every element it passed, so each element
// is stepped over at most once per combinator: a long run of siblings or a deep
// chain of ancestors is not walked again for the next candidate.
template <typename Next, typename Settles>
SelectorMatcher::Outcome SelectorMatcher::Scan(const ComplexSelector& complex, std::size_t index,
                                              const xmlNode* start, Next next, Outcome exhausted, Settles settles)
{
    auto& memo = scans_[&complex.combinators[index - 1]];
    // The nodes this walk passes sit at the top of passed_; walks started by
    // Step() below take the slots above and give them back before returning.
    const std::size_t firstPassed = passed_.size();
    Outcome result = exhausted;
    for (const xmlNode* node = start; node; node = next(node)) {
        guard_.Tick();
        const auto known = memo.find(node);
        if (known != memo.end()) {
            result = known->second;
            break;
        }
        const Outcome outcome = Step(complex, index - 1, node);
        if (settles(outcome)) {
            result = outcome;
            // A walk that settles at once is as cheap to repeat as to look up.
            if (passed_.size() > firstPassed) Remember(memo, node, outcome);
            break;
        }
        passed_.push_back(node);
    }
    for (std::size_t i = firstPassed; i < passed_.size(); ++i) Remember(memo, passed_[i], result);
    passed_.resize(firstPassed);
    return result;
}

void SelectorMatcher::Remember(std::unordered_map<const xmlNode*, Outcome>& memo, const xmlNode* node,
                               Outcome outcome)
{
    if (memoEntries_ >= kMaxMemoEntries) return;
    if (memo.emplace(node, outcome).second) ++memoEntries_;
}

SelectorMatcher::Outcome SelectorMatcher::Step(const ComplexSelector& complex, std::size_t index,
                                              const xmlNode* element)
{
    if (!MatchesCompound(complex.compounds[index], element)) return Outcome::FailsLocally;
    return MatchLeftOf(complex, index, element);
}

bool SelectorMatcher::MatchesCompound(const CompoundSelector& compound, const xmlNode* element)
{
    if (!compound.typeName.empty() && !EqualsIgnoringAsciiCase(NameOf(element), compound.typeName)) return false;
    for (const SimpleSelector& simple : compound.simples)
        if (!MatchesSimple(simple, element)) return false;
    return true;
}

bool SelectorMatcher::MatchesClass(const std::string& name, const xmlNode* element)
{
    std::string_view classes;
    if (!AttributeValue(element, "class", &classes, &scratch_)) return false;
    return AnyBlankSeparatedWord(classes, [&](std::string_view word) { return word == name; });
}

bool SelectorMatcher::MatchesAttribute(const SimpleSelector& simple, const xmlNode* element)
{
    std::string_view value;
    if (!AttributeValue(element, simple.name, &value, &scratch_)) return false;
    const std::string_view wanted = simple.value;
    const bool ci = simple.ignoreValueCase;
    switch (simple.op) {
    case AttributeOperator::Exists:
        return true;
    case AttributeOperator::Equals:
        return SameText(value, wanted, ci);
    case AttributeOperator::Includes:
        if (wanted.empty() || std::any_of(wanted.begin(), wanted.end(), IsHtmlSpace)) return false;
        return AnyBlankSeparatedWord(value, [&](std::string_view word) { return SameText(word, wanted, ci); });
    case AttributeOperator::DashMatch:
        return SameText(value, wanted, ci) ||
               (value.size() > wanted.size() && value[wanted.size()] == '-' &&
                SameText(value.substr(0, wanted.size()), wanted, ci));
    case AttributeOperator::Prefix:
        return !wanted.empty() && value.size() >= wanted.size() &&
               SameText(value.substr(0, wanted.size()), wanted, ci);
    case AttributeOperator::Suffix:
        return !wanted.empty() && value.size() >= wanted.size() &&
               SameText(value.substr(value.size() - wanted.size()), wanted, ci);
    case AttributeOperator::Substring:
        return !wanted.empty() && ContainsText(value, wanted, ci);
    }
    return false;
}

bool SelectorMatcher::MatchesSimple(const SimpleSelector& simple, const xmlNode* element)
{
    switch (simple.kind) {
    case SimpleKind::Id: {
        std::string_view id;
        return AttributeValue(element, "id", &id, &scratch_) && id == simple.name;
    }
    case SimpleKind::Class:
        return MatchesClass(simple.name, element);
    case SimpleKind::Attribute:
        return MatchesAttribute(simple, element);
    case SimpleKind::FirstChild:
        return !PreviousElement(element);
    case SimpleKind::LastChild:
        return !NextElement(element);
    case SimpleKind::OnlyChild:
        return !PreviousElement(element) && !NextElement(element);
    case SimpleKind::NthChild:
    case SimpleKind::NthLastChild: {
        if (simple.list) {
            const FilteredPosition& p = FilteredPositionOf(simple, element);
            if (p.index == 0) return false;
            return simple.nth.Matches(simple.kind == SimpleKind::NthChild ? p.index : p.count - p.index + 1);
        }
        const Position& p = PositionOf(element);
        return simple.nth.Matches(simple.kind == SimpleKind::NthChild ? p.index : p.count - p.index + 1);
    }
    case SimpleKind::FirstOfType:
        return PositionOf(element).typeIndex == 1;
    case SimpleKind::LastOfType: {
        const Position& p = PositionOf(element);
        return p.typeIndex == p.typeCount;
    }
    case SimpleKind::OnlyOfType:
        return PositionOf(element).typeCount == 1;
    case SimpleKind::NthOfType:
        return simple.nth.Matches(PositionOf(element).typeIndex);
    case SimpleKind::NthLastOfType: {
        const Position& p = PositionOf(element);
        return simple.nth.Matches(p.typeCount - p.typeIndex + 1);
    }
    case SimpleKind::Empty:
        for (const xmlNode* child = element->children; child; child = child->next) {
            if (IsElement(child) || child->type == XML_ENTITY_REF_NODE) return false;
            if (IsTextNode(child) && !ContentOf(child).empty()) return false;
        }
        return true;
    case SimpleKind::Root:
    case SimpleKind::Scope:
        return element->parent &&
               (element->parent->type == XML_DOCUMENT_NODE || element->parent->type == XML_HTML_DOCUMENT_NODE);
    case SimpleKind::Contains:
        return Contains(simple.name, element);
    case SimpleKind::Not:
        return !MatchesInner(*simple.list, element);
    case SimpleKind::Is:
        return MatchesInner(*simple.list, element);
    case SimpleKind::Has:
        return MatchesHas(*simple.list, element);
    case SimpleKind::Never:
        return false;
    case SimpleKind::AnyLink: {
        const std::string_view name = NameOf(element);
        return (name == "a" || name == "area") && HasAttribute(element, "href");
    }
    case SimpleKind::Lang:
        return languages_.Matches(simple.ranges, element);
    case SimpleKind::Dir:
        if (simple.name == "rtl") return directions_.IsRightToLeft(element);
        return simple.name == "ltr" && !directions_.IsRightToLeft(element);
    case SimpleKind::Defined:
        // Custom elements stay undefined on a page whose scripts never ran; SVG
        // and MathML elements are always defined.
        return (!IsValidCustomElementName(NameOf(element)) && !HasAttribute(element, "is")) ||
               foreign_.IsForeign(element);
    case SimpleKind::Open: {
        const std::string_view name = NameOf(element);
        return (name == "details" || name == "dialog") && HasAttribute(element, "open");
    }
    case SimpleKind::Paused:
    case SimpleKind::Muted: {
        const std::string_view name = NameOf(element);
        if (name != "audio" && name != "video") return false;
        return HasAttribute(element, simple.kind == SimpleKind::Paused ? "autoplay" : "muted") ==
               (simple.kind == SimpleKind::Muted);
    }
    case SimpleKind::Checked:
    case SimpleKind::Default:
    case SimpleKind::Indeterminate:
    case SimpleKind::Enabled:
    case SimpleKind::Disabled:
    case SimpleKind::Required:
    case SimpleKind::Optional:
    case SimpleKind::ReadWrite:
    case SimpleKind::ReadOnly:
    case SimpleKind::PlaceholderShown:
    case SimpleKind::InRange:
    case SimpleKind::OutOfRange:
    case SimpleKind::Valid:
    case SimpleKind::Invalid:
        return Forms().Matches(simple.kind, element);
    }
    return false;
}

// Positions are counted for all children of a parent at once, the first time
// any of them is asked about.
const SelectorMatcher::Position& SelectorMatcher::PositionOf(const xmlNode* element)
{
    const auto known = positions_.find(element);
    if (known != positions_.end()) return known->second;

    const xmlNode* first = element;
    while (first->prev) first = first->prev;
    std::unordered_map<std::string_view, std::uint32_t, FoldedNameHash, FoldedNameEqual> perName;
    std::uint32_t count = 0;
    for (const xmlNode* node = first; node; node = node->next) {
        if (!IsElement(node)) continue;
        Position& p = positions_[node];
        p.index = ++count;
        p.typeIndex = ++perName[NameOf(node)];
    }
    for (const xmlNode* node = first; node; node = node->next) {
        if (!IsElement(node)) continue;
        Position& p = positions_[node];
        p.count = count;
        p.typeCount = perName[NameOf(node)];
    }
    return positions_[element];
}

const SelectorMatcher::FilteredPosition& SelectorMatcher::FilteredPositionOf(const SimpleSelector& simple,
                                                                             const xmlNode* element)
{
    auto& positions = filtered_[&simple];
    const auto known = positions.find(element);
    if (known != positions.end()) return known->second;

    const xmlNode* first = element;
    while (first->prev) first = first->prev;
    std::vector<const xmlNode*> matching;
    for (const xmlNode* node = first; node; node = node->next) {
        if (!IsElement(node)) continue;
        if (MatchesInner(*simple.list, node)) matching.push_back(node);
        else positions[node] = FilteredPosition{};
    }
    const auto count = static_cast<std::uint32_t>(matching.size());
    for (std::uint32_t i = 0; i < count; ++i) positions[matching[i]] = FilteredPosition{i + 1, count};
    return positions[element];
}

}  // namespace xq::css
