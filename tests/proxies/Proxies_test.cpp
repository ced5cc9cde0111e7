#include "TestFolder.h"
#include "proxies/Proxies.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

struct TParseCase {
    QString Text;
    QString Host;
    int Port;
    QString UserAndPws;
};

TEST(ProxyFromStr, EveryTextGivesAProxy)
{
    const TParseCase cases[] = {
        {"192.0.2.10", "192.0.2.10", 3128, ""},
        {"192.0.2.10:8080", "192.0.2.10", 8080, ""},
        {"192.0.2.10:abc", "192.0.2.10", 3128, ""},
        {"192.0.2.10:", "192.0.2.10", 3128, ""},
        {"192.0.2.10:3128:user:pa:ss", "192.0.2.10", 3128, "user:pa:ss"},
        {"192.0.2.10: 3128 :  user :pw ", "192.0.2.10", 3128, "user :pw "},  // the rest is trimmed at its start only
        {"  192.0.2.10 : 80  ", "192.0.2.10", 3128, ""},     // last token untrimmed: "80  " is no number
        {" 192.0.2.10 :3128", "192.0.2.10", 3128, ""},
        {"host:80 ", "host", 3128, ""},                      // as typed in the edit box
        {"host:-5", "host", -5, ""},
        {"host:+77", "host", 77, ""},
        {"host:2147483647", "host", 2147483647, ""},
        {"host:-2147483648", "host", -2147483647 - 1, ""},
        {"host:2147483648", "host", 3128, ""},               // beyond 32 bits: not an integer
        {"host:99999999999999999999", "host", 3128, ""},
        {"host:1e3", "host", 3128, ""},
        {"host:-", "host", 3128, ""},
        {"", "", 3128, ""},
        {":81", "", 81, ""},
        {"::", "", 3128, ""},
        {"::u:p", "", 3128, "u:p"},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<TProxy> proxy = TProxies::ProxyFromStr(c.Text);
        EXPECT_EQ(proxy->Host, c.Host) << qPrintable(c.Text);
        EXPECT_EQ(proxy->Port, c.Port) << qPrintable(c.Text);
        EXPECT_EQ(proxy->UserAndPws, c.UserAndPws) << qPrintable(c.Text);
    }
    // The same text as an import line is trimmed first, so the port is read.
    TProxies list;
    list.ImportFromString(QStringLiteral("  192.0.2.10 : 80  "));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(0)->Host, QStringLiteral("192.0.2.10"));
    EXPECT_EQ(list.At(0)->Port, 80);
}

TEST(ProxyText, FormsOfOneProxy)
{
    TProxy proxy;
    proxy.Host = QStringLiteral("proxy.example");
    proxy.Port = -1;
    EXPECT_EQ(proxy.HostAndPort(), QStringLiteral("proxy.example:-1"));
    EXPECT_EQ(proxy.AsSemicolonText(), QStringLiteral("proxy.example:-1"));
    EXPECT_EQ(proxy.AsJSONStr(), QStringLiteral(R"({"host": "proxy.example", "port": -1, "userandpsw": ""})"));
    proxy.UserAndPws = QStringLiteral(u"u\"s:p\\w\x01Ж");
    EXPECT_EQ(proxy.AsSemicolonText(), QStringLiteral(u"proxy.example:-1:u\"s:p\\w\x01Ж"));
    EXPECT_EQ(proxy.AsJSONStr(),
              QStringLiteral(u"{\"host\": \"proxy.example\", \"port\": -1, \"userandpsw\": \"u\\\"s:p\\\\w\\u0001Ж\"}"));

    TProxy copy;
    copy.AssignFrom(proxy);
    EXPECT_EQ(copy.AsJSONStr(), proxy.AsJSONStr());
}

QStringList Hosts(const TProxies& aList)
{
    QStringList out;
    for (int i = 0; i < aList.Count(); ++i)
        out << aList.At(i)->AsSemicolonText();
    return out;
}

