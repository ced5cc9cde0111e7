#pragma once
// The URL page (content of tsURLs): the results grid vtURLs with its popup
// menu, the button column on the right, the progress bar and the bottom
// pages. It only shows and forwards: imports go through TUrlImporter, rows
// through TResultsTable, runs through TRunController, the report through
// CsvReport, every modal box through IDialogs.
//
// The main window creates it once and wires it:
//   pcPages->addTab(page, page->Caption()); CaptionChanged -> the tab's text;
//   RunningChanged -> options page disabled while true; pcBottom (BottomPages)
//   receives tsNews and tsLog; UpdateRunControls when the page is shown again
//   (the current set may have gained or lost its rules); the close sequence
//   starts with StopRun.
// The page's run controller is the receiver of the workers' messages
// (SetMessageReceiver), so posted log lines reach the log sink through it.

#include "core/Clock.h"
#include "engine/RunView.h"
#include "ui/model/ResultsTable.h"
#include "ui/model/UrlImport.h"

#include <QWidget>
#include <functional>
#include <memory>

class IDialogs;
class IOptionValues;
class QAction;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class TProxies;
class TResultsModel;
class TRunController;
class TScrapRuleSet;

// Where the page's log lines go (the event log page).
using TLogSink = std::function<void(const QString& aText, TDateTime aTime)>;

class TUrlPage : public QWidget, public IRunView {
    Q_OBJECT
public:
    // aCurrentRuleSet is asked whenever the current set is needed (it may be
    // replaced between runs); aExeDir (with its trailing separator) is the
    // starting folder of the file dialogs.
    TUrlPage(TURLTaskInfoList& aURLList, std::function<const TScrapRuleSet*()> aCurrentRuleSet,
             const IOptionValues& aOptions, const TProxies& aProxies, IDialogs& aDialogs,
             TLogSink aLog, const QString& aExeDir, QWidget* aParent = nullptr);
    // Stops a run first (see StopRun).
    ~TUrlPage() override;

    // The bottom page control, into which the main window puts tsNews and tsLog.
    QTabWidget* BottomPages() const { return pcBottom; }
    // The page's caption " Список URL (%d) ", also sent with CaptionChanged.
    QString Caption() const { return FCaption; }
    // Validates the rules with messages (the rule panels); without one every rule passes.
    void SetRulesCheck(std::function<bool()> aCheck) { FRulesCheck = std::move(aCheck); }
    bool IsRunning() const;
    // The User-Agent text captured when the latest run started.
    QString CurrentUserAgent() const;
    // Closing during a run: cancels it, waits for the workers (their transfers
    // end at once) and lets the run end as a cancelled run, so every finished
    // task lands in its entry and nothing is freed under a worker.
    void StopRun();

    // ---- IUrlListView ----
    void BeginUpdate() override;
    void EndUpdate() override;
    void UpdateRunControls() override;
    bool RunEnabled() const override;
    void UpdateURLsCaption() override;
    void SetProgress(int aPosition, int aMaximum) override;
    void HideProgress() override;
    void AddToLog(const QString& aText, TDateTime aTime) override;

    // ---- IRunView ----
    TRunSettings Settings() const override;
    bool CheckRulesValid() override;
    std::vector<int> GetSelectedNums() const override;
    const TProxy* RandomProxy() const override;
    void RunStateChanged(bool bRunning) override;
    void SetCancelEnabled(bool bEnabled) override;
    void SetExportEnabled(bool bEnabled) override;
    void RemoveResultColumns() override;
    void SetResultColumns(const QStringList& aCaptions) override;
    void ResultsChanged(int aNum) override;
    void RemoveURLsWithoutResults() override;

    // The grid's model (tests and the benchmark look at it).
    TResultsModel& Model() const { return *FModel; }
    TResultsTable& Table() { return FTable; }

signals:
    void CaptionChanged(const QString& aCaption);
    // A run started or ended: the main window disables the options page for the run.
    void RunningChanged(bool bRunning);

protected:
    void changeEvent(QEvent* aEvent) override;

private:
    enum class TMenuCommand { Paste, CheckSelected, CheckErrors, Delete, OpenInBrowser };

    void CreateControls();
    void CreateMenu();
    QAction* AddMenuAction(const char* aName, const char* aCaption, const QKeySequence& aShortcut,
                           TMenuCommand aCommand);
    bool CommandEnabled(TMenuCommand aCommand) const;
    void RunCommand(TMenuCommand aCommand);
    void ShowMenu(const QPoint& aPos);

    void btRunRequestsClick();
    void btAbortRequestsClick();
    void btInsertURLs4ClipClick();
    QString AskImportFile(const QString& aTitle, const QString& aFilter);
    void btImportURLs4TXTClick();
    void btImportURLs4XMLClick();
    void btExportClick();
    void miDeleteURLClick();
    void miOpenInBrowserClick();
    void vtURLsHeaderClick(int aColumn);
    void vtURLsSectionResized(int aColumn, int aNewSize);
    void FitFixedCaptions();
    void FitButtonColumn();

    void SyncSelectionToTable() const;
    void ApplySelectionFromTable(bool bScrollToFirst);
    void ShowLogPage();

    TURLTaskInfoList& FURLList;
    std::function<const TScrapRuleSet*()> FCurrentRuleSet;
    const IOptionValues& FOptions;
    const TProxies& FProxies;
    IDialogs& FDialogs;
    TLogSink FLog;
    QString FExeDir;
    std::function<bool()> FRulesCheck;
    QString FCaption;

    mutable TResultsTable FTable;  // its selection flags follow the grid's on demand
    std::unique_ptr<TResultsModel> FModel;
    TUrlImporter FImporter;

    QTableView* vtURLs = nullptr;
    QPushButton* btRunRequests = nullptr;
    QPushButton* btAbortRequests = nullptr;
    QPushButton* btInsertURLs4Clip = nullptr;
    QPushButton* btImportURLs4TXT = nullptr;
    QPushButton* btImportURLs4XML = nullptr;
    QPushButton* btExport = nullptr;
    QWidget* pProgress = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QTabWidget* pcBottom = nullptr;
    QMenu* pmURLs = nullptr;
    std::vector<std::pair<QAction*, TMenuCommand>> FMenuActions;

    // Last: destroyed first, while everything its workers' results reach is alive.
    std::unique_ptr<TRunController> FController;
};
