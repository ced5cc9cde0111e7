#pragma once
// ASCII-only letter-case helpers: HTML and CSS fold case in the ASCII range only.

#include <string>
#include <string_view>

namespace xq::css {

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
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

// White space as CSS and HTML class lists know it.
constexpr bool IsCssBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

}  // namespace xq::css
