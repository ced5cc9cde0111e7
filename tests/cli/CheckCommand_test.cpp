#include "cli/CliLanguage.h"
#include "cli/RuleText.h"
#include "cli/check/CheckCommand.h"
#include "cli/check/ReportTarget.h"
#include "cli/check/UrlSource.h"
#include "core/CodePage.h"
#include "core/RuleSets.h"

#include "GzipBytes.h"
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
        qputenv("LANGUAGE", "en");  // messages in English; runs that compare reports ask for "--lang ru"
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
        EXPECT_EQ(run.Code, ecUsage) << c.Said;
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Said))) << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
    EXPECT_TRUE(Check({"--urls", urls, "--rules", rules, "--set", "broken"}).Err.contains("missing closing parenthesis"));
}

TEST_F(CheckCommandTest, HelpListsEveryOption)
{
    const TRun run = Check({"--help"});
    EXPECT_EQ(run.Code, ecOk);
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
                            "--rules", rules, "--threads", "2", "--delay", "1500", "--out", out, "--lang", "ru"});

    EXPECT_EQ(run.Code, ecFailed) << run.Err.toStdString();
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
                            "--hide-empty", "--user-agent", "Probe/1.0", "--lang", "ru"});

    EXPECT_EQ(run.Code, ecOk) << run.Err.toStdString();
    EXPECT_EQ(run.Out, Report(QString::fromUtf8("№;URL;Код ответа;Результаты;Title #1;H1 #1;H1 #2;H1 #3\r\n"
                                                "1;%1/a;200;4;Hello;One;One;Two\r\n")
                                  .arg(base)));
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Requests()[0].Header("User-Agent"), "Probe/1.0");
}

// Every refusal of a rule names the set, the rule, the member and what is allowed.
TEST_F(CheckCommandTest, RuleSetRefusalsSayWhereAndWhatIsAllowed)
{
    const QString urls = UrlFile({"http://127.0.0.1:9/"});
    const auto rule = [](const char* aMembers) {
        return QByteArray("[{\"name\":\"Shop\",\"rules\":[{\"name\":\"Ok\",\"qtype\":0,\"query\":\"//a\",\"attr\":\"\","
                          "\"etype\":0},{") + aMembers + "}]}]";
    };
    const struct {
        QByteArray File;
        const char* Said;
    } cases[] = {
        {rule("\"name\":\"Price\",\"qtype\":\"css\",\"query\":\"b\",\"attr\":\"\",\"etype\":0"),
         "set 1 \"Shop\", rule 2 \"Price\": \"qtype\" is the string \"css\"; it must be a whole number from 0 to 4"},
        {rule("\"name\":\"Price\",\"qtype\":9,\"query\":\"b\",\"attr\":\"\",\"etype\":0"), "\"qtype\" is 9; it must be"},
        {rule("\"name\":\"Price\",\"qtype\":2,\"query\":\"b\",\"etype\":0"),
         "rule 2 \"Price\": the member \"attr\" is missing; it must be a string"},
        {rule("\"name\":\"Price\",\"qtype\":2,\"query\":\"b\",\"attr\":\"\",\"etype\":2.5"),
         "\"etype\" is 2.5; it must be a whole number from 0 to 3 (0 text, 1 outer HTML"},
        {rule("\"name\":\"Price\",\"qtype\":2,\"query\":7,\"attr\":\"\",\"etype\":0"), "\"query\" is a number; it must be a string"},
        {"[{\"name\":\"Shop\",\"rules\":\"none\"}]", "set 1 \"Shop\": \"rules\" is a string; it must be an array"},
        {"[{\"name\":\"Shop\"}]", "the member \"rules\" is missing"},
        {"[\"Shop\"]", "set 1: a set must be an object"},
        {"[{\"name\":\"Shop\",\r\n \"rules\":[{\"name\":\"x\" \"qtype\":0}]}]", "line 2, column"},
        {"\xEF\xBB\xBF[\xFF]", "not UTF-8"},
        {"[]", "holds no rule set"},
    };
    for (const auto& c : cases) {
        const TRun run = Check({"--urls", urls, "--rules", Write(dir.FilePath("r.json"), c.File)});
        EXPECT_EQ(run.Code, ecUsage) << c.Said;
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Said))) << run.Err.toStdString();
    }
}

