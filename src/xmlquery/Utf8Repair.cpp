#include "xmlquery/Utf8Repair.h"

#include <cstdint>
#include <cstring>

namespace xq {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the longest prefix at pos that could still start a valid sequence
// (at least 1): the "maximal subpart" replaced by one U+FFFD.
std::size_t MaximalInvalidSubpart(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    unsigned char low = 0x80, high = 0xBF;
    std::size_t need = 0;
    if (lead >= 0xC2 && lead <= 0xDF) need = 1;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    std::size_t len = 1;
    for (std::size_t i = 0; i < need && pos + len < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[pos + len]);
        const unsigned char lo = i == 0 ? low : 0x80;
        const unsigned char hi = i == 0 ? high : 0xBF;
        if (c < lo || c > hi) break;
        ++len;
    }
    return len;
}

}  // namespace

std::size_t ValidUtf8SequenceLength(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return 1;
    const std::size_t len = MaximalInvalidSubpart(text, pos);
    const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return (lead >= 0xC2 && lead <= 0xF4 && len == expected) ? len : 0;
}

namespace {

// Length of the longest valid prefix. Most pages are valid, and ASCII runs are
// the bulk of them, so eight bytes at a time are tested for a high bit.
std::size_t ValidUtf8PrefixLength(std::string_view text)
{
    std::size_t pos = 0;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    while (pos < text.size()) {
        if (text.size() - pos >= sizeof(std::uint64_t)) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + pos, sizeof word);
            if ((word & kHighBits) == 0) { pos += sizeof word; continue; }
        }
        if (static_cast<unsigned char>(text[pos]) < 0x80) { ++pos; continue; }
        const std::size_t len = ValidUtf8SequenceLength(text, pos);
        if (len == 0) break;
        pos += len;
    }
    return pos;
}

}  // namespace

bool IsValidUtf8(std::string_view text)
{
    return ValidUtf8PrefixLength(text) == text.size();
}

std::string_view MakeValidUtf8(std::string_view text, std::string& storage)
{
    std::size_t pos = ValidUtf8PrefixLength(text);
    if (pos == text.size()) return text;

    storage.clear();
    storage.reserve(text.size() + 16);
    storage.append(text.substr(0, pos));
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            storage.push_back(text[pos++]);
            continue;
        }
        const std::size_t len = ValidUtf8SequenceLength(text, pos);
        if (len != 0) {
            storage.append(text.substr(pos, len));
            pos += len;
        } else {
            storage.append(kReplacement);
            pos += MaximalInvalidSubpart(text, pos);
        }
    }
    return storage;
}

}  // namespace xq
