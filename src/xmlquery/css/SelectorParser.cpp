#include "xmlquery/css/SelectorParser.h"

#include "xmlquery/AsciiText.h"
#include "xmlquery/Utf8Repair.h"
#include "xmlquery/css/AnPlusBParser.h"
#include "xmlquery/css/HtmlAttributeCase.h"
#include "xmlquery/css/SelectorGrammar.h"
#include "xmlquery/css/SelectorTokenizer.h"
#include "xmlquery/css/SelectorTypes.h"

#include <algorithm>
#include <optional>

namespace xq::css {

namespace {

// Cheap tests first, so that a compound usually fails before the costly ones run.
int CostRank(SimpleKind kind)
{
    switch (kind) {
    case SimpleKind::Id:
    case SimpleKind::Class:
    case SimpleKind::Root:
    case SimpleKind::Scope:
    case SimpleKind::Empty:
    case SimpleKind::Never:
        return 0;
    case SimpleKind::Attribute:
    case SimpleKind::AnyLink:
    case SimpleKind::Open:
    case SimpleKind::Paused:
    case SimpleKind::Muted:
        return 1;
    case SimpleKind::Is:
    case SimpleKind::Not:
    case SimpleKind::Defined:  // walks up for custom element names
        return 3;
    case SimpleKind::Contains:
    case SimpleKind::Has:
        return 4;
    default:
        return 2;  // sibling positions
    }
}

}  // namespace

CompiledSelector SelectorGrammar::ParseList(int depth, ListKind kind)
{
    CompiledSelector list(new SelectorList);
    SkipWhitespace();
    if (kind == ListKind::Top && Peek().type == TokenType::End) {
        Fail("empty selector");
        return nullptr;
    }
    if (kind != ListKind::Top && kind != ListKind::Forgiving && Peek().type == TokenType::RightParen) {
        Fail("empty selector list" + Column(Peek()));
        return nullptr;
    }
    if (kind == ListKind::Forgiving) {
        if (!ParseForgivingEntries(depth, *list)) return nullptr;
    } else {
        while (true) {
            std::optional<ComplexSelector> complex = ParseComplex(depth, kind == ListKind::Relative);
            if (!complex) return nullptr;
            list->selectors.push_back(std::move(*complex));
            SkipWhitespace();
            if (Peek().type != TokenType::Comma) break;
            const Token& comma = Peek();
            Advance();
            SkipWhitespace();
            if (Peek().type == TokenType::End || Peek().type == TokenType::RightParen ||
                Peek().type == TokenType::Comma) {
                Fail("selector missing after ','" + Column(comma));
                return nullptr;
            }
        }
    }
    for (const ComplexSelector& complex : list->selectors) {
        if (complex.compounds.size() > 1) list->memoize = true;
        for (const CompoundSelector& compound : complex.compounds) {
            for (const SimpleSelector& simple : compound.simples) {
                if (simple.kind == SimpleKind::Contains) list->needsText = true;
                if (simple.list) {
                    list->needsText = list->needsText || simple.list->needsText;
                    list->memoize = list->memoize || simple.list->memoize;
                }
            }
        }
    }
    return list;
}

bool SelectorGrammar::ParseForgivingEntries(int depth, SelectorList& list)
{
    while (true) {
        SkipWhitespace();
        if (Peek().type == TokenType::RightParen || Peek().type == TokenType::End) return true;
        if (Peek().type == TokenType::Comma) {
            Advance();
            continue;
        }
        const std::size_t start = pos_;
        const std::string reasonBefore = error_;
        std::optional<ComplexSelector> complex = ParseComplex(depth, false);
        SkipWhitespace();
        const TokenType after = Peek().type;
        if (complex && (after == TokenType::Comma || after == TokenType::RightParen || after == TokenType::End)) {
            list.selectors.push_back(std::move(*complex));
        } else {
            if (beyondBounds_) return false;
            error_ = reasonBefore;
            pos_ = start;
            SkipToEndOfEntry();
        }
    }
}

void SelectorGrammar::SkipToEndOfEntry()
{
    int nesting = 0;
    while (Peek().type != TokenType::End) {
        const TokenType type = Peek().type;
        if (nesting == 0 && (type == TokenType::Comma || type == TokenType::RightParen)) return;
        if (type == TokenType::Function || type == TokenType::LeftParen || type == TokenType::LeftBracket ||
            type == TokenType::LeftBrace)
            ++nesting;
        else if ((type == TokenType::RightParen || type == TokenType::RightBracket ||
                  type == TokenType::RightBrace) && nesting > 0)
            --nesting;  // a stray ']' or '}' belongs to the bad entry
        Advance();
    }
}

std::optional<ComplexSelector> SelectorGrammar::ParseComplex(int depth, bool relative)
{
    ComplexSelector complex;
    if (std::optional<Combinator> leading = CombinatorOf(Peek())) {
        if (!relative) {
            Fail("selector starts with the combinator " + Describe(Peek()));
            return std::nullopt;
        }
        complex.leading = *leading;
        Advance();
        SkipWhitespace();
    }
    // Selectors nested in this one keep their own mark and give ours back.
    struct MarkScope {
        bool& mark;
        bool outer;
        ~MarkScope() { mark = outer; }
    } markScope{pseudoElementSeen_, pseudoElementSeen_}, partScope{partSeen_, partSeen_};
    pseudoElementSeen_ = false;
    partSeen_ = false;
    std::optional<CompoundSelector> first = ParseCompound(depth);
    if (!first) {
        Fail("expected a selector, found " + Describe(Peek()));
        return std::nullopt;
    }
    complex.compounds.push_back(std::move(*first));
    while (true) {
        const bool blank = SkipWhitespace();
        if (pseudoElementSeen_ && (CombinatorOf(Peek()) || (blank && StartsCompound(Peek())))) {
            Fail("a pseudo-element must end its selector" + Column(Peek()));
            return std::nullopt;
        }
        Combinator combinator = Combinator::Descendant;
        if (std::optional<Combinator> explicitOne = CombinatorOf(Peek())) {
            const Token& token = Peek();
            combinator = *explicitOne;
            Advance();
            SkipWhitespace();
            if (!StartsCompound(Peek())) {
                Fail("combinator " + Describe(token) + " is not followed by a selector");
                return std::nullopt;
            }
        } else if (!blank || !StartsCompound(Peek())) {
            break;
        }
        if (complex.compounds.size() >= kMaxCompoundsPerSelector) {
            Fail("selector has more than " + std::to_string(kMaxCompoundsPerSelector) + " parts");
            beyondBounds_ = true;
            return std::nullopt;
        }
        std::optional<CompoundSelector> next = ParseCompound(depth);
        if (!next) return std::nullopt;
        complex.combinators.push_back(combinator);
        complex.compounds.push_back(std::move(*next));
    }
    return complex;
}

std::optional<CompoundSelector> SelectorGrammar::ParseCompound(int depth)
{
    CompoundSelector compound;
    bool any = false;
    const Token& first = Peek();
    if (first.type == TokenType::Ident || IsDelim(first, '*')) {
        if (IsDelim(Peek(1), '|')) {
            Fail("namespace prefixes are not supported" + Column(first));
            return std::nullopt;
        }
        if (first.type == TokenType::Ident) compound.typeName = LowerAscii(first.text);
        Advance();
        any = true;
    } else if (IsDelim(first, '|')) {
        Fail("namespace prefixes are not supported" + Column(first));
        return std::nullopt;
    }
    while (true) {
        const Token& token = Peek();
        if (pseudoElementSeen_ && (token.type == TokenType::Hash || token.type == TokenType::LeftBracket ||
                                   (token.type == TokenType::Colon && !StartsLogicalCombination() && !MayFollowPart()) ||
                                   IsDelim(token, '.') || IsDelim(token, '&'))) {
            Fail("nothing may follow a pseudo-element in its compound selector" + Column(token));
            return std::nullopt;
        }
        if (IsDelim(token, '&')) {
            // The nesting selector outside any rule: the scope, as :scope.
            SimpleSelector simple;
            simple.kind = SimpleKind::Scope;
            compound.simples.push_back(std::move(simple));
            Advance();
        } else if (token.type == TokenType::Hash) {
            if (!token.hashIsId) {
                Fail("invalid id selector " + Describe(token) +
                     " (an id selector must not start with a digit; escape it or use [id=\"...\"])");
                return std::nullopt;
            }
            SimpleSelector simple;
            simple.kind = SimpleKind::Id;
            simple.name = token.text;
            compound.simples.push_back(std::move(simple));
            Advance();
        } else if (IsDelim(token, '.')) {
            Advance();
            if (Peek().type != TokenType::Ident) {
                Fail("expected a class name after '.'" + Column(token));
                return std::nullopt;
            }
            SimpleSelector simple;
            simple.kind = SimpleKind::Class;
            simple.name = Peek().text;
            compound.simples.push_back(std::move(simple));
            Advance();
        } else if (token.type == TokenType::LeftBracket) {
            std::optional<SimpleSelector> simple = ParseAttribute();
            if (!simple) return std::nullopt;
            compound.simples.push_back(std::move(*simple));
        } else if (token.type == TokenType::Colon) {
            std::optional<SimpleSelector> simple = ParsePseudo(depth);
            if (!simple) return std::nullopt;
            compound.simples.push_back(std::move(*simple));
        } else if (token.type == TokenType::Ident || IsDelim(token, '*')) {
            if (any) {
                Fail("type selector " + Describe(token) + " must come first in its compound selector");
                return std::nullopt;
            }
            break;
        } else {
            break;
        }
        any = true;
    }
    if (!any) return std::nullopt;
    std::stable_sort(compound.simples.begin(), compound.simples.end(),
                     [](const SimpleSelector& a, const SimpleSelector& b) {
                         return CostRank(a.kind) < CostRank(b.kind);
                     });
    return compound;
}

std::optional<SimpleSelector> SelectorGrammar::ParseAttribute()
{
    const Token& open = Peek();
    Advance();
    SkipWhitespace();
    SimpleSelector simple;
    simple.kind = SimpleKind::Attribute;
    if (IsDelim(Peek(), '|') || (IsDelim(Peek(), '*') && IsDelim(Peek(1), '|')) ||
        (Peek().type == TokenType::Ident && IsDelim(Peek(1), '|') && !IsDelim(Peek(2), '='))) {
        Fail("namespace prefixes are not supported" + Column(Peek()));
        return std::nullopt;
    }
    if (Peek().type != TokenType::Ident) {
        Fail("expected an attribute name after '['" + Column(open) + ", found " + Describe(Peek()));
        return std::nullopt;
    }
    simple.name = LowerAscii(Peek().text);
    Advance();
    SkipWhitespace();
    // The end of the text closes the brackets, as in a browser.
    if (Peek().type == TokenType::RightBracket || Peek().type == TokenType::End) {
        Advance();
        return simple;
    }
    const Token& opToken = Peek();
    if (IsDelim(opToken, '=')) {
        simple.op = AttributeOperator::Equals;
        Advance();
    } else if (opToken.type == TokenType::Delim && IsDelim(Peek(1), '=') &&
               std::string_view("~|^$*").find(opToken.delim) != std::string_view::npos) {
        switch (opToken.delim) {
        case '~': simple.op = AttributeOperator::Includes; break;
        case '|': simple.op = AttributeOperator::DashMatch; break;
        case '^': simple.op = AttributeOperator::Prefix; break;
        case '$': simple.op = AttributeOperator::Suffix; break;
        default: simple.op = AttributeOperator::Substring; break;
        }
        Advance();
        Advance();
    } else {
        Fail("expected an attribute operator or ']', found " + Describe(opToken));
        return std::nullopt;
    }
    SkipWhitespace();
    if (Peek().type != TokenType::Ident && Peek().type != TokenType::String) {
        Fail("expected an attribute value (a name or a quoted string), found " + Describe(Peek()));
        return std::nullopt;
    }
    simple.value = Peek().text;
    Advance();
    SkipWhitespace();
    bool forceSensitive = false;
    bool forceInsensitive = false;
    if (Peek().type == TokenType::Ident) {
        const std::string flag = LowerAscii(Peek().text);
        if (flag == "i") forceInsensitive = true;
        else if (flag == "s") forceSensitive = true;
        else {
            Fail("unknown attribute flag " + Describe(Peek()) + " (use i or s)");
            return std::nullopt;
        }
        Advance();
        SkipWhitespace();
    }
    if (Peek().type != TokenType::RightBracket && Peek().type != TokenType::End) {
        Fail("expected ']', found " + Describe(Peek()));
        return std::nullopt;
    }
    Advance();
    simple.ignoreValueCase =
        forceInsensitive || (!forceSensitive && IsCaseInsensitiveHtmlAttribute(simple.name));
    if (simple.ignoreValueCase) simple.value = LowerAscii(simple.value);
    return simple;
}


CompiledSelector ParseSelectorList(std::string_view text, std::string* error)
{
    auto fail = [&](std::string reason) {
        if (error) *error = std::move(reason);
        return CompiledSelector();
    };
    if (text.size() > kMaxSelectorLength)
        return fail("selector is longer than " + std::to_string(kMaxSelectorLength) + " bytes");
    if (text.find('\0') != std::string_view::npos) return fail("selector contains a NUL character");
    if (!IsValidUtf8(text)) return fail("selector is not valid UTF-8");
    std::vector<Token> tokens;
    std::string reason;
    if (!Tokenize(text, tokens, &reason)) return fail(reason);
    CompiledSelector list = SelectorGrammar(text, std::move(tokens)).Run(&reason);
    if (!list) return fail(reason.empty() ? "invalid selector" : reason);
    return list;
}

}  // namespace xq::css