// An invalid query of each language is refused with its compiler's reason.
TEST_F(CheckCommandTest, InvalidRulesGiveTheCompilersReason)
{
    const QString urls = UrlFile({"http://127.0.0.1:9/"});
    const struct {
        const char* Text;
        const char* Said;
    } cases[] = {
        {"xpath://a/b/@", "invalid XPath query: invalid expression at character 8"},
        {"xpath://a[", "left open or closed unopened"},
        {"css:div >", "invalid CSS selector: combinator '>' at column 5"},
        {"template:<div><span></div>", "invalid HTML template: line 1, column 6: <span> is not closed"},
        {"xquery:for $a in", "invalid XQuery: XPST0003"},
        {"regex:a(b", "invalid regular expression: missing closing parenthesis at offset 3"},
        {"css:   ", "the query is empty"},
    };
    for (const auto& c : cases) {
        const TRun run = Check({"--urls", urls, "--rule", QString::fromUtf8("xpath,name=Fine://a"), "--rule",
                                QString::fromUtf8(c.Text)});
        EXPECT_EQ(run.Code, ecUsage) << c.Text;
        EXPECT_TRUE(run.Err.contains("rule 2 \"Rule 2\"")) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Said))) << run.Err.toStdString();
    }
}

TEST(CheckRuleSpec, EveryTypeAndExtractMode)
{
    const struct {
        const char* Text;
        TScrapQueryType Type;
        TScrapExtractType Extract;
        const char* Name;
        const char* Attr;
        const char* Query;
    } cases[] = {
        {"xpath://h1", qtXPath, etTextContent, "Rule 3", "", "//h1"},
        {"XQuery,extract=outer:for $a in //a return $a", qtXQuery, etOuterHTML, "Rule 3", "", "for $a in //a return $a"},
        {"css,name=Image,attr=src:img.main:first-child", qtCssPath, etTextContent, "Image", "src", "img.main:first-child"},
        {"css,extract=inner,name=Box:div", qtCssPath, etInnerHTML, "Box", "", "div"},
        {"regex:\\d+:\\d+", qtRegEx, etAnyPart, "Rule 3", "", "\\d+:\\d+"},
        {"template,extract=any:<b>{.}</b>", qtTemplate, etAnyPart, "Rule 3", "", "<b>{.}</b>"},
        {"css,name=:p", qtCssPath, etTextContent, "", "", "p"},
    };
    for (const auto& c : cases) {
        TScrapRule rule;
        QString error;
        ASSERT_TRUE(ParseRuleSpec(QString::fromUtf8(c.Text), 3, rule, error)) << c.Text << error.toStdString();
        EXPECT_EQ(rule.QueryType, c.Type) << c.Text;
        EXPECT_EQ(rule.ExtractType, c.Extract) << c.Text;
        EXPECT_EQ(rule.Name, QString::fromUtf8(c.Name)) << c.Text;
        EXPECT_EQ(rule.Attribute, QString::fromUtf8(c.Attr)) << c.Text;
        EXPECT_EQ(rule.Query, QString::fromUtf8(c.Query)) << c.Text;
    }
    for (const char* bad : {"h1", "html:h1", "css,colour=red:h1", "css,extract=all:h1", "css,name=a,name=b:h1"}) {
        TScrapRule rule;
        QString error;
        EXPECT_FALSE(ParseRuleSpec(QString::fromUtf8(bad), 1, rule, error)) << bad;
        EXPECT_TRUE(error.startsWith("--rule 1")) << error.toStdString();
    }
}

// --save-rules writes a file the loader reads; a set of the same name is
// replaced and the others stay.
TEST_F(CheckCommandTest, SavedRulesReadBackByTheLoader)
{
    const TRun first = Check({"--rule", "css,name=Image,attr=src,extract=outer:img", "--rule", "regex:\\d+",
                              "--save-rules", rules, "--set", "main"});
    ASSERT_EQ(first.Code, ecOk) << first.Err.toStdString();
    EXPECT_TRUE(first.Err.contains("replaced")) << first.Err.toStdString();
    const QString fresh = dir.FilePath("fresh.json");
    ASSERT_EQ(Check({"--rule", "template:<b>{.}</b>", "--save-rules", fresh}).Code, ecOk);

    TScrapRuleSets sets;
    ASSERT_TRUE(sets.LoadFromFile(rules));
    ASSERT_EQ(sets.Count(), 3);
    const TScrapRuleSet* main = sets.GetByName("Main");
    ASSERT_TRUE(main);
    ASSERT_EQ(main->Count(), 2);
    EXPECT_EQ(main->Rule(0)->Name, "Image");
    EXPECT_EQ(main->Rule(0)->QueryType, qtCssPath);
    EXPECT_EQ(main->Rule(0)->ExtractType, etOuterHTML);
    EXPECT_EQ(main->Rule(0)->Attribute, "src");
    EXPECT_EQ(main->Rule(1)->QueryType, qtRegEx);
    EXPECT_EQ(main->Rule(1)->Query, "\\d+");
    EXPECT_TRUE(sets.GetByName("Broken"));

    ASSERT_TRUE(sets.LoadFromFile(fresh));
    ASSERT_EQ(sets.Count(), 1);
    EXPECT_EQ(sets.At(0)->Name, "Main");
    EXPECT_EQ(sets.At(0)->Rule(0)->QueryType, qtTemplate);

    // A file that is not a rule-set file is not overwritten.
    const QString other = Write(dir.FilePath("notes.json"), "{\"notes\":1}");
    EXPECT_EQ(Check({"--rule", "css:h1", "--save-rules", other}).Code, ecUsage);
    QFile kept(other);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "{\"notes\":1}");
}

