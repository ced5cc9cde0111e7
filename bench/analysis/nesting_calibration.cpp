// How long the HTML5 parser and libxml2's HTML parser take on deeply nested pages,
// next to the cheap nesting estimate: the numbers behind kMaxTreeConstructionWork.
//   tm_nesting_calibration [corpus folder]   (the folder: the largest estimates of real pages)
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
            const double bounded = Seconds([&] {
                xmlFreeDoc(htmlReadMemory(html.data(), int(html.size()), nullptr, "UTF-8",
                                          HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                              HTML_PARSE_RECOVER | XML_PARSE_HUGE));
            });
            std::printf("%-22s %7d %12llu %10.3f %10.3f %10.4f\n", shape.name, depth,
                        static_cast<unsigned long long>(estimate), html5, bounded, estimateSeconds);
            std::fflush(stdout);
            if (html5 > 4) break;
        }
    }
    return 0;
}
