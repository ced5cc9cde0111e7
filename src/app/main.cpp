// The program's entry: the single-instance lock, then the main window and its
// message loop. No arguments are read.

#include "core/MemoryTuning.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "ui/model/AppSettings.h"
#include "ui/model/SingleInstance.h"
#include "ui/window/MainWindow.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/QtTranslations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    TuneAllocatorForPages();
    // libcurl's global state exists before the window and goes after it.
    TCurlGlobalGuard curlGlobal;
    QApplication app(argc, argv);
    const QString exeDir = QCoreApplication::applicationDirPath() + u'/';

    TSingleInstance instance;
    if (!instance.TryAcquire()) {
        InitTranslation(exeDir + QStringLiteral("locale"));
        TQtTranslations qtTexts;
        const TAlreadyRunningMessage message = AlreadyRunningMessage(exeDir + QString::fromLatin1(SettingsFileName));
        qtTexts.Use(message.Russian ? QStringLiteral("ru") : QStringLiteral("en"));
        TQtDialogs dialogs(nullptr);
        ShowAlreadyRunning(dialogs, exeDir + QString::fromLatin1(SettingsFileName));
        return 0;
    }

    TfmMain window;
    window.show();
    return app.exec();
}
