// Scale of one run's end: 5 000 URL entries, 5 rules with up to 10 values each.
// Times the end of the run (result columns and cell texts), a sort of every
// column, a CSV write and a delete of 100 scattered rows; prints peak memory.

#include "core/Messages.h"
#include "core/ScrapRules.h"
#include "engine/RunController.h"
#include "ui/model/CsvReport.h"
#include "ui/model/ResultsTable.h"
#include "RecordingDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

constexpr int kEntries = 5000;
constexpr int kRules = 5;
constexpr int kMaxValues = 10;

class TBenchView : public IRunView {
public:
    explicit TBenchView(TResultsTable& aTable) : FTable(aTable) {}
    QEventLoop Loop;
    QElapsedTimer SinceLastTask;

    TRunSettings Settings() const override
    {
        TRunSettings settings;
        settings.MaxThreads = 10;
        return settings;
    }
    void RunStateChanged(bool bRunning) override
    {
        if (!bRunning)
            Loop.quit();
    }
    void SetProgress(int aPosition, int aMaximum) override
    {
        if (aPosition == aMaximum)
            SinceLastTask.start();  // what follows is the end of the run
    }
    void SetCancelEnabled(bool) override {}
    void SetExportEnabled(bool) override {}
    void RemoveResultColumns() override { FTable.RemoveResultColumns(); }
    void SetResultColumns(const QStringList& aCaptions) override { FTable.SetResultColumns(aCaptions); }
    void ResultsChanged(int) override { FTable.ResultsChanged(); }
    void RemoveURLsWithoutResults() override { FTable.RemoveURLsWithoutResults(); }

private:
    TResultsTable& FTable;
};

struct TDone : IRunWorker {
    bool Finished() const override { return true; }
};

// A worker that finishes at once with synthetic values.
TWorkerLauncher SyntheticWorkers(std::mt19937& aRandom)
{
    return [&aRandom](TWorkerStart aStart) -> std::unique_ptr<IRunWorker> {
        aStart.State->ActiveThreadCount.fetch_add(1);
        std::unique_ptr<TURLTaskInfo> task = std::move(aStart.Task);
        task->TaskResults->TaskResult = trOk;
        for (int rule = 1; rule <= kRules; ++rule) {
            auto item = std::make_unique<TScrapRuleResult>();
            item->RuleNum = rule;
            item->RuleResult = std::make_unique<TSRStringList>();
            const int count = int(aRandom() % (kMaxValues + 1));
            for (int v = 0; v < count; ++v)
                item->RuleResult->Append(QStringLiteral("value %1 of rule %2 #%3").arg(aRandom() % 100000).arg(rule).arg(v));
            task->TaskResults->RulesResult.Add(std::move(item));
        }
        PostTaskFinished(std::move(task));
        PostNextTask();
        return std::make_unique<TDone>();
    };
}

double Ms(const QElapsedTimer& aTimer)
{
    return double(aTimer.nsecsElapsed()) / 1e6;
}

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::mt19937 random(20261210);

    TURLTaskInfoList urls;
    TResultsTable table(urls);
    for (int i = 1; i <= kEntries; ++i)
        table.AppendRow(urls.Add(std::make_unique<TURLTaskInfo>(QStringLiteral("https://example.com/page/%1").arg(i), i)));
    TScrapRuleSet rules;
    for (int r = 1; r <= kRules; ++r) {
        auto rule = std::make_unique<TScrapRule>();
        rule->Name = QStringLiteral("Rule%1").arg(r);
        rule->Query = QStringLiteral("//p");
        rules.Add(std::move(rule));
    }

    TBenchView view(table);
    TRecordingDialogs dialogs;
    QElapsedTimer wholeRun;
    wholeRun.start();
    {
        TRunController controller(urls, [&rules] { return &rules; }, view, dialogs, SyntheticWorkers(random));
        if (!controller.Run(TRunMode::rmAllURLs)) {
            for (const QString& text : dialogs.Texts(TRecordingDialogs::TKind::Error))
                std::fprintf(stderr, "%s\n", qPrintable(text));
            return 1;
        }
        view.Loop.exec();
    }
    const double finishMs = Ms(view.SinceLastTask);
    std::printf("run of %d synthetic tasks: %.1f ms in all\n", kEntries, Ms(wholeRun));
    std::printf("end of run (columns and cell texts, %d result columns): %.1f ms\n",
                table.ColumnCount() - FixedColumnCount, finishMs);

    double sortTotal = 0, sortWorst = 0;
    for (int column = 0; column < table.ColumnCount(); ++column) {
        QElapsedTimer timer;
        timer.start();
        table.HeaderClick(column);
        const double ms = Ms(timer);
        sortTotal += ms;
        sortWorst = std::max(sortWorst, ms);
    }
    std::printf("sort of every column (%d): %.1f ms in all, worst %.1f ms\n", table.ColumnCount(),
                sortTotal, sortWorst);

    QTemporaryDir dir;
    QElapsedTimer csvTimer;
    csvTimer.start();
    const bool written = WriteCsvReport(dir.filePath("report.csv"), table, TCodePage("UTF-8"));
    std::printf("CSV write: %.1f ms (%s)\n", Ms(csvTimer), written ? "ok" : "FAILED");

    for (int row = 0; row < table.RowCount(); row += kEntries / 100)
        table.SetSelected(row, true);
    QElapsedTimer deleteTimer;
    deleteTimer.start();
    table.DeleteSelectedURLs();
    std::printf("delete of 100 scattered rows: %.1f ms (%d left)\n", Ms(deleteTimer), urls.Count());
    std::printf("peak RSS: %.1f MB\n", double(PeakRssKb()) / 1024.0);
    return 0;
}
