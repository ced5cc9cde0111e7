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

// Syntax errors list every token the parser would have accepted: hundreds of
// characters that bury the position. The explanation (the first line) keeps
// its start; the query excerpt with its caret stays whole.
std::string ShortenFirstLine(std::string_view text)
{
    constexpr std::size_t kMaxLine = 160;
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (line.size() <= kMaxLine) return std::string(text);
    const std::size_t comma = line.rfind(',', kMaxLine);
    std::size_t cut = comma == std::string_view::npos || comma == 0 ? kMaxLine : comma;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;  // whole characters only
    std::string result(line.substr(0, cut));
    result += cut == comma ? ",..." : "...";
    if (end != std::string_view::npos) result.append(text.substr(end));
    return result;
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
    if (at == std::string_view::npos || at == 0) return ShortenFirstLine(message);
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
    return ShortenFirstLine(tidy);
}

}  // namespace xq::xquery
