#pragma once
// :lang(): the language of an element (its own or an ancestor's lang attribute,
// else the page's Content-Language pragma) against language ranges, by the
// extended filtering of RFC 4647 (`*` stands for any first subtag; subtags may
// be skipped except at singletons).

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xq::css {

// range and tag are compared without regard to ASCII case; an empty tag
// (an unknown language) matches nothing.
bool LanguageRangeMatches(std::string_view range, std::string_view tag);

class LanguageLookup {
public:
    explicit LanguageLookup(xmlDoc* doc) : doc_(doc) {}
    bool Matches(const std::vector<std::string>& ranges, const xmlNode* element);

private:
    std::string LanguageOf(const xmlNode* element);
    const std::string& PragmaLanguage();

    xmlDoc* doc_;
    // The nearest element with a lang attribute, or null when none has one.
    std::unordered_map<const xmlNode*, const xmlNode*> source_;
    bool pragmaRead_ = false;
    std::string pragma_;
};

}  // namespace xq::css
