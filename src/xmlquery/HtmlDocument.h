#pragma once
// A page parsed into a libxml2 document with browser-faithful structure
// (HTML5 tree construction; no namespaces; lower-case HTML names; implied tbody).
// Internal to the query library.

#include <libxml/tree.h>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace xq {

struct XmlDocDeleter { void operator()(xmlDoc* d) const { if (d) xmlFreeDoc(d); } };
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocDeleter>;

// Parses UTF-8 HTML text (invalid bytes are repaired first). Never returns null
// for non-null input; pathological nesting and pages of more than a few MB fall
// back to a bounded parser (libxml2's, without HTML5 tree repairs such as tbody).
// Its elements come numbered in document order (as by xmlXPathOrderDocElems), so
// XPath sorts node-sets without walking the tree.
XmlDocPtr ParseHtmlDocument(std::string_view html);

// The parsed document of the last page this thread has seen, so that the rules
// of one page share one parse (one of the per-thread last-page records that
// analysis/PageAnalysis.h lists). The generation changes whenever a new
// document replaces the old one.
struct CachedPage {
    xmlDoc* doc = nullptr;
    std::uint64_t generation = 0;
};
CachedPage PageForThread(std::string_view html);

}  // namespace xq
