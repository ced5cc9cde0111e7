#include "xmlquery/css/AnPlusBParser.h"

#include "xmlquery/AsciiText.h"

#include <algorithm>

namespace xq::css {

namespace {

// Larger values select nothing a document can hold; clamping keeps the arithmetic safe.
constexpr std::int64_t kClamp = 1'000'000'000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void Advance() { ++pos_; }
    void SkipBlanks()
    {
        while (!AtEnd() && IsHtmlSpace(text_[pos_])) ++pos_;
    }
    bool ReadDigits(std::int64_t& value)
    {
        if (!IsDigit(Peek())) return false;
        value = 0;
        while (IsDigit(Peek())) {
            value = std::min<std::int64_t>(value * 10 + (Peek() - '0'), kClamp);
            Advance();
        }
        return true;
    }
    std::string_view Rest() const { return text_.substr(pos_); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<AnPlusB> ParseAnPlusB(std::string_view text)
{
    Reader reader(text);
    reader.SkipBlanks();
    std::string_view rest = reader.Rest();
    while (!rest.empty() && IsHtmlSpace(rest.back())) rest.remove_suffix(1);
    if (EqualsIgnoringAsciiCase(rest, "odd")) return AnPlusB{2, 1};
    if (EqualsIgnoringAsciiCase(rest, "even")) return AnPlusB{2, 0};

    std::int64_t sign = 1;
    if (reader.Peek() == '+' || reader.Peek() == '-') {
        sign = reader.Peek() == '-' ? -1 : 1;
        reader.Advance();
    }
    std::int64_t number = 0;
    const bool hasDigits = reader.ReadDigits(number);
    AnPlusB result;
    if (ToLowerAscii(reader.Peek()) == 'n') {
        reader.Advance();
        result.a = sign * (hasDigits ? number : 1);
        reader.SkipBlanks();
        if (reader.Peek() == '+' || reader.Peek() == '-') {
            const std::int64_t bSign = reader.Peek() == '-' ? -1 : 1;
            reader.Advance();
            reader.SkipBlanks();
            std::int64_t b = 0;
            if (!reader.ReadDigits(b)) return std::nullopt;
            result.b = bSign * b;
        }
    } else {
        if (!hasDigits) return std::nullopt;
        result.b = sign * number;
    }
    reader.SkipBlanks();
    if (!reader.AtEnd()) return std::nullopt;
    return result;
}

}  // namespace xq::css
