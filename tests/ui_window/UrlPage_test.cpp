// The URL page driven by its object names, with scripted dialogs, against a
// loopback server: imports, runs, the grid, the popup menu and the export.

#include "RecordingDialogs.h"
#include "TestHttpServer.h"
#include "core/Messages.h"
#include "core/RuleSets.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "proxies/Proxies.h"
#include "ui/window/OptionValues.h"
#include "ui/window/ResultsModel.h"
#include "ui/window/UrlPage.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using TKind = TRecordingDialogs::TKind;

const TCurlGlobalGuard CurlGlobal;

struct TFixedOptions : IOptionValues {
    TRunSettings Run;
    bool Keep = false;
    TRunSettings RunSettings() const override { return Run; }
    bool KeepURLsOnImport() const override { return Keep; }
};

// Receives the addresses the page asks the desktop to open.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    QStringList Opened;
public slots:
    void Open(const QUrl& aUrl) { Opened << aUrl.toString(); }
};

bool PumpUntil(const std::function<bool()>& aDone, int aTimeoutMs = 15000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
    while (!aDone()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Two rules: the title and every h1.
const char kRuleSets[] =
    "\xEF\xBB\xBF[\r\n"
    "  {\"name\":\"Main\",\"rules\":[{\"name\":\"Title\",\"qtype\":0,\"query\":\"//title\",\"attr\":\"\",\"etype\":0},"
    "{\"name\":\"H1\",\"qtype\":0,\"query\":\"//h1\",\"attr\":\"\",\"etype\":0}]}\r\n"
    "]\r\n";

class UrlPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTranslation(CatalogueDir()); }

    void SetUp() override
    {
        SetTranslationLanguage("ru");
        RulesFile = Dir.filePath("rules.json");
        Write(RulesFile, kRuleSets);
        ASSERT_TRUE(Sets.LoadFromFile(RulesFile));
        Rules = Sets.At(0)->Clone();
        Options.Run.RequestDelay = 0;
        Options.Run.MaxThreads = 3;
        Server.Respond("/1", 200, "<html><head><title>One</title></head><body><h1>a</h1><h1>b</h1></body></html>");
        Server.Respond("/2", 404, "gone");
        Server.Respond("/3", 200, "<html><head><title>Three</title></head><body><h1>c</h1></body></html>");
        Server.Respond("/4", 200, "<html><body>nothing to find</body></html>");
        ASSERT_TRUE(Server.Start());
        MakePage();
    }
    void TearDown() override
    {
        Page.reset();
        SetTranslationLanguage("ru");
    }

    void MakePage()
    {
        Page = std::make_unique<TUrlPage>(
            URLs, [this] { return Rules.get(); }, Options, Proxies, Dialogs,
            [this](const QString& aText, TDateTime) { Log << aText; }, ExeDir());
        auto* news = new QWidget;
        news->setObjectName("tsNews");
        auto* log = new QWidget;
        log->setObjectName("tsLog");
        Page->BottomPages()->addTab(news, " Новости ");
        Page->BottomPages()->addTab(log, " Журнал ");
        Page->resize(1100, 700);
        Page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Page.get()));
        Page->activateWindow();
        QApplication::setActiveWindow(Page.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(Page.get()));
    }

    QString ExeDir() const { return Dir.path() + "/"; }
    static void Write(const QString& aPath, const QByteArray& aBytes)
    {
        QFile file(aPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aBytes);
    }
    QString Url(int aPage) const { return QString::fromStdString(Server.Url("/" + std::to_string(aPage))); }
    QString UrlFile(std::initializer_list<int> aPages)
    {
        QByteArray text;
        for (int page : aPages)
            text += Url(page).toUtf8() + "\r\n";
        const QString path = Dir.filePath("urls.txt");
        Write(path, text);
        return path;
    }

    template <class T>
    T* Find(const char* aName) const
    {
        T* found = Page->findChild<T*>(QString::fromUtf8(aName));
        EXPECT_NE(found, nullptr) << aName;
        return found;
    }
    QTableView* Grid() const { return Find<QTableView>("vtURLs"); }
    QAbstractItemModel* Model() const { return Grid()->model(); }
    bool Enabled(const char* aButton) const { return Find<QPushButton>(aButton)->isEnabled(); }
    void Click(const char* aButton) { QTest::mouseClick(Find<QPushButton>(aButton), Qt::LeftButton); }
    void Key(int aKey, Qt::KeyboardModifiers aModifiers = Qt::NoModifier)
    {
        QCoreApplication::processEvents();  // a closed popup may still hand back the keyboard
        QApplication::setActiveWindow(Page.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(Page.get()));
        Grid()->setFocus();
        QTest::keyClick(Grid(), Qt::Key(aKey), aModifiers);
    }
    QString Cell(int aRow, int aColumn) const { return Model()->index(aRow, aColumn).data().toString(); }
    QStringList Column(int aColumn) const
    {
        QStringList texts;
        for (int row = 0; row < Model()->rowCount(); ++row)
            texts << Cell(row, aColumn);
        return texts;
    }
    QStringList Captions() const
    {
        QStringList captions;
        for (int column = 0; column < Model()->columnCount(); ++column)
            captions << Model()->headerData(column, Qt::Horizontal).toString();
        return captions;
    }
    QVariant Background(int aRow, int aColumn) const
    {
        return Model()->index(aRow, aColumn).data(Qt::BackgroundRole);
    }
    void SelectRows(std::initializer_list<int> aRows)
    {
        Grid()->selectionModel()->clearSelection();
        for (int row : aRows)
            Grid()->selectionModel()->select(Model()->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<int> SelectedRows() const
    {
        std::vector<int> rows;
        for (const QModelIndex& index : Grid()->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void ClickHeader(int aColumn)
    {
        QHeaderView* header = Grid()->horizontalHeader();
        const int x = header->sectionViewportPosition(aColumn) + header->sectionSize(aColumn) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    void ImportText(std::initializer_list<int> aPages)
    {
        Dialogs.FileAnswers.push_back(UrlFile(aPages));
        Click("btImportURLs4TXT");
    }
    // Runs with the button (or the given menu item) and waits for the end of the run.
    void RunToEnd(const char* aMenuItem = nullptr)
    {
        if (aMenuItem)
            Find<QAction>(aMenuItem)->trigger();
        else
            Click("btRunRequests");
        ASSERT_TRUE(Page->IsRunning());
        ASSERT_TRUE(PumpUntil([this] { return !Page->IsRunning(); }));
        QCoreApplication::sendPostedEvents();  // the duration line
    }
    // The enabled state of every menu item as the open menu shows it.
    std::map<QString, bool> MenuStates()
    {
        auto* menu = Find<QMenu>("pmURLs");
        menu->popup(Grid()->viewport()->mapToGlobal(QPoint(10, 10)));
        std::map<QString, bool> states;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                states[action->objectName()] = action->isEnabled();
        menu->hide();
        return states;
    }
    QByteArray ExportBytes(const QString& aName)
    {
        const QString path = Dir.filePath(aName);
        Dialogs.FileAnswers.push_back(path);
        Click("btExport");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << aName.toStdString();
        return file.readAll();
    }

    QTemporaryDir Dir;
    QString RulesFile;
    TScrapRuleSets Sets;
    TTestHttpServer Server;
    TURLTaskInfoList URLs;
    std::unique_ptr<TScrapRuleSet> Rules;
    TFixedOptions Options;
    TProxies Proxies;
    TRecordingDialogs Dialogs;
    QStringList Log;
    std::unique_ptr<TUrlPage> Page;
};

}  // namespace

TEST_F(UrlPageTest, EmptyPage_ControlsCaptionsColumnsAndStates)
{
    const std::pair<const char*, const char*> buttons[] = {
        {"btRunRequests", "Проверить URL"},          {"btAbortRequests", "Отмена"},
        {"btInsertURLs4Clip", "Вставить из буфера"}, {"btImportURLs4TXT", "Импорт URL из txt..."},
        {"btImportURLs4XML", "Импорт URL из xml..."}, {"btExport", "Экспорт..."},
    };
    for (const auto& [name, caption] : buttons)
        EXPECT_EQ(Find<QPushButton>(name)->text(), QString::fromUtf8(caption)) << name;
    EXPECT_FALSE(Enabled("btRunRequests"));  // no URL yet
    EXPECT_FALSE(Enabled("btAbortRequests"));
    EXPECT_TRUE(Enabled("btInsertURLs4Clip"));
    EXPECT_TRUE(Enabled("btImportURLs4TXT"));
    EXPECT_TRUE(Enabled("btImportURLs4XML"));
    EXPECT_FALSE(Enabled("btExport"));
    EXPECT_FALSE(Find<QWidget>("pProgress")->isVisible());
    EXPECT_EQ(Page->Caption(), " Список URL ");

    EXPECT_EQ(Captions(), (QStringList{"№", "URL", "Код ответа", "Результаты"}));
    QHeaderView* header = Grid()->horizontalHeader();
    const int widths[] = {45, 480, 85, 80};
    const Qt::Alignment captionAlignment[] = {Qt::AlignCenter, Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter,
                                              Qt::AlignCenter};
    for (int column = 0; column < 4; ++column) {
        // The planned widths, widened only where this font would cut a caption.
        EXPECT_GE(header->sectionSize(column), widths[column]) << column;
        EXPECT_LE(header->sectionSize(column),
                  std::max(widths[column], header->fontMetrics().horizontalAdvance(Captions()[column]) + 24))
            << column;
        EXPECT_EQ(Model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                  captionAlignment[column]) << column;
    }
    EXPECT_TRUE(header->sectionsMovable());
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(Grid()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(Grid()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(Grid()->showGrid());
    // Minimum and maximum widths.
    header->resizeSection(1, 10);
    EXPECT_EQ(header->sectionSize(1), 50);
    header->resizeSection(2, 5000);
    EXPECT_EQ(header->sectionSize(2), 1000);
    header->resizeSection(2, 10);
    EXPECT_EQ(header->sectionSize(2), 50);

    const std::pair<const char*, QKeySequence> items[] = {
        {"miPaste4Clipboard", QKeySequence("Ctrl+V")}, {"miCheckSelected", QKeySequence("Ctrl+R")},
        {"miCheckWErrors", QKeySequence()},            {"miDeleteURL", QKeySequence(Qt::Key_Delete)},
        {"miOpenInBrowser", QKeySequence("Ctrl+B")},
    };
    QStringList names;
    for (QAction* action : Find<QMenu>("pmURLs")->actions())
        names << (action->isSeparator() ? QString("-") : action->objectName());
    EXPECT_EQ(names, (QStringList{"miPaste4Clipboard", "miCheckSelected", "miCheckWErrors", "miDeleteURL", "-",
                                  "miOpenInBrowser"}));
    for (const auto& [name, shortcut] : items)
        EXPECT_EQ(Find<QAction>(name)->shortcut(), shortcut) << name;

    // Tab goes from the grid through the enabled buttons.
    Key(Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "btInsertURLs4Clip");
}

TEST_F(UrlPageTest, TextImport_DialogRowsCaptionLogAndMissingFile)
{
    ImportText({1, 2, 3});
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    const TFileDialogRequest& request = Dialogs.Calls[0].File;
    EXPECT_EQ(Dialogs.Calls[0].Kind, TKind::OpenFile);
    EXPECT_EQ(request.Title, "Укажите текстовый файл для импорта URL");
    EXPECT_EQ(request.Filter, "Текстовые файлы|*.txt");
    EXPECT_EQ(request.InitialDir, ExeDir());
    EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(1), (QStringList{Url(1), Url(2), Url(3)}));
    EXPECT_EQ(Model()->index(0, 1).data(Qt::ToolTipRole).toString(), Url(1));  // the hint over column 1
    EXPECT_FALSE(Model()->index(0, 0).data(Qt::ToolTipRole).isValid());
    EXPECT_EQ(Page->Caption(), " Список URL (3) ");
    EXPECT_EQ(Log, QStringList{"Данные загружены"});
    EXPECT_TRUE(Enabled("btRunRequests"));

    // A cancelled dialog and a missing file change nothing.
    Click("btImportURLs4TXT");
    Dialogs.FileAnswers.push_back(Dir.filePath("missing.txt"));
    Click("btImportURLs4TXT");
    EXPECT_EQ(Dialogs.Texts(TKind::Warning), QStringList{"Файл с данными для импорта не найден!"});
    EXPECT_EQ(Model()->rowCount(), 3);
    EXPECT_EQ(Log.size(), 1);

    // Without rules there is nothing to run.
    Rules = std::make_unique<TScrapRuleSet>();
    Page->UpdateRunControls();
    EXPECT_FALSE(Enabled("btRunRequests"));
}

TEST_F(UrlPageTest, SitemapImport_ProgressAndRefusedFiles)
{
    const QString sitemap = Dir.filePath("sitemap.xml");
    Write(sitemap, "<?xml version=\"1.0\"?><urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
                   "<url><loc>" + Url(1).toUtf8() + "</loc></url><url><loc>" + Url(2).toUtf8() +
                   "</loc></url></urlset>");
    QSignalSpy progress(Find<QProgressBar>("ProgressBar"), &QProgressBar::valueChanged);
    Dialogs.FileAnswers.push_back(sitemap);
    Click("btImportURLs4XML");
    EXPECT_EQ(Dialogs.Calls.back().File.Title, "Укажите файл sitemap.xml для импорта URL");
    EXPECT_EQ(Dialogs.Calls.back().File.Filter, "Файл sitemap.xml|sitemap.xml");
    EXPECT_EQ(Dialogs.Calls.back().File.InitialDir, ExeDir());
    EXPECT_EQ(Column(1), (QStringList{Url(1), Url(2)}));
    EXPECT_EQ(Find<QProgressBar>("ProgressBar")->value(), 2);
    EXPECT_GE(progress.count(), 2);
    EXPECT_FALSE(Find<QWidget>("pProgress")->isVisible());  // hidden again at the end
    EXPECT_EQ(Log, QStringList{"Данные загружены"});

    // A file that does not parse keeps the list; one without urlset empties it.
    const QString broken = Dir.filePath("broken.xml");
    Write(broken, "<urlset><url>");
    Dialogs.FileAnswers.push_back(broken);
    Click("btImportURLs4XML");
    ASSERT_EQ(Dialogs.Count(TKind::Warning), 1);
    EXPECT_TRUE(Dialogs.Texts(TKind::Warning)[0].startsWith("Ошибка при разборе файла: "));
    EXPECT_EQ(Model()->rowCount(), 2);
    const QString other = Dir.filePath("index.xml");
    Write(other, "<sitemapindex/>");
    Dialogs.FileAnswers.push_back(other);
    Click("btImportURLs4XML");
    EXPECT_EQ(Dialogs.Texts(TKind::Warning).last(), "Файл данных имеет неприемлимый формат (нет тега \"urlset\")");
    EXPECT_EQ(Model()->rowCount(), 0);
    EXPECT_EQ(Page->Caption(), " Список URL ");
}

TEST_F(UrlPageTest, Paste_CtrlVAndTheLimitOf5000)
{
    QByteArray text;
    for (int i = 0; i < 6000; ++i)
        text += "http://a.example/" + QByteArray::number(i) + "\r\n";
    QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Model()->rowCount(), 5000);
    EXPECT_EQ(Dialogs.Texts(TKind::Information), QStringList{"Ограничение: не более 5 000 URL"});
    EXPECT_EQ(Page->Caption(), " Список URL (5000) ");
    EXPECT_EQ(Log, QStringList{"Данные вставлены из буфера обмена"});

    // Keep URLs on import continues the numbers.
    Options.Keep = true;
    QGuiApplication::clipboard()->setText("http://b.example/1");
    Click("btInsertURLs4Clip");
    EXPECT_EQ(Model()->rowCount(), 5000);
    EXPECT_EQ(Dialogs.Count(TKind::Information), 2);
    Options.Keep = false;
    Click("btInsertURLs4Clip");
    EXPECT_EQ(Column(1), QStringList{"http://b.example/1"});
}

TEST_F(UrlPageTest, Run_CodesCountsColoursColumnsAndControls)
{
    ImportText({1, 2, 3});
    QSignalSpy running(Page.get(), &TUrlPage::RunningChanged);
    Click("btRunRequests");
    EXPECT_TRUE(Find<QWidget>("pProgress")->isVisible());
    EXPECT_FALSE(Enabled("btRunRequests"));
    EXPECT_TRUE(Enabled("btAbortRequests"));
    EXPECT_FALSE(Enabled("btInsertURLs4Clip"));
    EXPECT_FALSE(Enabled("btImportURLs4TXT"));
    EXPECT_FALSE(Enabled("btImportURLs4XML"));
    EXPECT_FALSE(Enabled("btExport"));
    EXPECT_EQ(Page->BottomPages()->currentWidget()->objectName(), "tsLog");
    ASSERT_TRUE(PumpUntil([this] { return !Page->IsRunning(); }));
    QCoreApplication::sendPostedEvents();

    EXPECT_EQ(Captions(), (QStringList{"№", "URL", "Код ответа", "Результаты", "Title #1", "H1 #1", "H1 #2"}));
    EXPECT_EQ(Column(2), (QStringList{"200", "404", "200"}));
    EXPECT_EQ(Column(3), (QStringList{"3", "", "2"}));
    EXPECT_EQ(Column(4), (QStringList{"One", "", "Three"}));
    EXPECT_EQ(Column(6), (QStringList{"b", "", ""}));
    EXPECT_EQ(Grid()->horizontalHeader()->sectionSize(5), 100);
    const QColor green(12, 206, 107), red(245, 165, 165);
    EXPECT_EQ(Background(0, 2).value<QColor>(), green);
    EXPECT_FALSE(Background(0, 1).isValid());
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(Background(1, column).value<QColor>(), red) << column;

    EXPECT_FALSE(Find<QWidget>("pProgress")->isVisible());
    EXPECT_EQ(Find<QProgressBar>("ProgressBar")->value(), 3);
    EXPECT_TRUE(Enabled("btRunRequests"));
    EXPECT_FALSE(Enabled("btAbortRequests"));
    EXPECT_TRUE(Enabled("btExport"));
    ASSERT_EQ(running.count(), 2);
    EXPECT_TRUE(running[0][0].toBool());
    EXPECT_FALSE(running[1][0].toBool());
    EXPECT_TRUE(Log.contains("Проверка запущена"));
    EXPECT_EQ(Log.last(), "Проверка завершена за 0 сек.");

    // An import disables the export again.
    QGuiApplication::clipboard()->setText("http://b.example/1");
    Click("btInsertURLs4Clip");
    EXPECT_FALSE(Enabled("btExport"));
}

TEST_F(UrlPageTest, Run_ArrivingResultsRepaintTheirOwnRowOnly)
{
    ImportText({1, 2, 3});
    SelectRows({1});
    std::vector<std::pair<int, int>> changed;  // row ranges of dataChanged
    QObject::connect(Model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& a, const QModelIndex& b) { changed.emplace_back(a.row(), b.row()); });
    QSignalSpy resets(Model(), &QAbstractItemModel::modelReset);
    QSignalSpy moves(Model(), &QAbstractItemModel::layoutChanged);
    RunToEnd();
    // All rows when the old results go and at the end; one row per finished page.
    ASSERT_EQ(changed.size(), 5u);
    EXPECT_EQ(changed.front(), std::make_pair(0, 2));
    EXPECT_EQ(changed.back(), std::make_pair(0, 2));
    for (size_t i = 1; i + 1 < changed.size(); ++i)
        EXPECT_EQ(changed[i].first, changed[i].second);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(moves.count(), 0);
    EXPECT_EQ(SelectedRows(), std::vector<int>{1});  // nothing moved
}

TEST_F(UrlPageTest, Sort_ResultColumnBothWaysStableAndTheArrow)
{
    ImportText({1, 2, 3, 4});
    RunToEnd();
    SelectRows({0});  // page 1
    ClickHeader(4);   // Title #1, ascending: empty texts first, equal ones keep their order
    EXPECT_EQ(Column(0), (QStringList{"2", "4", "1", "3"}));
    EXPECT_EQ(Grid()->horizontalHeader()->sortIndicatorSection(), 4);
    EXPECT_EQ(Grid()->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(SelectedRows(), std::vector<int>{2});  // the selection follows its row
    ClickHeader(4);
    EXPECT_EQ(Column(0), (QStringList{"3", "1", "2", "4"}));
    EXPECT_EQ(Grid()->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    ClickHeader(3);  // another column flips again: ascending by count
    EXPECT_EQ(Column(0), (QStringList{"2", "4", "3", "1"}));

    // A dragged column keeps its index: the export still writes index order.
    Grid()->horizontalHeader()->moveSection(4, 0);
    EXPECT_EQ(Grid()->horizontalHeader()->logicalIndex(0), 4);
    const QByteArray report = ExportBytes("sorted.csv");
    EXPECT_TRUE(report.startsWith("№;URL;Код ответа;Результаты;Title #1;H1 #1;H1 #2\r\n2;"));
}

TEST_F(UrlPageTest, Recheck_ErrorsAndSelectedURLs)
{
    ImportText({1, 2, 3});
    RunToEnd();
    const size_t before = Server.RequestCount();
    Server.Respond("/2", 200, "<html><head><title>Two</title></head></html>");
    RunToEnd("miCheckWErrors");
    EXPECT_EQ(Server.RequestCount(), before + 1);
    EXPECT_EQ(Column(2), (QStringList{"200", "200", "200"}));
    EXPECT_EQ(Column(4), (QStringList{"One", "Two", "Three"}));  // the others kept their results
    EXPECT_EQ(Dialogs.Count(TKind::Error), 0);

    // Ctrl+R checks the selected rows; the others lose their results.
    SelectRows({0, 2});
    Key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(Page->IsRunning());
    ASSERT_TRUE(PumpUntil([this] { return !Page->IsRunning(); }));
    EXPECT_EQ(Server.RequestCount(), before + 3);
    EXPECT_EQ(Column(2), (QStringList{"200", "", "200"}));
}

TEST_F(UrlPageTest, Delete_RenumbersSelectsTheNeighbourAndDisablesTheExport)
{
    ImportText({1, 2, 3, 4});
    RunToEnd();
    ASSERT_TRUE(Enabled("btExport"));
    SelectRows({1, 2});
    Key(Qt::Key_Delete);
    EXPECT_EQ(Column(0), (QStringList{"1", "2"}));
    EXPECT_EQ(Column(1), (QStringList{Url(1), Url(4)}));
    EXPECT_EQ(Column(2), (QStringList{"", ""}));  // every result dropped
    EXPECT_EQ(SelectedRows(), std::vector<int>{1});  // the row after the last deleted one
    EXPECT_EQ(Page->Caption(), " Список URL (2) ");
    EXPECT_FALSE(Enabled("btExport"));
    EXPECT_EQ(Model()->columnCount(), 7);  // the result columns stay until the next run
}

TEST_F(UrlPageTest, HideURLsWithoutResults_RemovesLoadedPagesWithoutValues)
{
    Options.Run.HideURLsWithoutResults = true;
    ImportText({1, 4, 2, 4});  // the duplicate is skipped
    ASSERT_EQ(Model()->rowCount(), 3);
    RunToEnd();
    EXPECT_EQ(Column(1), (QStringList{Url(1), Url(2)}));  // the failed page stays
    EXPECT_EQ(Column(0), (QStringList{"1", "2"}));
    EXPECT_EQ(Column(2), (QStringList{"200", "404"}));
    EXPECT_EQ(Page->Caption(), " Список URL (2) ");
    EXPECT_TRUE(Enabled("btExport"));
}

TEST_F(UrlPageTest, MenuRules_AtOpeningAndForShortcuts)
{
    QGuiApplication::clipboard()->clear();
    auto states = MenuStates();
    EXPECT_FALSE(states["miPaste4Clipboard"]);
    EXPECT_FALSE(states["miCheckSelected"]);
    EXPECT_FALSE(states["miDeleteURL"]);
    EXPECT_FALSE(states["miOpenInBrowser"]);

    ImportText({1, 2});
    QGuiApplication::clipboard()->setText("http://b.example/");
    states = MenuStates();
    for (const auto& [name, enabled] : states)
        EXPECT_TRUE(enabled) << name.toStdString();

    // During a run only opening in the browser stays, and the shortcuts do nothing either.
    Server.Stall("/2");
    Click("btRunRequests");
    states = MenuStates();
    EXPECT_FALSE(states["miPaste4Clipboard"]);
    EXPECT_FALSE(states["miCheckSelected"]);
    EXPECT_FALSE(states["miCheckWErrors"]);
    EXPECT_FALSE(states["miDeleteURL"]);
    EXPECT_TRUE(states["miOpenInBrowser"]);
    SelectRows({0});
    Key(Qt::Key_Delete);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Model()->rowCount(), 2);

    // Cancelling: the page waits for the stalled transfer, which ends at once.
    Click("btAbortRequests");
    EXPECT_FALSE(Enabled("btAbortRequests"));
    EXPECT_FALSE(MenuStates()["miPaste4Clipboard"]);  // still running
    ASSERT_TRUE(PumpUntil([this] { return !Page->IsRunning(); }));
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(Log.contains("Отмена проверки..."));
    EXPECT_FALSE(Enabled("btExport"));  // a cancelled run exports nothing
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Column(1), QStringList{"http://b.example/"});
}

TEST_F(UrlPageTest, OpenInBrowser_TheSelectedURLsInDisplayOrder)
{
    TUrlRecorder recorder;
    QDesktopServices::setUrlHandler("http", &recorder, "Open");
    ImportText({1, 2, 3});
    Key(Qt::Key_B, Qt::ControlModifier);  // nothing selected: nothing opened
    EXPECT_TRUE(recorder.Opened.isEmpty());
    SelectRows({2, 0});
    Key(Qt::Key_B, Qt::ControlModifier);
    QDesktopServices::unsetUrlHandler("http");
    EXPECT_EQ(recorder.Opened, (QStringList{Url(1), Url(3)}));
}

TEST_F(UrlPageTest, Export_DialogAndTheSameBytesAsTheCommandLineReport)
{
    ImportText({1, 2, 3});
    RunToEnd();
    const QByteArray report = ExportBytes("report.csv");
    const TFileDialogRequest& request = Dialogs.Calls.back().File;
    EXPECT_EQ(Dialogs.Calls.back().Kind, TKind::SaveFile);
    EXPECT_EQ(request.Title, "Укажите файл для экспорта");
    EXPECT_EQ(request.Filter, "CSV|*.csv");
    EXPECT_EQ(request.InitialDir, ExeDir());
    EXPECT_EQ(request.FileName, "scraper-report.csv");

    const QString cliReport = Dir.filePath("cli.csv");
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LANGUAGE", "ru");
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(TOLLMARSH_CLI_PATH),
              {"check", "--urls", Dir.filePath("urls.txt"), "--rules", RulesFile, "--threads", "3", "--out", cliReport});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 1) << cli.readAllStandardError().toStdString();  // one page failed
    QFile expected(cliReport);
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(report, expected.readAll());

    // Exporting again replaces the file; an impossible path gets the error box and
    // leaves what is there.
    EXPECT_EQ(ExportBytes("report.csv"), report);
    Dialogs.FileAnswers.push_back(Dir.filePath("report.csv/inside.csv"));
    Click("btExport");
    EXPECT_EQ(Dialogs.Texts(TKind::Error), QStringList{"Невозможно создать файл экспорта!"});
    QFile kept(Dir.filePath("report.csv"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), report);
    Click("btExport");  // a cancelled dialog writes nothing
    EXPECT_EQ(Dialogs.Count(TKind::Error), 1);
}

