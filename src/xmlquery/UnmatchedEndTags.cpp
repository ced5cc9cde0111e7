#include "xmlquery/UnmatchedEndTags.h"

#include <libxml/HTMLparser.h>

#include <cstring>
#include <unordered_set>

// The rules below follow how libxml2 2.9's HTML parser reads a page (its
// content loop, start and end tags, comments, processing instructions,
// DOCTYPE, script and style text). Where a construct could be read two ways
// the pass stops rewriting: a page it leaves alone parses exactly as before.
namespace xq {
namespace {

constexpr std::size_t kMaxNameLength = 100;  // the parser cuts tag names there
constexpr std::string_view kNeutralPair = "<html></html>";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsTagNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == ':' || c == '-' || c == '_' || c == '.'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word)
{
    if (at > text.size() || text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(text[at + i]) != word[i]) return false;
    return true;
}

// A tag or attribute name as the parser reads it: lower-case, at most 100
// characters. Returns the position after it (at when there is none).
std::size_t ReadTagName(std::string_view text, std::size_t at, std::string& name)
{
    name.clear();
    if (at >= text.size()) return at;
    const char first = text[at];
    if (!IsLetter(first) && first != '_' && first != ':' && first != '.') return at;
    while (at < text.size() && name.size() < kMaxNameLength && IsTagNameChar(text[at])) name.push_back(Lower(text[at++]));
    return at;
}

std::size_t SkipBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

// Elements the parser opens without a start tag in the text.
bool MayBeImplied(const std::string& name)
{
    return name == "html" || name == "head" || name == "body" || name == "p";
}

// Whether a start tag of newName closes an open rawName, by the parser's own table.
bool StartTagCloses(const std::string& newName, const std::string& rawName)
{
    xmlNode probe{};
    probe.type = XML_ELEMENT_NODE;
    probe.name = reinterpret_cast<const xmlChar*>(newName.c_str());
    return htmlAutoCloseTag(nullptr, reinterpret_cast<const xmlChar*>(rawName.c_str()), &probe) == 1;
}

// Names of every start tag in the text up to a position, read with no regard
// to context (inside comments and scripts too), so that the set holds at least
// every element the parser can have open there.
class StartTagNames {
public:
    explicit StartTagNames(std::string_view text) : text_(text) {}
    bool SeenBefore(std::size_t end, const std::string& name)
    {
        while (scanned_ < end) {
            const void* found = std::memchr(text_.data() + scanned_, '<', end - scanned_);
            if (!found) {
                scanned_ = end;
                break;
            }
            const std::size_t at = static_cast<const char*>(found) - text_.data();
            scanned_ = at + 1;
            if (scanned_ < text_.size() && IsLetter(text_[scanned_])) {
                scanned_ = ReadTagName(text_, scanned_, scratch_);
                names_.insert(scratch_);
            }
        }
        return names_.count(name) != 0;
    }

private:
    std::string_view text_;
    std::size_t scanned_ = 0;
    std::string scratch_;
    std::unordered_set<std::string> names_;
};

class Rewriter {
public:
    explicit Rewriter(std::string_view html) : text_(html.substr(0, html.find('\0'))), whole_(html), names_(text_) {}

    std::string_view Run(std::string& storage)
    {
        while (pos_ < text_.size() && !stopped_) {
            if (rawName_.empty()) Content();
            else RawText();
        }
        if (!changed_) return whole_;
        out_.append(whole_.substr(copied_));
        storage = std::move(out_);
        return storage;
    }

private:
    void Stop() { stopped_ = true; }

    // Reads an end tag at pos_ ("</"); returns its name, sets end to the
    // position after it (npos when it runs to the end of the text).
    std::string EndTag(std::size_t& end)
    {
        std::string name;
        std::size_t at = ReadTagName(text_, pos_ + 2, name);
        if (name.empty()) {
            end = pos_ + 2;  // the parser drops "</" and reads on
            return name;
        }
        at = SkipBlanks(text_, at);
        if (at < text_.size() && text_[at] != '>') at = text_.find('>', at);
        end = at == std::string_view::npos || at >= text_.size() ? std::string_view::npos : at + 1;
        return name;
    }

