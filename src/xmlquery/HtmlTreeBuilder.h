#pragma once
// The HTML5 parser behind a small interface of our own, so that the parser
// library can be replaced without touching the rest of the query library.

#include "xmlquery/HtmlDocument.h"

#include <memory>
#include <string_view>

namespace xq {

class HtmlTreeBuilder {
public:
    virtual ~HtmlTreeBuilder() = default;
    // Builds the HTML5 tree of valid UTF-8 text as a libxml2 document: no namespaces,
    // lower-case HTML names, SVG and MathML names as browsers give them, text and
    // comments kept, a repeated attribute kept once (the first), elements numbered
    // in document order (as by xmlXPathOrderDocElems). Null on failure.
    virtual XmlDocPtr Build(std::string_view utf8Html) = 0;
};

// A builder for the calling thread only; it is not safe to share between threads.
std::unique_ptr<HtmlTreeBuilder> NewHtml5TreeBuilder();

}  // namespace xq
