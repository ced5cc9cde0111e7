#include "UrlPage.h"

#include "OptionValues.h"
#include "ResultsModel.h"
#include "core/CodePage.h"
#include "core/Dialogs.h"
#include "core/Messages.h"
#include "core/ScrapRules.h"
#include "core/Translate.h"
#include "engine/RunController.h"
#include "proxies/Proxies.h"
#include "ui/model/CsvReport.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Column widths of the fixed columns; result columns get the header's default.
constexpr int FixedColumnWidths[FixedColumnCount] = {45, 480, 85, 80};
constexpr int ResultColumnWidth = 100;
constexpr int MinURLWidth = 50, MinCodeWidth = 50, MaxCodeWidth = 1000;

QPushButton* NewButton(QWidget* aParent, const char* aName, const char* aCaption)
{
    auto* button = new QPushButton(QString::fromUtf8(aCaption), aParent);
    button->setObjectName(QString::fromUtf8(aName));
    return button;
}

}  // namespace

TUrlPage::TUrlPage(TURLTaskInfoList& aURLList, std::function<const TScrapRuleSet*()> aCurrentRuleSet,
                   const IOptionValues& aOptions, const TProxies& aProxies, IDialogs& aDialogs,
                   TLogSink aLog, const QString& aExeDir, QWidget* aParent)
    : QWidget(aParent), FURLList(aURLList), FCurrentRuleSet(std::move(aCurrentRuleSet)),
      FOptions(aOptions), FProxies(aProxies), FDialogs(aDialogs), FLog(std::move(aLog)),
      FExeDir(aExeDir), FTable(aURLList), FImporter(aURLList, FTable, *this, aDialogs)
{
    setObjectName(QStringLiteral("tsURLs"));
    FTable.SetHost(this);
    for (int i = 0; i < FURLList.Count(); ++i)
        FTable.AppendRow(FURLList.At(i));
    FModel = std::make_unique<TResultsModel>(FTable);
    FController = std::make_unique<TRunController>(FURLList, FCurrentRuleSet, *this, FDialogs);
    CreateControls();
    CreateMenu();
    UpdateRunControls();
    UpdateURLsCaption();
}

TUrlPage::~TUrlPage()
{
    StopRun();
    FController.reset();
    vtURLs->setModel(nullptr);
    FTable.SetHost(nullptr);
}

