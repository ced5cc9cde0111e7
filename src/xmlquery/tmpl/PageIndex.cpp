#include "xmlquery/tmpl/PageIndex.h"

#include "xmlquery/tmpl/TemplateText.h"

#include <memory>

namespace xq::tmpl {

namespace {

std::string_view NameOf(const xmlChar* s) {
    return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

}  // namespace

PageIndex::PageIndex(xmlDoc* doc) : doc_(doc) {
    if (!doc) return;
    // Iterative walk: pages can nest far deeper than the call stack allows.
    std::vector<int> open;
    xmlNode* n = doc->children;
    while (n) {
        if (n->type == XML_ELEMENT_NODE) {
            const int index = int(elements_.size());
            elements_.push_back(n);
            end_.push_back(index + 1);
            byName_[LowerAscii(NameOf(n->name))].push_back(index);
            if (n->children) {
                open.push_back(index);
                n = n->children;
                continue;
            }
        }
        while (!n->next) {
            if (open.empty()) {
                n = nullptr;
                break;
            }
            n = n->parent;
            end_[std::size_t(open.back())] = int(elements_.size());
            open.pop_back();
        }
        if (n) n = n->next;
    }
}

const std::vector<int>& PageIndex::WithName(const std::string& lowerName) const {
    static const std::vector<int> kNone;
    const auto it = byName_.find(lowerName);
    return it == byName_.end() ? kNone : it->second;
}

const xmlAttr* FindAttribute(const xmlNode* element, std::string_view lowerName) {
    for (const xmlAttr* a = element->properties; a; a = a->next) {
        const std::string_view name = NameOf(a->name);
        if (a->ns && a->ns->prefix) {
            const std::string_view prefix = NameOf(a->ns->prefix);
            if (lowerName.size() == prefix.size() + 1 + name.size() &&
                EqualsIgnoringAsciiCase(lowerName.substr(0, prefix.size()), prefix) &&
                lowerName[prefix.size()] == ':' &&
                EqualsIgnoringAsciiCase(lowerName.substr(prefix.size() + 1), name))
                return a;
            continue;
        }
        if (EqualsIgnoringAsciiCase(name, lowerName)) return a;
    }
    return nullptr;
}

std::string AttributeValue(const xmlAttr* attr) {
    const xmlNode* c = attr->children;
    if (!c) return {};
    if (c->type == XML_TEXT_NODE && !c->next) return std::string(NameOf(c->content));
    struct XmlFree { void operator()(xmlChar* p) const { xmlFree(p); } };
    std::unique_ptr<xmlChar, XmlFree> value(xmlNodeGetContent(reinterpret_cast<const xmlNode*>(attr)));
    return std::string(NameOf(value.get()));
}

}  // namespace xq::tmpl
