// The proxy group's commands on the list, driven through the recording dialogs.

#include "RecordingDialogs.h"
#include "proxies/ProxyCommands.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using TKind = TRecordingDialogs::TKind;

struct TLogged {
    QString Text;
    TDateTime Time;
};

class ProxyCommandsTest : public ::testing::Test {
protected:
    TProxies Proxies;
    TRecordingDialogs Dialogs;
    std::vector<TLogged> Log;
    TManualClock Clock{1000};
    TProxyCommands Commands{Proxies, Dialogs,
                            [this](const QString& aText, TDateTime aTime) { Log.push_back({aText, aTime}); },
                            Clock};

    QStringList Hosts() const
    {
        QStringList hosts;
        for (int i = 0; i < Proxies.Count(); ++i)
            hosts.append(Proxies.At(i)->AsSemicolonText());
        return hosts;
    }
    void Fill(const char* aText) { Proxies.ImportFromString(QString::fromUtf8(aText)); }
};

}  // namespace

TEST_F(ProxyCommandsTest, PastingSkipsCommentsBlanksAndListedHosts)
{
    Fill("192.0.2.10:80");
    EXPECT_TRUE(Commands.AddFromText(
        QStringLiteral("; a comment\r\n\r\nHOST.example:81\n192.0.2.11:3128\r192.0.2.12:8080:u:p")));
    EXPECT_FALSE(Commands.AddFromText(QStringLiteral("192.0.2.10:9999")));  // host listed
    EXPECT_FALSE(Commands.AddFromText(QString()));
    EXPECT_EQ(Hosts(), QStringList({"192.0.2.10:80", "HOST.example:81", "192.0.2.11:3128",
                                    "192.0.2.12:8080:u:p"}));
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_F(ProxyCommandsTest, AddingFromAFile)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("list.txt"));
    {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("192.0.2.1:8080\r\n192.0.2.2\r\n");
    }
    Dialogs.FileAnswers = {QString(), dir.filePath(QStringLiteral("missing.txt")), good};
    EXPECT_FALSE(Commands.AddFromFile(dir.path()));  // cancelled
    EXPECT_FALSE(Commands.AddFromFile(dir.path()));
    EXPECT_TRUE(Commands.AddFromFile(dir.path()));
    EXPECT_EQ(Hosts(), QStringList({"192.0.2.1:8080", "192.0.2.2:3128"}));
    EXPECT_EQ(Dialogs.Texts(TKind::Warning), QStringList({"Файл с данными для импорта не найден!"}));
    const auto& request = Dialogs.Calls[0].File;
    EXPECT_EQ(request.Title, QStringLiteral("Укажите текстовый файл для добавления прокси"));
    EXPECT_EQ(request.Filter, QStringLiteral("Текстовые файлы|*.txt"));
    EXPECT_EQ(request.InitialDir, dir.path());

    // A folder cannot be read as a file: the import's own warning.
    Dialogs.Clear();
    Dialogs.FileAnswers = {dir.path()};
    EXPECT_FALSE(Commands.AddFromFile(dir.path()));
    EXPECT_EQ(Dialogs.Texts(TKind::Warning).size(), 1);
}

TEST_F(ProxyCommandsTest, EditingTheFocusedEntry)
{
    Fill("192.0.2.1:80\n192.0.2.2:81:u:p");
    Dialogs.InputAnswers = {QStringLiteral("192.0.2.2:81:u:p"),  // unchanged
                            QStringLiteral("192.0.2.1:82"),      // another listed host
                            QStringLiteral("192.0.2.3:80 ")};    // the blank makes a bad port
    EXPECT_FALSE(Commands.Edit(1));
    EXPECT_FALSE(Commands.Edit(5));
    EXPECT_TRUE(Commands.Edit(1));
    EXPECT_TRUE(Commands.Edit(0));
    EXPECT_FALSE(Commands.Edit(0));  // cancelled: the box gives the initial text back
    EXPECT_EQ(Hosts(), QStringList({"192.0.2.3:3128", "192.0.2.1:82"}));
    ASSERT_EQ(Dialogs.Calls.size(), 4u);
    EXPECT_EQ(Dialogs.Calls[0].Caption, QStringLiteral("Параметры прокси"));
    EXPECT_EQ(Dialogs.Calls[0].Text, QStringLiteral("IP:port[:user:password]: "));
    EXPECT_EQ(Dialogs.Calls[0].InitialText, QStringLiteral("192.0.2.2:81:u:p"));
}

