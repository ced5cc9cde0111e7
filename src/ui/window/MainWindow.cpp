#include "MainWindow.h"

#include "NewsPage.h"
#include "OptionsPage.h"
#include "ProxyGroup.h"
#include "QtDialogs.h"
#include "QtTranslations.h"
#include "RulesPage.h"
#include "UrlPage.h"
#include "core/Messages.h"
#include "core/Translate.h"
#include "ui/model/AppSettings.h"
#include "ui/model/UrlImport.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const RuleSetFileName = "Tollmarsh.json";
const char* const ProxiesFileName = "proxies.json";

QString WithSeparator(const QString& aDir)
{
    return aDir.endsWith(u'/') ? aDir : aDir + u'/';
}

}  // namespace

TfmMain::TfmMain(TMainWindowSetup aSetup) : QWidget(nullptr), FSetup(std::move(aSetup))
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("Tollmarsh"));
    resize(1148, 750);
    if (FSetup.Dialogs) {
        FDialogs = FSetup.Dialogs;
    } else {
        FOwnDialogs = std::make_unique<TQtDialogs>(this);
        FDialogs = FOwnDialogs.get();
    }
    if (!FSetup.OpenUrl)
        FSetup.OpenUrl = [](const QUrl& aUrl) { QDesktopServices::openUrl(aUrl); };
    FormCreate();
}

TfmMain::~TfmMain()
{
    // Pages go before the objects they show; a window never closed writes nothing.
    FreeEverything();
}

// ---- start-up ----

void TfmMain::FormCreate()
{
    // 1. The translation layer: texts that stay as they are, the catalogues.
    FTranslator.Exclude(QStringLiteral("cbAppLang"));
    FTranslator.Exclude(QStringLiteral("lbVersion"));
    FTranslator.Exclude(QStringLiteral("wbNews"));
    FQtTranslations = std::make_unique<TQtTranslations>();
    // 2. The system language.
    FSystemLanguageId = FSetup.SystemLanguageId >= 0 ? FSetup.SystemLanguageId : SystemLanguageId();
    // 3. The executable's directory.
    FObjects = std::make_unique<TAppObjects>();
    FObjects->ExeDir = WithSeparator(FSetup.ExeDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                                             : FSetup.ExeDir);
    InitTranslation(FObjects->ExeDir + QStringLiteral("locale"));
    // 4-5. The lists live in FObjects; the pages show them.
    CreatePages();
}

void TfmMain::CreatePages()
{
    pcPages = std::make_unique<QTabWidget>(this);
    pcPages->setObjectName(QStringLiteral("pcPages"));
    const auto log = [this](const QString& aText, TDateTime aTime) { AddToLog(aText, aTime); };

    tsOptions = new TOptionsPage(
        FObjects->Proxies, *FDialogs, log, FSetup.OpenUrl,
        [this] { return tsURLs ? tsURLs->CurrentUserAgent() : QString(); }, FObjects->ExeDir);
    connect(tsOptions, &TOptionsPage::languageChosen, this, [this](int aRow) { cbAppLangChange(aRow); });
    connect(tsOptions->ProxyGroup(), &TProxyGroup::checkFinished, this, [this] {
        if (FClosePending)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });

    // The URL page's run controller receives every posted message; its log
    // lines come back through the log sink.
    tsURLs = new TUrlPage(FObjects->URLList, [this] { return &FObjects->CurrentRuleSet; }, *tsOptions,
                          FObjects->Proxies, *FDialogs, log, FObjects->ExeDir);
    connect(tsURLs, &TUrlPage::CaptionChanged, this,
            [this](const QString& aCaption) { pcPages->setTabText(pcPages->indexOf(tsURLs), aCaption); });
    connect(tsURLs, &TUrlPage::RunningChanged, this,
            [this](bool bRunning) { tsOptions->SetOptionsEnabled(!bRunning); });
    pcBottom = tsURLs->BottomPages();

    FNewsPage = new TNewsPage(FSetup.OpenUrl);
    FLogPage = new TLogPage;
    pcBottom->addTab(FNewsPage, QStringLiteral(" Новости "));
    pcBottom->addTab(FLogPage, QStringLiteral(" Журнал "));

    tsRules = new TRulesPage(TRulesPageLinks{
        FObjects->CurrentRuleSet, FObjects->SavedRuleSets, FObjects->ExeDir, *FDialogs,
        [this] {
            QStringList urls;
            for (int i = 0; i < FObjects->URLList.Count(); ++i)
                urls.append(FObjects->URLList.At(i)->URL);
            return urls;
        },
        [this] { return tsOptions->UserAgentText(); }});
    tsRules->setObjectName(QStringLiteral("tsRules"));
    tsURLs->SetRulesCheck([this] { return tsRules->CheckRulesValid(true); });
    // The run button follows the current set's rules; it can only be pressed on the URL page.
    connect(pcPages.get(), &QTabWidget::currentChanged, this, [this] {
        if (pcPages->currentWidget() == tsURLs)
            tsURLs->UpdateRunControls();
    });

    pcPages->addTab(tsURLs, QString());  // its caption is set at run time
    pcPages->addTab(tsRules, QStringLiteral(" Правила "));
    pcPages->addTab(tsOptions, QStringLiteral(" Настройки "));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(pcPages.get());
}

