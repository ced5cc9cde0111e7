// HTML5 tree construction by MyHTML (single-thread mode, a fresh tree per page),
// converted into a libxml2 document.
#include "xmlquery/HtmlTreeBuilder.h"

#include <libxml/HTMLtree.h>
#include <libxml/dict.h>
#include <myhtml/myhtml.h>

#include <libxml/valid.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace xq {
namespace {

struct MyHtmlDeleter { void operator()(myhtml_t* p) const { myhtml_destroy(p); } };
struct MyHtmlTreeDeleter { void operator()(myhtml_tree_t* p) const { myhtml_tree_destroy(p); } };

// Attribute names as the DOM spells them (foreign attributes keep their prefix),
// interned in the document's dictionary. Null for a nameless attribute.
const xmlChar* AttributeName(xmlDict* dict, myhtml_tree_attr_t* attr, std::string& scratch)
{
    std::size_t length = 0;
    const char* key = myhtml_attribute_key(attr, &length);
    if (!key) length = 0;
    const char* prefix = nullptr;
    switch (myhtml_attribute_namespace(attr)) {
    case MyHTML_NAMESPACE_XLINK: prefix = "xlink:"; break;
    case MyHTML_NAMESPACE_XML: prefix = "xml:"; break;
    case MyHTML_NAMESPACE_XMLNS:
        if (std::string_view(key ? key : "", length) != "xmlns") prefix = "xmlns:";
        break;
    default: break;
    }
    if (prefix) {
        scratch.assign(prefix).append(key ? key : "", length);
        key = scratch.data();
        length = scratch.size();
    }
    if (length == 0) return nullptr;
    return xmlDictLookup(dict, BAD_CAST key, static_cast<int>(length));
}

// Appends an attribute after `last` (null: as the first) without walking the
// element's list, as xmlNewProp would for every attribute: one element with
// tens of thousands of attributes stays linear. The value is literal text
// ('&' is not read as an entity reference).
xmlAttr* AppendAttribute(xmlDoc* doc, xmlNode* element, xmlAttr* last, const xmlChar* dictName,
                         const std::string& value)
{
    xmlAttr* attr = xmlNewDocProp(doc, dictName, nullptr);
    if (!attr) return last;
    if (xmlNode* text = xmlNewDocTextLen(doc, BAD_CAST value.data(), static_cast<int>(value.size()))) {
        attr->children = attr->last = text;
        text->parent = reinterpret_cast<xmlNode*>(attr);
    }
    attr->parent = element;
    if (last) {
        last->next = attr;
        attr->prev = last;
    } else {
        element->properties = attr;
    }
    // What xmlNewProp does for an id attribute: the id() function finds it.
    if (xmlIsID(doc, element, attr) == 1) xmlAddID(nullptr, doc, BAD_CAST value.c_str(), attr);
    return attr;
}

class MyHtmlTreeBuilder final : public HtmlTreeBuilder {
public:
    MyHtmlTreeBuilder()
    {
        // Creation touches MyHTML's shared tables; keep it to one thread at a time.
        static std::mutex creationMutex;
        std::lock_guard lock(creationMutex);
        myhtml_t* parser = myhtml_create();
        if (parser && myhtml_init(parser, MyHTML_OPTIONS_PARSE_MODE_SINGLE, 1, 0) == MyHTML_STATUS_OK)
            parser_.reset(parser);
        else if (parser)
            myhtml_destroy(parser);
    }

