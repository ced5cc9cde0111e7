// Builds the element tree of a template from its tokens and checks that it is
// one or more balanced elements with well-placed placeholders.

#include "xmlquery/tmpl/HtmlTemplate.h"
#include "xmlquery/tmpl/TemplateModel.h"
#include "xmlquery/tmpl/TemplateText.h"
#include "xmlquery/tmpl/TemplateTokenizer.h"

#include <array>

namespace xq::tmpl {

void TemplateDeleter::operator()(Template* p) const { delete p; }

namespace {

bool IsVoidElement(std::string_view name) {
    static constexpr std::array<std::string_view, 14> kVoid{
        "area", "base", "br", "col", "embed", "hr", "img",
        "input", "link", "meta", "param", "source", "track", "wbr"};
    for (std::string_view v : kVoid)
        if (v == name) return true;
    return false;
}

std::string_view TrimSpace(std::string_view s) {
    while (!s.empty() && IsHtmlSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsHtmlSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string> SplitClasses(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsHtmlSpace(s[i])) ++i;
        const std::size_t from = i;
        while (i < s.size() && !IsHtmlSpace(s[i])) ++i;
        if (i > from) out.emplace_back(s.substr(from, i - from));
    }
    return out;
}

class TreeBuilder {
public:
    explicit TreeBuilder(std::string_view text) : text_(text) {}

    std::unique_ptr<Template> Build(const std::vector<Token>& tokens, std::string* error) {
        tmpl_ = std::make_unique<Template>();
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            bool ok = true;
            switch (t.kind) {
            case TokenKind::StartTag: ok = StartTag(t); break;
            case TokenKind::EndTag: ok = EndTag(t, i > 0 ? &tokens[i - 1] : nullptr); break;
            case TokenKind::Text: ok = Text(t); break;
            }
            if (!ok) return Failed(error);
        }
        if (!open_.empty()) {
            const OpenElement& top = open_.back();
            Fail(top.offset, "<" + Element(top.index).name + "> is not closed");
            return Failed(error);
        }
        if (tmpl_->roots.empty()) {
            Fail(0, "the template has no element");
            return Failed(error);
        }
        for (const TemplateElement& e : tmpl_->elements) {
            for (const TemplateAttribute& a : e.attributes) tmpl_->placeholderCount += a.placeholder;
            tmpl_->placeholderCount += e.elementPlaceholder;
        }
        return std::move(tmpl_);
    }

private:
    struct OpenElement {
        int index;
        std::size_t offset;
        std::vector<std::string> rawTexts;  // own text, normalised, non-empty
    };

    TemplateElement& Element(int index) { return tmpl_->elements[std::size_t(index)]; }

    bool Fail(std::size_t offset, std::string reason) {
        reason_ = PositionText(text_, offset) + ": " + std::move(reason);
        return false;
    }

    std::unique_ptr<Template> Failed(std::string* error) {
        if (error) *error = reason_;
        return nullptr;
    }

    bool StartTag(const Token& t) {
        if (open_.size() >= std::size_t(kMaxTemplateDepth))
            return Fail(t.offset, "elements are nested deeper than " +
                                      std::to_string(kMaxTemplateDepth) + " levels");
        TemplateElement e;
        e.name = t.name;
        e.depth = int(open_.size());
        for (const RawAttribute& raw : t.attributes) {
            TemplateAttribute a;
            a.name = raw.name;
            a.value = raw.value;
            a.presenceOnly = !raw.hasValue;
            if (raw.name.find(kPlaceholder) != std::string::npos)
                return Fail(t.offset, "{.} cannot be an attribute name in <" + t.name + ">");
            if (TrimSpace(raw.value) == kPlaceholder) {
                a.placeholder = true;
            } else if (raw.value.find(kPlaceholder) != std::string::npos) {
                return Fail(t.offset, "{.} must be the whole value of the attribute " + raw.name +
                                          " in <" + t.name + ">");
            } else if (raw.name == "class") {
                a.classes = SplitClasses(raw.value);
            }
            e.attributes.push_back(std::move(a));
        }
        const int index = int(tmpl_->elements.size());
        tmpl_->elements.push_back(std::move(e));
        if (open_.empty()) tmpl_->roots.push_back(index);
        else Element(open_.back().index).children.push_back(index);

        if (IsVoidElement(t.name) || t.selfClosing) return true;  // no content
        open_.push_back(OpenElement{index, t.offset, {}});
        return true;
    }

    bool EndTag(const Token& t, const Token* previous) {
        // <img ...></img>: tolerated right after its start tag.
        const bool closesVoid = IsVoidElement(t.name) && previous &&
                                previous->kind == TokenKind::StartTag && previous->name == t.name;
        if (closesVoid) return true;
        if (open_.empty()) return Fail(t.offset, "</" + t.name + "> has no start tag");
        const OpenElement& top = open_.back();
        const std::string& openName = Element(top.index).name;
        if (openName != t.name) {
            for (const OpenElement& o : open_)
                if (Element(o.index).name == t.name)
                    return Fail(top.offset, "<" + openName + "> is not closed before </" + t.name + ">");
            return Fail(t.offset, "</" + t.name + "> has no start tag");
        }
        if (!CloseContent(top)) return false;
        open_.pop_back();
        return true;
    }

    bool Text(const Token& t) {
        std::string piece = NormaliseSpace(t.text);
        if (piece.empty()) return true;
        if (open_.empty()) return Fail(t.offset, "text outside an element: \"" + piece.substr(0, 40) + "\"");
        open_.back().rawTexts.push_back(std::move(piece));
        return true;
    }

    // An element whose whole content is {.} becomes an element placeholder;
    // {.} anywhere else in text is an error rather than literal text.
    bool CloseContent(const OpenElement& o) {
        TemplateElement& e = Element(o.index);
        bool mentionsPlaceholder = false;
        for (const std::string& s : o.rawTexts)
            mentionsPlaceholder = mentionsPlaceholder || s.find(kPlaceholder) != std::string::npos;
        if (!mentionsPlaceholder) {
            e.texts = o.rawTexts;
            return true;
        }
        if (o.rawTexts.size() == 1 && o.rawTexts.front() == kPlaceholder && e.children.empty()) {
            e.elementPlaceholder = true;
            return true;
        }
        return Fail(o.offset, "{.} must be the whole content of <" + e.name + ">");
    }

    std::string_view text_;
    std::unique_ptr<Template> tmpl_;
    std::vector<OpenElement> open_;
    std::string reason_;
};

}  // namespace

ParsedTemplate Parse(std::string_view templateUtf8, std::string* error) {
    std::vector<Token> tokens;
    if (!Tokenize(templateUtf8, std::size_t(kMaxTemplateElements), tokens, error)) return nullptr;
    std::unique_ptr<Template> built = TreeBuilder(templateUtf8).Build(tokens, error);
    if (!built) return nullptr;
    if (error) error->clear();
    return ParsedTemplate(built.release());
}

}  // namespace xq::tmpl
