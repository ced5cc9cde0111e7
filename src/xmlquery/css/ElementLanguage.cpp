#include "xmlquery/css/ElementLanguage.h"

#include "xmlquery/AsciiText.h"
#include "xmlquery/css/ElementAttributes.h"
#include "xmlquery/css/ElementWalk.h"

#include <optional>

namespace xq::css {

namespace {

std::vector<std::string_view> Subtags(std::string_view text)
{
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t dash = text.find('-');
        parts.push_back(text.substr(0, dash));
        if (dash == std::string_view::npos) return parts;
        text.remove_prefix(dash + 1);
    }
}

}  // namespace

bool LanguageRangeMatches(std::string_view range, std::string_view tag)
{
    if (tag.empty() || range.empty()) return false;
    const std::vector<std::string_view> r = Subtags(range);
    const std::vector<std::string_view> t = Subtags(tag);
    if (r[0] != "*" && !EqualsIgnoringAsciiCase(r[0], t[0])) return false;
    std::size_t i = 1, j = 1;
    while (i < r.size()) {
        if (r[i] == "*") {
            ++i;
        } else if (j >= t.size()) {
            return false;
        } else if (EqualsIgnoringAsciiCase(r[i], t[j])) {
            ++i;
            ++j;
        } else if (t[j].size() == 1) {
            return false;  // a singleton starts an extension the range did not ask for
        } else {
            ++j;
        }
    }
    return true;
}

bool LanguageLookup::Matches(const std::vector<std::string>& ranges, const xmlNode* element)
{
    const std::string language = LanguageOf(element);
    for (const std::string& range : ranges)
        if (LanguageRangeMatches(range, language)) return true;
    return false;
}

std::string LanguageLookup::LanguageOf(const xmlNode* element)
{
    // Walk up to the first element that has a lang attribute or a known answer,
    // then remember the answer for every element passed.
    std::vector<const xmlNode*> path;
    const xmlNode* source = nullptr;
    for (const xmlNode* node = element; node; node = ParentElement(node)) {
        const auto known = source_.find(node);
        if (known != source_.end()) {
            source = known->second;
            break;
        }
        path.push_back(node);
        if (HasAttribute(node, "lang")) {
            source = node;
            break;
        }
    }
    for (const xmlNode* node : path) source_.emplace(node, source);
    if (!source) return PragmaLanguage();
    return AttributeText(source, "lang").value_or("");
}

// <meta http-equiv="content-language" content="de">: the last one that names a
// single language sets the page's default.
const std::string& LanguageLookup::PragmaLanguage()
{
    if (pragmaRead_) return pragma_;
    pragmaRead_ = true;
    const xmlNode* top = reinterpret_cast<const xmlNode*>(doc_);
    for (const xmlNode* node = doc_ ? doc_->children : nullptr; node; node = NextInDocumentOrder(node, top)) {
        if (!IsElement(node) || NameOf(node) != "meta") continue;
        const std::optional<std::string> equiv = AttributeText(node, "http-equiv");
        const std::optional<std::string> content = AttributeText(node, "content");
        if (!equiv || !content || !EqualsIgnoringAsciiCase(*equiv, "content-language")) continue;
        if (content->find(',') != std::string::npos) continue;
        std::string_view value = *content;
        while (!value.empty() && IsHtmlSpace(value.front())) value.remove_prefix(1);
        std::size_t end = 0;
        while (end < value.size() && !IsHtmlSpace(value[end])) ++end;
        if (end > 0) pragma_ = std::string(value.substr(0, end));
    }
    return pragma_;
}

}  // namespace xq::css