TEST(ProxyImport, SkipsCommentsBlankLinesAndKnownHosts)
{
    TProxies list;
    EXPECT_TRUE(list.ImportFromString(QString()));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.ImportFromString(QStringLiteral(
        "192.0.2.10:3128\r\n; a comment\n  ;192.0.2.99:1\r\r   \t\nProxy.Example:80:u:p\n"
        "192.0.2.10:9999\rPROXY.example:81\n192.0.2.11")));
    EXPECT_EQ(Hosts(list), (QStringList{"192.0.2.10:3128", "Proxy.Example:80:u:p", "192.0.2.11:3128"}));
    // Only ASCII letters are folded.
    EXPECT_TRUE(list.Exists(QStringLiteral("proxy.EXAMPLE")));
    EXPECT_FALSE(list.Exists(QStringLiteral("proxy.example.")));
    list.ImportFromStringList({QStringLiteral(u"прокси.рф:1"), QStringLiteral(u"ПРОКСИ.рф:2"), QStringLiteral("192.0.2.11:5")});
    EXPECT_EQ(list.Count(), 5);
    EXPECT_TRUE(list.Exists(QStringLiteral(u"прокси.рф")));
    EXPECT_FALSE(list.Exists(QStringLiteral(u"Прокси.рф")));
}

