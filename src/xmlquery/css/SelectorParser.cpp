#include "xmlquery/css/SelectorParser.h"

#include "xmlquery/css/AnPlusBParser.h"
#include "xmlquery/css/AsciiText.h"
#include "xmlquery/css/HtmlAttributeCase.h"
#include "xmlquery/css/PseudoClassNames.h"
#include "xmlquery/css/SelectorTokenizer.h"
#include "xmlquery/css/SelectorTypes.h"
#include "xmlquery/css/Utf8Check.h"

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

class Parser {
public:
    Parser(std::string_view text, std::vector<Token> tokens) : text_(text), tokens_(std::move(tokens)) {}

    CompiledSelector Run(std::string* error)
    {
        CompiledSelector list = ParseList(0, ListKind::Top);
        if (list && Peek().type != TokenType::End) {
            if (Peek().type == TokenType::RightParen) Fail("unmatched ')'" + Column(Peek()));
            else Fail("unexpected " + Describe(Peek()));
            list.reset();
        }
        if (!list && error) *error = error_;
        return list;
    }

private:
    const Token& Peek(std::size_t ahead = 0) const
    {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }
    void Advance()
    {
        if (pos_ + 1 < tokens_.size()) ++pos_;
    }
    bool SkipWhitespace()
    {
        bool skipped = false;
        while (Peek().type == TokenType::Whitespace) {
            Advance();
            skipped = true;
        }
        return skipped;
    }
    bool IsDelim(const Token& token, char c) const { return token.type == TokenType::Delim && token.delim == c; }

    std::string Column(const Token& token) const { return " at column " + std::to_string(token.begin + 1); }

    std::string Describe(const Token& token) const
    {
        if (token.type == TokenType::End) return "end of selector";
        return "'" + std::string(text_.substr(token.begin, token.end - token.begin)) + "'" + Column(token);
    }

    // Keeps the first (innermost) reason.
    void Fail(const std::string& reason)
    {
        if (error_.empty()) error_ = reason;
    }

    // Where a selector list stands decides what it accepts: the top level and
    // :not()/:nth-child(of) refuse the whole list for one bad entry, :is() and
    // :where() drop the bad entry, :has() takes relative selectors.
    enum class ListKind { Top, Strict, Forgiving, Relative };

    CompiledSelector ParseList(int depth, ListKind kind)
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

    // Entries that do not parse, and empty ones, are left out; the list may end up empty.
    // Only our own bounds (nesting, length) refuse the whole selector.
    bool ParseForgivingEntries(int depth, SelectorList& list)
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

    // To the next ',' or ')' of this list, past nested blocks.
    void SkipToEndOfEntry()
    {
        int nesting = 0;
        while (Peek().type != TokenType::End) {
            const TokenType type = Peek().type;
            if (nesting == 0 && (type == TokenType::Comma || type == TokenType::RightParen)) return;
            if (type == TokenType::Function || type == TokenType::LeftParen || type == TokenType::LeftBracket ||
                type == TokenType::LeftBrace)
                ++nesting;
            else if (type == TokenType::RightParen || type == TokenType::RightBracket ||
                     type == TokenType::RightBrace)
                --nesting;
            Advance();
        }
    }

    static std::optional<Combinator> CombinatorOf(const Token& token)
    {
        if (token.type != TokenType::Delim) return std::nullopt;
        switch (token.delim) {
        case '>': return Combinator::Child;
        case '+': return Combinator::NextSibling;
        case '~': return Combinator::LaterSibling;
        default: return std::nullopt;
        }
    }

