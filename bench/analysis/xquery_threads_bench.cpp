// Whether XQuery evaluations on several threads run side by side: the same work
// per thread (parse a generated page, build its script DOM, run a query, run it
// again on the built DOM) on 1, 2, 3... threads at once, with each thread's wall
// and CPU time per phase. Threads that wait (for a lock, or for a core) show a
// wall time above their CPU time. With --memory, the peak resident memory of one
// evaluation on one large page, phase by phase.
//
//   tm_xquery_threads_bench [--mb 4] [--threads 1,2,3] [--rounds 2] [--query Q] [--memory-limit-mb M]
//   tm_xquery_threads_bench --memory [--mb 60] [--query Q]
#include "core/MemoryTuning.h"
#include "xmlquery/HtmlDocument.h"
#include "xmlquery/Interruption.h"
#include "xmlquery/LibxmlSetup.h"
#include "xmlquery/xquery/DomStream.h"
#include "xmlquery/xquery/EvaluationLimits.h"
#include "xmlquery/xquery/XQueryEngine.h"

#include <QCoreApplication>

#include <sys/resource.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// A page of sections with headings, paragraphs, links and a table row each:
// about 1 KB of markup and 14 elements per section.
std::string GeneratePage(std::size_t bytes)
{
    std::string html;
    html.reserve(bytes + 2048);  // no growth copies: the memory figures show the page itself
    html += "<!DOCTYPE html><html><head><title>Generated page</title></head><body>\n";
    for (std::size_t n = 0; html.size() < bytes; ++n) {
        const std::string k = std::to_string(n);
        html += "<div class=\"section\" id=\"s" + k + "\"><h2 title=\"t" + k + "\">Section " + k +
                "</h2>\n<p>Some text of paragraph " + k +
                " with <a href=\"/page/" + k + ".html\" class=\"reference internal\">a link</a> and <b>bold</b> "
                "words that run on for a while, as real text does in the body of a document.</p>\n"
                "<ul><li><a href=\"#a" + k + "\">first</a></li><li><a href=\"#b" + k + "\">second</a></li></ul>\n"
                "<table><tr><td>cell one</td><td>cell two " + k + "</td></tr></table>\n"
                "<p>A second paragraph, shorter.</p></div>\n";
    }
    return html + "</body></html>\n";
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Busy and total jiffies of all cores, from /proc/stat: what the whole machine
// did meanwhile, so that another program's load can be told from waiting.
struct MachineTicks {
    unsigned long long busy = 0, total = 0;
};

MachineTicks ReadMachineTicks()
{
    MachineTicks ticks;
    if (std::FILE* stat = std::fopen("/proc/stat", "r")) {
        unsigned long long v[8] = {};
        if (std::fscanf(stat, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2], &v[3], &v[4],
                        &v[5], &v[6], &v[7]) == 8) {
            for (unsigned long long x : v) ticks.total += x;
            ticks.busy = ticks.total - v[3] - v[4];  // less idle and I/O wait
        }
        std::fclose(stat);
    }
    return ticks;
}

double RssMb() { return xq::ResidentBytes() / 1048576.0; }

// Wall and CPU seconds of one phase on one thread.
struct Phase {
    double wall = 0;
    double cpu = 0;
};

template <typename Work>
void Timed(Phase& phase, Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = ThreadCpuSeconds();
    work();
    phase.wall += Seconds(std::chrono::steady_clock::now() - start);
    phase.cpu += ThreadCpuSeconds() - cpu;
}

struct ThreadResult {
    Phase parse, build, query;  // build: the first evaluation (DOM build + query)
    long voluntary = 0, involuntary = 0;  // context switches: waits, and preemptions
    double systemSeconds = 0;             // of the thread's CPU time, in the kernel
    std::chrono::steady_clock::time_point end;
    std::size_t values = 0;
    bool failed = false;
    std::string error;
};

bool EvaluateOnce(xmlDoc* doc, std::uint64_t generation, const std::string& query, ThreadResult& result)
{
    // As the C interface does around every call: the thread's bounds apply.
    xq::BeginEvaluation();
    std::vector<xq::xquery::ResultItem> out;
    std::string error;
    const auto status = xq::xquery::Evaluate(doc, generation, query, xq::xquery::Language::XQuery31, out, &error);
    xq::EndEvaluation();
    if (status != xq::xquery::Status::Ok) {
        result.failed = true;
        result.error = error;
        return false;
    }
    result.values = out.size();
    return true;
}

