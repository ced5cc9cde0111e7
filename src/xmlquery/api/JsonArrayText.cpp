#include "xmlquery/api/JsonArrayText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace xq::api {

void JsonArrayText::Separate()
{
    if (count_++ > 0) text_.push_back(',');
}

namespace {

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == '"' || c == '\\' || c == 0x7F; }

}  // namespace

void JsonArrayText::AddString(std::string_view utf8)
{
    Separate();
    text_.reserve(text_.size() + utf8.size() + 2);
    text_.push_back('"');
    static constexpr char kHex[] = "0123456789abcdef";
    // Most values need no escaping at all: runs of plain bytes are copied whole.
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (!NeedsEscape(c)) continue;
        text_.append(utf8.data() + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '"': text_.append("\\\""); break;
        case '\\': text_.append("\\\\"); break;
        case '\n': text_.append("\\n"); break;
        case '\r': text_.append("\\r"); break;
        case '\t': text_.append("\\t"); break;
        case '\b': text_.append("\\b"); break;
        case '\f': text_.append("\\f"); break;
        default:
            text_.append("\\u00");
            text_.push_back(kHex[c >> 4]);
            text_.push_back(kHex[c & 0xF]);
        }
    }
    text_.append(utf8.data() + runStart, utf8.size() - runStart);
    text_.push_back('"');
}

void JsonArrayText::AddNumber(double value)
{
    if (std::isnan(value)) return AddString("NaN");
    if (std::isinf(value)) return AddString(value > 0 ? "Infinity" : "-Infinity");
    Separate();
    char buffer[64];
    if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0) {
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
        text_.append(buffer);
        return;
    }
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    text_.append(buffer, error == std::errc() ? end : buffer);
}

void JsonArrayText::AddBoolean(bool value)
{
    Separate();
    text_.append(value ? "true" : "false");
}

std::string JsonArrayText::Finish() &&
{
    text_.push_back(']');
    return std::move(text_);
}

}  // namespace xq::api
