// Evaluations from several threads at once, each on its own pages.
#include "xmlquery/p1xmlquery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string PageOf(int thread, int page)
{
    std::string html = "<html><head><title>t" + std::to_string(thread) + "-" + std::to_string(page) +
                       "</title></head><body><table>";
    for (int row = 0; row < 40; ++row)
        html += "<tr><td><a href='/" + std::to_string(thread) + "/" + std::to_string(row) + "'>r" +
                std::to_string(row) + "</a></td></tr>";
    return html + "</table></body></html>";
}

std::string Evaluate(const std::string& html, const char* query, int code, const char* attribute, int* status)
{
    const char* result = nullptr;
    void* handle = nullptr;
    *status = p1xqProcessXQuery(html.c_str(), query, attribute, 3, code, P1XQ_EXTRACT_TEXT, &result, &handle);
    std::string json = *status == 0 ? result : "";
    if (*status == 0) p1xqFreeResult(handle);
    return json;
}

TEST(QueryThreads, ConcurrentEvaluationsOnDifferentPages)
{
    const bool cssReady = p1xqIsQueryValid("td > a", P1XQ_VALID_CSS) & 0xFF;
    const bool templatesReady = p1xqIsTemplateValid("<a href=\"/0/6\">{.}</a>") & 0xFF;
    constexpr int kThreads = 4;
    constexpr int kPages = 12;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, cssReady, templatesReady, &failures] {
            for (int p = 0; p < kPages; ++p) {
                const std::string html = PageOf(t, p);
                const std::string title = "[\"t" + std::to_string(t) + "-" + std::to_string(p) + "\"]";
                int status = 0;
                if (Evaluate(html, "//title", P1XQ_QUERY_XPATH, "", &status) != title || status) ++failures;
                if (Evaluate(html, "count(//tbody/tr)", P1XQ_QUERY_XPATH, "", &status) != "[40]") ++failures;
                const std::string href = Evaluate(html, "//tr[7]/td/a", P1XQ_QUERY_XPATH, "href", &status);
                if (href != "[\"/" + std::to_string(t) + "/6\"]") ++failures;
                if (Evaluate(html, "//a[", P1XQ_QUERY_XPATH, "", &status) != "" || status == 0) ++failures;
                if (cssReady && Evaluate(html, "tr:nth-child(2) > td > a", P1XQ_QUERY_CSS, "", &status) != "[\"r1\"]")
                    ++failures;
                if (templatesReady) {
                    const std::string tmpl = "<a href=\"/" + std::to_string(t) + "/6\">{.}</a>";
                    const char* result = nullptr;
                    void* handle = nullptr;
                    if (p1xqProcessTemplate(html.c_str(), tmpl.c_str(), 3, 8, 0, &result, &handle) != 0) {
                        ++failures;
                    } else {
                        if (std::string(result) != "[\"r6\"]") ++failures;
                        p1xqFreeResult(handle);
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