void TfmMain::showEvent(QShowEvent* aEvent)
{
    if (!FShown) {
        FShown = true;
        FormShow();
    }
    QWidget::showEvent(aEvent);
}

void TfmMain::FormShow()
{
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    // 1. The settings file.
    const TStoredSettings stored = ReadStoredSettings(FilePath(SettingsFileName));
    tsOptions->LoadSettings(stored);
    // 2. The starting folder of the URL import dialogs is the URL page's ExeDir (given at creation).
    // 3. The language, applied for the first time.
    tsOptions->FillLanguages(ChooseLanguageRow(stored.Lang, FSystemLanguageId));
    ApplyLanguage();
    // 4. The news page, in the language chosen now; it is not loaded again.
    FNewsPage->Load(tsOptions->LanguageCode());
    pcBottom->setCurrentWidget(FNewsPage);
    // 5. The User-Agent list.
    tsOptions->FillUserAgents(stored.UserAgentRow);
    // 6-7. The saved rule sets and the current set.
    if (QFileInfo::exists(FilePath(RuleSetFileName)))
        FObjects->SavedRuleSets.LoadFromFile(FilePath(RuleSetFileName));
    tsRules->ShowSavedSets(stored.RuleSetNdx);
    // 8. The proxy list.
    if (QFileInfo::exists(FilePath(ProxiesFileName)))
        FObjects->Proxies.LoadFromFile(FilePath(ProxiesFileName));
    tsOptions->ProxyGroup()->FillProxyList();
    // 9. The URL list starts empty; its page caption.
    UpdateURLsCaption();
    UpdateRunControls();
    // 10. The rules bar and the proxy columns follow their layouts.
    // 11. The version.
    tsOptions->AboutPanel()->AppendVersion();
    // 12-13.
    pcPages->setCurrentWidget(tsURLs);
    PostLogMessage(Tr("Запуск программы"));
}

void TfmMain::UpdateRunControls()
{
    tsURLs->UpdateRunControls();
}

void TfmMain::UpdateURLsCaption()
{
    tsURLs->UpdateURLsCaption();
}

// ---- log and language ----

void TfmMain::AddToLog(const QString& sMessage, TDateTime aTime)
{
    FLogPage->AddToLog(sMessage, aTime);
}

void TfmMain::ApplyLanguage()
{
    const QString code = tsOptions->LanguageCode();
    SetTranslationLanguage(code);
    FQtTranslations->Use(code);
    if (!FTranslated) {
        FTranslator.TranslateTree(this);
        FTranslated = true;
    } else {
        FTranslator.Retranslate();
    }
    // Texts that widgets build themselves (column captions) follow here.
    QEvent change(QEvent::LanguageChange);
    for (QWidget* widget : findChildren<QWidget*>())
        QCoreApplication::sendEvent(widget, &change);
}

void TfmMain::cbAppLangChange(int aRow)
{
    (void)aRow;  // the list's selection is the language
    ApplyLanguage();
    UpdateURLsCaption();
    tsOptions->MarkLanguageChanged();
}

// ---- shut-down ----

void TfmMain::closeEvent(QCloseEvent* aEvent)
{
    // A proxy check in progress ends after its current proxy; the close follows.
    TProxyGroup* proxies = tsOptions ? tsOptions->ProxyGroup() : nullptr;
    if (proxies && proxies->IsChecking()) {
        proxies->RequestStop();
        FClosePending = true;
        aEvent->ignore();
        return;
    }
    if (!FClosed)
        FormClose();
    aEvent->accept();
}

void TfmMain::FormClose()
{
    FClosed = true;
    QStringList failed;
    // 1-2. The changed settings, then the rule-set index.
    const TSettingWrites writes =
        SettingsToWrite(tsOptions->Values(), tsOptions->Marks(), tsRules->SelectedSavedIndex());
    if (!WriteSettings(FilePath(SettingsFileName), writes))
        failed.append(FilePath(SettingsFileName));
    // 3. The saved rule sets (not the unsaved changes of the current set).
    if (!FObjects->SavedRuleSets.SaveToFile(FilePath(RuleSetFileName)))
        failed.append(FilePath(RuleSetFileName));
    // 4. The proxy list.
    if (!FObjects->Proxies.SaveToFile(FilePath(ProxiesFileName)))
        failed.append(FilePath(ProxiesFileName));
    // The previous copies are intact; the user learns what was not saved.
    if (!failed.isEmpty())
        FDialogs->ShowWarning(FormatText(Tr("Не удалось сохранить файл: %s"), {failed.join(QStringLiteral(", "))}));
    // 5.
    FreeEverything();
}

void TfmMain::FreeEverything()
{
    // The pages first: the URL page's run controller cancels a run and waits
    // for its workers before any list they use is freed.
    if (tsURLs)
        tsURLs->StopRun();
    pcPages.reset();
    tsURLs = nullptr;
    tsRules = nullptr;
    tsOptions = nullptr;
    pcBottom = nullptr;
    FNewsPage = nullptr;
    FLogPage = nullptr;
    FObjects.reset();
}
