#pragma once
// Letter case and white space of ASCII only: HTML, CSS and templates fold case
// in the ASCII range alone, and know five white-space characters.

#include <string>
#include <string_view>

namespace xq {

constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

constexpr char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

inline std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = ToLowerAscii(c);
    return out;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

// White space as HTML, CSS and class lists know it.
constexpr bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

}  // namespace xq
