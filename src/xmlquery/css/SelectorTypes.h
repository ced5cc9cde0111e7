#pragma once
// The compiled form of a selector list: what the parser builds and the matcher walks.

#include "xmlquery/css/CssSelector.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xq::css {

enum class Combinator { Descendant, Child, NextSibling, LaterSibling };

enum class AttributeOperator { Exists, Equals, Includes, DashMatch, Prefix, Suffix, Substring };

// Positions a*n+b for n >= 0 (1-based, as :nth-child counts).
struct AnPlusB {
    std::int64_t a = 0;
    std::int64_t b = 0;
    bool Matches(std::int64_t position) const;
};

enum class SimpleKind {
    Id,
    Class,
    Attribute,
    FirstChild,
    LastChild,
    OnlyChild,
    NthChild,
    NthLastChild,
    FirstOfType,
    LastOfType,
    OnlyOfType,
    NthOfType,
    NthLastOfType,
    Empty,
    Root,
    Scope,     // the root element: selectors run against the whole document
    Contains,  // text content contains `name`, case kept
    Not,
    Is,   // also :where() and :matches(); specificity plays no part here
    Has,  // `list` holds relative selectors
    Never,  // states of a page no one touched (:hover, :visited, ...) and pseudo-elements
    AnyLink,  // also :link
    Lang,     // `ranges`
    Dir,      // `name`: ltr, rtl or a word that matches nothing
    Defined,
    Open,
    // Form states as the markup sets them.
    Checked,
    Default,
    Indeterminate,
    Enabled,
    Disabled,
    Required,
    Optional,
    ReadWrite,
    ReadOnly,
    PlaceholderShown,
    InRange,
    OutOfRange,
    Valid,
    Invalid,
    Paused,  // audio and video that do not play by themselves
    Muted,
};

struct SimpleSelector {
    SimpleKind kind = SimpleKind::Id;
    std::string name;   // id, class, lower-case attribute name, or :contains() text
    std::string value;  // attribute value; lower-cased when ignoreValueCase
    AttributeOperator op = AttributeOperator::Exists;
    bool ignoreValueCase = false;
    AnPlusB nth;
    CompiledSelector list;  // :not()/:is()/:has() argument, or the `of S` filter of :nth-child()
    std::vector<std::string> ranges;  // :lang() language ranges, lower-case
};

struct CompoundSelector {
    std::string typeName;  // lower-case; empty for any element
    std::vector<SimpleSelector> simples;
};

// compounds[0] is the leftmost; combinators[i] joins compounds[i] and compounds[i + 1].
// In a relative selector (inside :has()) `leading` joins the anchor element and compounds[0].
struct ComplexSelector {
    std::vector<CompoundSelector> compounds;
    std::vector<Combinator> combinators;
    Combinator leading = Combinator::Descendant;
};

class SelectorList {
public:
    std::vector<ComplexSelector> selectors;
    // Inner lists with combinators are remembered per element during one Select,
    // so nesting them never multiplies the work.
    bool memoize = false;
    // Some selector, at any depth, needs text content (:contains).
    bool needsText = false;
};

}  // namespace xq::css
