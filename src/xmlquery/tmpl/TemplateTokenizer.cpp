#include "xmlquery/tmpl/TemplateTokenizer.h"

#include "xmlquery/tmpl/TemplateText.h"

namespace xq::tmpl {

namespace {

bool IsNameChar(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' ||
           c == '.';
}

bool IsAttributeNameChar(char c) {
    return !IsHtmlSpace(c) && c != '/' && c != '>' && c != '=' && c != '"' && c != '\'' &&
           c != '<' && c != '\0';
}

class Tokenizer {
public:
    Tokenizer(std::string_view text, std::size_t maxStartTags, std::vector<Token>& out)
        : text_(text), maxStartTags_(maxStartTags), out_(out) {}

    bool Run(std::string* error) {
        while (pos_ < text_.size()) {
            const std::size_t lt = FindMarkup();
            if (lt > pos_) EmitText(pos_, lt);
            pos_ = lt;
            if (pos_ >= text_.size()) break;
            if (!ReadMarkup()) {
                if (error) *error = PositionText(text_, errorAt_) + ": " + reason_;
                return false;
            }
        }
        return true;
    }

private:
    char At(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

    // The next '<' that starts markup; a '<' followed by anything else is text.
    std::size_t FindMarkup() const {
        for (std::size_t i = pos_; i < text_.size(); ++i) {
            if (text_[i] != '<') continue;
            const char n = At(i + 1);
            if (IsAsciiLetter(n) || n == '/' || n == '!' || n == '?') return i;
        }
        return text_.size();
    }

    void EmitText(std::size_t from, std::size_t to) {
        Token t;
        t.kind = TokenKind::Text;
        t.text = DecodeEntities(text_.substr(from, to - from));
        t.offset = from;
        // Text split by a comment stays one piece.
        if (!out_.empty() && out_.back().kind == TokenKind::Text) {
            out_.back().text += t.text;
            return;
        }
        out_.push_back(std::move(t));
    }

    bool Fail(std::size_t at, std::string reason) {
        errorAt_ = at;
        reason_ = std::move(reason);
        return false;
    }

    bool ReadMarkup() {
        const std::size_t start = pos_;
        const char n = At(pos_ + 1);
        if (n == '!') {
            if (text_.substr(pos_, 4) != "<!--")
                return Fail(start, "only comments may start with \"<!\"");
            const std::size_t end = text_.find("-->", pos_ + 4);
            if (end == std::string_view::npos) return Fail(start, "the comment is not closed");
            pos_ = end + 3;
            return true;
        }
        if (n == '?') return Fail(start, "processing instructions are not allowed");
        if (n == '/') return ReadEndTag();
        return ReadStartTag();
    }

    std::string ReadName() {
        const std::size_t from = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        return LowerAscii(text_.substr(from, pos_ - from));
    }

    void SkipSpace() {
        while (pos_ < text_.size() && IsHtmlSpace(text_[pos_])) ++pos_;
    }

    bool ReadEndTag() {
        const std::size_t start = pos_;
        pos_ += 2;
        if (!IsAsciiLetter(At(pos_))) return Fail(start, "\"</\" is not followed by a tag name");
        Token t;
        t.kind = TokenKind::EndTag;
        t.offset = start;
        t.name = ReadName();
        SkipSpace();
        if (pos_ >= text_.size()) return Fail(start, "the tag </" + t.name + "> is not finished");
        if (text_[pos_] != '>') return Fail(pos_, "unexpected text in the end tag </" + t.name + ">");
        ++pos_;
        out_.push_back(std::move(t));
        return true;
    }

    bool ReadStartTag() {
        const std::size_t start = pos_;
        if (++startTags_ > maxStartTags_)
            return Fail(start, "more than " + std::to_string(maxStartTags_) + " elements");
        ++pos_;
        Token t;
        t.kind = TokenKind::StartTag;
        t.offset = start;
        t.name = ReadName();
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size()) return Fail(start, "the tag <" + t.name + "> is not finished");
            const char c = text_[pos_];
            if (c == '>') {
                ++pos_;
                break;
            }
            if (c == '/') {
                if (At(pos_ + 1) == '>') {
                    t.selfClosing = true;
                    pos_ += 2;
                    break;
                }
                ++pos_;  // a stray slash between attributes is ignored, as browsers do
                continue;
            }
            if (c == '<') return Fail(pos_, "\"<\" inside the tag <" + t.name + ">");
            if (!IsAttributeNameChar(c))
                return Fail(pos_, std::string("unexpected \"") + c + "\" in the tag <" + t.name + ">");
            const std::size_t attrAt = pos_;
            RawAttribute a;
            const std::size_t nameFrom = pos_;
            while (pos_ < text_.size() && IsAttributeNameChar(text_[pos_])) ++pos_;
            a.name = LowerAscii(text_.substr(nameFrom, pos_ - nameFrom));
            SkipSpace();
            if (At(pos_) == '=') {
                ++pos_;
                SkipSpace();
                if (!ReadValue(a, t.name)) return false;
            }
            for (const RawAttribute& other : t.attributes)
                if (other.name == a.name)
                    return Fail(attrAt, "the attribute " + a.name + " is repeated in <" + t.name + ">");
            t.attributes.push_back(std::move(a));
        }
        out_.push_back(std::move(t));
        return true;
    }

    bool ReadValue(RawAttribute& a, const std::string& tag) {
        a.hasValue = true;
        const char q = At(pos_);
        if (q == '"' || q == '\'') {
            const std::size_t end = text_.find(q, pos_ + 1);
            if (end == std::string_view::npos)
                return Fail(pos_, "the value of " + a.name + " in <" + tag + "> has no closing quote");
            a.value = DecodeEntities(text_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
            return true;
        }
        const std::size_t from = pos_;
        while (pos_ < text_.size() && !IsHtmlSpace(text_[pos_]) && text_[pos_] != '>') {
            if (text_[pos_] == '<' || text_[pos_] == '"' || text_[pos_] == '\'')
                return Fail(pos_, "unexpected \"" + std::string(1, text_[pos_]) + "\" in the value of " +
                                      a.name + " in <" + tag + ">");
            ++pos_;
        }
        if (pos_ == from) return Fail(from, "the attribute " + a.name + " in <" + tag + "> has no value");
        a.value = DecodeEntities(text_.substr(from, pos_ - from));
        return true;
    }

    std::string_view text_;
    std::size_t maxStartTags_;
    std::vector<Token>& out_;
    std::size_t pos_ = 0;
    std::size_t startTags_ = 0;
    std::size_t errorAt_ = 0;
    std::string reason_;
};

}  // namespace

bool Tokenize(std::string_view text, std::size_t maxStartTags, std::vector<Token>& out,
              std::string* error) {
    out.clear();
    return Tokenizer(text, maxStartTags, out).Run(error);
}

std::string PositionText(std::string_view text, std::size_t offset) {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;  // count characters, not UTF-8 continuation bytes
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace xq::tmpl
