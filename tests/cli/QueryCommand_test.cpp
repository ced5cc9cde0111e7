#include "cli/QueryCommand.h"

#include "TestHttpServer.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Code = -1;
    QString Out;
    QString Err;
};

TRun Query(const QStringList& aArgs, const QByteArray& aStdin = {})
{
    QByteArray inData = aStdin;
    QBuffer in(&inData);
    QBuffer out;
    QBuffer err;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    TCliIo io{in, out, err};
    TRun run;
    run.Code = RunQueryCommand(aArgs, io);
    run.Out = QString::fromUtf8(out.data());
    run.Err = QString::fromUtf8(err.data());
    return run;
}

const QByteArray kPage =
    "<html><body><ul><li>One</li><li> one </li><li>Two</li><li>  </li></ul>"
    "<a href=\"/a\">A</a><a href=\"/b\">B</a><div id=\"d\"><b>x</b> y</div></body></html>";

TEST(QueryCommand, PrintsValuesOnePerLine)
{
    const struct {
        const char* Name;
        QStringList Args;
        const char* Expected;
    } cases[] = {
        {"unique by default", {"--type", "xpath", "--query", "//li"}, "One\nTwo\n"},
        {"all", {"--type", "xpath", "--query", "//li", "--all"}, "One\none\nTwo\n"},
        {"css attribute", {"--type", "css", "--query", "a", "--attr", "href"}, "/a\n/b\n"},
        {"outer HTML", {"--type", "xpath", "--query", "//div/b", "--extract", "outer"}, "<b>x</b>\n"},
        {"inner HTML", {"--type", "xpath", "--query", "//div", "--extract", "inner"}, "<b>x</b> y\n"},
        {"regex whole matches", {"--type", "regex", "--query", "<li>\\s*(o)ne", "--all"},
         "<li>One\n<li> one\n"},
        {"regex caseless only: nothing", {"--type", "regex", "--query", "TWO"}, ""},
        {"query finds nothing", {"--type", "xpath", "--query", "//table"}, ""},
    };
    for (const auto& c : cases) {
        const TRun run = Query(c.Args + QStringList{"--stdin"}, kPage);
        EXPECT_EQ(run.Code, 0) << c.Name << ": " << run.Err.toStdString();
        EXPECT_EQ(run.Out, QString::fromUtf8(c.Expected)) << c.Name;
    }
}

TEST(QueryCommand, JsonOutput)
{
    const TRun run = Query({"--type", "xpath", "--query", "//li", "--all", "--json", "--stdin"}, kPage);
    ASSERT_EQ(run.Code, 0);
    EXPECT_EQ(QJsonDocument::fromJson(run.Out.toUtf8()).array(),
              QJsonArray::fromStringList({"One", "one", "Two"}));
    // No match of a regular expression: an empty array.
    const TRun none = Query({"--type", "regex", "--query", "zzz", "--json", "--stdin"}, kPage);
    ASSERT_EQ(none.Code, 0);
    EXPECT_EQ(none.Out, "[]\n");
    // Values with quotes, line breaks and Cyrillic survive the round trip.
    const QByteArray page = "<p>\"\xD0\xAF\"\nline</p>";
    const TRun tricky = Query({"--type", "regex", "--query", "(?s)\".*", "--json", "--stdin"}, page);
    ASSERT_EQ(tricky.Code, 0);
    EXPECT_EQ(QJsonDocument::fromJson(tricky.Out.toUtf8()).array(),
              QJsonArray::fromStringList({QStringLiteral("\"Я\"\nline</p>")}));
}

TEST(QueryCommand, ReadsAWindows1251File)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("page.html"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
               "</head><body><h1>\xCF\xF0\xE8\xE2\xE5\xF2</h1></body></html>");
    file.close();
    const TRun run = Query({"--type", "css", "--query", "h1", "--file", file.fileName()});
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QStringLiteral("Привет\n"));
    const TRun regex = Query({"--type", "regex", "--query", QStringLiteral("Привет"), "--file", file.fileName()});
    EXPECT_EQ(regex.Out, QStringLiteral("Привет\n"));
}

TEST(QueryCommand, ReadsAnHtml5CharsetPageAndRefusesAnEndlessOne)
{
    const QByteArray page = "<meta charset=\"windows-1251\"><h1>\xCF\xF0\xE8\xE2\xE5\xF2</h1>";
    EXPECT_EQ(Query({"--type", "css", "--query", "h1", "--stdin"}, page).Out, QStringLiteral("Привет\n"));

    const TRun endless = Query({"--type", "regex", "--query", "a", "--file", "/dev/zero"});
    EXPECT_EQ(endless.Code, 2);
    EXPECT_TRUE(endless.Err.contains(QStringLiteral("larger than the limit of 67108864 bytes")))
        << endless.Err.toStdString();
}

