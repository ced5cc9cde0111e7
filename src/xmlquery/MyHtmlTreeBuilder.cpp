// HTML5 tree construction by MyHTML (single-thread mode, a fresh tree per page),
// converted into a libxml2 document.
#include "xmlquery/HtmlTreeBuilder.h"

#include <libxml/HTMLtree.h>
#include <libxml/dict.h>
#include <myhtml/myhtml.h>

#include <mutex>
#include <string>

namespace xq {
namespace {

struct MyHtmlDeleter { void operator()(myhtml_t* p) const { myhtml_destroy(p); } };
struct MyHtmlTreeDeleter { void operator()(myhtml_tree_t* p) const { myhtml_tree_destroy(p); } };

// Attribute names as the DOM spells them: foreign attributes keep their prefix.
std::string AttributeName(myhtml_tree_attr_t* attr)
{
    std::size_t length = 0;
    const char* key = myhtml_attribute_key(attr, &length);
    std::string name(key ? key : "", key ? length : 0);
    switch (myhtml_attribute_namespace(attr)) {
    case MyHTML_NAMESPACE_XLINK: return "xlink:" + name;
    case MyHTML_NAMESPACE_XML: return "xml:" + name;
    case MyHTML_NAMESPACE_XMLNS: return name == "xmlns" ? name : "xmlns:" + name;
    default: return name;
    }
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
        std::unique_ptr<myhtml_tree_t, MyHtmlTreeDeleter> tree(myhtml_tree_create());
        if (!tree || myhtml_tree_init(tree.get(), parser_.get()) != MyHTML_STATUS_OK) return nullptr;
        if (myhtml_parse(tree.get(), MyENCODING_UTF_8, utf8Html.data(), utf8Html.size()) != MyHTML_STATUS_OK)
            return nullptr;
        return Convert(tree.get());
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
        xmlNode* parent = reinterpret_cast<xmlNode*>(doc.get());
        myhtml_tree_node_t* node = myhtml_node_child(document);
        while (node) {
            xmlNode* created = ConvertNode(tree, node, doc.get());
            if (created) created = xmlAddChild(parent, created);
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
            buffer_.assign(text ? text : "", text ? length : 0);
            return tag == MyHTML_TAG__TEXT ? xmlNewDocTextLen(doc, BAD_CAST buffer_.data(), static_cast<int>(buffer_.size()))
                                           : xmlNewDocComment(doc, BAD_CAST buffer_.c_str());
        }
        if (tag == MyHTML_TAG__DOCTYPE || tag == MyHTML_TAG__UNDEF) return nullptr;
        const char* name = myhtml_tag_name_by_id(tree, tag, &length);
        if (!name || length == 0) return nullptr;
        const xmlChar* dictName = xmlDictLookup(doc->dict, BAD_CAST name, static_cast<int>(length));
        xmlNode* element = xmlNewDocNode(doc, nullptr, dictName, nullptr);
        if (!element) return nullptr;
        for (myhtml_tree_attr_t* attr = myhtml_node_attribute_first(node); attr; attr = myhtml_attribute_next(attr)) {
            const std::string attrName = AttributeName(attr);
            // MyHTML keeps repeated attributes; the DOM keeps the first.
            if (attrName.empty() || xmlHasProp(element, BAD_CAST attrName.c_str())) continue;
            const char* value = myhtml_attribute_value(attr, &length);
            buffer_.assign(value ? value : "", value ? length : 0);
            // xmlNewProp keeps '&' literal (xmlNewDocProp would read entity references).
            xmlNewProp(element, BAD_CAST attrName.c_str(), BAD_CAST buffer_.c_str());
        }
        return element;
    }

    std::unique_ptr<myhtml_t, MyHtmlDeleter> parser_;
    std::string buffer_;
};

}  // namespace

std::unique_ptr<HtmlTreeBuilder> NewHtml5TreeBuilder()
{
    return std::make_unique<MyHtmlTreeBuilder>();
}

}  // namespace xq
