#include "xmlquery/css/InputValues.h"

#include "xmlquery/AsciiText.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace xq::css {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool OneOf(std::string_view value, std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names)
        if (value == name) return true;
    return false;
}

// Reads exactly `count` digits (at least `count` when atLeast) from text at pos.
bool ReadDigits(std::string_view text, std::size_t& pos, std::size_t count, bool atLeast, long long& value)
{
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && (atLeast || pos - start < count)) {
        if (pos - start < 12) value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos - start >= count;
}

bool IsLeapYear(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(long long year, long long month)
{
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[std::size_t(month - 1)];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, long long m, long long d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// 0 = Monday.
long long WeekdayOf(long long days) { return ((days % 7) + 7 + 3) % 7; }

bool ReadYearMonth(std::string_view text, std::size_t& pos, long long& year, long long& month)
{
    if (!ReadDigits(text, pos, 4, true, year) || year <= 0) return false;
    if (pos >= text.size() || text[pos] != '-') return false;
    ++pos;
    return ReadDigits(text, pos, 2, false, month) && month >= 1 && month <= 12;
}

bool ReadDate(std::string_view text, std::size_t& pos, long long& days)
{
    long long year = 0, month = 0, day = 0;
    if (!ReadYearMonth(text, pos, year, month)) return false;
    if (pos >= text.size() || text[pos] != '-') return false;
    ++pos;
    if (!ReadDigits(text, pos, 2, false, day) || day < 1 || day > DaysInMonth(year, month)) return false;
    days = DaysFromCivil(year, month, day);
    return true;
}

bool ReadTime(std::string_view text, std::size_t& pos, double& seconds)
{
    long long hour = 0, minute = 0, second = 0;
    if (!ReadDigits(text, pos, 2, false, hour) || hour > 23) return false;
    if (pos >= text.size() || text[pos] != ':') return false;
    ++pos;
    if (!ReadDigits(text, pos, 2, false, minute) || minute > 59) return false;
    double fraction = 0;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!ReadDigits(text, pos, 2, false, second) || second > 59) return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            const std::size_t start = pos;
            double scale = 0.1;
            while (pos < text.size() && IsDigit(text[pos])) {
                fraction += (text[pos] - '0') * scale;
                scale /= 10;
                ++pos;
            }
            if (pos == start) return false;
        }
    }
    seconds = double(hour * 3600 + minute * 60 + second) + fraction;
    return true;
}

bool IsValidFloat(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    const std::size_t intStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    bool digits = i > intStart;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const std::size_t fracStart = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        if (i == fracStart) return false;
        digits = true;
    }
    if (!digits) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t expStart = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        if (i == expStart) return false;
    }
    return i == text.size();
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool IsEmailLocalChar(char c)
{
    return IsAsciiAlpha(c) || IsDigit(c) || std::string_view(".!#$%&'*+/=?^_`{|}~-").find(c) != std::string_view::npos;
}

bool IsValidEmail(std::string_view value)
{
    const std::size_t at = value.find('@');
    if (at == 0 || at == std::string_view::npos) return false;
    for (char c : value.substr(0, at))
        if (!IsEmailLocalChar(c)) return false;
    std::string_view domain = value.substr(at + 1);
    if (domain.empty()) return false;
    // Labels of letters, digits and inner hyphens, at most 63 long.
    while (true) {
        const std::size_t dot = domain.find('.');
        const std::string_view label = domain.substr(0, dot);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label)
            if (!IsAsciiAlpha(c) && !IsDigit(c) && c != '-') return false;
        if (dot == std::string_view::npos) return true;
        domain.remove_prefix(dot + 1);
    }
}

}  // namespace

std::string InputTypeOf(std::string_view typeAttribute)
{
    const std::string type = LowerAscii(typeAttribute);
    if (OneOf(type, {"hidden", "text", "search", "tel", "url", "email", "password", "date", "month", "week", "time",
                     "datetime-local", "number", "range", "color", "checkbox", "radio", "file", "submit", "image",
                     "reset", "button"}))
        return type;
    return "text";
}

bool IsRangedInputType(std::string_view type)
{
    return OneOf(type, {"date", "month", "week", "time", "datetime-local", "number", "range"});
}

bool ReadonlyApplies(std::string_view type)
{
    return OneOf(type, {"text", "search", "url", "tel", "email", "password", "date", "month", "week", "time",
                        "datetime-local", "number"});
}

bool RequiredApplies(std::string_view type)
{
    return ReadonlyApplies(type) || OneOf(type, {"checkbox", "radio", "file"});
}

bool PlaceholderApplies(std::string_view type)
{
    return OneOf(type, {"text", "search", "url", "tel", "email", "password", "number"});
}

