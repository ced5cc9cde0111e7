// Pages per second of rule groups applied through page analysis (and the XPath
// group once more straight through the query library), on one and two threads, over the HTML pages of the Python documentation; then the same five
// XPath queries in Python (lxml.html, html5_parser + lxml) for comparison.
//
//   tm_analysis_bench [corpus folder] [--xquery-pages N] [--no-python] [--only NAME-PREFIX] [--helpers]
//
// --helpers adds a row per group with every page analysed in helper processes,
// as a run does (its processor time counts the helpers too).
//
// The corpus is Debian's python3.11-doc (apt-get install python3.11-doc).
#include "analysis/PageAnalysis.h"
#include "core/MemoryTuning.h"
#include "sandbox/HelperPool.h"
#include "sandbox/IsolatedAnalysis.h"
#include "xmlquery/p1xmlquery.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

struct Rule {
    TScrapQueryType type;
    const char* query;
    const char* attribute = "";
};

struct Group {
    const char* name;
    std::vector<Rule> rules;
    std::size_t maxPages;  // 0: every page
    bool direct = false;   // straight through the C interface, without page analysis
    bool helpers = false;  // every page with all rules through an analysis helper, as a worker does
};

// The library alone: the UTF-8 body in, the result text out and freed.
bool ApplyDirect(const QByteArray& body, const TScrapRule& rule, long long& values)
{
    const QByteArray query = rule.Query.toUtf8();
    const QByteArray attribute = rule.Attribute.toUtf8();
    const int code = rule.QueryType == qtXQuery ? P1XQ_QUERY_XQUERY : rule.QueryType == qtCssPath ? P1XQ_QUERY_CSS
                                                                                                  : P1XQ_QUERY_XPATH;
    const char* result = nullptr;
    void* handle = nullptr;
    if (p1xqProcessXQuery(body.constData(), query.constData(), attribute.constData(), P1XQ_MODE_HTML_JSON, code,
                          P1XQ_EXTRACT_TEXT, &result, &handle) != P1XQ_OK)
        return false;
    if (result[1] != ']') values += 1 + std::count(result, result + std::strlen(result), ',');  // roughly
    p1xqFreeResult(handle);
    return true;
}

struct Outcome {
    double seconds = 0;
    double cpuSeconds = 0;  // the whole process: other helpers' load does not count
    std::size_t pages = 0;
    long long values = 0;
    int failures = 0;
};

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

// The processor time of the idle analysis helpers (all of them, after a group).
double HelperCpuSeconds()
{
    double seconds = 0;
    for (const pid_t pid : THelperPool::Instance().IdlePids()) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)  // utime and stime are the 14th and 15th fields
            seconds += (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
    }
    return seconds;
}

double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

