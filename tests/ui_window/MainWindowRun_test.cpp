// The whole window on a run: URLs pasted on the URL page, the rules of the
// set chosen at start-up, results in the grid, and a close in the middle of a
// run that cancels it, waits for the workers and still writes every file.

#include "EventPump.h"
#include "TestHttpServer.h"
#include "WindowFixture.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTableView>

namespace {

const QByteArray TitleRuleSet =
    "\xEF\xBB\xBF[\r\n{\"name\": \"Titles\", \"rules\": [{\"name\": \"Title\", \"query\": \"//title\", "
    "\"attr\": \"\", \"qtype\": 0, \"etype\": 0}]}\r\n]\r\n";

}  // namespace

class WindowRunTest : public WindowTest {
protected:
    TTestHttpServer Server;

    QString Url(const char* aPath) const { return QString::fromStdString(Server.Url(aPath)); }
    QAbstractItemModel* Grid() const { return Find<QTableView>("vtURLs")->model(); }
    void PasteAndRun(const QStringList& aUrls)
    {
        QApplication::clipboard()->setText(aUrls.join(u'\n'));
        Find<QPushButton>("btInsertURLs4Clip")->click();
        ASSERT_EQ(Grid()->rowCount(), aUrls.size());
        auto* run = Find<QPushButton>("btRunRequests");
        ASSERT_TRUE(run->isEnabled());
        run->click();
    }
};

TEST_F(WindowRunTest, APastedURLIsCheckedWithTheRulesOfTheChosenSet)
{
    Server.Respond("/a", 200, "<html><head><title>Alpha</title></head><body></body></html>");
    WriteFile("Tollmarsh.json", TitleRuleSet);
    Start();
    ASSERT_TRUE(Server.Start());
    PasteAndRun({Url("/a")});
    EXPECT_FALSE(Find<QWidget>("gbOptions")->isEnabled());  // no option changes under a run
    auto* exportButton = Find<QPushButton>("btExport");
    ASSERT_TRUE(PumpUntil([&] { return exportButton->isEnabled(); }));
    const QAbstractItemModel& log = Window->LogPage()->Model();
    QStringList lines;
    for (int row = 0; row < log.rowCount(); ++row)
        lines << log.index(row, 1).data().toString();
    EXPECT_EQ(Grid()->index(0, 2).data().toString(), QStringLiteral("200")) << lines.join(u'\n').toStdString();
    EXPECT_EQ(Grid()->index(0, 3).data().toString(), QStringLiteral("1"));
    ASSERT_GE(Grid()->columnCount(), 5);
    EXPECT_EQ(Grid()->index(0, 4).data().toString(), QStringLiteral("Alpha"));
    EXPECT_TRUE(Find<QWidget>("gbOptions")->isEnabled());
    Close();
}

TEST_F(WindowRunTest, ClosingDuringARunCancelsWaitsAndWritesTheFiles)
{
    Server.Stall("/slow");
    WriteFile("Tollmarsh.json", TitleRuleSet);
    Start();
    ASSERT_TRUE(Server.Start());
    PasteAndRun({Url("/slow")});
    ASSERT_TRUE(PumpUntil([&] { return Server.RequestCount() > 0; }));
    QElapsedTimer timer;
    timer.start();
    Close();
    EXPECT_LT(timer.elapsed(), 5000);  // minutes if the stalled transfer were waited for
    EXPECT_FALSE(Window->isVisible());
    EXPECT_TRUE(QFileInfo::exists(Path("Tollmarsh.ini")));
    EXPECT_TRUE(ReadFile("Tollmarsh.json").contains("//title"));
    EXPECT_TRUE(QFileInfo::exists(Path("proxies.json")));
}
