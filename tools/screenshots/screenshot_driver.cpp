// Shows the main window over the folder given as the first argument (it stands
// for the executable's directory; its settings file chooses the language) and
// steps through the three pages (the URL page with the news and with the log). At each page it prints
// "READY <page>-<language> <x> <y> <w> <h>" and waits for a line on its input,
// so the caller can take the picture.

#include "engine/CurlSession.h"
#include "ui/window/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

void Settle()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    TCurlGlobalGuard curlGlobal;
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tm_screenshot_driver <folder>\n");
        return 2;
    }
    TMainWindowSetup setup;
    setup.ExeDir = QString::fromLocal8Bit(argv[1]);
    TfmMain window(setup);
    window.show();
    QTimer::singleShot(300, [&] {
        auto* pages = window.findChild<QTabWidget*>(QStringLiteral("pcPages"));
        auto* language = window.findChild<QComboBox*>(QStringLiteral("cbAppLang"));
        const char* code = language->currentIndex() == 0 ? "ru" : "en";
        auto* bottom = window.findChild<QTabWidget*>(QStringLiteral("pcBottom"));
        // The URL page with the news, the same with the log, the rules, the options.
        const char* names[] = {"urls", "log", "rules", "options"};
        const int pageOf[] = {0, 0, 1, 2};
        for (int step = 0; step < 4; ++step) {
            pages->setCurrentIndex(pageOf[step]);
            bottom->setCurrentIndex(step == 1 ? 1 : 0);
            Settle();
            const QRect frame = window.frameGeometry();
            std::printf("READY %s-%s %d %d %d %d\n", names[step], code, frame.x(), frame.y(),
                        frame.width(), frame.height());
            std::fflush(stdout);
            std::string line;
            std::getline(std::cin, line);
        }
        window.close();
        app.quit();
    });
    return app.exec();
}