TEST_F(ProxyCommandsTest, DeletingAndClearing)
{
    Fill("a:1\nb:2\nc:3\nd:4");
    EXPECT_FALSE(Commands.DeleteRows({}));
    EXPECT_TRUE(Commands.DeleteRows({3, 1, 3, 9}));
    EXPECT_EQ(Hosts(), QStringList({"a:1", "c:3"}));
    EXPECT_TRUE(Commands.Clear());
    EXPECT_FALSE(Commands.Clear());
    EXPECT_EQ(Proxies.Count(), 0);
}

TEST_F(ProxyCommandsTest, CheckingRemovesTheFailuresAfterTheSummary)
{
    Fill("a:1\nb:2\nc:3\nd:4");
    std::vector<int> progress;
    int listedAtSummary = -1;
    Dialogs.Clear();
    const bool removed = Commands.CheckAll(
        [&](const TProxy& aProxy) {
            listedAtSummary = Proxies.Count();
            return aProxy.Host == u"a" || aProxy.Host == u"c";
        },
        [&](int aPercent) { progress.push_back(aPercent); });
    EXPECT_TRUE(removed);
    EXPECT_EQ(progress, std::vector<int>({0, 0, 25, 50, 75, 0}));
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0].Text, QStringLiteral("Удален некорректный прокси: b:2"));
    EXPECT_EQ(Log[1].Text, QStringLiteral("Удален некорректный прокси: d:4"));
    EXPECT_EQ(Log[0].Time, 1000);
    EXPECT_EQ(listedAtSummary, 4);
    EXPECT_EQ(Dialogs.Texts(TKind::Warning), QStringList({"Удалено некорректных прокси: 2"}));
    EXPECT_EQ(Hosts(), QStringList({"a:1", "c:3"}));
}

TEST_F(ProxyCommandsTest, CheckingAllGoodOrNothing)
{
    std::vector<int> progress;
    const auto record = [&](int aPercent) { progress.push_back(aPercent); };
    EXPECT_FALSE(Commands.CheckAll([](const TProxy&) { return false; }, record));
    EXPECT_EQ(progress, std::vector<int>({0, 0}));
    Fill("a:1");
    EXPECT_FALSE(Commands.CheckAll([](const TProxy&) { return true; }, record));
    EXPECT_EQ(Dialogs.Texts(TKind::Information),
              QStringList({"Все прокси корректны", "Все прокси корректны"}));
    EXPECT_TRUE(Log.empty());
}

TEST_F(ProxyCommandsTest, AStopEndsTheCheckWithoutABox)
{
    Fill("a:1\nb:2\nc:3");
    int tested = 0;
    EXPECT_TRUE(Commands.CheckAll([&](const TProxy&) { return ++tested > 1 ? true : false; },
                                  [](int) {}, [&] { return tested == 2; }));
    EXPECT_EQ(tested, 2);
    EXPECT_EQ(Hosts(), QStringList({"b:2", "c:3"}));
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST(ProxyCommands, ProgressRoundsHalvesToEven)
{
    const struct {
        int I, N, Percent;
    } cases[] = {{0, 4, 0}, {1, 4, 25}, {3, 4, 75}, {1, 8, 12}, {3, 8, 38}, {5, 8, 62},
                 {1, 3, 33}, {2, 3, 67}, {1, 200, 0}, {3, 200, 2}, {0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TProxyCommands::ProgressPercent(c.I, c.N), c.Percent) << c.I << "/" << c.N;
}