void TUrlPage::CreateControls()
{
    vtURLs = new QTableView(this);
    vtURLs->setObjectName(QStringLiteral("vtURLs"));
    vtURLs->setAccessibleName(Tr(" Список URL ").trimmed());
    vtURLs->setModel(FModel.get());
    vtURLs->setSelectionBehavior(QAbstractItemView::SelectRows);
    vtURLs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    vtURLs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vtURLs->setShowGrid(true);
    vtURLs->setWordWrap(false);
    vtURLs->setSortingEnabled(false);  // the table sorts itself on a header click
    vtURLs->setTabKeyNavigation(false);  // Tab leaves the grid for the buttons
    vtURLs->verticalHeader()->hide();
    vtURLs->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    vtURLs->verticalHeader()->setDefaultSectionSize(vtURLs->fontMetrics().height() + 6);
    vtURLs->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(vtURLs, &QWidget::customContextMenuRequested, this, &TUrlPage::ShowMenu);

    QHeaderView* header = vtURLs->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::DescendingOrder);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setDefaultSectionSize(ResultColumnWidth);
    header->setMinimumSectionSize(20);
    for (int column = 0; column < FixedColumnCount; ++column)
        header->resizeSection(column, FixedColumnWidths[column]);
    FitFixedCaptions();
    connect(header, &QHeaderView::sectionClicked, this, &TUrlPage::vtURLsHeaderClick);
    connect(header, &QHeaderView::sectionResized, this,
            [this](int aColumn, int, int aNewSize) { vtURLsSectionResized(aColumn, aNewSize); });

    btRunRequests = NewButton(this, "btRunRequests", "Проверить URL");
    btAbortRequests = NewButton(this, "btAbortRequests", "Отмена");
    btInsertURLs4Clip = NewButton(this, "btInsertURLs4Clip", "Вставить из буфера");
    btImportURLs4TXT = NewButton(this, "btImportURLs4TXT", "Импорт URL из txt...");
    btImportURLs4XML = NewButton(this, "btImportURLs4XML", "Импорт URL из xml...");
    btExport = NewButton(this, "btExport", "Экспорт...");
    connect(btRunRequests, &QPushButton::clicked, this, &TUrlPage::btRunRequestsClick);
    connect(btAbortRequests, &QPushButton::clicked, this, &TUrlPage::btAbortRequestsClick);
    connect(btInsertURLs4Clip, &QPushButton::clicked, this, &TUrlPage::btInsertURLs4ClipClick);
    connect(btImportURLs4TXT, &QPushButton::clicked, this, &TUrlPage::btImportURLs4TXTClick);
    connect(btImportURLs4XML, &QPushButton::clicked, this, &TUrlPage::btImportURLs4XMLClick);
    connect(btExport, &QPushButton::clicked, this, &TUrlPage::btExportClick);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btRunRequests);
    buttons->addWidget(btAbortRequests);
    buttons->addSpacing(16);
    buttons->addWidget(btInsertURLs4Clip);
    buttons->addWidget(btImportURLs4TXT);
    buttons->addWidget(btImportURLs4XML);
    buttons->addSpacing(16);
    buttons->addWidget(btExport);
    buttons->addStretch(1);
    FitButtonColumn();

    pProgress = new QWidget(this);
    pProgress->setObjectName(QStringLiteral("pProgress"));
    ProgressBar = new QProgressBar(pProgress);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setAccessibleName(Tr("Ход проверки"));
    auto* progressLayout = new QHBoxLayout(pProgress);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->addWidget(ProgressBar);
    pProgress->hide();

    auto* gridColumn = new QVBoxLayout;
    gridColumn->setContentsMargins(0, 0, 0, 0);
    gridColumn->addWidget(vtURLs, 1);
    gridColumn->addWidget(pProgress);

    auto* top = new QWidget(this);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addLayout(gridColumn, 1);
    topLayout->addLayout(buttons);

    pcBottom = new QTabWidget(this);
    pcBottom->setObjectName(QStringLiteral("pcBottom"));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(top);
    splitter->addWidget(pcBottom);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    setTabOrder(vtURLs, btRunRequests);
    setTabOrder(btRunRequests, btAbortRequests);
    setTabOrder(btAbortRequests, btInsertURLs4Clip);
    setTabOrder(btInsertURLs4Clip, btImportURLs4TXT);
    setTabOrder(btImportURLs4TXT, btImportURLs4XML);
    setTabOrder(btImportURLs4XML, btExport);
    setTabOrder(btExport, pcBottom);
}

QAction* TUrlPage::AddMenuAction(const char* aName, const char* aCaption, const QKeySequence& aShortcut,
                                 TMenuCommand aCommand)
{
    auto* action = new QAction(QString::fromUtf8(aCaption), this);
    action->setObjectName(QString::fromUtf8(aName));
    action->setShortcut(aShortcut);
    // The shortcuts work while the grid has the focus, menu open or not.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, [this, aCommand] { RunCommand(aCommand); });
    pmURLs->addAction(action);
    vtURLs->addAction(action);
    FMenuActions.emplace_back(action, aCommand);
    return action;
}

void TUrlPage::CreateMenu()
{
    pmURLs = new QMenu(this);
    pmURLs->setObjectName(QStringLiteral("pmURLs"));
    AddMenuAction("miPaste4Clipboard", "Вставить из буфера", QKeySequence(Qt::CTRL | Qt::Key_V),
                  TMenuCommand::Paste);
    AddMenuAction("miCheckSelected", "Проверить выбранные URL", QKeySequence(Qt::CTRL | Qt::Key_R),
                  TMenuCommand::CheckSelected);
    AddMenuAction("miCheckWErrors", "Проверить URL с ошибками", QKeySequence(), TMenuCommand::CheckErrors);
    AddMenuAction("miDeleteURL", "Удалить", QKeySequence(Qt::Key_Delete), TMenuCommand::Delete);
    pmURLs->addSeparator();
    AddMenuAction("miOpenInBrowser", "Открыть URL в браузере", QKeySequence(Qt::CTRL | Qt::Key_B),
                  TMenuCommand::OpenInBrowser);
    connect(pmURLs, &QMenu::aboutToShow, this, [this] {
        for (const auto& [action, command] : FMenuActions)
            action->setEnabled(CommandEnabled(command));
    });
    // Outside the menu every item stays enabled so that its shortcut reaches
    // RunCommand, which asks the same rules again.
    connect(pmURLs, &QMenu::aboutToHide, this, [this] {
        for (const auto& entry : FMenuActions)
            entry.first->setEnabled(true);
    });
}

