#include "xmlquery/tmpl/PageText.h"

#include "xmlquery/tmpl/TemplateText.h"

namespace xq::tmpl {

PageText::PageText(xmlDoc* doc, const PageIndex& index)
    : start_(std::size_t(index.Size())), end_(std::size_t(index.Size())) {
    if (!doc) return;
    // The same walk as the index, so elements get the same numbers.
    std::vector<int> open;
    int next = 0;
    xmlNode* n = doc->children;
    while (n) {
        if (n->type == XML_ELEMENT_NODE && next < index.Size()) {
            const int i = next++;
            start_[std::size_t(i)] = text_.size();
            if (n->children) {
                open.push_back(i);
                n = n->children;
                continue;
            }
            end_[std::size_t(i)] = text_.size();
        } else if ((n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) && n->content) {
            const std::string_view piece(reinterpret_cast<const char*>(n->content));
            cost_ += 1 + piece.size() / 64;
            AppendNormalised(text_, piece);
        }
        while (!n->next) {
            if (open.empty()) {
                n = nullptr;
                break;
            }
            n = n->parent;
            end_[std::size_t(open.back())] = text_.size();
            open.pop_back();
        }
        if (n) n = n->next;
    }
}

std::string_view PageText::Of(int element) const {
    const std::size_t i = std::size_t(element);
    if (i >= start_.size()) return {};
    std::string_view s(text_);
    s = s.substr(start_[i], end_[i] - start_[i]);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace xq::tmpl