    XmlDocPtr Build(std::string_view utf8Html) override
    {
        if (!parser_) return nullptr;
        if (tree_) {
            myhtml_tree_clean(tree_.get());
        } else {
            tree_.reset(myhtml_tree_create());
            if (!tree_ || myhtml_tree_init(tree_.get(), parser_.get()) != MyHTML_STATUS_OK) {
                tree_.reset();
                return nullptr;
            }
        }
        XmlDocPtr doc;
        if (myhtml_parse(tree_.get(), MyENCODING_UTF_8, utf8Html.data(), utf8Html.size()) == MyHTML_STATUS_OK)
            doc = Convert(tree_.get());
        // The tree is kept for the next page of this thread: creating one per page
        // costs fresh memory (page faults) every time. A tree keeps its largest
        // allocation, so one grown by a large page is given back at once.
        if (!doc || utf8Html.size() > kMaxReusedTreePageBytes) tree_.reset();
        return doc;
    }

private:
    XmlDocPtr Convert(myhtml_tree_t* tree)
    {
        XmlDocPtr doc(htmlNewDocNoDtD(nullptr, nullptr));
        if (!doc) return nullptr;
        doc->dict = xmlDictCreate();  // element and attribute names are shared
        myhtml_tree_node_t* document = myhtml_tree_get_document(tree);
        if (!document) return doc;

        // Depth-first walk without recursion: pages can nest very deeply.
        // Elements are numbered in document order as they are made (what
        // xmlXPathOrderDocElems would do in a second walk over the finished tree):
        // XPath then sorts node-sets without walking the tree.
        std::ptrdiff_t elementCount = 0;
        xmlNode* parent = reinterpret_cast<xmlNode*>(doc.get());
        myhtml_tree_node_t* node = myhtml_node_child(document);
        while (node) {
            xmlNode* created = ConvertNode(tree, node, doc.get());
            if (created) created = xmlAddChild(parent, created);
            if (created && created->type == XML_ELEMENT_NODE)
                created->content = reinterpret_cast<xmlChar*>(-(++elementCount));
            myhtml_tree_node_t* child = myhtml_node_child(node);
            if (child && created && created->type == XML_ELEMENT_NODE) {
                parent = created;
                node = child;
                continue;
            }
            while (node && !myhtml_node_next(node)) {
                node = myhtml_node_parent(node);
                if (node == document) node = nullptr;
                else if (node) parent = parent->parent;
            }
            if (node) node = myhtml_node_next(node);
        }
        return doc;
    }

    xmlNode* ConvertNode(myhtml_tree_t* tree, myhtml_tree_node_t* node, xmlDoc* doc)
    {
        const myhtml_tag_id_t tag = myhtml_node_tag_id(node);
        std::size_t length = 0;
        if (tag == MyHTML_TAG__TEXT || tag == MyHTML_TAG__COMMENT) {
            const char* text = myhtml_node_text(node, &length);
            if (!text) length = 0;
            if (tag == MyHTML_TAG__TEXT) return xmlNewDocTextLen(doc, BAD_CAST(text ? text : ""), static_cast<int>(length));
            buffer_.assign(text ? text : "", length);
            return xmlNewDocComment(doc, BAD_CAST buffer_.c_str());
        }
        if (tag == MyHTML_TAG__DOCTYPE || tag == MyHTML_TAG__UNDEF) return nullptr;
        const char* name = myhtml_tag_name_by_id(tree, tag, &length);
        if (!name || length == 0) return nullptr;
        const xmlChar* dictName = xmlDictLookup(doc->dict, BAD_CAST name, static_cast<int>(length));
        xmlNode* element = xmlNewDocNode(doc, nullptr, dictName, nullptr);
        if (!element) return nullptr;
        xmlAttr* last = nullptr;
        ForgetAttributeNames();
        for (myhtml_tree_attr_t* attr = myhtml_node_attribute_first(node); attr; attr = myhtml_attribute_next(attr)) {
            // Names come from the document's dictionary: equal names are the same pointer.
            const xmlChar* attrName = AttributeName(doc->dict, attr, nameBuffer_);
            // MyHTML keeps repeated attributes; the DOM keeps the first.
            if (!attrName || !FirstOfItsName(attrName)) continue;
            const char* value = myhtml_attribute_value(attr, &length);
            buffer_.assign(value ? value : "", value ? length : 0);
            last = AppendAttribute(doc, element, last, attrName, buffer_);
        }
        return element;
    }

    // Names of the element's attributes so far: a short list for the usual
    // few, a set once there are many.
    bool FirstOfItsName(const xmlChar* name)
    {
        if (seenSet_.empty()) {
            for (const xmlChar* seen : seenList_)
                if (seen == name) return false;
            seenList_.push_back(name);
            if (seenList_.size() >= kFewAttributes) seenSet_.insert(seenList_.begin(), seenList_.end());
            return true;
        }
        return seenSet_.insert(name).second;
    }

    void ForgetAttributeNames()
    {
        seenList_.clear();
        if (!seenSet_.empty()) std::unordered_set<const xmlChar*>().swap(seenSet_);
    }

    static constexpr std::size_t kMaxReusedTreePageBytes = 512u << 10;
    static constexpr std::size_t kFewAttributes = 16;

    std::unique_ptr<myhtml_t, MyHtmlDeleter> parser_;
    // Declared after the parser: destroyed before it.
    std::unique_ptr<myhtml_tree_t, MyHtmlTreeDeleter> tree_;
    std::string buffer_;
    std::string nameBuffer_;
    std::vector<const xmlChar*> seenList_;
    std::unordered_set<const xmlChar*> seenSet_;
};

}  // namespace

std::unique_ptr<HtmlTreeBuilder> NewHtml5TreeBuilder()
{
    return std::make_unique<MyHtmlTreeBuilder>();
}

}  // namespace xq
