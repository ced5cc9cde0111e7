#include "ui/model/RuleTesterLogic.h"

#include <gtest/gtest.h>

namespace {

const QString kPage = QStringLiteral(
    "<html><body><p class='x'>One</p><p class='x'>one</p><p>Two</p>"
    "<a href='/a'>A</a></body></html>");

TTesterQuery Query(TScrapQueryType aType, const QString& aText, bool bUnique = true,
                   TScrapExtractType aExtract = etTextContent)
{
    TTesterQuery query;
    query.Html = kPage;
    query.Query = aText;
    query.QueryType = aType;
    query.ExtractType = aExtract;
    query.ChkUnique = bUnique;
    return query;
}

}  // namespace

TEST(RuleTesterLogic, RefusedInputGetsItsWarningAndKeepsTheResult)
{
    const struct {
        TTesterQuery query;
        const char* warning;
        bool focus;
    } cases[] = {
        {[] { auto q = Query(qtXPath, "//p"); q.Html.clear(); return q; }(), "Загрузите HTML", false},
        {Query(qtXPath, ""), "Укажите текст запроса", true},
        {Query(qtXPath, "   "), "Текст правила некорректный", true},  // blanks are not "empty"
        {Query(qtXPath, "//p["), "Текст правила некорректный", true},
        {Query(qtRegEx, "(a"), "Текст правила некорректный", true},
        {Query(qtTemplate, "<p>{{"), "Текст шаблона некорректный", true},
        {Query(qtXPath, "//p", true, etUnknown), "Тип извлечения некорректный", false},
    };
    for (const auto& c : cases) {
        const TTesterOutcome outcome = RunTesterQuery(c.query);
        EXPECT_EQ(outcome.Warning.toStdString(), c.warning) << c.query.Query.toStdString();
        EXPECT_EQ(outcome.FocusQuery, c.focus) << c.warning;
        EXPECT_FALSE(outcome.ResultChanged) << c.warning;
    }
}

TEST(RuleTesterLogic, ValuesOnePerLineWithOrWithoutRepeats)
{
    const struct {
        TTesterQuery query;
        const char* result;
    } cases[] = {
        {Query(qtXPath, "//p[@class='x']"), "One"},
        {Query(qtXPath, "//p[@class='x']", false), "One\r\none"},
        {Query(qtCssPath, "p", false), "One\r\none\r\nTwo"},
        {[] { auto q = Query(qtCssPath, "a"); q.Attribute = "href"; return q; }(), "/a"},
        {Query(qtXPath, "//p[1]", true, etOuterHTML), "<p class=\"x\">One</p>"},
        {Query(qtRegEx, "T[a-z]o", false, etAnyPart), "Two"},
        {Query(qtRegEx, "t[a-z]o"), ""},  // the first search minds the case
        {Query(qtRegEx, "nothing here"), ""},
        {Query(qtXPath, "//table"), ""},
    };
    for (const auto& c : cases) {
        const TTesterOutcome outcome = RunTesterQuery(c.query);
        EXPECT_TRUE(outcome.Warning.isEmpty()) << outcome.Warning.toStdString();
        EXPECT_TRUE(outcome.ResultChanged);
        EXPECT_EQ(outcome.Result.toStdString(), c.result) << c.query.Query.toStdString();
    }
}

TEST(RuleTesterLogic, ALibraryFailureIsTheOnlyLineOfTheResult)
{
    const TTesterOutcome outcome = RunTesterQuery(Query(qtXPath, "count(1)"));
    EXPECT_TRUE(outcome.Warning.isEmpty());
    EXPECT_TRUE(outcome.ResultChanged);
    EXPECT_TRUE(outcome.Result.startsWith("ОШИБКА, код: ")) << outcome.Result.toStdString();
    EXPECT_FALSE(outcome.Result.contains('\n'));
}

// The tester's page is parsed in a helper process: a crash there is a result line.
TEST(RuleTesterLogic, ACrashOfTheAnalysisHelperIsTheResult)
{
    const TTesterOutcome crashed = RunTesterQuery(Query(qtRegEx, "#fault:crash"));
    EXPECT_TRUE(crashed.ResultChanged);
    EXPECT_TRUE(crashed.Result.startsWith("the analysis helper ")) << crashed.Result.toStdString();
    EXPECT_EQ(RunTesterQuery(Query(qtXPath, "//table")).Result, QString());
}

TEST(RuleTesterLogic, ExtractChoicesFollowTheQueryType)
{
    EXPECT_TRUE(TesterExtractChoice(qtXPath).TextModesEnabled);
    EXPECT_FALSE(TesterExtractChoice(qtXPath).AnyPartEnabled);
    EXPECT_TRUE(TesterExtractChoice(qtTemplate).TextModesEnabled);
    EXPECT_TRUE(TesterExtractChoice(qtRegEx).AnyPartEnabled);
    EXPECT_FALSE(TesterExtractChoice(qtRegEx).TextModesEnabled);
    EXPECT_FALSE(TesterExtractChoice(-1).TextModesEnabled || TesterExtractChoice(-1).AnyPartEnabled);

    EXPECT_EQ(TesterExtractAfterTypeChange(TesterExtractChoice(qtXPath), etAnyPart), etTextContent);
    EXPECT_EQ(TesterExtractAfterTypeChange(TesterExtractChoice(qtXPath), etInnerHTML), etInnerHTML);
    EXPECT_EQ(TesterExtractAfterTypeChange(TesterExtractChoice(qtRegEx), etOuterHTML), etAnyPart);
}

TEST(RuleTesterLogic, HtmlFilesAreReadByTheirByteOrderMarkOrTheDefaultCodePage)
{
    const TCodePage cp1251("WINDOWS-1251");
    const QString text = QStringLiteral("<p>Привет</p>");
    EXPECT_EQ(DecodeHtmlFile("\xEF\xBB\xBF" + text.toUtf8(), cp1251), text);
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(DecodeHtmlFile(utf16, cp1251), text);
    EXPECT_EQ(DecodeHtmlFile(cp1251.Encode(text), cp1251), text);
    // no META character set is consulted for files
    const QByteArray declared = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">" +
                                text.toUtf8();
    EXPECT_EQ(DecodeHtmlFile(declared, TCodePage("UTF-8")), QString::fromUtf8(declared));
}