void TUrlPage::ShowMenu(const QPoint& aPos)
{
    pmURLs->popup(vtURLs->viewport()->mapToGlobal(aPos));
}

bool TUrlPage::CommandEnabled(TMenuCommand aCommand) const
{
    switch (aCommand) {
    case TMenuCommand::Paste: {
        // Not while a run is being cancelled either: the list must not change
        // while workers still report into it.
        const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
        return !IsRunning() && clip && clip->hasText() && !clip->text().isEmpty();
    }
    case TMenuCommand::CheckSelected:
    case TMenuCommand::CheckErrors:
    case TMenuCommand::Delete: return RunEnabled() && FURLList.Count() > 0;
    case TMenuCommand::OpenInBrowser: return FURLList.Count() > 0;
    }
    return false;
}

void TUrlPage::RunCommand(TMenuCommand aCommand)
{
    if (!CommandEnabled(aCommand))
        return;
    switch (aCommand) {
    case TMenuCommand::Paste: btInsertURLs4ClipClick(); break;
    case TMenuCommand::CheckSelected: FController->Run(TRunMode::rmSelectedURLs); break;
    case TMenuCommand::CheckErrors: FController->Run(TRunMode::rmErrorURLs); break;
    case TMenuCommand::Delete: miDeleteURLClick(); break;
    case TMenuCommand::OpenInBrowser: miOpenInBrowserClick(); break;
    }
}

bool TUrlPage::IsRunning() const
{
    return FController && FController->IsRunning();
}

// ---- commands ----

void TUrlPage::btRunRequestsClick()
{
    if (RunEnabled())
        FController->Run(TRunMode::rmAllURLs);
}

void TUrlPage::btAbortRequestsClick()
{
    FController->Cancel();
}

void TUrlPage::btInsertURLs4ClipClick()
{
    if (IsRunning())
        return;
    FImporter.KeepOnImport = FOptions.KeepURLsOnImport();
    FImporter.ImportClipboardText(QGuiApplication::clipboard()->text());
}

// The open dialog of the two file imports, from the executable's folder; an
// accepted file also takes the current "keep URLs on import" option.
QString TUrlPage::AskImportFile(const QString& aTitle, const QString& aFilter)
{
    TFileDialogRequest request;
    request.Title = aTitle;
    request.Filter = aFilter;
    request.InitialDir = FExeDir;
    const QString fileName = FDialogs.OpenFileName(request);
    if (!fileName.isEmpty())
        FImporter.KeepOnImport = FOptions.KeepURLsOnImport();
    return fileName;
}

void TUrlPage::btImportURLs4TXTClick()
{
    if (IsRunning())
        return;
    const QString fileName = AskImportFile(Tr("Укажите текстовый файл для импорта URL"),
                                           Tr("Текстовые файлы") + QStringLiteral("|*.txt"));
    if (!fileName.isEmpty())
        FImporter.ImportTextFile(fileName, TCodePage::SystemDefault());
}

void TUrlPage::btImportURLs4XMLClick()
{
    if (IsRunning())
        return;
    const QString fileName = AskImportFile(Tr("Укажите файл sitemap.xml для импорта URL"),
                                           Tr("Файл sitemap.xml") + QStringLiteral("|sitemap.xml"));
    if (!fileName.isEmpty())
        FImporter.ImportSitemap(fileName);
}

