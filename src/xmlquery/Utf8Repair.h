#pragma once
// The one UTF-8 validity check of the query library. Pages arrive as UTF-8 text
// that may still hold stray bytes; libxml2's XPath fails on such text, so every
// page is made valid before parsing.

#include <string>
#include <string_view>

namespace xq {

// Strictly valid UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The text itself when it is valid UTF-8; otherwise a copy in *storage where each
// maximal invalid subsequence became U+FFFD (as the WHATWG decoder does).
std::string_view MakeValidUtf8(std::string_view text, std::string& storage);

// Length of the valid sequence starting at text[pos], or 0 when it is invalid.
std::size_t ValidUtf8SequenceLength(std::string_view text, std::size_t pos);

}  // namespace xq
