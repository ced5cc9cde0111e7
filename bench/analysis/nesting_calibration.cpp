// How long the HTML5 parser and libxml2's HTML parser take on deeply nested pages,
// next to the cheap nesting estimate: the numbers behind kMaxTreeConstructionWork.
//   tm_nesting_calibration [corpus folder | --unmatched]   (the folder: the largest estimates of
//   real pages; --unmatched: only the unmatched-end-tag pages for libxml2's parser)
#include "xmlquery/HtmlDocument.h"
#include "xmlquery/HtmlTreeBuilder.h"
#include "xmlquery/NestingEstimate.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

double Seconds(auto&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Nested(const std::string& open, const std::string& close, int depth)
{
    std::string html;
    for (int i = 0; i < depth; ++i) html += open;
    html += "x";
    for (int i = 0; i < depth; ++i) html += close;
    return html;
}

double LibxmlSeconds(const std::string& html)
{
    return Seconds([&] {
        xmlFreeDoc(htmlReadMemory(html.data(), int(html.size()), nullptr, "UTF-8",
                                  HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                      HTML_PARSE_RECOVER | XML_PARSE_HUGE));
    });
}

// Deep nesting followed by end tags that match nothing: libxml2's parser walks
// its whole stack for each; ParseHtmlDocument rewrites them first.
void UnmatchedEndTags()
{
    std::printf("\n%-34s %9s %14s %18s\n", "unmatched end tags", "KB", "libxml2 raw s", "ParseHtmlDocument s");
    struct Shape { const char* name; int depth; const char* endTag; std::size_t padTo; };
    const Shape shapes[] = {{"60 000 span, </x>", 60'000, "</x>", 0},
                            {"100 000 span, </x>", 100'000, "</x>", 0},
                            {"60 000 span, </div>", 60'000, "</div>", 0},
                            {"60 000 span, </x>, padded > 6 MiB", 60'000, "</x>", 7u << 20}};
    for (const Shape& shape : shapes) {
        std::string html;
        while (html.size() < shape.padTo) html += "<p class=pad>padding text &amp; more</p>\n";
        for (int i = 0; i < shape.depth; ++i) html += "<span>";
        html += "deep";
        for (int i = 0; i < shape.depth; ++i) html += shape.endTag;
        const double raw = LibxmlSeconds(html);
        const double ours = Seconds([&] { xq::ParseHtmlDocument(html); });
        std::printf("%-34s %9zu %14.3f %18.3f\n", shape.name, html.size() / 1024, raw, ours);
        std::fflush(stdout);
    }
}

}  // namespace

int CorpusEstimates(const char* folder)
{
    std::vector<std::pair<std::uint64_t, std::string>> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".html") continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        found.emplace_back(xq::EstimateTreeConstructionWork(text.str()), entry.path().string());
    }
    std::sort(found.rbegin(), found.rend());
    std::printf("%zu pages; largest estimates:\n", found.size());
    for (std::size_t i = 0; i < found.size() && i < 5; ++i)
        std::printf("%12llu %s\n", static_cast<unsigned long long>(found[i].first), found[i].second.c_str());
    return 0;
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--unmatched") {
        xq::ParseHtmlDocument("<p>warm up</p>");
        UnmatchedEndTags();
        return 0;
    }
    if (argc > 1) return CorpusEstimates(argv[1]);
    xq::ParseHtmlDocument("<p>warm up</p>");
    const auto builder = xq::NewHtml5TreeBuilder();
    std::printf("%-22s %7s %12s %10s %10s %10s\n", "shape", "depth", "estimate", "html5 s", "libxml2 s",
                "estimate s");
    struct Shape { const char* name; const char* open; const char* close; };
    const Shape shapes[] = {{"div balanced", "<div>", "</div>"},
                            {"div unclosed", "<div>", ""},
                            {"span+b", "<span><b>", "</b></span>"},
                            {"table/tr/td", "<table><tr><td>", "</td></tr></table>"},
                            {"ul/li", "<ul><li>", ""}};
    for (const Shape& shape : shapes) {
        for (int depth : {2'000, 5'000, 10'000, 14'000, 20'000, 30'000}) {
            const std::string html = Nested(shape.open, shape.close, depth);
            std::uint64_t estimate = 0;
            const double estimateSeconds = Seconds([&] { estimate = xq::EstimateTreeConstructionWork(html); });
            const double html5 = Seconds([&] { builder->Build(html); });
            const double bounded = LibxmlSeconds(html);
            std::printf("%-22s %7d %12llu %10.3f %10.3f %10.4f\n", shape.name, depth,
                        static_cast<unsigned long long>(estimate), html5, bounded, estimateSeconds);
            std::fflush(stdout);
            if (html5 > 4) break;
        }
    }
    UnmatchedEndTags();
    return 0;
}
