#include "SitemapReader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace {

struct ParserCtxtDeleter { void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); } };
struct DocDeleter { void operator()(xmlDoc* d) const { xmlFreeDoc(d); } };

bool HasName(const xmlNode* node, const char* name)
{
    // Names are compared without their namespace: the standard sitemap files
    // declare theirs as the default namespace.
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, BAD_CAST name) == 0;
}

// Text and CDATA only: entity references are never expanded, so a declared
// entity cannot pull in another file or blow up in size.
QString DirectText(const xmlNode* element)
{
    QByteArray text;
    for (const xmlNode* c = element->children; c; c = c->next)
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            text.append(reinterpret_cast<const char*>(c->content));
    return QString::fromUtf8(text);
}

const xmlNode* FirstChildNamed(const xmlNode* parent, const char* name)
{
    for (const xmlNode* c = parent->children; c; c = c->next)
        if (HasName(c, name))
            return c;
    return nullptr;
}

}  // namespace

TSitemapContent ReadSitemap(const QByteArray& aXml)
{
    TSitemapContent result;
    std::unique_ptr<xmlParserCtxt, ParserCtxtDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        result.status = TSitemapContent::ParseError;
        result.errorMessage = QStringLiteral("out of memory");
        return result;
    }
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, DocDeleter> doc(xmlCtxtReadMemory(
        ctxt.get(), aXml.constData(), int(aXml.size()), "sitemap.xml", nullptr, options));
    if (!doc || !ctxt->wellFormed) {
        result.status = TSitemapContent::ParseError;
        const xmlError* error = xmlCtxtGetLastError(ctxt.get());
        if (error && error->message) {
            result.errorMessage = QString::fromUtf8(error->message).trimmed();
            if (error->line > 0)
                result.errorMessage += QStringLiteral(" (line %1)").arg(error->line);
        } else {
            result.errorMessage = QStringLiteral("not a well-formed XML document");
        }
        return result;
    }

    const xmlNode* urlset = nullptr;
    const xmlNode* index = nullptr;
    for (const xmlNode* n = doc->children; n && !urlset; n = n->next) {
        if (HasName(n, "urlset"))
            urlset = n;
        else if (!index && HasName(n, "sitemapindex"))
            index = n;
    }
    if (!urlset && !index) {
        result.status = TSitemapContent::NoUrlset;
        return result;
    }
    if (!urlset)
        result.status = TSitemapContent::Index;
    const char* itemName = urlset ? "url" : "sitemap";
    for (const xmlNode* c = (urlset ? urlset : index)->children; c; c = c->next) {
        ++result.childCount;
        if (!HasName(c, itemName))
            continue;
        if (const xmlNode* loc = FirstChildNamed(c, "loc"))
            result.candidates.append(DirectText(loc));
    }
    return result;
}