Outcome RunGroup(const Group& group, const std::vector<QByteArray>& pages, int threadCount)
{
    const std::size_t count = group.maxPages ? std::min(group.maxPages, pages.size()) : pages.size();
    std::vector<std::unique_ptr<TScrapRule>> rules;
    for (const Rule& r : group.rules) {
        auto rule = std::make_unique<TScrapRule>();
        rule->QueryType = r.type;
        rule->Query = QString::fromUtf8(r.query);
        rule->Attribute = QString::fromUtf8(r.attribute);
        rule->ExtractType = etTextContent;
        rules.push_back(std::move(rule));
    }
    std::atomic<std::size_t> next{0};
    std::atomic<long long> values{0};
    std::atomic<int> failures{0};
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds() + HelperCpuSeconds();
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            for (std::size_t i; (i = next.fetch_add(1)) < count;) {
                if (group.helpers) {
                    TAnalysisRequest request;
                    request.Body = pages[i];
                    request.ChkUnique = false;
                    for (const auto& rule : rules)
                        request.Rules.push_back(*rule);
                    const TIsolatedAnalysis analysis = AnalyseInHelper(request);
                    if (analysis.Failure != hfNone || analysis.Outcomes.size() != rules.size()) ++failures;
                    for (const TRuleOutcome& outcome : analysis.Outcomes) {
                        if (!outcome.Applied) ++failures;
                        values += outcome.Values.size();
                    }
                    continue;
                }
                for (const auto& rule : rules) {
                    if (group.direct) {
                        long long found = 0;
                        if (!ApplyDirect(pages[i], *rule, found)) ++failures;
                        values += found;
                        continue;
                    }
                    std::unique_ptr<TSRStringList> list;
                    if (!ApplyScrapRule(pages[i], *rule, list, false)) ++failures;
                    else if (list) values += list->Count();
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    Outcome outcome;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.cpuSeconds = ProcessCpuSeconds() + HelperCpuSeconds() - cpuStart;
    outcome.pages = count;
    outcome.values = values;
    outcome.failures = failures;
    return outcome;
}

}  // namespace

int main(int argc, char** argv)
{
    TuneAllocatorForPages();  // as the programs do
    QCoreApplication app(argc, argv);
    QString corpus = "/usr/share/doc/python3.11/html";
    std::size_t xqueryPages = 60;
    bool python = true;
    std::string only;  // run only the groups whose name starts with this
    bool throughHelpers = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--xquery-pages" && i + 1 < argc) xqueryPages = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--only" && i + 1 < argc) only = argv[++i];
        else if (arg == "--no-python") python = false;
        else if (arg == "--helpers") throughHelpers = true;
        else corpus = QString::fromLocal8Bit(argv[i]);
    }

    std::vector<QByteArray> pages;
    qint64 bytes = 0;
    QStringList files;
    for (QDirIterator it(corpus, {"*.html"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    files.sort();
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        pages.push_back(file.readAll());
        bytes += pages.back().size();
    }
    if (pages.empty()) {
        std::fprintf(stderr, "No HTML pages under %s. Install the corpus with: apt-get install python3.11-doc\n",
                     qPrintable(corpus));
        return 2;
    }
    std::printf("corpus: %zu pages, %.1f MB (%s)\n", pages.size(), bytes / 1048576.0, qPrintable(corpus));
    std::printf("peak RSS with the corpus loaded: %.0f MB\n\n", PeakRssMb());

    std::vector<Group> groups = {
        {"XPath x5", {{qtXPath, "//title"}, {qtXPath, "//a/@href"}, {qtXPath, "//h1|//h2"},
                      {qtXPath, "//div[@class='body']//p"}, {qtXPath, "count(//a)"}}, 0},
        {"XPath x5 lib", {{qtXPath, "//title"}, {qtXPath, "//a/@href"}, {qtXPath, "//h1|//h2"},
                      {qtXPath, "//div[@class='body']//p"}, {qtXPath, "count(//a)"}}, 0, true},
        {"CSS x5", {{qtCssPath, "title"}, {qtCssPath, "a", "href"}, {qtCssPath, "h1, h2"},
                    {qtCssPath, "div.body p"}, {qtCssPath, "ul > li:nth-child(2n+1) > a.reference"}}, 0},
        {"CSS :has x3", {{qtCssPath, "div:has(> h1)"}, {qtCssPath, "li:has(a.reference code)"},
                         {qtCssPath, "div.section:has(+ div.section, pre) > h2"}}, 0},
        {"Template x2", {{qtTemplate, "<h1>{.}</h1>"},
                         {qtTemplate, "<a class=\"reference internal\">{.}</a>"}}, 0},
        {"XQuery x1", {{qtXQuery, "for $a in /descendant::a[@href] return string($a/@href)"}}, xqueryPages},
    };

    if (throughHelpers) {
        std::vector<Group> withHelpers;
        for (const Group& group : groups) {
            withHelpers.push_back(group);
            if (group.direct) continue;
            Group isolated = group;
            isolated.name = strdup((std::string(group.name) + " hlp").c_str());
            isolated.helpers = true;
            withHelpers.push_back(isolated);
        }
        groups = withHelpers;
    }

    // Wall-clock rates depend on what else the machine runs; pages per CPU second
    // (one thread) is the steadier figure for comparing builds.
    std::printf("%-16s %6s %11s %12s %9s %10s %9s %8s\n", "rules", "pages", "1 thread/s", "2 threads/s",
                "speed-up", "pages/cpu-s", "values", "peak MB");
    for (const Group& group : groups) {
        if (!std::string_view(group.name).starts_with(only)) continue;
        // A first pass warms caches and creates the per-thread engines.
        Group warmUp = group;
        warmUp.maxPages = std::min<std::size_t>(group.maxPages ? 4 : 20, pages.size());
        RunGroup(warmUp, pages, 2);
        const Outcome one = RunGroup(group, pages, 1);
        const Outcome two = RunGroup(group, pages, 2);
        std::printf("%-16s %6zu %11.1f %12.1f %8.2fx %11.1f %9lld %8.0f%s\n", group.name, one.pages,
                    one.pages / one.seconds, two.pages / two.seconds, one.seconds / two.seconds,
                    one.pages / one.cpuSeconds, one.values, PeakRssMb(),
                    (one.failures || two.failures) ? "  (rules failed!)" : "");
        std::fflush(stdout);
    }

    if (python) {
        std::printf("\nThe same five XPath queries in Python:\n");
        std::fflush(stdout);
        const std::string command = std::string("/usr/bin/python3 ") + TM_BENCH_PYTHON_SCRIPT + " '" +
                                    corpus.toStdString() + "'";
        if (std::system(command.c_str()) != 0) std::printf("(the Python comparison did not run)\n");
    }
    return 0;
}
