#pragma once
// The main window TfmMain: the page control pcPages with the URL page, the
// rules page and the options page, the window's start-up (FormCreate,
// FormShow), its shut-down (FormClose), the event log and the interface
// language. It owns every process-wide object (TAppObjects).

#include "LogPage.h"
#include "WindowTranslator.h"
#include "ui/model/AppObjects.h"

#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class IDialogs;
class QTabWidget;
class TNewsPage;
class TOptionsPage;
class TRulesPage;
class TUrlPage;
class TQtDialogs;
class TQtTranslations;

struct TMainWindowSetup {
    QString ExeDir;             // with a trailing separator; empty: the executable's folder
    int SystemLanguageId = -1;  // -1: the system's
    IDialogs* Dialogs = nullptr;  // none: Qt's real dialogs
    std::function<void(const QUrl&)> OpenUrl;  // none: the default browser
};

class TfmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfmMain(TMainWindowSetup aSetup = {});
    ~TfmMain() override;

    void AddToLog(const QString& sMessage, TDateTime aTime);
    // The enabled state of the URL page's buttons from the run state.
    void UpdateRunControls();
    void UpdateURLsCaption();
    void ApplyLanguage();
    void cbAppLangChange(int aRow);

    TAppObjects& Objects() { return *FObjects; }
    TOptionsPage* OptionsPage() const { return tsOptions; }
    TUrlPage* UrlPage() const { return tsURLs; }
    TRulesPage* RulesPage() const { return tsRules; }
    TLogPage* LogPage() const { return FLogPage; }
    TNewsPage* NewsPage() const { return FNewsPage; }
    const TWindowTranslator& Translator() const { return FTranslator; }

protected:
    void showEvent(QShowEvent* aEvent) override;
    void closeEvent(QCloseEvent* aEvent) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void CreatePages();
    void FreeEverything();
    QString FilePath(const char* aName) const { return FObjects->ExeDir + QString::fromLatin1(aName); }

    TMainWindowSetup FSetup;
    std::unique_ptr<TQtDialogs> FOwnDialogs;
    IDialogs* FDialogs;
    std::unique_ptr<TAppObjects> FObjects;
    TWindowTranslator FTranslator;
    std::unique_ptr<TQtTranslations> FQtTranslations;
    bool FTranslated = false;
    int FSystemLanguageId = 0;
    bool FShown = false;
    bool FClosed = false;
    bool FClosePending = false;  // asked while a proxy check ran

    std::unique_ptr<QTabWidget> pcPages;  // freed first at close (see FreeEverything)
    TUrlPage* tsURLs = nullptr;
    TRulesPage* tsRules = nullptr;
    TOptionsPage* tsOptions = nullptr;
    QTabWidget* pcBottom = nullptr;
    TNewsPage* FNewsPage = nullptr;
    TLogPage* FLogPage = nullptr;
};
