#include "xmlquery/css/SelectorParser.h"

#include "xmlquery/AsciiText.h"
#include "xmlquery/Utf8Repair.h"
#include "xmlquery/css/AnPlusBParser.h"
#include "xmlquery/css/HtmlAttributeCase.h"
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
        return 0;
    case SimpleKind::Attribute:
        return 1;
    case SimpleKind::Is:
    case SimpleKind::Not:
        return 3;
    case SimpleKind::Contains:
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
        CompiledSelector list = ParseList(0);
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

    // A comma-separated list, at the top level or inside a functional pseudo-class.
    CompiledSelector ParseList(int depth)
    {
        CompiledSelector list(new SelectorList);
        SkipWhitespace();
        if (depth == 0 && Peek().type == TokenType::End) {
            Fail("empty selector");
            return nullptr;
        }
        if (depth > 0 && Peek().type == TokenType::RightParen) {
            Fail("empty selector list" + Column(Peek()));
            return nullptr;
        }
        while (true) {
            std::optional<ComplexSelector> complex = ParseComplex(depth);
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

    std::optional<ComplexSelector> ParseComplex(int depth)
    {
        ComplexSelector complex;
        if (CombinatorOf(Peek())) {
            Fail("selector starts with the combinator " + Describe(Peek()));
            return std::nullopt;
        }
        std::optional<CompoundSelector> first = ParseCompound(depth);
        if (!first) {
            Fail("expected a selector, found " + Describe(Peek()));
            return std::nullopt;
        }
        complex.compounds.push_back(std::move(*first));
        while (true) {
            const bool blank = SkipWhitespace();
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
            return token.delim == '*' || token.delim == '.' || token.delim == '|';
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
            if (token.type == TokenType::Hash) {
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
        if (Peek().type == TokenType::RightBracket) {
            Advance();
            return simple;
        }
        if (Peek().type == TokenType::End) {
            Fail("unterminated attribute selector starting at column " + std::to_string(open.begin + 1));
            return std::nullopt;
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
        if (Peek().type != TokenType::RightBracket) {
            if (Peek().type == TokenType::End)
                Fail("unterminated attribute selector starting at column " + std::to_string(open.begin + 1));
            else
                Fail("expected ']', found " + Describe(Peek()));
            return std::nullopt;
        }
        Advance();
        simple.ignoreValueCase =
            forceInsensitive || (!forceSensitive && IsCaseInsensitiveHtmlAttribute(simple.name));
        if (simple.ignoreValueCase) simple.value = LowerAscii(simple.value);
        return simple;
    }

    static bool IsLegacyPseudoElement(std::string_view name)
    {
        return name == "before" || name == "after" || name == "first-line" || name == "first-letter";
    }

    std::optional<SimpleSelector> ParsePseudo(int depth)
    {
        const Token& colon = Peek();
        Advance();
        if (Peek().type == TokenType::Colon) {
            Fail("pseudo-elements are not supported" + Column(colon));
            return std::nullopt;
        }
        const Token& nameToken = Peek();
        const std::string name = LowerAscii(nameToken.text);
        SimpleSelector simple;
        if (nameToken.type == TokenType::Ident) {
            Advance();
            static const std::pair<std::string_view, SimpleKind> kPlain[] = {
                {"first-child", SimpleKind::FirstChild},   {"last-child", SimpleKind::LastChild},
                {"only-child", SimpleKind::OnlyChild},     {"first-of-type", SimpleKind::FirstOfType},
                {"last-of-type", SimpleKind::LastOfType},  {"only-of-type", SimpleKind::OnlyOfType},
                {"empty", SimpleKind::Empty},              {"root", SimpleKind::Root},
                {"scope", SimpleKind::Scope},
            };
            for (const auto& [plainName, kind] : kPlain) {
                if (name == plainName) {
                    simple.kind = kind;
                    return simple;
                }
            }
            if (IsLegacyPseudoElement(name)) Fail("pseudo-elements are not supported" + Column(colon));
            else Fail("unsupported pseudo-class ':" + nameToken.text + "'" + Column(colon));
            return std::nullopt;
        }
        if (nameToken.type != TokenType::Function) {
            Fail("expected a pseudo-class name after ':'" + Column(colon));
            return std::nullopt;
        }
        Advance();
        if (name == "not" || name == "is" || name == "where" || name == "matches") {
            if (depth + 1 > kMaxNestingDepth) {
                Fail(":" + name + "() nested deeper than " + std::to_string(kMaxNestingDepth) + " levels");
                return std::nullopt;
            }
            simple.kind = name == "not" ? SimpleKind::Not : SimpleKind::Is;
            if (!NotAtEnd(nameToken)) return std::nullopt;
            simple.list = ParseList(depth + 1);
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

    bool CloseFunction(const Token& function)
    {
        SkipWhitespace();
        if (Peek().type == TokenType::RightParen) {
            Advance();
            return true;
        }
        if (Peek().type == TokenType::End)
            Fail("unterminated ':" + function.text + "(' starting at column " + std::to_string(function.begin));
        else
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
        if (Peek().type == TokenType::End) {
            Fail("unterminated ':" + function.text + "(' starting at column " + std::to_string(function.begin));
            return false;
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
            if (depth + 1 > kMaxNestingDepth) {
                Fail(":" + function.text + "() nested deeper than " + std::to_string(kMaxNestingDepth) + " levels");
                return false;
            }
            if (!NotAtEnd(function)) return false;
            simple.list = ParseList(depth + 1);
            if (!simple.list) return false;
        }
        return CloseFunction(function);
    }

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    std::string error_;
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