bool PatternApplies(std::string_view type)
{
    return OneOf(type, {"text", "search", "url", "tel", "email", "password"});
}

std::optional<double> InputNumber(std::string_view type, std::string_view text)
{
    std::size_t pos = 0;
    if (type == "number" || type == "range") {
        if (!IsValidFloat(text)) return std::nullopt;
        const double value = std::strtod(std::string(text).c_str(), nullptr);
        if (!std::isfinite(value)) return std::nullopt;
        return value;
    }
    if (type == "date") {
        long long days = 0;
        if (!ReadDate(text, pos, days) || pos != text.size()) return std::nullopt;
        return double(days);
    }
    if (type == "month") {
        long long year = 0, month = 0;
        if (!ReadYearMonth(text, pos, year, month) || pos != text.size()) return std::nullopt;
        return double(year * 12 + month - 1);
    }
    if (type == "week") {
        long long year = 0, week = 0;
        if (!ReadDigits(text, pos, 4, true, year) || year <= 0) return std::nullopt;
        if (text.substr(pos, 2) != "-W") return std::nullopt;
        pos += 2;
        if (!ReadDigits(text, pos, 2, false, week) || pos != text.size()) return std::nullopt;
        const long long jan1 = DaysFromCivil(year, 1, 1);
        const long long jan1Weekday = WeekdayOf(jan1);
        const bool longYear = jan1Weekday == 3 || (IsLeapYear(year) && jan1Weekday == 2);
        if (week < 1 || week > (longYear ? 53 : 52)) return std::nullopt;
        const long long jan4 = jan1 + 3;
        const long long firstMonday = jan4 - WeekdayOf(jan4);
        return double((firstMonday + (week - 1) * 7 - 4) / 7);  // 1970-01-05 was a Monday
    }
    if (type == "time") {
        double seconds = 0;
        if (!ReadTime(text, pos, seconds) || pos != text.size()) return std::nullopt;
        return seconds;
    }
    if (type == "datetime-local") {
        long long days = 0;
        double seconds = 0;
        if (!ReadDate(text, pos, days)) return std::nullopt;
        if (pos >= text.size() || (text[pos] != 'T' && text[pos] != ' ')) return std::nullopt;
        ++pos;
        if (!ReadTime(text, pos, seconds) || pos != text.size()) return std::nullopt;
        return double(days) * 86400 + seconds;
    }
    return std::nullopt;
}

std::optional<double> InputStep(std::string_view type, const std::optional<std::string>& stepAttribute)
{
    const double fallback = (type == "time" || type == "datetime-local") ? 60 : 1;
    if (!stepAttribute) return fallback;
    if (EqualsIgnoringAsciiCase(*stepAttribute, "any")) return std::nullopt;
    if (!IsValidFloat(*stepAttribute)) return fallback;
    const double step = std::strtod(stepAttribute->c_str(), nullptr);
    if (!std::isfinite(step) || step <= 0) return fallback;
    return step;
}

std::string SanitizedValue(std::string_view type, std::string_view raw)
{
    if (OneOf(type, {"text", "search", "tel", "password", "url", "email"})) {
        std::string value;
        for (char c : raw)
            if (c != '\n' && c != '\r') value += c;
        if (type == "url" || type == "email") return std::string(TrimBlanks(value));
        return value;
    }
    if (IsRangedInputType(type) && type != "range") return InputNumber(type, raw) ? std::string(raw) : std::string();
    return std::string(raw);
}

bool IsValidEmailList(std::string_view value, bool multiple)
{
    if (!multiple) return IsValidEmail(value);
    while (true) {
        const std::size_t comma = value.find(',');
        if (!IsValidEmail(TrimBlanks(value.substr(0, comma)))) return false;
        if (comma == std::string_view::npos) return true;
        value.remove_prefix(comma + 1);
    }
}

bool IsValidAbsoluteUrl(std::string_view value)
{
    if (value.empty() || !IsAsciiAlpha(value[0])) return false;
    std::size_t i = 1;
    while (i < value.size() && (IsAsciiAlpha(value[i]) || IsDigit(value[i]) || value[i] == '+' || value[i] == '-' ||
                                value[i] == '.'))
        ++i;
    if (i >= value.size() || value[i] != ':') return false;
    const std::string scheme = LowerAscii(value.substr(0, i));
    if (!OneOf(scheme, {"http", "https", "ftp", "ws", "wss"})) return true;
    // Special schemes need a host.
    std::size_t host = i + 1;
    while (host < value.size() && (value[host] == '/' || value[host] == '\\')) ++host;
    return host < value.size() && std::string_view("/\\?#").find(value[host]) == std::string_view::npos;
}

}  // namespace xq::css
