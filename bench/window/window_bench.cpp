// Window figures, on the offscreen platform unless another is chosen:
// start-up (creation, settings, the rule-set file of 20 sets, the proxies file
// of 1 000 entries, the first translation, shown), the script engines alive
// after it, 100 000 log lines, and a language switch each way.

#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "ui/window/LogPage.h"
#include "ui/window/MainWindow.h"
#include "xmlquery/xquery/EngineCounters.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void Write(const QString& aName, const QByteArray& aBytes)
{
    QFile file(aName);
    if (file.open(QIODevice::WriteOnly))
        file.write(aBytes);
}

void Prepare(const QTemporaryDir& aDir)
{
    QFile::link(CatalogueDir(), aDir.filePath(QStringLiteral("locale")));
    Write(aDir.filePath(QStringLiteral("Tollmarsh.ini")), "[PARAMS]\nlang=ru\nruleset-ndx=3\n");
    QByteArray sets = "\xEF\xBB\xBF[\r\n";
    for (int s = 0; s < 20; ++s) {
        sets += "  {\"name\": \"Set " + QByteArray::number(s) + "\", \"rules\": [";
        for (int r = 0; r < 5; ++r)
            sets += QByteArray(r ? ", " : "") + "{\"name\": \"R" + QByteArray::number(r) +
                    "\", \"query\": \"//div[@class='x" + QByteArray::number(r) +
                    "']\", \"attr\": \"\", \"qtype\": " + QByteArray::number(r % 3) + ", \"etype\": 0}";
        sets += QByteArray("]}") + (s < 19 ? "," : "") + "\r\n";
    }
    Write(aDir.filePath(QStringLiteral("Tollmarsh.json")), sets + "]\r\n");
    QByteArray proxies = "\xEF\xBB\xBF[\r\n";
    for (int p = 0; p < 1000; ++p)
        proxies += "  {\"host\": \"198.51." + QByteArray::number(p / 250) + "." +
                   QByteArray::number(p % 250) + "\", \"port\": 3128, \"userandpsw\": \"u:p\"}" +
                   (p < 999 ? "," : "") + "\r\n";
    Write(aDir.filePath(QStringLiteral("proxies.json")), proxies + "]\r\n");
}

double Ms(const QElapsedTimer& aTimer)
{
    return double(aTimer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> aValues)
{
    std::sort(aValues.begin(), aValues.end());
    return aValues[aValues.size() / 2];
}

void Switch(TfmMain& aWindow, int aRow)
{
    auto* list = aWindow.findChild<QComboBox*>(QStringLiteral("cbAppLang"));
    list->setCurrentIndex(aRow);
    emit list->activated(aRow);
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer sinceEntry;
    sinceEntry.start();
    TCurlGlobalGuard curlGlobal;
    QApplication app(argc, argv);
    QTemporaryDir dir;
    Prepare(dir);
    TMainWindowSetup setup;
    setup.ExeDir = dir.path();

    std::vector<double> startUp;
    int engines = -1;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer timer;
        timer.start();
        TfmMain window(setup);
        window.show();
        QApplication::processEvents();
        startUp.push_back(Ms(timer));
        if (round == 0)
            std::printf("program entry to the first window shown (application object, files "
                        "prepared, window): %.1f ms\n", Ms(sinceEntry));
        engines = std::max(engines, xq::xquery::LiveEngineCount());
        if (window.Objects().Proxies.Count() != 1000 || window.Objects().SavedRuleSets.Count() != 20)
            std::printf("the data files were not loaded\n");
    }
    std::printf("start-up to the window shown (20 rule sets, 1 000 proxies): median %.1f ms, "
                "min %.1f ms over %zu rounds\n",
                Median(startUp), *std::min_element(startUp.begin(), startUp.end()), startUp.size());
    std::printf("script engines alive after start-up: %d\n", engines);

    TfmMain window(setup);
    window.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100000; ++i)
        window.AddToLog(QStringLiteral("URL %1: страница загружена, идет анализ").arg(i), i * 10);
    const double added = Ms(timer);
    QApplication::processEvents();
    std::printf("100 000 log lines: %.1f ms to add, %.1f ms with the repaint (%.2f us a line)\n", added,
                Ms(timer), added * 1000 / 100000);
    timer.restart();
    for (int i = 0; i < 1000; ++i)
        window.AddToLog(QStringLiteral("one more"), 0);
    QApplication::processEvents();
    std::printf("1 000 more lines on top of 100 000: %.1f ms\n", Ms(timer));

    // The same lines into a model without a view: what the view adds.
    TLogModel bare;
    timer.restart();
    for (int i = 0; i < 100000; ++i)
        bare.AddLine(QStringLiteral("URL %1: страница загружена, идет анализ").arg(i), i * 10);
    std::printf("100 000 lines into the log model alone: %.1f ms\n", Ms(timer));

    std::vector<double> toEnglish, toRussian;
    for (int round = 0; round < 5; ++round) {
        timer.restart();
        Switch(window, 1);
        toEnglish.push_back(Ms(timer));
        timer.restart();
        Switch(window, 0);
        toRussian.push_back(Ms(timer));
    }
    std::printf("language switch: to English median %.1f ms, back to Russian median %.1f ms\n",
                Median(toEnglish), Median(toRussian));
    return 0;
}
