#include "xmlquery/tmpl/TemplateText.h"

#include <array>
#include <cstdint>
#include <utility>

namespace xq::tmpl {

void AppendNormalised(std::string& out, std::string_view s) {
    for (char c : s) {
        if (IsHtmlSpace(c)) {
            if (!out.empty() && out.back() != ' ') out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
}

void FinishNormalised(std::string& out) {
    if (!out.empty() && out.back() == ' ') out.pop_back();
}

std::string NormaliseSpace(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    AppendNormalised(out, s);
    FinishNormalised(out);
    return out;
}

namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

constexpr std::array<std::pair<std::string_view, std::uint32_t>, 22> kNamed{{
    {"amp", '&'},       {"lt", '<'},         {"gt", '>'},        {"quot", '"'},
    {"apos", '\''},     {"nbsp", 0xA0},      {"copy", 0xA9},     {"reg", 0xAE},
    {"trade", 0x2122},  {"hellip", 0x2026},  {"mdash", 0x2014},  {"ndash", 0x2013},
    {"laquo", 0xAB},    {"raquo", 0xBB},     {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},   {"euro", 0x20AC},   {"times", 0xD7},
    {"middot", 0xB7},   {"deg", 0xB0},
}};

// Decodes the reference that starts at s[0] == '&'; returns the length read, 0 if none.
std::size_t DecodeOne(std::string_view s, std::string& out) {
    const std::size_t semi = s.find(';', 1);
    if (semi == std::string_view::npos || semi > 32) return 0;
    const std::string_view body = s.substr(1, semi - 1);
    if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) return 0;
        std::uint32_t cp = 0;
        for (char c : digits) {
            int v;
            if (c >= '0' && c <= '9') v = c - '0';
            else if (hex && c >= 'a' && c <= 'f') v = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F') v = c - 'A' + 10;
            else return 0;
            cp = cp * (hex ? 16u : 10u) + std::uint32_t(v);
            if (cp > 0x10FFFF) cp = 0x110000;  // stays out of range without overflow
        }
        AppendUtf8(out, cp);
        return semi + 1;
    }
    for (const auto& [name, cp] : kNamed) {
        if (body == name) {
            AppendUtf8(out, cp);
            return semi + 1;
        }
    }
    return 0;
}

}  // namespace

std::string DecodeEntities(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '&') {
            const std::size_t used = DecodeOne(s.substr(i), out);
            if (used) {
                i += used;
                continue;
            }
        }
        out.push_back(s[i++]);
    }
    return out;
}

}  // namespace xq::tmpl
