// Pseudo-classes and pseudo-elements of the selector grammar, with their arguments.

#include "xmlquery/css/AnPlusBParser.h"
#include "xmlquery/AsciiText.h"
#include "xmlquery/css/PseudoClassNames.h"
#include "xmlquery/css/SelectorGrammar.h"

namespace xq::css {

bool SelectorGrammar::TooDeep(int depth, const std::string& name)
{
    if (depth + 1 <= kMaxNestingDepth) return false;
    Fail(":" + name + "() nested deeper than " + std::to_string(kMaxNestingDepth) + " levels");
    beyondBounds_ = true;
    return true;
}

std::optional<SimpleSelector> SelectorGrammar::PseudoElement(int depth, const Token& colon)
{
    if (depth > 0) {
        Fail("pseudo-elements are not allowed inside a pseudo-class" + Column(colon));
        return std::nullopt;
    }
    pseudoElementSeen_ = true;
    partSeen_ = false;
    SimpleSelector simple;
    simple.kind = SimpleKind::Never;
    return simple;
}

std::optional<SimpleSelector> SelectorGrammar::ParsePseudoElement(int depth, const Token& colon)
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
    std::optional<SimpleSelector> simple = PseudoElement(depth, colon);
    partSeen_ = name == "part";  // a shadow part may go on with pseudo-classes and pseudo-elements
    return simple;
}

bool SelectorGrammar::MayFollowPart() const
{
    if (!partSeen_) return false;
    const Token& next = Peek(1);
    const std::string name = LowerAscii(next.text);
    if (next.type == TokenType::Colon)  // another pseudo-element, but not a part of the part
        return !(Peek(2).type == TokenType::Function && LowerAscii(Peek(2).text) == "part");
    // Tree positions mean nothing for a part.
    const bool structural = name.ends_with("-child") || name.ends_with("-of-type") || name == "empty" ||
                            name == "root" || name == "has";
    return (next.type == TokenType::Ident || next.type == TokenType::Function) && !structural;
}

bool SelectorGrammar::StartsLogicalCombination() const
{
    if (Peek(1).type != TokenType::Function) return false;
    const std::string name = LowerAscii(Peek(1).text);
    return name == "is" || name == "where";
}

bool SelectorGrammar::ParsePseudoElementArguments(const Token& function, const std::string& name, int depth)
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

bool SelectorGrammar::SkipArguments(const Token& function)
{
    int nesting = 0;
    bool any = false;
    while (Peek().type != TokenType::End) {
        const TokenType type = Peek().type;
        if (type == TokenType::RightParen && nesting == 0) break;
        if (type == TokenType::Function || type == TokenType::LeftParen || type == TokenType::LeftBracket)
            ++nesting;
        else if ((type == TokenType::RightParen || type == TokenType::RightBracket) && nesting > 0)
            --nesting;
        any = any || type != TokenType::Whitespace;
        Advance();
    }
    if (!any) {
        Fail("':" + function.text + "()' needs an argument" + Column(function));
        return false;
    }
    return CloseFunction(function);
}

bool SelectorGrammar::ParseWords(const Token& function, bool lists, bool strings, std::vector<std::string>& words)
{
    while (true) {
        SkipWhitespace();
        const Token& word = Peek();
        if (word.type != TokenType::Ident && !(strings && word.type == TokenType::String)) {
            Fail("':" + function.text + "()' expects " + (strings ? "a name or a quoted text" : "a name") +
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

std::optional<SimpleSelector> SelectorGrammar::ParsePseudo(int depth)
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

bool SelectorGrammar::NotAtEnd(const Token& function)
{
    SkipWhitespace();
    if (Peek().type != TokenType::End) return true;
    Fail("unterminated ':" + function.text + "(' starting at column " + std::to_string(function.begin));
    return false;
}

bool SelectorGrammar::CloseFunction(const Token& function)
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

bool SelectorGrammar::ParseNthArgument(const Token& function, bool allowsOf, SimpleSelector& simple, int depth)
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

}  // namespace xq::css
