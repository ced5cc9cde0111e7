#pragma once
// The elements of a page in document order, numbered so that a subtree is one
// range of numbers, with a list of numbers per element name. Built once per
// template application; read-only afterwards.

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xq::tmpl {

class PageIndex {
public:
    explicit PageIndex(xmlDoc* doc);

    xmlDoc* Doc() const { return doc_; }
    int Size() const { return int(elements_.size()); }
    xmlNode* Node(int i) const { return elements_[std::size_t(i)]; }
    // One past the last element of i's subtree.
    int End(int i) const { return end_[std::size_t(i)]; }
    // Numbers of the elements with this lower-case name, ascending (empty if none).
    const std::vector<int>& WithName(const std::string& lowerName) const;

private:
    xmlDoc* doc_ = nullptr;
    std::vector<xmlNode*> elements_;
    std::vector<int> end_;
    std::unordered_map<std::string, std::vector<int>> byName_;
};

// The attribute of an element by name, letter case ignored; a namespaced
// attribute is found by "prefix:name". Null when absent.
const xmlAttr* FindAttribute(const xmlNode* element, std::string_view lowerName);
std::string AttributeValue(const xmlAttr* attr);

}  // namespace xq::tmpl
