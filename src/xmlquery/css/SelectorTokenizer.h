#pragma once
// Splits selector text into CSS tokens (escapes resolved, comments dropped).
// Only what selectors use is told apart; anything else becomes a Delim the
// parser then rejects.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xq::css {

enum class TokenType {
    Ident,
    Function,    // ident followed by '(' (the '(' is part of the token)
    AtKeyword,
    Hash,
    String,
    Number,      // also percentages and dimensions; `text` holds the unit
    Whitespace,
    Colon,
    Semicolon,
    Comma,
    LeftBracket,
    RightBracket,
    LeftParen,
    RightParen,
    LeftBrace,
    RightBrace,
    Delim,
    End,
};

struct Token {
    TokenType type = TokenType::End;
    std::string text;       // unescaped name, string value or number unit
    char delim = 0;         // for Delim
    bool hashIsId = false;  // for Hash: the name would be a valid identifier
    std::size_t begin = 0;  // byte offsets into the selector text
    std::size_t end = 0;
};

// False and a reason when the text cannot be tokenised (a line break inside a
// string). The end of the text closes an open string or comment, as in a
// browser. The last token is always End.
bool Tokenize(std::string_view text, std::vector<Token>& tokens, std::string* error);

}  // namespace xq::css