    void Replace(std::size_t from, std::size_t to)
    {
        if (!changed_) out_.reserve(whole_.size() + whole_.size() / 4);
        changed_ = true;
        out_.append(whole_.substr(copied_, from - copied_));
        out_.append(kNeutralPair);
        copied_ = to;
    }

    void Content()
    {
        const std::size_t lt = text_.find('<', pos_);
        if (lt == std::string_view::npos || lt + 1 >= text_.size()) {
            pos_ = text_.size();
            return;
        }
        if (lt != pos_) afterDoctype_ = false;  // text came between
        pos_ = lt;
        const char next = text_[lt + 1];
        if (next == '/' && !afterDoctype_) {
            std::size_t end = 0;
            const std::string name = EndTag(end);
            if (end == std::string_view::npos) return Stop();
            if (!name.empty() && open_ && !MayBeImplied(name) && !names_.SeenBefore(lt, name)) Replace(lt, end);
            // The root's end tag may empty the parser's stack; the pair must not land there.
            if (name == "html") open_ = false;
            pos_ = end;
            return;
        }
        if (afterDoctype_ && next == '/') return Stop();  // read as text there, unlike elsewhere
        afterDoctype_ = false;
        if (next == '!') {
            if (StartsWithNoCase(text_, lt + 2, "--")) return Comment();
            if (StartsWithNoCase(text_, lt + 2, "doctype")) return Doctype();
            pos_ = lt + 1;
            return;
        }
        if (next == '?') return ProcessingInstruction();
        if (IsLetter(next)) return StartTag();
        pos_ = lt + 1;  // a lone '<' is text
    }

    void Comment()
    {
        // Ends at the first "-->" or "--!>" whose dashes follow "<!--".
        std::size_t at = pos_ + 4;
        while (true) {
            at = text_.find("--", at);
            if (at == std::string_view::npos || at + 2 >= text_.size()) return Stop();
            if (text_[at + 2] == '>') {
                pos_ = at + 3;
                return;
            }
            if (text_[at + 2] == '!' && at + 3 < text_.size() && text_[at + 3] == '>') {
                pos_ = at + 4;
                return;
            }
            ++at;
        }
    }

    // An XML-style name at pos_; false when it holds characters beyond ASCII,
    // which the parser reads by other rules.
    bool SkipAsciiName()
    {
        if (pos_ >= text_.size()) return true;
        const char first = text_[pos_];
        if (static_cast<unsigned char>(first) >= 0x80) return false;
        if (!IsLetter(first) && first != '_' && first != ':') return true;
        while (pos_ < text_.size() && IsTagNameChar(text_[pos_])) ++pos_;
        return pos_ >= text_.size() || static_cast<unsigned char>(text_[pos_]) < 0x80;
    }

    void Doctype()
    {
        pos_ = SkipBlanks(text_, pos_ + 9);
        if (!SkipAsciiName()) return Stop();
        pos_ = SkipBlanks(text_, pos_);
        if (StartsWithNoCase(text_, pos_, "system") || StartsWithNoCase(text_, pos_, "public")) {
            pos_ = SkipBlanks(text_, pos_ + 6);
            if (pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == '\'')) {
                const std::size_t close = text_.find(text_[pos_], pos_ + 1);
                if (close == std::string_view::npos) return Stop();
                pos_ = close + 1;
            }
        }
        const std::size_t gt = text_.find('>', pos_);
        if (gt == std::string_view::npos) return Stop();
        pos_ = gt + 1;
        afterDoctype_ = true;
    }

