#include "cli/check/CheckCommand.h"
#include "cli/check/UrlSource.h"
#include "core/CodePage.h"

#include "TestFolder.h"
#include "TestHttpServer.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Code = -1;
    QByteArray Out;
    QString Err;
};

TRun Check(const QStringList& aArgs)
{
    QBuffer in, out, err;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    TCliIo io{in, out, err};
    TRun run;
    run.Code = RunCheckCommand(aArgs, io);
    run.Out = out.data();
    run.Err = QString::fromUtf8(err.data());
    return run;
}

const char kRuleSets[] =
    "\xEF\xBB\xBF[\r\n"
    "  {\"name\":\"Main\",\"rules\":[{\"name\":\"Title\",\"qtype\":0,\"query\":\"//title\",\"attr\":\"\",\"etype\":0},"
    "{\"name\":\"H1\",\"qtype\":2,\"query\":\"h1\",\"attr\":\"\",\"etype\":0}]},\r\n"
    "  {\"name\":\"Broken\",\"rules\":[{\"name\":\"Ok\",\"qtype\":0,\"query\":\"//a\",\"attr\":\"\",\"etype\":0},"
    "{\"name\":\"Paren\",\"qtype\":3,\"query\":\"(a\",\"attr\":\"\",\"etype\":0}]},\r\n"
    "  {\"name\":\"Empty\",\"rules\":[]}\r\n"
    "]\r\n";

const char kFooter[] = "Отчет сгенерирован при помощи Tollmarsh ( https://tollmarsh.example/ )\r\n";

struct CheckCommandTest : ::testing::Test {
    TTestFolder dir;
    QString rules = dir.FilePath("rules.json");

    void SetUp() override
    {
        qputenv("LANGUAGE", "ru");  // the report's captions and footer in the source language
        Write(rules, kRuleSets);
    }
    QString Write(const QString& aPath, const QByteArray& aBytes)
    {
        QFile f(aPath);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(aBytes);
        return aPath;
    }
    QString UrlFile(const QStringList& aUrls)
    {
        return Write(dir.FilePath("urls.txt"), aUrls.join('\n').toUtf8() + '\n');
    }
    static QByteArray Report(const QString& aText)
    {
        return TCodePage::SystemDefault().Encode(aText + "\r\n" + QString::fromUtf8(kFooter));
    }
};

}  // namespace

TEST_F(CheckCommandTest, BadInputExitsWithTwoAndSaysWhy)
{
    const QString urls = UrlFile({"http://127.0.0.1:9/"});
    const QString noUrls = Write(dir.FilePath("none.txt"), "ftp://x/\nnot a url\n");
    const struct {
        QStringList Args;
        const char* Said;
    } cases[] = {
        {{}, "--urls FILE is required"},
        {{"--urls", urls, "--bogus"}, "bogus"},
        {{"--urls", dir.FilePath("missing.txt"), "--rules", rules}, "URL file not found"},
        {{"--urls", urls, "--rules", dir.FilePath("missing.json")}, "rule-set file not found"},
        {{"--urls", urls, "--rules", urls}, "not a valid rule-set file"},
        {{"--urls", urls, "--rules", rules, "--set", "nope"}, "no rule set named \"nope\""},
        {{"--urls", urls, "--rules", rules, "--set", "EMPTY"}, "has no rules"},
        {{"--urls", urls, "--rules", rules, "--set", "broken"}, "rule 2 \"Paren\""},
        {{"--urls", urls, "--rules", rules, "--threads", "11"}, "--threads must be a whole number from 1 to 10"},
        {{"--urls", urls, "--rules", rules, "--delay", "1000"}, "--delay must be"},
        {{"--urls", urls, "--rules", rules, "--user-agent", "16"}, "row 16 is not in the table"},
        {{"--urls", urls, "--rules", rules, "--unique", "--all"}, "exclude each other"},
        {{"--urls", noUrls, "--rules", rules}, "no URL to check"},
        {{"--urls", urls, "--rules", rules, "--use-proxies", "--proxies", dir.FilePath("p.json")},
         "proxy list file not found"},
    };
    for (const auto& c : cases) {
        const TRun run = Check(c.Args);
        EXPECT_EQ(run.Code, ceBadInput) << c.Said;
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Said))) << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
    EXPECT_TRUE(Check({"--urls", urls, "--rules", rules, "--set", "broken"}).Err.contains("missing closing parenthesis"));
}