TEST_F(UrlPageTest, LanguageSwitch_FixedCaptionsPageCaptionAndTheNextExport)
{
    ImportText({1, 2});
    RunToEnd();
    SetTranslationLanguage("en");
    QEvent change(QEvent::LanguageChange);
    QSignalSpy captions(Model(), &QAbstractItemModel::headerDataChanged);
    QSignalSpy caption(Page.get(), &TUrlPage::CaptionChanged);
    QApplication::sendEvent(Page.get(), &change);
    EXPECT_GE(captions.count(), 1);
    EXPECT_EQ(Captions().mid(0, 4), (QStringList{"No.", "URL", "Response code", "Results"}));
    EXPECT_EQ(Captions().mid(4), (QStringList{"Title #1", "H1 #1", "H1 #2"}));  // rule names stay
    ASSERT_EQ(caption.count(), 1);
    EXPECT_EQ(Page->Caption(), " URL list (2) ");
    QHeaderView* header = Grid()->horizontalHeader();
    EXPECT_GE(header->sectionSize(2), header->fontMetrics().horizontalAdvance("Response code"));  // not cut
    EXPECT_TRUE(ExportBytes("en.csv").startsWith("No.;URL;Response code;Results;Title #1;H1 #1;H1 #2\r\n"));
}

TEST_F(UrlPageTest, CloseDuringARun_WaitsForWorkersAndKeepsFinishedTasks)
{
    Server.Stall("/2");
    Server.Stall("/3");
    ImportText({1, 2, 3});
    Click("btRunRequests");
    ASSERT_TRUE(PumpUntil([this] { return URLs.GetByNum(1)->TaskResults != nullptr && Server.RequestCount() >= 3; }));
    const auto started = std::chrono::steady_clock::now();
    Page->StopRun();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_FALSE(Page->IsRunning());
    EXPECT_EQ(Column(2), (QStringList{"200", "", ""}));  // the finished task is kept
    EXPECT_FALSE(Enabled("btExport"));
    EXPECT_TRUE(Log.last().startsWith("Проверка завершена за"));

    // Destroying the page in the middle of a run is safe as well.
    Click("btRunRequests");
    ASSERT_TRUE(PumpUntil([this] { return Server.RequestCount() >= 6; }));
    Page.reset();
    EXPECT_EQ(MessageReceiver(), nullptr);
    EXPECT_EQ(URLs.Count(), 3);
}

#include "UrlPage_test.moc"