    void ProcessingInstruction()
    {
        const char first = pos_ + 2 < text_.size() ? text_[pos_ + 2] : '\0';
        if (static_cast<unsigned char>(first) >= 0x80) return Stop();
        if (!IsLetter(first) && first != '_' && first != ':') {
            pos_ += 2;  // no target: the rest is read as text
            return;
        }
        const std::size_t gt = text_.find('>', pos_ + 2);
        if (gt == std::string_view::npos) return Stop();
        pos_ = gt + 1;
    }

    void StartTag()
    {
        std::string name;
        std::size_t at = ReadTagName(text_, pos_ + 1, name);
        std::string scratch;
        bool selfClosed = false;
        while (true) {
            at = SkipBlanks(text_, at);
            if (at >= text_.size()) return Stop();
            const char c = text_[at];
            if (c == '>') {
                ++at;
                break;
            }
            if (c == '/' && at + 1 < text_.size() && text_[at + 1] == '>') {
                at += 2;
                selfClosed = true;
                break;
            }
            const std::size_t afterName = ReadTagName(text_, at, scratch);
            if (afterName == at) {
                // Not an attribute name: skipped up to a blank or the end of the tag.
                while (at < text_.size() && !IsBlank(text_[at]) && text_[at] != '>' &&
                       !(text_[at] == '/' && at + 1 < text_.size() && text_[at + 1] == '>'))
                    ++at;
                continue;
            }
            at = SkipBlanks(text_, afterName);
            if (at < text_.size() && text_[at] == '=') {
                at = SkipBlanks(text_, at + 1);
                if (at < text_.size() && (text_[at] == '"' || text_[at] == '\'')) {
                    const std::size_t close = text_.find(text_[at], at + 1);
                    if (close == std::string_view::npos) return Stop();
                    at = close + 1;
                } else {
                    while (at < text_.size() && !IsBlank(text_[at]) && text_[at] != '>') ++at;
                }
            }
        }
        open_ = true;
        pos_ = at;
        if (!selfClosed && (name == "script" || name == "style")) rawName_ = name;
    }

    // Script and style text: only an end tag that starts with the element's
    // name ends it, and the parser looks at tags right where the text starts.
    void RawText()
    {
        if (text_.compare(pos_, 2, "</") == 0) {
            std::size_t end = 0;
            const std::string name = EndTag(end);
            if (end == std::string_view::npos) return Stop();
            if (name == rawName_) {
                rawName_.clear();
            } else if (!name.empty() && (MayBeImplied(name) || names_.SeenBefore(pos_, name))) {
                return Stop();  // it may close open elements around the script
            }
            pos_ = end;
            return;
        }
        if (text_[pos_] == '<' && pos_ + 1 < text_.size()) {
            const char next = text_[pos_ + 1];
            if (IsLetter(next) || next == '_' || next == ':') {
                std::string name;
                for (std::size_t at = pos_ + 1; at < text_.size() && name.size() < kMaxNameLength &&
                                                IsTagNameChar(text_[at]) && text_[at] != '.';
                     ++at)
                    name.push_back(Lower(text_[at]));
                if (StartTagCloses(name, rawName_)) {
                    rawName_.clear();
                    return;
                }
            }
        }
        for (std::size_t at = text_.find("</", pos_); at != std::string_view::npos; at = text_.find("</", at + 1)) {
            if (StartsWithNoCase(text_, at + 2, rawName_)) {
                pos_ = at;
                return;
            }
        }
        pos_ = text_.size();
    }

    std::string_view text_;   // up to the first NUL, where the parser stops
    std::string_view whole_;
    StartTagNames names_;
    std::size_t pos_ = 0;
    std::size_t copied_ = 0;
    std::string rawName_;       // script or style while inside one
    bool open_ = false;         // the parser certainly has an element open
    bool afterDoctype_ = false;
    bool stopped_ = false;
    bool changed_ = false;
    std::string out_;
};

}  // namespace

std::string_view DropUnmatchedEndTags(std::string_view html, std::string& storage)
{
    return Rewriter(html).Run(storage);
}

}  // namespace xq