TEST_F(CheckCommandTest, HelpListsEveryOption)
{
    const TRun run = Check({"--help"});
    EXPECT_EQ(run.Code, ceCompleted);
    for (const char* option : {"--urls", "--rules", "--set", "--threads", "--delay", "--user-agent",
                               "--proxies", "--use-proxies", "--unique", "--all", "--hide-empty",
                               "--out", "--verbose"})
        EXPECT_TRUE(run.Out.contains(option)) << option;
}

TEST(CheckUrlSource, SitemapsAreToldApartByContent)
{
    EXPECT_TRUE(LooksLikeSitemap("<?xml version=\"1.0\"?><urlset/>"));
    EXPECT_TRUE(LooksLikeSitemap("\xEF\xBB\xBF \r\n<urlset>"));
    EXPECT_FALSE(LooksLikeSitemap("http://example.com/<x>"));
    EXPECT_FALSE(LooksLikeSitemap(""));
}

// The whole run against a local server: statuses, a redirect, a Windows-1251
// page, two rules, unique values, the report compared byte for byte.
TEST_F(CheckCommandTest, RunsEveryUrlAndWritesTheReport)
{
    TTestHttpServer server;
    server.Respond("/a", 200,
                   "<html><head><title>Hello</title></head><body><h1>One</h1><h1>One</h1>"
                   "<h1>Two</h1></body></html>");
    server.Redirect("/old", "/moved");
    server.Respond("/moved", 200, "<html><head><title>Moved</title></head><body></body></html>");
    server.Respond("/cp", 200,
                   "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                   "<title>\xCF\xF0\xE8\xE2\xE5\xF2</title>"
                   "</head><body><h1>A</h1></body></html>",
                   "text/html");
    ASSERT_TRUE(server.Start());
    const QString base = QString::fromStdString(server.BaseUrl());
    const QString out = dir.FilePath("report.csv");

    const TRun run = Check({"--urls", UrlFile({base + "/a", base + "/old", base + "/missing", base + "/cp"}),
                            "--rules", rules, "--threads", "2", "--delay", "1500", "--out", out});

    EXPECT_EQ(run.Code, ceCompletedWithFailures) << run.Err.toStdString();
    QFile report(out);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray written = report.readAll();
    EXPECT_EQ(QString::fromUtf8(written).toStdString(), QString::fromUtf8(Report(QString::fromUtf8("№;URL;Код ответа;Результаты;Title #1;H1 #1;H1 #2\r\n"
                                                         "1;%1/a;200;3;Hello;One;Two\r\n"
                                                         "2;%1/old;200;1;Moved;;\r\n"
                                                         "3;%1/missing;404;;;;\r\n"
                                                         "4;%1/cp;200;2;Привет;A;\r\n")
                                           .arg(base))).toStdString());
    ASSERT_EQ(server.RequestCount(), 5u);
    const auto requests = server.Requests();
    EXPECT_EQ(requests[0].Path, "/a");  // in list order
    EXPECT_FALSE(requests[0].Header("User-Agent").empty());
}

TEST_F(CheckCommandTest, AllValuesAndHiddenEmptyPagesOnStandardOutput)
{
    TTestHttpServer server;
    server.Respond("/a", 200, "<title>Hello</title><h1>One</h1><h1>One</h1><h1>Two</h1>");
    server.Respond("/empty", 200, "<p>nothing here</p>");
    ASSERT_TRUE(server.Start());
    const QString base = QString::fromStdString(server.BaseUrl());

    const TRun run = Check({"--urls", UrlFile({base + "/empty", base + "/a"}), "--rules", rules, "--all",
                            "--hide-empty", "--user-agent", "Probe/1.0"});

    EXPECT_EQ(run.Code, ceCompleted) << run.Err.toStdString();
    EXPECT_EQ(run.Out, Report(QString::fromUtf8("№;URL;Код ответа;Результаты;Title #1;H1 #1;H1 #2;H1 #3\r\n"
                                                "1;%1/a;200;4;Hello;One;One;Two\r\n")
                                  .arg(base)));
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Requests()[0].Header("User-Agent"), "Probe/1.0");
}