// A report that could not be written is known before anything is fetched.
TEST_F(CheckCommandTest, UnusableOutIsRefusedBeforeTheFirstRequest)
{
    TTestHttpServer server;
    server.Respond("/a", 200, "<h1>A</h1>");
    server.Respond("/sitemap.xml", 200, "<urlset><url><loc>" + server.Url("/a") + "</loc></url></urlset>",
                   "application/xml");
    ASSERT_TRUE(server.Start());
    const QString urls = UrlFile({QString::fromStdString(server.Url("/a"))});
    const QString sitemap = QString::fromStdString(server.Url("/sitemap.xml"));
    const struct {
        QString Source;
        QString Out;
        const char* Said;
    } cases[] = {
        {urls, dir.FilePath("missing/r.csv"), "does not exist"},
        {sitemap, dir.FilePath("missing/r.csv"), "does not exist"},
        {urls, dir.Path(), "it is a folder"},
        {urls, urls + "/r.csv", "is not a folder"},
    };
    for (const auto& c : cases) {
        const TRun run = Check({"--urls", c.Source, "--rule", "css:h1", "--out", c.Out});
        EXPECT_EQ(run.Code, ecUsage);
        EXPECT_TRUE(run.Err.contains("--out " + c.Out + ": ")) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Said)) << run.Err.toStdString();
    }
    EXPECT_EQ(server.RequestCount(), 0u);
}

// A sitemap index by address: the children in order (one gzip-compressed),
// every request with the run's User-Agent and spaced by the delay; a run from
// --rule rules, a summary and a report in UTF-8 with a byte-order mark.
TEST_F(CheckCommandTest, SitemapIndexByAddressWithAGzipChild)
{
    TTestHttpServer server;
    const std::string base = "http://127.0.0.1:";
    server.Route("/index.xml", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content("<sitemapindex><sitemap><loc>" + server.Url("/a.xml") + "</loc></sitemap><sitemap><loc>"
                            + server.Url("/b.xml.gz") + "</loc></sitemap></sitemapindex>",
                        "application/xml");
    });
    server.Route("/a.xml", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content("<urlset><url><loc>" + server.Url("/p1") + "</loc></url></urlset>", "application/xml");
    });
    server.Route("/b.xml.gz", [&](const httplib::Request&, httplib::Response& res) {
        const QByteArray gz = GzipBytes(QByteArray::fromStdString("<urlset><url><loc>" + server.Url("/p2")
                                                                   + "</loc></url></urlset>"));
        res.set_content(gz.toStdString(), "application/gzip");
    });
    server.Respond("/p1", 200, "<h1>Caf\xC3\xA9</h1>");
    server.Respond("/p2", 200, "<h1>Two</h1>");
    ASSERT_TRUE(server.Start());
    const QString out = dir.FilePath("report.csv");

    const TRun run = Check({"--urls", QString::fromStdString(server.Url("/index.xml")), "--rule", "css,name=H:h1",
                            "--user-agent", "Probe/2", "--threads", "1", "--encoding", "utf-8-bom", "--out", out});

    ASSERT_EQ(run.Code, ecOk) << run.Err.toStdString();
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 5u);
    const char* order[] = {"/index.xml", "/a.xml", "/b.xml.gz", "/p1", "/p2"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(requests[i].Path, order[i]);
        EXPECT_EQ(requests[i].Header("User-Agent"), "Probe/2");
        if (i > 0)
            EXPECT_GE(requests[i].TimeMs - requests[i - 1].TimeMs, 1450) << order[i];
    }
    QFile report(out);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray bytes = report.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFNo.;URL;")) << bytes.left(20).toHex().toStdString();
    EXPECT_TRUE(bytes.contains(";200;1;Caf\xC3\xA9\r\n"));
    EXPECT_TRUE(run.Err.contains("Checked 2 of 2 URLs in")) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains("200 OK: 2 (2 with values)"));
    EXPECT_TRUE(run.Err.contains("Report: " + out));
}