    std::optional<ComplexSelector> ParseComplex(int depth, bool relative)
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
        } markScope{pseudoElementSeen_, pseudoElementSeen_};
        pseudoElementSeen_ = false;
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

    bool StartsCompound(const Token& token) const
    {
        switch (token.type) {
        case TokenType::Ident:
        case TokenType::Hash:
        case TokenType::LeftBracket:
        case TokenType::Colon:
            return true;
        case TokenType::Delim:
            return token.delim == '*' || token.delim == '.' || token.delim == '|' || token.delim == '&';
        default:
            return false;
        }
    }

    std::optional<CompoundSelector> ParseCompound(int depth)
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
                                       (token.type == TokenType::Colon && !StartsLogicalCombination()) ||
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

    std::optional<SimpleSelector> ParseAttribute()
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

    bool TooDeep(int depth, const std::string& name)
    {
        if (depth + 1 <= kMaxNestingDepth) return false;
        Fail(":" + name + "() nested deeper than " + std::to_string(kMaxNestingDepth) + " levels");
        beyondBounds_ = true;
        return true;
    }

    // A pseudo-element matches no element, but browsers accept it at the end of a selector.
    std::optional<SimpleSelector> PseudoElement(int depth, const Token& colon)
    {
        if (depth > 0) {
            Fail("pseudo-elements are not allowed inside a pseudo-class" + Column(colon));
            return std::nullopt;
        }
        pseudoElementSeen_ = true;
        SimpleSelector simple;
        simple.kind = SimpleKind::Never;
        return simple;
    }

    std::optional<SimpleSelector> ParsePseudoElement(int depth, const Token& colon)
    {
        Advance();  // the second colon
        const Token& nameToken = Peek();
        const std::string name = LowerAscii(nameToken.text);
        const bool function = nameToken.type == TokenType::Function;
        if ((nameToken.type != TokenType::Ident && !function) || !IsPseudoElementName(name, function)) {
            Fail("unknown pseudo-element " + Describe(nameToken));
            return std::nullopt;
        }
        Advance();
        if (function && !ParsePseudoElementArguments(nameToken, name, depth)) return std::nullopt;
        return PseudoElement(depth, colon);
    }

    // ':is(' or ':where(': the only pseudo-classes browsers take after a
    // pseudo-element (whatever they hold then, they match nothing).
    bool StartsLogicalCombination() const
    {
        if (Peek(1).type != TokenType::Function) return false;
        const std::string name = LowerAscii(Peek(1).text);
        return name == "is" || name == "where";
    }

    bool ParsePseudoElementArguments(const Token& function, const std::string& name, int depth)
    {
        std::vector<std::string> words;
        if (name == "part") {  // names separated by blanks
            SkipWhitespace();
            while (Peek().type == TokenType::Ident) {
                words.push_back(Peek().text);
                Advance();
                SkipWhitespace();
            }
            if (words.empty()) {
                Fail("'::part(' expects names, found " + Describe(Peek()));
                return false;
            }
            return CloseFunction(function);
        }
        if (name == "highlight" || name == "picker") return ParseWords(function, false, false, words);
        if (name.starts_with("view-transition-") || name == "scroll-button") {
            SkipWhitespace();
            if (IsDelim(Peek(), '*')) {
                Advance();
                return CloseFunction(function);
            }
            return ParseWords(function, false, false, words);
        }
        if (name == "slotted" || name == "cue") {
            if (TooDeep(depth, name) || !NotAtEnd(function)) return false;
            return ParseList(depth + 1, ListKind::Strict) && CloseFunction(function);
        }
        return SkipArguments(function);  // prefixed ones
    }

    // The arguments of a function whose content does not matter, up to its ')'.
    bool SkipArguments(const Token& function)
    {
        int nesting = 0;
        bool any = false;
        while (Peek().type != TokenType::End) {
            const TokenType type = Peek().type;
            if (type == TokenType::RightParen && nesting == 0) break;
            if (type == TokenType::Function || type == TokenType::LeftParen || type == TokenType::LeftBracket)
                ++nesting;
            else if (type == TokenType::RightParen || type == TokenType::RightBracket)
                --nesting;
            any = any || type != TokenType::Whitespace;
            Advance();
        }
        if (!any) {
            Fail("':" + function.text + ")' needs an argument" + Column(function));
            return false;
        }
        return CloseFunction(function);
    }

    // One identifier, or (when lists is set) several separated by commas; strings too when allowed.
    bool ParseWords(const Token& function, bool lists, bool strings, std::vector<std::string>& words)
    {
        while (true) {
            SkipWhitespace();
            const Token& word = Peek();
            if (word.type != TokenType::Ident && !(strings && word.type == TokenType::String)) {
                Fail("':" + function.text + ")' expects " + (strings ? "a name or a quoted text" : "a name") +
                     ", found " + Describe(word));
                return false;
            }
            words.push_back(LowerAscii(word.text));
            Advance();
            SkipWhitespace();
            if (!lists || Peek().type != TokenType::Comma) break;
            Advance();
        }
        return CloseFunction(function);
    }

    std::optional<SimpleSelector> ParsePseudo(int depth)
    {
        const Token& colon = Peek();
        Advance();
        if (Peek().type == TokenType::Colon) return ParsePseudoElement(depth, colon);
        const Token& nameToken = Peek();
        const std::string name = LowerAscii(nameToken.text);
        SimpleSelector simple;
        if (nameToken.type == TokenType::Ident) {
            Advance();
            if (std::optional<SimpleKind> kind = PlainPseudoClass(name)) {
                simple.kind = *kind;
                return simple;
            }
            if (IsLegacyPseudoElement(name)) return PseudoElement(depth, colon);
            Fail("unsupported pseudo-class ':" + nameToken.text + "'" + Column(colon));
            return std::nullopt;
        }
        if (nameToken.type != TokenType::Function) {
            Fail("expected a pseudo-class name after ':'" + Column(colon));
            return std::nullopt;
        }
        Advance();
        if (name == "is" || name == "where" || name == "matches" || name == "-webkit-any") {
            if (TooDeep(depth, name)) return std::nullopt;
            simple.kind = SimpleKind::Is;
            simple.list = ParseList(depth + 1, ListKind::Forgiving);
            if (!simple.list || !CloseFunction(nameToken)) return std::nullopt;
            return simple;
        }
        if (name == "not" || name == "has") {
            if (TooDeep(depth, name)) return std::nullopt;
            const bool has = name == "has";
            if (has && hasDepth_ > 0) {
                Fail(":has() cannot stand inside :has()" + Column(colon));
                return std::nullopt;
            }
            simple.kind = has ? SimpleKind::Has : SimpleKind::Not;
            if (!NotAtEnd(nameToken)) return std::nullopt;
            hasDepth_ += has;
            simple.list = ParseList(depth + 1, has ? ListKind::Relative : ListKind::Strict);
            hasDepth_ -= has;
            if (!simple.list || !CloseFunction(nameToken)) return std::nullopt;
            return simple;
        }
        if (name == "nth-child" || name == "nth-last-child" || name == "nth-of-type" || name == "nth-last-of-type") {
            simple.kind = name == "nth-child"        ? SimpleKind::NthChild
                          : name == "nth-last-child" ? SimpleKind::NthLastChild
                          : name == "nth-of-type"    ? SimpleKind::NthOfType
                                                     : SimpleKind::NthLastOfType;
            const bool allowsOf = simple.kind == SimpleKind::NthChild || simple.kind == SimpleKind::NthLastChild;
            if (!ParseNthArgument(nameToken, allowsOf, simple, depth)) return std::nullopt;
            return simple;
        }
        if (name == "contains") {
            SkipWhitespace();
            if (Peek().type != TokenType::String && Peek().type != TokenType::Ident) {
                Fail(":contains() expects a quoted text, found " + Describe(Peek()));
                return std::nullopt;
            }
            simple.kind = SimpleKind::Contains;
            simple.name = Peek().text;
            Advance();
            SkipWhitespace();
            if (!CloseFunction(nameToken)) return std::nullopt;
            return simple;
        }
        if (name == "lang") {
            simple.kind = SimpleKind::Lang;
            if (!ParseWords(nameToken, true, true, simple.ranges)) return std::nullopt;
            return simple;
        }
        if (name == "dir" || name == "state") {
            std::vector<std::string> words;
            if (!ParseWords(nameToken, false, false, words)) return std::nullopt;
            simple.kind = name == "dir" ? SimpleKind::Dir : SimpleKind::Never;  // no custom element has states
            simple.name = words.front();
            return simple;
        }
        if (name == "active-view-transition-type") {
            std::vector<std::string> words;
            if (!ParseWords(nameToken, true, false, words)) return std::nullopt;
            simple.kind = SimpleKind::Never;
            return simple;
        }
        if (name == "host" || name == "host-context") {
            // No element of the page is a shadow host.
            if (TooDeep(depth, name) || !NotAtEnd(nameToken)) return std::nullopt;
            if (!ParseList(depth + 1, ListKind::Strict) || !CloseFunction(nameToken)) return std::nullopt;
            simple.kind = SimpleKind::Never;
            return simple;
        }
        Fail("unsupported pseudo-class ':" + nameToken.text + "()'" + Column(colon));
        return std::nullopt;
    }

    // Blanks may follow; the text must not end there.
    bool NotAtEnd(const Token& function)
    {
        SkipWhitespace();
        if (Peek().type != TokenType::End) return true;
        Fail("unterminated ':" + function.text + "(' starting at column " + std::to_string(function.begin));
        return false;
    }

    // The end of the text closes what is still open, as in a browser.
    bool CloseFunction(const Token& function)
    {
        SkipWhitespace();
        if (Peek().type == TokenType::End) return true;
        if (Peek().type == TokenType::RightParen) {
            Advance();
            return true;
        }
        Fail("expected ')' to close ':" + function.text + "(', found " + Describe(Peek()));
        return false;
    }

    // The an+b argument is read from the raw text up to ')' or ` of `.
    bool ParseNthArgument(const Token& function, bool allowsOf, SimpleSelector& simple, int depth)
    {
        const std::size_t argumentBegin = function.end;
        while (Peek().type != TokenType::RightParen && Peek().type != TokenType::End &&
               !(allowsOf && Peek().type == TokenType::Ident && LowerAscii(Peek().text) == "of")) {
            Advance();
        }
        const std::string_view argument = text_.substr(argumentBegin, Peek().begin - argumentBegin);
        std::optional<AnPlusB> nth = ParseAnPlusB(argument);
        if (!nth) {
            Fail("invalid argument '" + std::string(argument) + "' of ':" + function.text +
                 "()' (expected an+b, odd or even)");
            return false;
        }
        simple.nth = *nth;
        if (Peek().type == TokenType::Ident) {  // `of S`
            const Token& of = Peek();
            Advance();
            if (Peek().type != TokenType::Whitespace) {
                Fail("expected a blank after 'of'" + Column(of));
                return false;
            }
            if (TooDeep(depth, function.text) || !NotAtEnd(function)) return false;
            simple.list = ParseList(depth + 1, ListKind::Strict);
            if (!simple.list) return false;
        }
        return CloseFunction(function);
    }

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    std::string error_;
    bool pseudoElementSeen_ = false;  // in the complex selector being read
    int hasDepth_ = 0;                // :has() arguments being read
    bool beyondBounds_ = false;       // our own limits were exceeded: no list forgives that
};

}  // namespace

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
    CompiledSelector list = Parser(text, std::move(tokens)).Run(&reason);
    if (!list) return fail(reason.empty() ? "invalid selector" : reason);
    return list;
}

}  // namespace xq::css
