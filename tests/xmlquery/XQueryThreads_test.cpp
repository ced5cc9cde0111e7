// The XQuery engine on several threads: one engine per thread that uses it,
// pages evaluated at the same time on different threads, engines gone when
// their threads end.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/xquery/EngineCounters.h"
#include "xmlquery/xquery/XQueryEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace xq::xquery {
namespace {

std::string ListPage(const std::string& prefix, int count)
{
    std::string html = "<html><body><ul>";
    for (int i = 1; i <= count; ++i) html += "<li id='" + prefix + std::to_string(i) + "'>" + prefix + "</li>";
    return html + "</ul></body></html>";
}

struct ThreadOutcome {
    bool ok = true;
    std::string failure;
    std::vector<std::string> ids;  // of the elements found, read from the libxml2 nodes
    double count = -1;
};

// Parses its own page and queries it several times, alternating languages.
void QueryOwnPage(const std::string& prefix, int items, std::atomic<int>& ready, ThreadOutcome& outcome)
{
    XmlDocPtr doc = ParseHtmlDocument(ListPage(prefix, items));
    const std::uint64_t generation = 7'000'000 + static_cast<std::uint64_t>(items);
    ready.fetch_add(1);
    while (ready.load() < 2) std::this_thread::yield();  // both start evaluating together
    for (int round = 0; round < 3; ++round) {
        std::vector<ResultItem> out;
        std::string error;
        const Language language = round % 2 ? Language::XPath31 : Language::XQuery31;
        if (Evaluate(doc.get(), generation, "//li[starts-with(@id, '" + prefix + "')]", language, out, &error) !=
            Status::Ok) {
            outcome.ok = false;
            outcome.failure = error;
            return;
        }
        outcome.ids.clear();
        for (const ResultItem& item : out) {
            if (item.kind != ResultItem::Node || item.node->doc != doc.get()) {
                outcome.ok = false;
                outcome.failure = "a result that is not a node of this thread's page";
                return;
            }
            xmlChar* id = xmlGetProp(item.node, BAD_CAST "id");
            outcome.ids.emplace_back(reinterpret_cast<const char*>(id));
            xmlFree(id);
        }
        if (Evaluate(doc.get(), generation, "count(//li)", language, out, &error) != Status::Ok || out.size() != 1) {
            outcome.ok = false;
            outcome.failure = error;
            return;
        }
        outcome.count = out[0].number;
    }
}

TEST(XQueryThreads, TwoThreadsEvaluateDifferentPagesAtOnce)
{
    const int enginesBefore = LiveEngineCount();
    const int buildsBefore = PageBuildCount();
    std::atomic<int> ready{0};
    ThreadOutcome a, b;
    std::thread first(QueryOwnPage, "a", 3, std::ref(ready), std::ref(a));
    std::thread second(QueryOwnPage, "b", 4, std::ref(ready), std::ref(b));
    first.join();
    second.join();

    ASSERT_TRUE(a.ok) << a.failure;
    ASSERT_TRUE(b.ok) << b.failure;
    EXPECT_EQ(a.ids, (std::vector<std::string>{"a1", "a2", "a3"}));
    EXPECT_EQ(b.ids, (std::vector<std::string>{"b1", "b2", "b3", "b4"}));
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(b.count, 4);
    // Each thread built its page once for its six queries, and its engine ended with it.
    EXPECT_EQ(PageBuildCount() - buildsBefore, 2);
    EXPECT_EQ(LiveEngineCount(), enginesBefore);
}

TEST(XQueryThreads, EnginesAreCreatedOnlyWhenNeeded)
{
    const int enginesBefore = LiveEngineCount();
    int enginesDuring = -1;
    std::thread parsesOnly([&] {
        XmlDocPtr doc = ParseHtmlDocument("<p>no queries here</p>");
        enginesDuring = LiveEngineCount();
    });
    parsesOnly.join();
    EXPECT_EQ(enginesDuring, enginesBefore);

    std::thread validates([&] {
        std::string error;
        EXPECT_TRUE(IsValid("//p", Language::XPath31, &error)) << error;
        enginesDuring = LiveEngineCount();
    });
    validates.join();
    EXPECT_EQ(enginesDuring, enginesBefore + 1);
    EXPECT_EQ(LiveEngineCount(), enginesBefore);
}

}  // namespace
}  // namespace xq::xquery
