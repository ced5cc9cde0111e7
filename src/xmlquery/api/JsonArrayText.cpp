#include "xmlquery/api/JsonArrayText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace xq::api {

void JsonArrayText::Separate()
{
    if (count_++ > 0) text_.push_back(',');
}

void JsonArrayText::AddString(std::string_view utf8)
{
    Separate();
    text_.reserve(text_.size() + utf8.size() + 2);
    text_.push_back('"');
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': text_.append("\\\""); break;
        case '\\': text_.append("\\\\"); break;
        case '\n': text_.append("\\n"); break;
        case '\r': text_.append("\\r"); break;
        case '\t': text_.append("\\t"); break;
        case '\b': text_.append("\\b"); break;
        case '\f': text_.append("\\f"); break;
        default:
            if (c < 0x20 || c == 0x7F) {
                text_.append("\\u00");
                text_.push_back(kHex[c >> 4]);
                text_.push_back(kHex[c & 0xF]);
            } else {
                text_.push_back(ch);
            }
        }
    }
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