TEST(QueryCommand, UsageErrorsExitWith2)
{
    const struct {
        const char* Name;
        QStringList Args;
        const char* ErrorPart;
    } cases[] = {
        {"no type", {"--query", "//a", "--stdin"}, "--type is required"},
        {"bad type", {"--type", "sql", "--query", "x", "--stdin"}, "unknown --type \"sql\""},
        {"no query", {"--type", "xpath", "--stdin"}, "--query is required"},
        {"bad extract", {"--type", "xpath", "--query", "//a", "--extract", "all", "--stdin"},
         "unknown --extract"},
        {"unique and all", {"--type", "xpath", "--query", "//a", "--unique", "--all", "--stdin"},
         "exclude each other"},
        {"no input", {"--type", "xpath", "--query", "//a"}, "exactly one of --file PAGE and --stdin"},
        {"two inputs", {"--type", "xpath", "--query", "//a", "--stdin", "--file", "x"}, "exactly one"},
        {"unknown option", {"--type", "xpath", "--query", "//a", "--stdin", "--fast"}, "unknown option"},
        {"missing file", {"--type", "xpath", "--query", "//a", "--file", "/nonexistent/page.html"},
         "cannot read"},
        {"invalid regex", {"--type", "regex", "--query", "a(b", "--stdin"},
         "invalid regular expression: missing closing parenthesis"},
        {"invalid XPath", {"--type", "xpath", "--query", "//a[", "--stdin"}, "invalid XPath query"},
        {"invalid CSS", {"--type", "css", "--query", "a[", "--stdin"}, "invalid CSS selector"},
        {"empty query", {"--type", "css", "--query", "", "--stdin"}, "the query is empty"},
    };
    for (const auto& c : cases) {
        const TRun run = Query(c.Args, kPage);
        EXPECT_EQ(run.Code, 2) << c.Name;
        EXPECT_TRUE(run.Err.contains(QLatin1String(c.ErrorPart))) << c.Name << ": " << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << c.Name;
    }
}

TEST(QueryCommand, RuleThatCannotBeAppliedExitsWith1)
{
    const QByteArray page = QByteArray(40, 'a') + "!b";
    const TRun run = Query({"--type", "regex", "--query", "(a+)+$", "--stdin"}, page);
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Err.contains("cannot be applied")) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.isEmpty());
}

// The page is analysed in a helper process: its crash is this command's error.
TEST(QueryCommand, ACrashOfTheAnalysisHelperExitsWith1)
{
    const TRun run = Query({"--type", "regex", "--query", "#fault:crash", "--stdin"}, kPage);
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Err.startsWith("tollmarsh-cli query: the rule cannot be applied: the analysis helper "))
        << run.Err.toStdString();
    EXPECT_TRUE(run.Out.isEmpty());
}

TEST(QueryCommand, HelpDocumentsEveryOption)
{
    const TRun run = Query({"--help"});
    EXPECT_EQ(run.Code, 0);
    for (const char* option : {"--type", "--query", "--attr", "--extract", "--unique", "--all", "--file",
                               "--stdin", "--json", "--help", "Exit codes"})
        EXPECT_TRUE(run.Out.contains(QLatin1String(option))) << option;
}

}  // namespace

TEST(QueryCommandReasons, InvalidQueriesSayWhyWithThePlace)
{
    const struct {
        QStringList Args;
        const char* Said;
    } cases[] = {
        {{"--type", "template", "--query", "<ul>\n<li>{.}</ul>", "--stdin"}, "invalid HTML template: line 2, column"},
        {{"--type", "css", "--query", "a[", "--stdin"}, "at column 2"},
        {{"--type", "xquery", "--query", "for $a in", "--stdin"}, "XPST0003"},
        {{"--rule", "xpath,extract=outer://a/b/@", "--stdin"}, "invalid expression at character 8"},
        {{"--rule", "css", "--stdin"}, "--rule 1 \"css\": no \":\" before the query"},
        {{"--rule", "css:a", "--type", "css", "--stdin"}, "--rule and --type exclude each other"},
    };
    for (const auto& c : cases) {
        const TRun run = Query(c.Args, "<p>x</p>");
        EXPECT_EQ(run.Code, ecUsage) << c.Said;
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Said))) << run.Err.toStdString();
    }
}

// --url loads the page as the rule tester does: redirects followed, the given
// User-Agent, a status other than 200 refused with the tester's message.
TEST(QueryCommandUrl, FetchesThePageOrSaysWhyNot)
{
    TTestHttpServer server;
    server.Redirect("/old", "/page");
    server.Respond("/page", 200, "<h1>One</h1><h1>Two</h1>");
    server.Respond("/gone", 404, "<h1>Gone</h1>");
    ASSERT_TRUE(server.Start());
    qputenv("LANGUAGE", "en");

    const TRun ok = Query({"--rule", "css:h1", "--url", QString::fromStdString(server.Url("/old")), "--user-agent",
                           "Probe/3", "--lang", "en"});
    EXPECT_EQ(ok.Code, ecOk) << ok.Err.toStdString();
    EXPECT_EQ(ok.Out, "One\nTwo\n");
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Requests()[1].Header("User-Agent"), "Probe/3");

    const TRun gone = Query({"--rule", "css:h1", "--url", QString::fromStdString(server.Url("/gone")), "--lang", "en"});
    EXPECT_EQ(gone.Code, ecFailed);
    EXPECT_TRUE(gone.Err.contains("Error while fetching the page, HTTP code: 404")) << gone.Err.toStdString();
    EXPECT_TRUE(gone.Out.isEmpty());

    const TRun refused = Query({"--rule", "css:h1", "--url", "http://127.0.0.1:9/", "--lang", "ru"});
    EXPECT_EQ(refused.Code, ecFailed);
    EXPECT_TRUE(refused.Err.contains(QString::fromUtf8("Ошибка при получении страницы, исключение: "))) << refused.Err.toStdString();

    EXPECT_EQ(Query({"--rule", "css:h1", "--stdin", "--user-agent", "x"}).Code, ecUsage);
}
