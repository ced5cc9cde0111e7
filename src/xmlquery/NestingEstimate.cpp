#include "xmlquery/NestingEstimate.h"

#include "xmlquery/AsciiText.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace xq {
namespace {

bool IsTagNameEnd(char c) { return IsHtmlSpace(c) || c == '/' || c == '>'; }

bool NameIn(std::string_view name, const auto& list)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

// Never stay open: no end tag, or closed by the next sibling of the same kind.
constexpr std::array<std::string_view, 33> kNotNesting = {
    "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
    "source", "track", "wbr", "param", "keygen", "basefont", "bgsound", "frame",
    "p", "li", "dt", "dd", "option", "optgroup", "tr", "td", "th", "tbody",
    "thead", "tfoot", "colgroup", "rt", "rp"};

// Their content is text up to the matching end tag.
constexpr std::array<std::string_view, 9> kRawText = {
    "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "plaintext"};

std::size_t FindCaseless(std::string_view text, std::string_view needle, std::size_t from)
{
    while (true) {
        from = text.find('<', from);
        if (from == std::string_view::npos || text.size() - from < needle.size()) return std::string_view::npos;
        bool same = true;
        for (std::size_t i = 0; i < needle.size() && same; ++i) same = ToLowerAscii(text[from + i]) == needle[i];
        if (same) return from;
        ++from;
    }
}

bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Whether the quote at quoteAt opens an attribute value: only after '=' (and
// white space). Anywhere else, as in <p '>, it is part of a name and the tag
// still ends at the next '>'.
bool OpensValue(std::string_view html, std::size_t from, std::size_t quoteAt)
{
    std::size_t i = quoteAt;
    while (i > from && IsHtmlSpace(html[i - 1])) --i;
    return i > from && html[i - 1] == '=';
}

// Position just after the '>' that ends the tag starting at pos, honouring quotes.
// Searches with memchr rather than byte by byte: this runs over every tag of a page.
std::size_t SkipTag(std::string_view html, std::size_t pos)
{
    const char* const begin = html.data();
    const std::size_t size = html.size();
    const std::size_t tagStart = pos;
    while (pos < size) {
        const auto* close = static_cast<const char*>(std::memchr(begin + pos, '>', size - pos));
        const std::size_t end = close ? static_cast<std::size_t>(close - begin) : size;
        // The first quote before that '>' opens a value that may itself hold a '>'.
        const auto* dq = static_cast<const char*>(std::memchr(begin + pos, '"', end - pos));
        const auto* sq = static_cast<const char*>(std::memchr(begin + pos, '\'', end - pos));
        const char* quote = dq && sq ? std::min(dq, sq) : dq ? dq : sq;
        if (!quote) return close ? end + 1 : size;
        const std::size_t quoteAt = static_cast<std::size_t>(quote - begin);
        if (!OpensValue(html, tagStart, quoteAt)) {
            pos = quoteAt + 1;
            continue;
        }
        const auto* unquote = static_cast<const char*>(std::memchr(quote + 1, *quote, size - quoteAt - 1));
        if (!unquote) return size;
        pos = static_cast<std::size_t>(unquote - begin) + 1;
    }
    return size;
}

// Formatting elements: left open, the HTML5 parser makes them again in every
// later paragraph (the reconstruction of active formatting elements).
constexpr std::array<std::string_view, 14> kFormatting = {
    "a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong", "tt", "u"};

std::uint64_t NameKey(std::string_view name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

// The stack of open elements by name, so that an end tag closes only an
// element that is open (as the HTML5 parser ignores </x> when no x is open).
struct OpenElements {
    std::vector<std::uint64_t> stack;
    std::unordered_map<std::uint64_t, std::uint32_t> counts;

    std::uint64_t Depth() const { return stack.size(); }
    void Push(std::uint64_t key)
    {
        stack.push_back(key);
        ++counts[key];
    }
    // Pops up to and including the nearest open element of this name; false
    // (nothing popped) when none is open.
    bool Close(std::uint64_t key)
    {
        const auto found = counts.find(key);
        if (found == counts.end() || found->second == 0) return false;
        while (!stack.empty()) {
            const std::uint64_t top = stack.back();
            stack.pop_back();
            --counts[top];
            if (top == key) return true;
        }
        return true;
    }
};

}  // namespace

std::uint64_t EstimateTreeConstructionWork(std::string_view html)
{
    std::uint64_t work = 0;
    OpenElements open;
    std::uint64_t foreignDepth = 0;  // open svg and math elements: only there does "/>" close
    std::uint64_t openFormatting = 0;
    std::size_t pos = 0;
    std::array<char, 16> nameBuffer{};
    while ((pos = html.find('<', pos)) != std::string_view::npos) {
        if (pos + 1 >= html.size()) break;
        const char next = html[pos + 1];
        if (next == '!') {
            if (html.compare(pos, 5, "<!-->") == 0) {
                pos += 5;  // an empty comment: "<!-->" ends itself
            } else if (html.compare(pos, 6, "<!--->") == 0) {
                pos += 6;
            } else if (html.compare(pos, 4, "<!--") == 0) {
                const std::size_t end = html.find("-->", pos + 4);
                pos = end == std::string_view::npos ? html.size() : end + 3;
            } else {
                pos = SkipTag(html, pos + 2);
            }
            continue;
        }
        const bool endTag = next == '/';
        const std::size_t nameStart = pos + (endTag ? 2 : 1);
        if (nameStart >= html.size() || !IsAsciiLetter(html[nameStart])) {
            ++pos;
            continue;
        }
        std::size_t nameEnd = nameStart;
        std::size_t nameLength = 0;
        while (nameEnd < html.size() && !IsTagNameEnd(html[nameEnd])) {
            if (nameLength < nameBuffer.size()) nameBuffer[nameLength++] = ToLowerAscii(html[nameEnd]);
            ++nameEnd;
        }
        const std::string_view name(nameBuffer.data(), std::min(nameLength, nameEnd - nameStart));
        const std::size_t tagEnd = SkipTag(html, nameEnd);
        const bool selfClosed = tagEnd >= 2 && html[tagEnd - 1] == '>' && html[tagEnd - 2] == '/';
        pos = tagEnd;
        const std::uint64_t depth = open.Depth();
        if (NameIn(name, kNotNesting)) {
            // Still checks the open elements (scope tests), but never adds to them.
            if (!endTag) work += depth;
            // A new paragraph makes every formatting element left open again.
            if (!endTag && name == "p") work += openFormatting * (depth + 1);
            continue;
        }
        const bool foreignRoot = name == "svg" || name == "math";
        const std::uint64_t key = NameKey(name);
        if (endTag) {
            // An end tag with no open element of its name is ignored, after a
            // walk over the whole stack.
            if (!open.Close(key)) {
                work += depth;
                continue;
            }
            if (foreignRoot && foreignDepth > 0) --foreignDepth;
            if (foreignDepth == 0 && NameIn(name, kFormatting) && openFormatting > 0) --openFormatting;
            continue;
        }
        work += depth;
        // Inside SVG and MathML, <title> and <style> hold elements, not text.
        if (foreignDepth == 0 && NameIn(name, kRawText)) {
            if (name == "plaintext") break;
            const std::string closing = "</" + std::string(name);
            const std::size_t end = FindCaseless(html, closing, pos);
            pos = end == std::string_view::npos ? html.size() : end;
            continue;
        }
        if (selfClosed && (foreignDepth > 0 || foreignRoot)) continue;
        open.Push(key);
        if (foreignRoot) ++foreignDepth;
        if (foreignDepth == 0 && NameIn(name, kFormatting)) ++openFormatting;
    }
    return work;
}

}  // namespace xq