std::atomic<std::uint64_t> gGeneration{1'000'000};

void RunThread(const std::string& page, const std::string& query, int rounds, std::atomic<int>& ready, int threads,
               ThreadResult& result)
{
    xq::EnsureLibxmlForThread();
    xq::SetThreadInterrupt(xq::InterruptSource{60'000, nullptr, nullptr});
    // The engine is created before the timed part, as a warm worker has it.
    std::string error;
    xq::xquery::IsValid("1", xq::xquery::Language::XQuery31, &error);
    ready.fetch_add(1);
    while (ready.load() < threads) std::this_thread::yield();
    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    for (int r = 0; r < rounds; ++r) {
        xq::XmlDocPtr doc;
        Timed(result.parse, [&] { doc = xq::ParseHtmlDocument(page); });
        const std::uint64_t generation = gGeneration.fetch_add(1);
        Timed(result.build, [&] { EvaluateOnce(doc.get(), generation, query, result); });
        if (result.failed) break;  // the thread's figures so far are still reported
        Timed(result.query, [&] { EvaluateOnce(doc.get(), generation, query, result); });
    }
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);
    result.end = std::chrono::steady_clock::now();
    result.voluntary = after.ru_nvcsw - before.ru_nvcsw;
    result.involuntary = after.ru_nivcsw - before.ru_nivcsw;
    result.systemSeconds = (after.ru_stime.tv_sec - before.ru_stime.tv_sec) +
                           (after.ru_stime.tv_usec - before.ru_stime.tv_usec) / 1e6;
}

void RunThreads(const std::string& page, const std::string& query, int threads, int rounds, double& baseline)
{
    std::vector<ThreadResult> results(threads);
    std::atomic<int> ready{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(RunThread, std::cref(page), std::cref(query), rounds, std::ref(ready), threads,
                          std::ref(results[t]));
    while (ready.load() < threads) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    const MachineTicks machineStart = ReadMachineTicks();
    for (std::thread& thread : pool) thread.join();
    const double wall = Seconds(std::chrono::steady_clock::now() - start);
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const MachineTicks machineEnd = ReadMachineTicks();
    const double cores = std::thread::hardware_concurrency();
    const double machineBusy = machineEnd.total > machineStart.total
                                   ? cores * double(machineEnd.busy - machineStart.busy) /
                                         double(machineEnd.total - machineStart.total)
                                   : 0;
    if (threads == 1) baseline = wall;
    std::printf("%d thread(s): wall %.2f s (%.2fx one thread's), process CPU %.2f s (%.2f cores busy; other programs "
                "%.2f), peak RSS %.0f MB\n",
                threads, wall, baseline > 0 ? wall / baseline : 1.0, cpu, cpu / wall,
                std::max(0.0, machineBusy - cpu / wall), PeakRssMb());
    for (int t = 0; t < threads; ++t) {
        const ThreadResult& r = results[t];
        std::printf("  thread %d  ended at %5.2f s  parse %5.2f/%5.2f  build+query %5.2f/%5.2f  query %5.2f/%5.2f  (wall/cpu s)  kernel %.2f s  switches: %ld waits, %ld preempted  %zu values\n",
                    t, Seconds(r.end - start), r.parse.wall, r.parse.cpu, r.build.wall, r.build.cpu, r.query.wall, r.query.cpu,
                    r.systemSeconds, r.voluntary, r.involuntary, r.values);
        if (r.failed) std::printf("    failed: %s\n", r.error.c_str());
    }
    std::fflush(stdout);
}

// Resident memory is sampled every millisecond while one evaluation runs.
class PeakSampler {
public:
    PeakSampler() : thread_([this] {
        while (!stop_.load()) {
            const double rss = RssMb();
            if (rss > peak_.load()) peak_.store(rss);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }) {}
    ~PeakSampler() { stop_.store(true); thread_.join(); }
    double TakePeak()
    {
        const double peak = peak_.exchange(RssMb());
        return std::max(peak, RssMb());
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<double> peak_{0};
    std::thread thread_;
};

void MeasureMemory(std::size_t bytes, const std::string& query)
{
    xq::EnsureLibxmlForThread();
    PeakSampler sampler;
    std::printf("start: RSS %.0f MB\n", RssMb());
    std::string error;
    xq::xquery::IsValid("1", xq::xquery::Language::XQuery31, &error);
    sampler.TakePeak();
    std::printf("engine created: RSS %.0f MB\n", RssMb());
    std::string page = GeneratePage(bytes);
    std::printf("page text %.1f MB: RSS %.0f MB\n", page.size() / 1048576.0, RssMb());
    sampler.TakePeak();
    xq::XmlDocPtr doc = xq::ParseHtmlDocument(page);
    std::printf("parsed into an xmlDoc: RSS %.0f MB (peak %.0f)\n", RssMb(), sampler.TakePeak());
    {
        const xq::xquery::DomStream stream = xq::xquery::WriteDomStream(doc.get());
        std::size_t text = 0;
        for (const std::string& chunk : stream.chunks) text += chunk.size();
        std::printf("token stream alone (then dropped): %zu chunks, %.1f MB of JSON, %zu elements: RSS %.0f MB\n",
                    stream.chunks.size(), text / 1048576.0, stream.elements.size(), RssMb());
    }
    sampler.TakePeak();
    ThreadResult result;
    const auto start = std::chrono::steady_clock::now();
    std::atomic<bool> done{false};
    std::thread timeline([&] {  // how the first evaluation grows, once a second
        std::string line = "  RSS during it (MB, each second):";
        for (int tick = 1; !done.load(); ++tick) {
            while (!done.load() && std::chrono::steady_clock::now() - start < std::chrono::seconds(tick))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (!done.load()) line.append(" ").append(std::to_string(static_cast<int>(RssMb())));
        }
        std::printf("%s\n", line.c_str());
    });
    EvaluateOnce(doc.get(), 42, query, result);
    done.store(true);
    timeline.join();
    std::printf("first evaluation (DOM build + query) %.2f s: RSS %.0f MB, peak %.0f MB%s%s\n",
                Seconds(std::chrono::steady_clock::now() - start), RssMb(), sampler.TakePeak(),
                result.failed ? ", failed: " : "", result.error.c_str());
    const auto again = std::chrono::steady_clock::now();
    EvaluateOnce(doc.get(), 42, query, result);
    std::printf("second evaluation (DOM reused) %.2f s: RSS %.0f MB, peak %.0f MB, %zu values\n",
                Seconds(std::chrono::steady_clock::now() - again), RssMb(), sampler.TakePeak(), result.values);
    std::printf("process peak RSS %.0f MB\n", PeakRssMb());
}

std::vector<int> ParseList(const char* text)
{
    std::vector<int> list;
    for (const char* p = text; *p;) {
        list.push_back(std::atoi(p));
        while (*p && *p != ',') ++p;
        if (*p == ',') ++p;
    }
    return list;
}

}  // namespace

int main(int argc, char** argv)
{
    TuneAllocatorForPages();  // as the programs do
    QCoreApplication app(argc, argv);
    double mb = -1;
    std::vector<int> threads = {1, 2, 3};
    int rounds = 2;
    bool memory = false;
    std::string query = "//title/string()";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mb" && i + 1 < argc) mb = std::atof(argv[++i]);
        else if (arg == "--threads" && i + 1 < argc) threads = ParseList(argv[++i]);
        else if (arg == "--rounds" && i + 1 < argc) rounds = std::atoi(argv[++i]);
        else if (arg == "--query" && i + 1 < argc) query = argv[++i];
        else if (arg == "--memory") memory = true;
        else if (arg == "--memory-limit-mb" && i + 1 < argc)  // the growth one evaluation may cause
            xq::xquery::SetScriptMemoryLimit(static_cast<std::size_t>(std::atof(argv[++i]) * 1048576));
        else {
            std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (memory) {
        MeasureMemory(static_cast<std::size_t>((mb > 0 ? mb : 60) * 1048576), query);
        return 0;
    }
    const std::string page = GeneratePage(static_cast<std::size_t>((mb > 0 ? mb : 4) * 1048576));
    std::printf("page %.1f MB, query %s, %d round(s) per thread, %u cores\n", page.size() / 1048576.0,
                query.c_str(), rounds, std::thread::hardware_concurrency());
    double baseline = 0;
    for (int count : threads) RunThreads(page, query, count, rounds, baseline);
    return 0;
}
