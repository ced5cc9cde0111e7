// The URL page in the real window (offscreen platform): a run of 5 000 URLs
// against a local server with 5 rules of 10 values each (50 result columns),
// then the end of that run, a sort of every column, a delete of 100 scattered
// rows and scrolling page by page, each with its repaint; how many rows the
// repaint of one finished entry touches; the peak memory of the process.

#include "RecordingDialogs.h"
#include "TestHttpServer.h"
#include "core/ScrapRules.h"
#include "engine/CurlSession.h"
#include "proxies/Proxies.h"
#include "ui/window/OptionValues.h"
#include "ui/window/ResultsModel.h"
#include "ui/window/UrlPage.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPaintEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <string>
#include <ctime>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kUrls = 5000;
constexpr int kRules = 5;
constexpr int kValues = 10;

struct TBenchOptions : IOptionValues {
    TRunSettings RunSettings() const override
    {
        TRunSettings settings;
        settings.MaxThreads = 10;
        settings.RequestDelay = 0;
        return settings;
    }
    bool KeepURLsOnImport() const override { return false; }
};

// Remembers the bounding rectangle of the viewport's paint events.
class TPaintWatch : public QObject {
public:
    QRect Painted;
    int Events = 0;
    bool eventFilter(QObject*, QEvent* aEvent) override
    {
        if (aEvent->type() == QEvent::Paint) {
            Painted = Painted.united(static_cast<QPaintEvent*>(aEvent)->rect());
            ++Events;
        }
        return false;
    }
};

double Ms(const QElapsedTimer& aTimer) { return double(aTimer.nsecsElapsed()) / 1e6; }

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Wall time and the window thread's processor time: on a busy machine the
// second shows what the window itself spent.
struct TStopwatch {
    QElapsedTimer Wall;
    double CpuStart = 0;
    void Start()
    {
        Wall.start();
        CpuStart = ThreadCpuMs();
    }
    double WallMs() const { return Ms(Wall); }
    double CpuMs() const { return ThreadCpuMs() - CpuStart; }
};

