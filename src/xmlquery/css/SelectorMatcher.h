#pragma once
// Matches compiled selectors against the elements of one document, right to left.
// One matcher serves one Select call: it caches sibling positions per parent,
// text ranges for :contains() and the results of inner selector lists, so no
// element is counted or scanned again for the next candidate. :has() is matched
// left to right from the anchor; what each of its compounds reaches below or
// after an element is remembered, so every element is visited a bounded number
// of times per compound whatever the number of anchors.

#include "xmlquery/css/ElementDirection.h"
#include "xmlquery/css/ElementLanguage.h"
#include "xmlquery/css/ForeignElements.h"
#include "xmlquery/css/FormStates.h"
#include "xmlquery/Interruption.h"
#include "xmlquery/css/SelectorTypes.h"

#include <libxml/tree.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace xq::css {

class SelectorMatcher {
public:
    // needsText: build the text ranges :contains() reads.
    SelectorMatcher(xmlDoc* doc, bool needsText);

    // Whether the element is a subject of the top-level list; each element is
    // asked once, so nothing is remembered at this level.
    bool Matches(const SelectorList& list, const xmlNode* element) { return MatchesListDirect(list, element); }

private:
    // Lists inside pseudo-classes, remembered per element when they hold combinators.
    bool MatchesInner(const SelectorList& list, const xmlNode* element);
    enum class Outcome { Matches, FailsLocally, FailsAllSiblings, FailsCompletely };

    struct Position {
        std::uint32_t index = 0;  // 1-based among element siblings
        std::uint32_t count = 0;
        std::uint32_t typeIndex = 0;  // 1-based among siblings of the same name
        std::uint32_t typeCount = 0;
    };
    struct FilteredPosition {
        std::uint32_t index = 0;  // 1-based among siblings matching the `of` list; 0: no match
        std::uint32_t count = 0;
    };
    struct TextRange {
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    bool MatchesListDirect(const SelectorList& list, const xmlNode* element);
    Outcome MatchLeftOf(const ComplexSelector& complex, std::size_t index, const xmlNode* element);
    template <typename Next, typename Settles>
    Outcome Scan(const ComplexSelector& complex, std::size_t index, const xmlNode* start, Next next,
                 Outcome exhausted, Settles settles);
    Outcome Step(const ComplexSelector& complex, std::size_t index, const xmlNode* element);
    bool MatchesCompound(const CompoundSelector& compound, const xmlNode* element);
    bool MatchesSimple(const SimpleSelector& simple, const xmlNode* element);
    bool MatchesAttribute(const SimpleSelector& simple, const xmlNode* element);
    bool MatchesClass(const std::string& name, const xmlNode* element);
    bool Contains(const std::string& needle, const xmlNode* element);

    // :has(), in SelectorMatcherHas.cpp.
    bool MatchesHas(const SelectorList& relatives, const xmlNode* anchor);
    // The element matches compounds[index] and the rest of the relative selector from there.
    bool Reaches(const ComplexSelector& relative, std::size_t index, const xmlNode* element);
    // Some element related to `from` by the combinator reaches compounds[index].
    bool RelatedReaches(const ComplexSelector& relative, std::size_t index, Combinator combinator,
                        const xmlNode* from);
    bool SomeDescendantReaches(const ComplexSelector& relative, std::size_t index, const xmlNode* from);
    bool SomeLaterSiblingReaches(const ComplexSelector& relative, std::size_t index, const xmlNode* from);

    const Position& PositionOf(const xmlNode* element);
    const FilteredPosition& FilteredPositionOf(const SimpleSelector& simple, const xmlNode* element);

    void BuildTextRanges(xmlDoc* doc);
    FormStates& Forms();

    xmlDoc* doc_;
    ForeignElements foreign_;
    std::unique_ptr<FormStates> forms_;
    LanguageLookup languages_;
    DirectionLookup directions_;

    std::unordered_map<const xmlNode*, Position> positions_;
    std::unordered_map<const SimpleSelector*, std::unordered_map<const xmlNode*, FilteredPosition>> filtered_;
    std::unordered_map<const SelectorList*, std::unordered_map<const xmlNode*, bool>> listResults_;
    // Per descendant or later-sibling combinator: what a walk starting at an element found.
    std::unordered_map<const Combinator*, std::unordered_map<const xmlNode*, Outcome>> scans_;

    std::string text_;  // the document's text in document order
    std::unordered_map<const xmlNode*, TextRange> textRanges_;
    std::unordered_map<std::string, std::vector<std::size_t>> occurrences_;  // needle -> offsets in text_

    // :has(): per compound of a relative selector, per element.
    using NodeFlags = std::unordered_map<const xmlNode*, bool>;
    std::unordered_map<const CompoundSelector*, NodeFlags> reaches_, descendantReaches_, laterReaches_;
    // The walk memos grow with selectors times elements (a long selector list
    // on a large page): past this many entries walks are no longer remembered,
    // which costs time (bounded by the evaluation's budget), not memory.
    static constexpr std::size_t kMaxMemoEntries = 2'000'000;
    std::size_t memoEntries_ = 0;
    void Remember(std::unordered_map<const xmlNode*, Outcome>& memo, const xmlNode* node, Outcome outcome);
    LoopGuard guard_{CurrentEvaluation()};

    std::vector<const xmlNode*> passed_;  // stack of the walks in progress, see Scan()
    std::string scratch_;  // attribute values that span several nodes
};

}  // namespace xq::css