void TUrlPage::btExportClick()
{
    if (IsRunning())
        return;
    TFileDialogRequest request;
    request.Title = Tr("Укажите файл для экспорта");
    request.Filter = QStringLiteral("CSV|*.csv");
    request.InitialDir = FExeDir;
    request.FileName = QStringLiteral("scraper-report.csv");
    request.DefaultExt = QStringLiteral("csv");
    const QString fileName = FDialogs.SaveFileName(request);
    if (fileName.isEmpty())
        return;
    if (!WriteCsvReport(fileName, FTable, TCodePage::SystemDefault()))
        FDialogs.ShowError(Tr("Невозможно создать файл экспорта!"));
}

void TUrlPage::miDeleteURLClick()
{
    SyncSelectionToTable();
    FTable.DeleteSelectedURLs();
}

void TUrlPage::miOpenInBrowserClick()
{
    for (int num : GetSelectedNums())
        if (const TURLTaskInfo* entry = FURLList.GetByNum(num))
            QDesktopServices::openUrl(QUrl(entry->URL));
}

void TUrlPage::vtURLsHeaderClick(int aColumn)
{
    SyncSelectionToTable();
    vtURLs->selectionModel()->clearSelection();
    FModel->SortByColumn(aColumn);
    vtURLs->horizontalHeader()->setSortIndicator(
        FTable.SortColumn(), FTable.SortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    ApplySelectionFromTable(false);
}

// A fixed column is widened when its caption would be cut, as a translated
// caption may be longer than the Russian one.
void TUrlPage::FitFixedCaptions()
{
    QHeaderView* header = vtURLs->horizontalHeader();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 4;
    for (int column = 0; column < FixedColumnCount; ++column) {
        const QString caption = FModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int needed = std::min(header->fontMetrics().horizontalAdvance(caption) + margins, MaxCodeWidth);
        if (header->sectionSize(column) < needed)
            header->resizeSection(column, needed);
    }
}

// The buttons share the width of the longest caption with room on both sides.
void TUrlPage::FitButtonColumn()
{
    QPushButton* const all[] = {btRunRequests, btAbortRequests, btInsertURLs4Clip,
                                btImportURLs4TXT, btImportURLs4XML, btExport};
    int width = 0;
    for (QPushButton* button : all)
        width = std::max(width, button->fontMetrics().horizontalAdvance(button->text()) + 32);
    for (QPushButton* button : all)
        button->setMinimumWidth(width);
}

void TUrlPage::vtURLsSectionResized(int aColumn, int aNewSize)
{
    int bounded = aNewSize;
    if (aColumn == 1)
        bounded = std::max(bounded, MinURLWidth);
    else if (aColumn == 2)
        bounded = std::clamp(bounded, MinCodeWidth, MaxCodeWidth);
    if (bounded != aNewSize)
        vtURLs->horizontalHeader()->resizeSection(aColumn, bounded);
}

// ---- selection: the grid's own, copied into the table when a command needs it ----

void TUrlPage::SyncSelectionToTable() const
{
    FTable.ClearSelection();
    if (FModel->InRowsUpdate())
        return;
    for (const QItemSelectionRange& range : vtURLs->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom() && row < FTable.RowCount(); ++row)
            FTable.SetSelected(row, true);
}

void TUrlPage::ApplySelectionFromTable(bool bScrollToFirst)
{
    QItemSelection selection;
    const int lastColumn = FModel->columnCount() - 1;
    int first = -1;
    for (int row = 0; row < FTable.RowCount(); ++row) {
        if (!FTable.IsSelected(row))
            continue;
        int end = row;
        while (end + 1 < FTable.RowCount() && FTable.IsSelected(end + 1))
            ++end;
        selection.select(FModel->index(row, 0), FModel->index(end, lastColumn));
        if (first < 0)
            first = row;
        row = end;
    }
    QItemSelectionModel* model = vtURLs->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    if (first >= 0 && bScrollToFirst) {
        model->setCurrentIndex(FModel->index(first, 0), QItemSelectionModel::NoUpdate);
        vtURLs->scrollTo(FModel->index(first, 0));
    }
}

// ---- IUrlListView ----

void TUrlPage::BeginUpdate()
{
    if (!FModel->InRowsUpdate())
        SyncSelectionToTable();
    FModel->BeginRowsUpdate();
}

void TUrlPage::EndUpdate()
{
    if (FModel->EndRowsUpdate())
        ApplySelectionFromTable(true);
}

void TUrlPage::UpdateRunControls()
{
    const bool running = IsRunning();
    btRunRequests->setEnabled(RunEnabled());
    btAbortRequests->setEnabled(running);
    btInsertURLs4Clip->setEnabled(!running);
    btImportURLs4TXT->setEnabled(!running);
    btImportURLs4XML->setEnabled(!running);
    btExport->setEnabled(false);
}

bool TUrlPage::RunEnabled() const
{
    const TScrapRuleSet* rules = FCurrentRuleSet ? FCurrentRuleSet() : nullptr;
    return !IsRunning() && FURLList.Count() > 0 && rules && rules->Count() > 0;
}

void TUrlPage::UpdateURLsCaption()
{
    FCaption = URLsCaption(&FURLList);
    emit CaptionChanged(FCaption);
}

void TUrlPage::SetProgress(int aPosition, int aMaximum)
{
    ProgressBar->setMaximum(std::max(aMaximum, 0));
    ProgressBar->setValue(std::clamp(aPosition, 0, std::max(aMaximum, 0)));
    pProgress->show();
}

void TUrlPage::HideProgress()
{
    pProgress->hide();
}

void TUrlPage::AddToLog(const QString& aText, TDateTime aTime)
{
    if (FLog)
        FLog(aText, aTime);
}

// ---- IRunView ----

TRunSettings TUrlPage::Settings() const
{
    return FOptions.RunSettings();
}

bool TUrlPage::CheckRulesValid()
{
    return !FRulesCheck || FRulesCheck();
}

std::vector<int> TUrlPage::GetSelectedNums() const
{
    SyncSelectionToTable();
    return FTable.GetSelectedNums();
}

const TProxy* TUrlPage::RandomProxy() const
{
    return FProxies.GetRandom();
}

void TUrlPage::RunStateChanged(bool bRunning)
{
    UpdateRunControls();
    emit RunningChanged(bRunning);
    if (bRunning)
        ShowLogPage();
}

void TUrlPage::ShowLogPage()
{
    if (auto* log = pcBottom->findChild<QWidget*>(QStringLiteral("tsLog")); log && pcBottom->indexOf(log) >= 0)
        pcBottom->setCurrentWidget(log);
}

void TUrlPage::SetCancelEnabled(bool bEnabled)
{
    btAbortRequests->setEnabled(bEnabled);
}

void TUrlPage::SetExportEnabled(bool bEnabled)
{
    btExport->setEnabled(bEnabled);
}

// Selected rows stay selected across the new or removed columns.
void TUrlPage::RemoveResultColumns()
{
    SyncSelectionToTable();
    FModel->RemoveResultColumns();
    ApplySelectionFromTable(false);
}

void TUrlPage::SetResultColumns(const QStringList& aCaptions)
{
    SyncSelectionToTable();
    FModel->SetResultColumns(aCaptions);
    ApplySelectionFromTable(false);
}

void TUrlPage::ResultsChanged(int aNum)
{
    if (aNum == AllEntries)
        FModel->AllRowsChanged();
    else
        FModel->EntryChanged(aNum);
}

void TUrlPage::RemoveURLsWithoutResults()
{
    FTable.RemoveURLsWithoutResults();
}

QString TUrlPage::CurrentUserAgent() const
{
    return FController->CurrentUserAgent();
}

void TUrlPage::StopRun()
{
    if (!IsRunning())
        return;
    FController->Cancel();
    FController->WaitForWorkers();
    // Every worker has posted its finished task and its last dispatch request;
    // handling them installs the results and ends the run.
    for (int round = 0; round < 4 && FController->IsRunning(); ++round)
        QCoreApplication::sendPostedEvents(FController->Receiver());
    QCoreApplication::sendPostedEvents(FController->Receiver());  // the duration line
}

void TUrlPage::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::LanguageChange) {
        FModel->FixedCaptionsChanged();
        FitFixedCaptions();
        FitButtonColumn();
        UpdateURLsCaption();
    }
    QWidget::changeEvent(aEvent);
}