std::string PageBody(int aPage)
{
    std::string body = "<html><body>";
    for (int r = 1; r <= kRules; ++r)
        for (int v = 1; v <= kValues; ++v)
            body += "<p class=\"r" + std::to_string(r) + "\">value " +
                    std::to_string((aPage * 7919 + r * 104729 + v * 31) % 100000) + "</p>";
    return body + "</body></html>";
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const TCurlGlobalGuard curlGlobal;

    TTestHttpServer server;
    server.SetFallback([](const httplib::Request& aReq, httplib::Response& aRes) {
        aRes.set_content(PageBody(std::atoi(aReq.path.c_str() + 1)), "text/html; charset=utf-8");
    });
    if (!server.Start())
        return 1;

    TScrapRuleSet rules;
    for (int r = 1; r <= kRules; ++r) {
        auto rule = std::make_unique<TScrapRule>();
        rule->Name = QStringLiteral("Rule%1").arg(r);
        rule->Query = QStringLiteral("//p[@class='r%1']").arg(r);
        rules.Add(std::move(rule));
    }
    TURLTaskInfoList urls;
    TBenchOptions options;
    TProxies proxies;
    TRecordingDialogs dialogs;
    TUrlPage page(urls, [&rules] { return &rules; }, options, proxies, dialogs, {}, QString());
    page.resize(1148, 750);
    page.show();
    QCoreApplication::processEvents();
    auto* grid = page.findChild<QTableView*>("vtURLs");
    TPaintWatch watch;
    grid->viewport()->installEventFilter(&watch);

    QString text;
    for (int i = 1; i <= kUrls; ++i)
        text += QString::fromStdString(server.Url("/" + std::to_string(i))) + "\n";
    QGuiApplication::clipboard()->setText(text);
    page.findChild<QPushButton*>("btInsertURLs4Clip")->click();

    // The end of the run: from the last finished task to the repainted grid.
    TStopwatch sinceLastTask;
    QElapsedTimer wholeRun;
    auto* bar = page.findChild<QProgressBar*>("ProgressBar");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int aValue) {
        if (aValue == kUrls)
            sinceLastTask.Start();
    });
    double endOfRunMs = -1, endOfRunCpuMs = -1;
    QObject::connect(&page, &TUrlPage::RunningChanged, [&](bool bRunning) {
        if (!bRunning) {
            grid->viewport()->repaint();
            endOfRunMs = sinceLastTask.WallMs();
            endOfRunCpuMs = sinceLastTask.CpuMs();
        }
    });
    wholeRun.start();
    page.findChild<QPushButton*>("btRunRequests")->click();
    while (page.IsRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("run of %d URLs (10 threads, no delay): %.0f ms in all\n", kUrls, Ms(wholeRun));
    std::printf("grid: %d rows, %d result columns\n", page.Model().rowCount(),
                page.Model().columnCount() - FixedColumnCount);
    std::printf("end of run (columns, cell texts, grid repaint): %.1f ms (%.1f ms processor)\n", endOfRunMs,
                endOfRunCpuMs);

    // One finished entry repaints: which part of the viewport, how many cells asked.
    QCoreApplication::processEvents();
    watch.Painted = {};
    watch.Events = 0;
    const long long queriesBefore = page.Model().CellQueries;
    page.ResultsChanged(3);
    QCoreApplication::processEvents();
    const int rowHeight = grid->rowHeight(0);
    std::printf("repaint of one finished entry: %d paint event(s), %d px high (%d rows of %d px), %lld cells asked\n",
                watch.Events, watch.Painted.height(), rowHeight ? watch.Painted.height() / rowHeight : 0,
                rowHeight, page.Model().CellQueries - queriesBefore);

    // A sort of every column, each with its repaint.
    double worstSort = 0, worstSortCpu = 0, allSorts = 0;
    for (int column = 0; column < page.Model().columnCount(); ++column) {
        TStopwatch timer;
        timer.Start();
        emit grid->horizontalHeader()->sectionClicked(column);
        grid->viewport()->repaint();
        allSorts += timer.WallMs();
        worstSort = std::max(worstSort, timer.WallMs());
        worstSortCpu = std::max(worstSortCpu, timer.CpuMs());
    }
    std::printf("sort of every column (%d): mean %.1f ms, worst %.1f ms (%.1f ms processor)\n",
                page.Model().columnCount(), allSorts / page.Model().columnCount(), worstSort, worstSortCpu);

    // Scrolling one page at a time, each with its repaint.
    QScrollBar* scroll = grid->verticalScrollBar();
    scroll->setValue(0);
    QCoreApplication::processEvents();
    std::vector<double> scrolls, scrollsCpu;
    while (scroll->value() < scroll->maximum() && scrolls.size() < 200) {
        TStopwatch timer;
        timer.Start();
        scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
        grid->viewport()->repaint();
        scrolls.push_back(timer.WallMs());
        scrollsCpu.push_back(timer.CpuMs());
    }
    std::sort(scrolls.begin(), scrolls.end());
    std::sort(scrollsCpu.begin(), scrollsCpu.end());
    if (!scrolls.empty())
        std::printf("scrolling one page (%zu pages): median %.2f ms, worst %.2f ms (processor: median %.2f, worst %.2f)\n",
                    scrolls.size(), scrolls[scrolls.size() / 2], scrolls.back(), scrollsCpu[scrollsCpu.size() / 2],
                    scrollsCpu.back());

    // Deleting 100 scattered rows with the menu command.
    grid->selectionModel()->clearSelection();
    for (int row = 25; row < kUrls; row += kUrls / 100)
        grid->selectionModel()->select(page.Model().index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    page.activateWindow();
    TStopwatch deleteTimer;
    deleteTimer.Start();
    page.findChild<QAction*>("miDeleteURL")->trigger();
    grid->viewport()->repaint();
    std::printf("delete of 100 scattered rows: %.1f ms (%.1f ms processor, %d rows left)\n", deleteTimer.WallMs(),
                deleteTimer.CpuMs(), page.Model().rowCount());

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of the process: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return dialogs.Calls.empty() ? 0 : 2;
}
