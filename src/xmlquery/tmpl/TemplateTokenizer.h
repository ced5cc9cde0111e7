#pragma once
// Splits template text into tags and text. Deliberately small: tags,
// attributes with quoted or unquoted values, text with character references,
// comments skipped. Anything else that looks like markup is an error.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xq::tmpl {

struct RawAttribute {
    std::string name;  // lower case
    std::string value; // references decoded
    bool hasValue = false;
};

enum class TokenKind { StartTag, EndTag, Text };

struct Token {
    TokenKind kind = TokenKind::Text;
    std::string name;  // tags: lower case
    std::vector<RawAttribute> attributes;
    bool selfClosing = false;  // written <x/>
    std::string text;          // text: references decoded
    std::size_t offset = 0;    // where it starts in the template
};

// False with a reason in *error on malformed markup or more than maxStartTags tags.
bool Tokenize(std::string_view text, std::size_t maxStartTags, std::vector<Token>& out,
              std::string* error);

// "line 2, column 7" for a byte offset, for error texts.
std::string PositionText(std::string_view text, std::size_t offset);

}  // namespace xq::tmpl
