#include "xmlquery/HtmlDocument.h"

#include "xmlquery/HtmlTreeBuilder.h"
#include "xmlquery/LibxmlSetup.h"
#include "xmlquery/NestingEstimate.h"
#include "xmlquery/UnmatchedEndTags.h"
#include "xmlquery/Utf8Repair.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/xpath.h>

#include <atomic>
#include <climits>

namespace xq {
namespace {

// libxml2's own HTML parser: not HTML5 tree construction (no implied tbody), but
// linear in nesting depth, so it takes the pages that would stall the HTML5 parser;
// end tags that match no open element would make it walk its whole stack each.
XmlDocPtr ParseBounded(std::string_view page)
{
    std::string rewritten;
    const std::string_view utf8Html = DropUnmatchedEndTags(page, rewritten);
    if (utf8Html.empty() || utf8Html.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
    // The encoding is given explicitly, or a <meta charset> would decode the text twice.
    constexpr int options = HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                            HTML_PARSE_RECOVER | XML_PARSE_HUGE;
    return XmlDocPtr(htmlReadMemory(utf8Html.data(), static_cast<int>(utf8Html.size()), nullptr,
                                    "UTF-8", options));
}

XmlDocPtr EmptyDocument()
{
    return XmlDocPtr(htmlNewDocNoDtD(nullptr, nullptr));
}

// The HTML5 parse and its conversion cost 0.1 to 0.27 CPU seconds per MB (measured
// on flat tables, the latter on a busy machine), libxml2's parser about 0.03: above
// this size the HTML5 tree would hold a worker for more than a second or two.
constexpr std::size_t kMaxHtml5Bytes = 6u << 20;

struct ThreadPage {
    std::string text;
    XmlDocPtr doc;
    std::uint64_t generation = 0;
    bool valid = false;
};

ThreadPage& CurrentThreadPage()
{
    thread_local ThreadPage page;
    return page;
}

std::atomic<std::uint64_t> nextGeneration{1};

}  // namespace

XmlDocPtr ParseHtmlDocument(std::string_view html)
{
    EnsureLibxmlForThread();
    std::string repaired;
    const std::string_view text = MakeValidUtf8(html, repaired);

    XmlDocPtr doc;
    if (text.size() <= kMaxHtml5Bytes && EstimateTreeConstructionWork(text) <= kMaxTreeConstructionWork) {
        // One parser per thread: MyHTML parsers must not be shared between threads.
        thread_local std::unique_ptr<HtmlTreeBuilder> builder = NewHtml5TreeBuilder();
        if (builder) doc = builder->Build(text);
    }
    if (!doc) {
        doc = ParseBounded(text);
        if (!doc) doc = EmptyDocument();
        // The HTML5 builder numbers its elements while building; these are numbered here.
        if (doc) xmlXPathOrderDocElems(doc.get());
    }
    return doc;
}

CachedPage PageForThread(std::string_view html)
{
    ThreadPage& page = CurrentThreadPage();
    if (!page.valid || page.text != html) {
        // Free the old page first: large pages cost tens of MB each.
        page.valid = false;
        page.doc.reset();
        page.text.assign(html.data(), html.size());
        page.doc = ParseHtmlDocument(html);
        page.generation = nextGeneration.fetch_add(1, std::memory_order_relaxed);
        page.valid = page.doc != nullptr;
    }
    return CachedPage{page.doc.get(), page.generation};
}

}  // namespace xq
