#include "RecordingDialogs.h"
#include "ui/model/AppSettings.h"
#include "ui/model/SingleInstance.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void WriteAll(const QString& aName, const QByteArray& aBytes)
{
    QFile file(aName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(aBytes);
}

QByteArray ReadAll(const QString& aName)
{
    QFile file(aName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(AppSettings, MissingFileOrKeysGiveTheDefaults)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Tollmarsh.ini"));
    for (const QByteArray& text : {QByteArray(), QByteArray("[PARAMS]\nmax-threads=abc\n")}) {
        if (!text.isEmpty())
            WriteAll(name, text);
        const TStoredSettings s = ReadStoredSettings(name);
        EXPECT_EQ(s.Lang, QString());
        EXPECT_EQ(s.MaxThreads, 5);
        EXPECT_EQ(s.ReqPreDelay, 100);
        EXPECT_EQ(s.UserAgentRow, 0);
        EXPECT_EQ(s.RuleSetNdx, 0);
        EXPECT_EQ(s.ProxyTestURL, QString::fromLatin1(DefaultProxyTestURL));
        EXPECT_TRUE(s.UniqueResults);
        EXPECT_FALSE(s.UseProxies || s.ImportNoClear || s.ClearWithoutResult);
    }
}

TEST(AppSettings, StoredValuesAreRead)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Tollmarsh.ini"));
    WriteAll(name, "[PARAMS]\nlang=EN\nmax-threads=0x8\nreq-predelay=2500\nimport-no-clear=5\n"
                   "user-agent=16\ncustom-user-agent=My Bot/1\nclear-without-result=1\nruleset-ndx=-1\n"
                   "proxy-test-url=http://127.0.0.1:1/\nuse-proxies=1\nunique-results=0\n");
    const TStoredSettings s = ReadStoredSettings(name);
    EXPECT_EQ(s.Lang, QStringLiteral("EN"));
    EXPECT_EQ(s.MaxThreads, 8);
    EXPECT_EQ(s.ReqPreDelay, 2500);
    EXPECT_TRUE(s.ImportNoClear);
    EXPECT_EQ(s.UserAgentRow, 16);
    EXPECT_EQ(s.CustomUserAgent, QStringLiteral("My Bot/1"));
    EXPECT_TRUE(s.ClearWithoutResult);
    EXPECT_EQ(s.RuleSetNdx, -1);
    EXPECT_EQ(s.ProxyTestURL, QStringLiteral("http://127.0.0.1:1/"));
    EXPECT_TRUE(s.UseProxies);
    EXPECT_FALSE(s.UniqueResults);
}

TEST(AppSettings, CloseWritesTheMarkedSettingsInOrderThenTheRuleSetIndex)
{
    TOptionValues v;
    v.MaxThreads = 10;
    v.PreDelay = 2000;
    v.UserAgentRow = 16;
    v.CustomUserAgent = QStringLiteral("CustomBot/1.2");
    v.CustomUserAgentEnabled = true;
    v.LangCode = QStringLiteral("en");
    v.UseProxies = true;
    TChangedMarks all;
    for (int i = 0; i < int(TOption::Count); ++i)
        all.Set(TOption(i));
    const auto keys = [](const TSettingWrites& aWrites) {
        QStringList list;
        for (const auto& [key, value] : aWrites)
            list.append(key + u'=' + value);
        return list.join(u' ').toStdString();
    };
    EXPECT_EQ(keys(SettingsToWrite(v, all, 2)),
              "max-threads=10 req-predelay=2000 user-agent=16 custom-user-agent=CustomBot/1.2 lang=en "
              "import-no-clear=0 clear-without-result=0 use-proxies=1 unique-results=1 ruleset-ndx=2");
    EXPECT_EQ(keys(SettingsToWrite(v, TChangedMarks(), -1)), "ruleset-ndx=-1");
    // The custom text only while its field is enabled.
    v.CustomUserAgentEnabled = false;
    TChangedMarks some;
    some.Set(TOption::UserAgent);
    some.Set(TOption::CustomUserAgent);
    EXPECT_EQ(keys(SettingsToWrite(v, some, 0)), "user-agent=16 ruleset-ndx=0");
}

TEST(AppSettings, WritingKeepsTheOtherLinesOfTheFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Tollmarsh.ini"));
    WriteAll(name, "; mine\r\n[PARAMS]\r\nproxy-test-url=http://x/\r\nmax-threads=50\r\n[Other]\r\na=b\r\n");
    ASSERT_TRUE(WriteSettings(name, {{QStringLiteral("max-threads"), QStringLiteral("10")},
                                     {QStringLiteral("ruleset-ndx"), QStringLiteral("-1")}}));
    EXPECT_EQ(ReadAll(name).toStdString(),
              "; mine\r\n[PARAMS]\r\nproxy-test-url=http://x/\r\nmax-threads=10\r\nruleset-ndx=-1\r\n"
              "[Other]\r\na=b\r\n");
    // A missing file is created.
    const QString fresh = dir.filePath(QStringLiteral("new.ini"));
    ASSERT_TRUE(WriteSettings(fresh, {{QStringLiteral("ruleset-ndx"), QStringLiteral("-1")}}));
    EXPECT_EQ(ReadAll(fresh).toStdString(), "[PARAMS]\nruleset-ndx=-1\n");
}

TEST(AppSettings, LanguageRowByCodeThenBySystemLanguage)
{
    const struct {
        const char* Lang;
        int SystemId;
        int Row;
    } cases[] = {
        {"", 0x0419, 0}, {"", 0x0409, 1}, {"", 0x0407, 1}, {"EN", 0x0419, 1},
        {"ru", 0x0409, 0}, {"de", 0x0419, 0}, {"de", 0x0409, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseLanguageRow(QString::fromLatin1(c.Lang), c.SystemId), c.Row)
            << c.Lang << " " << c.SystemId;
}

TEST(AppSettings, RuleSetIndexFallsBackToTheFirstSet)
{
    EXPECT_EQ(ChooseRuleSetIndex(2, 3), 2);
    EXPECT_EQ(ChooseRuleSetIndex(3, 3), 0);
    EXPECT_EQ(ChooseRuleSetIndex(-1, 3), 0);
    EXPECT_EQ(ChooseRuleSetIndex(0, 0), -1);
}

TEST(SingleInstance, ASecondInstanceIsRefusedAndAStaleLockTakenOver)
{
    QTemporaryDir dir;
    {
        TSingleInstance first(dir.path());
        ASSERT_TRUE(first.TryAcquire());
        TSingleInstance second(dir.path());
        EXPECT_FALSE(second.TryAcquire());
    }
    TSingleInstance again(dir.path());
    ASSERT_TRUE(again.TryAcquire());
    const QString lockName = again.LockFileName();

    // A crashed instance leaves its lock file behind, naming a process that is gone.
    QTemporaryDir other;
    TSingleInstance probe(other.path());
    WriteAll(probe.LockFileName(), "999999999\ntollmarsh\n\n");
    EXPECT_TRUE(probe.TryAcquire());
    EXPECT_NE(lockName, probe.LockFileName());
}

TEST(SingleInstance, TheRefusalSpeaksTheStoredLanguage)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Tollmarsh.ini"));
    const struct {
        const char* File;  // none: no settings file
        const char* Text;
    } cases[] = {
        {nullptr, "Программа уже запущена"},
        {"[PARAMS]\nlang=ru\n", "Программа уже запущена"},
        {"[PARAMS]\nmax-threads=3\n", "Программа уже запущена"},
        {"[PARAMS]\nlang=en\n", "Program already started!"},
        {"[PARAMS]\nlang=RU\n", "Program already started!"},  // compared exactly
    };
    for (const auto& c : cases) {
        QFile::remove(name);
        if (c.File)
            WriteAll(name, c.File);
        TRecordingDialogs dialogs;
        ShowAlreadyRunning(dialogs, name);
        ASSERT_EQ(dialogs.Calls.size(), 1u);
        EXPECT_EQ(dialogs.Calls[0].Kind, TRecordingDialogs::TKind::Warning);
        EXPECT_EQ(dialogs.Calls[0].Text.toStdString(), c.Text) << (c.File ? c.File : "(none)");
        EXPECT_EQ(AlreadyRunningMessage(name).Title.toStdString(),
                  dialogs.Calls[0].Text.startsWith(u'P') ? "Warning" : "Предупреждение");
    }
}