TEST(CheckReportEncoding, EveryEncodingByName)
{
    const QString text = QString::fromUtf8("Café crème Привет");
    const struct {
        const char* Name;
        QByteArray Bytes;
    } cases[] = {
        {"utf-8", text.toUtf8()},
        {"UTF-8-BOM", "\xEF\xBB\xBF" + text.toUtf8()},
        {"windows-1252", "Caf\xE9 cr\xE8me ??????"},
        {"windows-1251", "Caf? cr?me \xCF\xF0\xE8\xE2\xE5\xF2"},
        {"locale", TCodePage::SystemDefault().Encode(text)},
    };
    for (const auto& c : cases) {
        TReportEncoding encoding;
        ASSERT_TRUE(ParseReportEncoding(c.Name, encoding)) << c.Name;
        const QByteArray bytes = encoding.CodePage.Encode(text);
        EXPECT_EQ((encoding.ByteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + bytes, c.Bytes) << c.Name;
    }
    TReportEncoding encoding;
    EXPECT_FALSE(ParseReportEncoding("latin-1", encoding));
}

// --lang, else lang of Tollmarsh.ini (any letter case), else the system language.
TEST(CheckLanguage, OptionThenSettingsFileThenSystem)
{
    QTemporaryDir dir;
    const auto ini = [&](const char* aName, const QByteArray& aText) {
        const QString path = dir.filePath(aName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aText);
        return path;
    };
    const QByteArray previous = qgetenv("LANGUAGE");
    qputenv("LANGUAGE", "ru_RU");
    EXPECT_EQ(ChooseCliLanguage("", dir.filePath("none.ini")), "ru");
    const QString english = ini("en.ini", "[PARAMS]\r\nlang=EN\r\n");
    EXPECT_EQ(ChooseCliLanguage("", english), "en");
    EXPECT_EQ(ChooseCliLanguage("ru", english), "ru");
    const QString german = ini("de.ini", "[PARAMS]\r\nlang=de\r\n");
    EXPECT_EQ(ChooseCliLanguage("", german), "ru");  // an unknown code falls back to the system
    qputenv("LANGUAGE", "de_DE");
    EXPECT_EQ(ChooseCliLanguage("", german), "en");
    qputenv("LANGUAGE", previous);
}

TEST_F(CheckCommandTest, LanguageOptionChoosesTheReportsCaptions)
{
    TTestHttpServer server;
    server.Respond("/a", 200, "<h1>A</h1>");
    ASSERT_TRUE(server.Start());
    const QString urls = UrlFile({QString::fromStdString(server.Url("/a"))});
    const TRun english = Check({"--urls", urls, "--rule", "css,name=H:h1", "--lang", "en", "--quiet"});
    ASSERT_EQ(english.Code, ecOk) << english.Err.toStdString();
    EXPECT_TRUE(english.Out.startsWith("No.;URL;Response code;Results;H #1\r\n"));
    EXPECT_TRUE(english.Out.endsWith("\r\nReport generated by Tollmarsh ( https://tollmarsh.example/ )\r\n"));
    EXPECT_TRUE(english.Err.isEmpty()) << english.Err.toStdString();  // --quiet: no summary

    // The command line's own messages follow the language too, refusals of the arguments included.
    const TRun russian = Check({"--urls", urls, "--rule", "css,name=H:h1", "--threads", "0", "--lang", "ru"});
    EXPECT_EQ(russian.Code, ecUsage);
    EXPECT_TRUE(russian.Err.contains(QString::fromUtf8("--threads: целое число от 1 до 10"))) << russian.Err.toStdString();
    const TRun summary = Check({"--urls", urls, "--rule", "css,name=H:h1", "--lang=ru"});
    EXPECT_TRUE(summary.Err.contains(QString::fromUtf8("Проверено URL: 1 из 1 за"))) << summary.Err.toStdString();
    EXPECT_TRUE(summary.Out.startsWith(TCodePage::SystemDefault().Encode(QString::fromUtf8("№;URL;Код ответа;"))));
}
