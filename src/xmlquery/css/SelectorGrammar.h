#pragma once
// The reader behind ParseSelectorList: recursive descent over the tokens of one
// selector text, keeping the first (innermost) reason of a failure. Lists,
// complex and compound selectors and attributes are read in SelectorParser.cpp,
// pseudo-classes and pseudo-elements in PseudoClassParser.cpp.

#include "xmlquery/css/SelectorParser.h"
#include "xmlquery/css/SelectorTokenizer.h"
#include "xmlquery/css/SelectorTypes.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xq::css {

class SelectorGrammar {
public:
    SelectorGrammar(std::string_view text, std::vector<Token> tokens) : text_(text), tokens_(std::move(tokens)) {}

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

    CompiledSelector ParseList(int depth, ListKind kind);

    // Entries that do not parse, and empty ones, are left out; the list may end up empty.
    // Only our own bounds (nesting, length) refuse the whole selector.
    bool ParseForgivingEntries(int depth, SelectorList& list);

    // To the next ',' or ')' of this list, past nested blocks.
    void SkipToEndOfEntry();

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

    std::optional<ComplexSelector> ParseComplex(int depth, bool relative);

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

    std::optional<CompoundSelector> ParseCompound(int depth);

    std::optional<SimpleSelector> ParseAttribute();

    bool TooDeep(int depth, const std::string& name);

    // A pseudo-element matches no element, but browsers accept it at the end of a selector.
    std::optional<SimpleSelector> PseudoElement(int depth, const Token& colon);

    std::optional<SimpleSelector> ParsePseudoElement(int depth, const Token& colon);

    // ':is(' or ':where(': the only pseudo-classes browsers take after a
    // pseudo-element (whatever they hold then, they match nothing).
    bool StartsLogicalCombination() const;

    // After ::part(): user-state pseudo-classes and other pseudo-elements, as browsers take them.
    bool MayFollowPart() const;

    bool ParsePseudoElementArguments(const Token& function, const std::string& name, int depth);

    // The arguments of a function whose content does not matter, up to its ')'.
    bool SkipArguments(const Token& function);

    // One identifier, or (when lists is set) several separated by commas; strings too when allowed.
    bool ParseWords(const Token& function, bool lists, bool strings, std::vector<std::string>& words);

    std::optional<SimpleSelector> ParsePseudo(int depth);

    // Blanks may follow; the text must not end there.
    bool NotAtEnd(const Token& function);

    // The end of the text closes what is still open, as in a browser.
    bool CloseFunction(const Token& function);

    // The an+b argument is read from the raw text up to ')' or ` of `.
    bool ParseNthArgument(const Token& function, bool allowsOf, SimpleSelector& simple, int depth);

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    std::string error_;
    bool pseudoElementSeen_ = false;  // in the complex selector being read
    bool partSeen_ = false;           // and it was ::part()
    int hasDepth_ = 0;                // :has() arguments being read
    bool beyondBounds_ = false;       // our own limits were exceeded: no list forgives that
};

}  // namespace xq::css
