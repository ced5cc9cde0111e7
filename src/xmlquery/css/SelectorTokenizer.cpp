#include "xmlquery/css/SelectorTokenizer.h"

#include "xmlquery/AsciiText.h"

#include <algorithm>
#include <cstdint>

namespace xq::css {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsNewline(char c) { return c == '\n' || c == '\r' || c == '\f'; }
bool IsNameStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == '-'; }

int HexValue(char c)
{
    if (IsDigit(c)) return c - '0';
    return ToLowerAscii(c) - 'a' + 10;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    bool Run(std::vector<Token>& tokens, std::string* error)
    {
        while (pos_ < text_.size()) {
            Token token;
            token.begin = pos_;
            if (!Next(token, error)) return false;
            token.end = pos_;
            if (token.type != TokenType::End) tokens.push_back(std::move(token));
        }
        Token end;
        end.begin = end.end = text_.size();
        tokens.push_back(end);
        return true;
    }

private:
    char At(std::size_t offset) const
    {
        return pos_ + offset < text_.size() ? text_[pos_ + offset] : '\0';
    }
    bool HasAt(std::size_t offset) const { return pos_ + offset < text_.size(); }

    // A backslash at `offset` that starts an escape (not one before a line break).
    bool ValidEscapeAt(std::size_t offset) const
    {
        return HasAt(offset) && At(offset) == '\\' && !(HasAt(offset + 1) && IsNewline(At(offset + 1)));
    }

    bool WouldStartIdentifierAt(std::size_t offset) const
    {
        if (!HasAt(offset)) return false;
        const char c = At(offset);
        if (c == '-') {
            return (HasAt(offset + 1) && (IsNameStart(At(offset + 1)) || At(offset + 1) == '-')) ||
                   ValidEscapeAt(offset + 1);
        }
        if (IsNameStart(c)) return true;
        return ValidEscapeAt(offset);
    }

    bool WouldStartNumber() const
    {
        const char c = At(0);
        if (IsDigit(c)) return true;
        if (c == '+' || c == '-') {
            return (HasAt(1) && IsDigit(At(1))) || (At(1) == '.' && HasAt(2) && IsDigit(At(2)));
        }
        return c == '.' && HasAt(1) && IsDigit(At(1));
    }

    // After the backslash of a valid escape.
    void ConsumeEscape(std::string& out)
    {
        if (pos_ >= text_.size()) {
            AppendUtf8(out, kReplacementCharacter);
            return;
        }
        if (IsHexDigit(text_[pos_])) {
            std::uint32_t value = 0;
            for (int i = 0; i < 6 && pos_ < text_.size() && IsHexDigit(text_[pos_]); ++i, ++pos_)
                value = value * 16 + std::uint32_t(HexValue(text_[pos_]));
            if (pos_ < text_.size() && IsHtmlSpace(text_[pos_])) {
                if (text_[pos_] == '\r' && At(1) == '\n') ++pos_;
                ++pos_;
            }
            if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
                value = kReplacementCharacter;
            AppendUtf8(out, char32_t(value));
            return;
        }
        // Any other character stands for itself; copy a whole UTF-8 sequence.
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        std::size_t length = 1;
        if (lead >= 0xF0) length = 4;
        else if (lead >= 0xE0) length = 3;
        else if (lead >= 0xC0) length = 2;
        length = std::min(length, text_.size() - pos_);
        out.append(text_.substr(pos_, length));
        pos_ += length;
    }

    void ConsumeName(std::string& out)
    {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (IsNameChar(c)) {
                out += c;
                ++pos_;
            } else if (ValidEscapeAt(0)) {
                ++pos_;
                ConsumeEscape(out);
            } else {
                break;
            }
        }
    }

    void ConsumeNumber(Token& token)
    {
        token.type = TokenType::Number;
        if (At(0) == '+' || At(0) == '-') ++pos_;
        while (HasAt(0) && IsDigit(At(0))) ++pos_;
        if (At(0) == '.' && HasAt(1) && IsDigit(At(1))) {
            pos_ += 2;
            while (HasAt(0) && IsDigit(At(0))) ++pos_;
        }
        if ((At(0) == 'e' || At(0) == 'E') &&
            ((HasAt(1) && IsDigit(At(1))) || ((At(1) == '+' || At(1) == '-') && HasAt(2) && IsDigit(At(2))))) {
            pos_ += 2;
            while (HasAt(0) && IsDigit(At(0))) ++pos_;
        }
        if (WouldStartIdentifierAt(0)) {
            ConsumeName(token.text);
        } else if (At(0) == '%') {
            token.text = "%";
            ++pos_;
        }
    }

    void ConsumeIdentLike(Token& token)
    {
        ConsumeName(token.text);
        if (At(0) == '(') {
            ++pos_;
            token.type = TokenType::Function;
        } else {
            token.type = TokenType::Ident;
        }
    }

    bool ConsumeString(Token& token, std::string* error)
    {
        const char quote = text_[pos_++];
        token.type = TokenType::String;
        while (true) {
            if (pos_ >= text_.size()) return true;  // the end of the text closes a string
            const char c = text_[pos_];
            if (c == quote) {
                ++pos_;
                return true;
            }
            if (IsNewline(c)) {
                if (error) *error = "line break inside the string starting at column " + std::to_string(token.begin + 1);
                return false;
            }
            ++pos_;
            if (c != '\\') {
                token.text += c;
            } else if (pos_ >= text_.size()) {
                // A final backslash escapes nothing.
            } else if (IsNewline(text_[pos_])) {
                if (text_[pos_] == '\r' && At(1) == '\n') ++pos_;
                ++pos_;  // an escaped line break continues the string
            } else {
                ConsumeEscape(token.text);
            }
        }
    }

    bool Next(Token& token, std::string* error)
    {
        const char c = text_[pos_];
        if (IsHtmlSpace(c)) {
            while (pos_ < text_.size() && IsHtmlSpace(text_[pos_])) ++pos_;
            token.type = TokenType::Whitespace;
            return true;
        }
        if (c == '/' && At(1) == '*') {
            const std::size_t close = text_.find("*/", pos_ + 2);
            pos_ = close == std::string_view::npos ? text_.size() : close + 2;  // or up to the end
            token.type = TokenType::End;  // dropped
            return true;
        }
        if (c == '"' || c == '\'') return ConsumeString(token, error);
        if (WouldStartNumber()) {
            ConsumeNumber(token);
            return true;
        }
        if (c == '#' && HasAt(1) && (IsNameChar(At(1)) || ValidEscapeAt(1))) {
            ++pos_;
            token.type = TokenType::Hash;
            token.hashIsId = WouldStartIdentifierAt(0);
            ConsumeName(token.text);
            return true;
        }
        if (c == '@' && WouldStartIdentifierAt(1)) {
            ++pos_;
            token.type = TokenType::AtKeyword;
            ConsumeName(token.text);
            return true;
        }
        if (WouldStartIdentifierAt(0)) {
            ConsumeIdentLike(token);
            return true;
        }
        ++pos_;
        switch (c) {
        case ':': token.type = TokenType::Colon; break;
        case ';': token.type = TokenType::Semicolon; break;
        case ',': token.type = TokenType::Comma; break;
        case '[': token.type = TokenType::LeftBracket; break;
        case ']': token.type = TokenType::RightBracket; break;
        case '(': token.type = TokenType::LeftParen; break;
        case ')': token.type = TokenType::RightParen; break;
        case '{': token.type = TokenType::LeftBrace; break;
        case '}': token.type = TokenType::RightBrace; break;
        default:
            token.type = TokenType::Delim;
            token.delim = c;
            break;
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

bool Tokenize(std::string_view text, std::vector<Token>& tokens, std::string* error)
{
    tokens.clear();
    return Tokenizer(text).Run(tokens, error);
}

}  // namespace xq::css
