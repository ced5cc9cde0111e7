// Rules page timings on the window thread:
//  1. keystroke to validity mark for each query type: how long each keystroke
//     holds the window thread, and how long until the mark shows the answer
//     for the text typed so far (the first XQuery check of the process, which
//     starts the script engine, is part of the XQuery row);
//  2. recreating and laying out 100 rule panels;
//  3. opening the rule tester, loading the largest page of the Python
//     documentation from its file and running a CSS rule on it.
// Run with QT_QPA_PLATFORM=offscreen (or on a display).

#include "RecordingDialogs.h"
#include "engine/CurlSession.h"
#include "ui/window/RuleTester.h"
#include "ui/window/RulesPage.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

namespace {

// CPU time of the calling thread: what the window thread itself spent, apart
// from the time a loaded machine gave to other processes.
qint64 ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double Ms(qint64 aNs)
{
    return double(aNs) / 1e6;
}

struct TTypingFigures {
    double MaxKeyMs = 0, MedianKeyMs = 0, MaxKeyCpuMs = 0, MaxMarkMs = 0;
    bool FinalMark = false;
};

// Types aText into the query edit of a fresh panel, one key at a time, waiting
// after each key until the mark shows the answer (as a user who pauses would see).
TTypingFigures TypeQuery(TQueryCheckQueue& checks, QWidget& host, TScrapQueryType aType, const QString& aText)
{
    TScrapRule rule;
    rule.QueryType = aType;
    TScrapRulePanel panel(&host, checks);
    panel.Rule = &rule;
    panel.UpdateControls(true);
    host.show();
    QLineEdit* edit = panel.findChild<QLineEdit*>("FRuleStrEdit");
    std::vector<double> keys;
    TTypingFigures figures;
    for (const QChar c : aText) {
        QElapsedTimer timer;
        timer.start();
        const qint64 cpu = ThreadCpuNs();
        QTest::keyClicks(edit, QString(c));
        const qint64 key = timer.nsecsElapsed();
        figures.MaxKeyCpuMs = std::max(figures.MaxKeyCpuMs, Ms(ThreadCpuNs() - cpu));
        while (panel.QueryCheckPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        keys.push_back(Ms(key));
        figures.MaxMarkMs = std::max(figures.MaxMarkMs, Ms(timer.nsecsElapsed()));
    }
    std::sort(keys.begin(), keys.end());
    figures.MaxKeyMs = keys.back();
    figures.MedianKeyMs = keys[keys.size() / 2];
    figures.FinalMark = panel.QueryValidMarkShown();
    return figures;
}

// Types without pausing: the keystrokes must not wait for the checks at all.
double TypeFast(TScrapQueryType aType, const QString& aText, double* aSettleMs)
{
    TQueryCheckQueue checks;
    QWidget host;
    TScrapRule rule;
    rule.QueryType = aType;
    TScrapRulePanel panel(&host, checks);
    panel.Rule = &rule;
    panel.UpdateControls(true);
    host.show();
    QLineEdit* edit = panel.findChild<QLineEdit*>("FRuleStrEdit");
    double maxKey = 0;
    QElapsedTimer all;
    all.start();
    for (const QChar c : aText) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClicks(edit, QString(c));
        maxKey = std::max(maxKey, Ms(timer.nsecsElapsed()));
        QApplication::processEvents();  // answers that came meanwhile
    }
    QElapsedTimer settle;
    settle.start();
    while (panel.QueryCheckPending())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    *aSettleMs = Ms(settle.nsecsElapsed());
    return maxKey;
}

QString LargestPythonDocPage()
{
    QString best;
    qint64 size = -1;
    QDirIterator it(QStringLiteral("/usr/share/doc/python3.11-doc/html"), {QStringLiteral("*.html")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.size() > size) {
            size = info.size();
            best = info.filePath();
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TCurlGlobalGuard curl;

    std::printf("1. Keystroke to validity mark (window thread, ms)\n");
    std::printf("%-22s %5s %9s %9s %9s %11s %6s %13s\n", "type", "keys", "key max", "key med", "key cpu",
                "mark max", "valid", "fast key max");
    const struct {
        const char* label;
        TScrapQueryType type;
        const char* text;
    } cases[] = {
        {"XQuery (first check)", qtXQuery, "for $a in //a where contains($a/@href, 'x') return string($a)"},
        {"XPath 3.1", qtXPath, "//a[ends-with(@href, '.html')]/string(@href)"},
        {"XPath 1.0", qtXPath, "//div[@class='body']//p[position() < 3]/text()"},
        {"CSS path", qtCssPath, "div.body > p:nth-child(2n+1) a[href^='http']"},
        {"RegEx", qtRegEx, "<h1[^>]*>(.*?)</h1>"},
        {"HTML template", qtTemplate, "<div class=\"body\"><h1>{.}</h1></div>"},
    };
    {
        // the first key event of a program sets up input handling: not part of any row
        QLineEdit warmUp;
        warmUp.show();
        QTest::keyClicks(&warmUp, QStringLiteral("ab"));
        QApplication::processEvents();
    }
    // one queue for all rows, as on the rules page: its thread keeps the script engine
    TQueryCheckQueue checks;
    QWidget host;
    host.resize(1100, 60);
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const TTypingFigures figures = TypeQuery(checks, host, c.type, text);
        double settle = 0;
        const double fast = TypeFast(c.type, text, &settle);
        std::printf("%-22s %5d %9.2f %9.2f %9.2f %11.2f %6s %13.2f\n", c.label, int(text.size()), figures.MaxKeyMs,
                    figures.MedianKeyMs, figures.MaxKeyCpuMs, figures.MaxMarkMs, figures.FinalMark ? "yes" : "no", fast);
        std::fflush(stdout);
    }

    std::printf("\n2. 100 rule panels\n");
    {
        TScrapRuleSet current;
        TScrapRuleSets saved;
        TRecordingDialogs dialogs;
        QTemporaryDir dir;
        auto set = std::make_unique<TScrapRuleSet>();
        set->Name = QStringLiteral("Hundred");
        const TScrapQueryType types[] = {qtXPath, qtCssPath, qtRegEx, qtTemplate, qtXQuery};
        const char* queries[] = {"//h1", "div > p", "<h1>(.*?)</h1>", "<h1>{.}</h1>", "//a/string(@href)"};
        for (int i = 0; i < 100; ++i) {
            auto rule = std::make_unique<TScrapRule>();
            rule->Name = QStringLiteral("Rule %1").arg(i + 1);
            rule->QueryType = types[i % 5];
            rule->Query = QString::fromUtf8(queries[i % 5]);
            set->Add(std::move(rule));
        }
        saved.Add(std::move(set));
        TRulesPage page(TRulesPageLinks{current, saved, dir.path() + u'/', dialogs, {}, {}});
        page.resize(1100, 700);
        page.show();
        QElapsedTimer timer;
        timer.start();
        page.ShowSavedSets(0);  // recreate; the layout is posted
        const qint64 recreate = timer.nsecsElapsed();
        timer.restart();
        page.LayoutRulePanels();
        const qint64 layout = timer.nsecsElapsed();
        timer.restart();
        while (!page.QueryChecks().Idle())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QApplication::processEvents();
        std::printf("recreate %.1f ms, layout %.1f ms (window thread), XQuery marks settled %.1f ms later\n",
                    Ms(recreate), Ms(layout), Ms(timer.nsecsElapsed()));
        timer.restart();
        page.LayoutRulePanels();
        std::printf("second layout %.1f ms\n", Ms(timer.nsecsElapsed()));
    }

    std::printf("\n3. Rule tester on the largest page of the Python documentation\n");
    const QString pageFile = LargestPythonDocPage();
    if (pageFile.isEmpty()) {
        std::printf("python3.11-doc is not installed (tools/install-deps.sh bench)\n");
        return 0;
    }
    TRecordingDialogs dialogs;
    QElapsedTimer timer;
    timer.start();
    TfmReqTest tester(TRuleTesterLinks{dialogs, QString(), {}, {}}, nullptr);
    tester.Prepare(nullptr);
    tester.resize(1280, 900);
    tester.show();
    QApplication::processEvents();
    const qint64 open = timer.nsecsElapsed();
    dialogs.FileAnswers = {pageFile};
    timer.restart();
    QTest::mouseClick(tester.findChild<QPushButton*>("btLoadFromFile"), Qt::LeftButton);
    QApplication::processEvents();
    const qint64 load = timer.nsecsElapsed();
    tester.findChild<QRadioButton*>("rbCSSPath")->click();
    tester.findChild<QPlainTextEdit*>("edQuery")->setPlainText(QStringLiteral("div.body a.reference"));
    timer.restart();
    QTest::mouseClick(tester.findChild<QPushButton*>("btDoQuery"), Qt::LeftButton);
    QApplication::processEvents();
    const qint64 run = timer.nsecsElapsed();
    const int lines = tester.findChild<QsciScintilla*>("edResult")->lines();
    std::printf("%s (%.2f MB)\nopen %.1f ms, load file %.1f ms, CSS rule %.1f ms (%d values)\n",
                qPrintable(pageFile), QFileInfo(pageFile).size() / 1048576.0, Ms(open), Ms(load), Ms(run), lines);
    return 0;
}