TEST(ProxyImport, TextFilesAreDecodedByTheirByteOrderMark)
{
    QTemporaryDir dir;
    const QString text = QStringLiteral(u"a.example:1\r\nb.example:2:пароль\r\n");
    const std::map<std::string, QByteArray> files = {
        {"utf8", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
        {"utf16le", QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)},
        {"utf16be", [&] {
             QByteArray bytes("\xFE\xFF");
             for (const QChar c : text) {
                 bytes.append(char(c.unicode() >> 8));
                 bytes.append(char(c.unicode() & 0xFF));
             }
             return bytes;
         }()},
    };
    for (const auto& [name, bytes] : files) {
        QFile file(dir.filePath(QString::fromStdString(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        TProxies list;
        EXPECT_TRUE(list.ImportFromTextFile(file.fileName())) << name;
        EXPECT_EQ(Hosts(list), (QStringList{"a.example:1", QStringLiteral(u"b.example:2:пароль")})) << name;
    }
    TProxies list;
    EXPECT_FALSE(list.ImportFromTextFile(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_EQ(list.Count(), 0);
}

TEST(ProxyRandom, EveryEntryIsDrawnUniformly)
{
    TProxies list;
    EXPECT_EQ(list.GetRandom(), nullptr);
    list.ImportFromString(QStringLiteral("only"));
    EXPECT_EQ(list.GetRandom(), list.At(0));

    list.ImportFromString(QStringLiteral("two\nthree\nfour"));
    std::map<const TProxy*, int> counts;
    const int draws = 40000;
    for (int i = 0; i < draws; ++i)
        ++counts[list.GetRandom()];
    ASSERT_EQ(counts.size(), 4u);
    for (int i = 0; i < list.Count(); ++i) {
        // 10 000 expected each; 5 standard deviations are about 430.
        EXPECT_NEAR(counts[list.At(i)], draws / 4, 600) << i;
    }
}

class ProxiesFile : public ::testing::Test {
protected:
    TTestFolder FDir;
    QString Path(const char* aName = "proxies.json") const { return FDir.FilePath(QString::fromUtf8(aName)); }
    static QByteArray Read(const QString& aPath) { return TTestFolder::Read(aPath); }
    QString Write(const QByteArray& aBytes) const { return FDir.Write(QStringLiteral("in.json"), aBytes); }
};

TEST_F(ProxiesFile, SavedBytesAreExactAndOwnerOnly)
{
    TProxies list;
    ASSERT_TRUE(list.SaveToFile(Path()));
    EXPECT_EQ(Read(Path()), QByteArray("\xEF\xBB\xBF[\r\n]\r\n"));
    EXPECT_EQ(Read(Path()).size(), 9);

    list.ImportFromString(QStringLiteral("192.0.2.10\n192.0.2.11:80"));
    ASSERT_TRUE(list.SaveToFile(Path()));
    EXPECT_EQ(Read(Path()), QByteArray("\xEF\xBB\xBF[\r\n"
                                       "  {\"host\": \"192.0.2.10\", \"port\": 3128, \"userandpsw\": \"\"},\r\n"
                                       "  {\"host\": \"192.0.2.11\", \"port\": 80, \"userandpsw\": \"\"}\r\n"
                                       "]\r\n"));
    EXPECT_EQ(list.FileBytes(), Read(Path()));
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(Path()) & others, QFileDevice::Permissions());
    EXPECT_FALSE(list.SaveToFile(Path("missing/proxies.json")));
}

TEST_F(ProxiesFile, SaveLoadSaveKeepsEveryEntry)
{
    TProxies list;
    list.ImportFromString(QStringLiteral(u"192.0.2.10:3128:us\"er:p\\w:x\nпрокси:-7\n:0\nh:1:\x01\x1f"));
    auto duplicate = std::make_unique<TProxy>();
    duplicate->AssignFrom(*list.At(0));
    list.Add(std::move(duplicate));  // the list itself allows duplicates; so does the file
    ASSERT_TRUE(list.SaveToFile(Path()));
    TProxies loaded;
    ASSERT_TRUE(loaded.LoadFromFile(Path()));
    EXPECT_EQ(Hosts(loaded), Hosts(list));
    ASSERT_TRUE(loaded.SaveToFile(Path("again.json")));
    EXPECT_EQ(Read(Path("again.json")), Read(Path()));
}

struct TLoadCase {
    const char* Label;
    QByteArray Bytes;
    bool Result;
    QStringList Entries;
};

TEST_F(ProxiesFile, LoadReadsAnyLayoutAndKeepsEntriesBeforeAFault)
{
    const TLoadCase cases[] = {
        {"compact, no byte-order mark", R"([{"host":"a","port":1,"userandpsw":"u:p"}])", true, {"a:1:u:p"}},
        {"root object, members in any order, trailing comma",
         R"({"x":{"userandpsw":"","port":2.9,"host":"b"},"y":{"host":"c","port":-3.7,"userandpsw":""},})", true,
         {"b:2", "c:-3"}},
        {"wrong kinds read as empty or 0", R"([{"host":5,"port":"80","userandpsw":null}])", true, {":0"}},
        {"names are case-sensitive", R"([{"Host":"a","port":1,"userandpsw":""}])", false, {":0"}},
        {"third entry without port",
         R"([{"host":"a","port":1,"userandpsw":""},{"host":"b","port":2,"userandpsw":""},{"host":"c","userandpsw":"x"}])",
         false, {"a:1", "b:2", "c:0"}},
        {"entry without credentials", R"([{"host":"a","port":1}])", false, {"a:1"}},
        {"child not an object", R"([{"host":"a","port":1,"userandpsw":""},"b:2"])", false, {"a:1"}},
        {"port beyond 32 bits", R"([{"host":"a","port":4294967376,"userandpsw":""}])", false, {"a:0"}},
        {"port overflowing a double", R"([{"host":"a","port":1e999,"userandpsw":""}])", false, {"a:0"}},
        {"not JSON", "[{", false, {}},
        {"not a document", "5", false, {}},
        {"invalid UTF-8", "[{\"host\":\"\xFF\",\"port\":1,\"userandpsw\":\"\"}]", false, {}},
        {"empty file", "", false, {}},
    };
    for (const auto& c : cases) {
        TProxies list;
        list.ImportFromString(QStringLiteral("old.example"));  // always dropped
        EXPECT_EQ(list.LoadFromFile(Write(c.Bytes)), c.Result) << c.Label;
        EXPECT_EQ(Hosts(list), c.Entries) << c.Label;
    }
}

TEST_F(ProxiesFile, FailedSaveKeepsThePreviousFile)
{
    TProxies list;
    list.ImportFromString(QStringLiteral("a:1"));
    ASSERT_TRUE(list.SaveToFile(Path()));
    const QByteArray before = Read(Path());
    // The target is a folder: nothing can be renamed over it.
    ASSERT_TRUE(QDir(FDir.Path()).mkdir(QStringLiteral("dir.json")));
    list.ImportFromString(QStringLiteral("b:2"));
    EXPECT_FALSE(list.SaveToFile(Path("dir.json")));
    EXPECT_EQ(Read(Path()), before);
    EXPECT_EQ(QDir(FDir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("proxies.json")});
}

}  // namespace
