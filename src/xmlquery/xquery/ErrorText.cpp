#include "xmlquery/xquery/ErrorText.h"

namespace xq::xquery {

namespace {

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsUpper(c) || IsDigit(c) || (c >= 'a' && c <= 'z') || c == '_'; }

std::size_t FindCodePosition(std::string_view message)
{
    for (std::size_t i = 0; i + 8 <= message.size(); ++i) {
        if (i > 0 && IsWordChar(message[i - 1])) continue;
        bool match = true;
        for (std::size_t k = 0; k < 8 && match; ++k)
            match = k < 4 ? IsUpper(message[i + k]) : IsDigit(message[i + k]);
        if (!match) continue;
        if (i + 8 < message.size() && IsWordChar(message[i + 8])) continue;
        return i;
    }
    return std::string_view::npos;
}

std::string_view Trim(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string FindErrorCode(std::string_view message)
{
    const std::size_t at = FindCodePosition(message);
    return at == std::string_view::npos ? std::string() : std::string(message.substr(at, 8));
}

bool IsStaticErrorCode(std::string_view code)
{
    return code.size() == 8 && (code.substr(0, 4) == "XPST" || code.substr(0, 4) == "XQST");
}

std::string TidyErrorMessage(std::string_view message)
{
    message = Trim(message);
    const std::size_t at = FindCodePosition(message);
    if (at == std::string_view::npos || at == 0) return std::string(message);
    // Syntax errors arrive as "<excerpt with a caret line>\n\nError: XPST0003: ...":
    // put the explanation first and keep the excerpt after it.
    std::string_view before = Trim(message.substr(0, at));
    if (before.size() >= 6 && before.substr(before.size() - 6) == "Error:") before.remove_suffix(6);
    before = Trim(before);
    std::string tidy(Trim(message.substr(at)));
    if (!before.empty()) {
        tidy += "\n";
        tidy += before;
    }
    return tidy;
}

}  // namespace xq::xquery
