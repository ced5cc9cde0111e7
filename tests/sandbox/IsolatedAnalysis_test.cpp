#include "sandbox/HelperPool.h"
#include "sandbox/IsolatedAnalysis.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

TScrapRule Rule(TScrapQueryType aType, const QString& aQuery, TScrapExtractType aExtract = etTextContent)
{
    TScrapRule rule;
    rule.QueryType = aType;
    rule.Query = aQuery;
    rule.ExtractType = aExtract;
    return rule;
}

TAnalysisRequest Page(const QByteArray& aBody, std::vector<TScrapRule> aRules)
{
    TAnalysisRequest request;
    request.Body = aBody;
    request.Rules = std::move(aRules);
    return request;
}

const QByteArray kPage = "<html><body><h1>One</h1><h1>Two</h1><p class=x>Three</p></body></html>";

}  // namespace

// Every rule gets its values; a failed rule ends the page and says why.
TEST(SandboxAnalysis, RulesOfAPageComeBackInOrderUpToTheFirstFailure)
{
    const TIsolatedAnalysis all = AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1")),
                                                               Rule(qtRegEx, QStringLiteral("nothing here")),
                                                               Rule(qtCssPath, QStringLiteral("p.x"))}));
    EXPECT_EQ(all.Failure, hfNone);
    ASSERT_EQ(all.Outcomes.size(), 3u);
    EXPECT_EQ(all.Outcomes[0].Values, QStringList({QStringLiteral("One"), QStringLiteral("Two")}));
    EXPECT_TRUE(all.Outcomes[1].Applied);
    EXPECT_FALSE(all.Outcomes[1].HasList);  // a regular expression that finds nothing
    EXPECT_EQ(all.Outcomes[2].Values, QStringList({QStringLiteral("Three")}));

    const TIsolatedAnalysis stopped = AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1")),
                                                                   Rule(qtRegEx, QStringLiteral("(")),
                                                                   Rule(qtCssPath, QStringLiteral("p.x"))}));
    EXPECT_EQ(stopped.Failure, hfNone);
    ASSERT_EQ(stopped.Outcomes.size(), 2u);
    EXPECT_FALSE(stopped.Outcomes[1].Applied);
    EXPECT_FALSE(stopped.Outcomes[1].Failure.isEmpty());
}

// The rule tester's text is decoded already; a page body goes by its charset.
TEST(SandboxAnalysis, TextAndBodyFormsDecodeAsTheirCallersExpect)
{
    TAnalysisRequest text;
    text.Form = pfText;
    text.Text = QStringLiteral("<p>Привет</p>");
    text.Rules = {Rule(qtXPath, QStringLiteral("//p"))};
    const TIsolatedAnalysis fromText = AnalyseInHelper(text);
    ASSERT_EQ(fromText.Outcomes.size(), 1u);
    EXPECT_EQ(fromText.Outcomes[0].Values, QStringList({QStringLiteral("Привет")}));

    text.Rules = {Rule(qtXPath, QStringLiteral("//p["))};
    const TIsolatedAnalysis refused = AnalyseInHelper(text);
    ASSERT_EQ(refused.Outcomes.size(), 1u);
    EXPECT_FALSE(refused.Outcomes[0].Applied);
    EXPECT_NE(refused.Outcomes[0].LibraryStatus, 0);

    // "Да" in Windows-1251, declared by the page
    const QByteArray cp1251 = "<meta charset=\"windows-1251\"><p>\xC4\xE0</p>";
    const TIsolatedAnalysis fromBody = AnalyseInHelper(Page(cp1251, {Rule(qtXPath, QStringLiteral("//p"))}));
    ASSERT_EQ(fromBody.Outcomes.size(), 1u);
    EXPECT_EQ(fromBody.Outcomes[0].Values, QStringList({QStringLiteral("Да")}));
}

// Bytes and values far beyond a socket's buffer cross in both directions.
TEST(SandboxAnalysis, LargePagesAndLongValueListsCross)
{
    QByteArray body = "<html><body>";
    const int count = 200000;
    for (int i = 0; i < count; ++i)
        body += "<i>v" + QByteArray::number(i) + "</i>";
    body += "</body></html>";
    const TIsolatedAnalysis analysis = AnalyseInHelper(Page(body, {Rule(qtRegEx, QStringLiteral("v\\d+"))}));
    EXPECT_EQ(analysis.Failure, hfNone) << analysis.FailureText.toStdString();
    ASSERT_EQ(analysis.Outcomes.size(), 1u);
    ASSERT_EQ(analysis.Outcomes[0].Values.size(), count);
    EXPECT_EQ(analysis.Outcomes[0].Values.last(), QStringLiteral("v%1").arg(count - 1));
}

TEST(SandboxAnalysis, PagesReuseAnIdleHelper)
{
    THelperPool& pool = THelperPool::Instance();
    AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1"))}));
    const int started = pool.StartedCount();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1"))})).Failure, hfNone);
    EXPECT_EQ(pool.StartedCount(), started);
    EXPECT_EQ(pool.IdleCount(), 1);

    pool.SetIdleLimit(0);
    EXPECT_EQ(pool.IdleCount(), 0);
    EXPECT_EQ(AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1"))})).Failure, hfNone);
    EXPECT_EQ(pool.IdleCount(), 0);
    EXPECT_EQ(pool.StartedCount(), started + 1);
    pool.SetIdleLimit(THelperPool::kDefaultIdleLimit);
}

// An idle helper that was killed meanwhile is replaced without failing the page.
TEST(SandboxAnalysis, AHelperThatDiedWhileIdleIsReplaced)
{
    THelperPool& pool = THelperPool::Instance();
    pool.Clear();
    AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1"))}));
    const std::vector<pid_t> idle = pool.IdlePids();
    ASSERT_EQ(idle.size(), 1u);
    ::kill(idle[0], SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const TIsolatedAnalysis analysis = AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1"))}));
    EXPECT_EQ(analysis.Failure, hfNone) << analysis.FailureText.toStdString();
    ASSERT_EQ(analysis.Outcomes.size(), 1u);
}

TEST(SandboxAnalysis, AMissingHelperProgramIsAClearFailure)
{
    THelperPool& pool = THelperPool::Instance();
    const QString program = pool.Program();
    pool.SetProgram(QStringLiteral("/nonexistent/tollmarsh-analyser"));
    const TIsolatedAnalysis analysis = AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1"))}));
    pool.SetProgram(program);
    EXPECT_EQ(analysis.Failure, hfUnavailable);
    EXPECT_TRUE(analysis.Outcomes.empty());
    EXPECT_TRUE(analysis.FailureText.startsWith(
        QStringLiteral("the analysis helper could not be started: /nonexistent/tollmarsh-analyser: ")))
        << analysis.FailureText.toStdString();
}

// A cancel kills a helper that is busy; the next page gets a fresh one.
TEST(SandboxAnalysis, CancelEndsABusyHelper)
{
    std::atomic<bool> cancel{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    const TIsolatedAnalysis analysis =
        AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1")), Rule(qtRegEx, QStringLiteral("#fault:stall"))}),
                        &cancel);
    canceller.join();
    EXPECT_EQ(analysis.Failure, hfCancelled);
    EXPECT_EQ(analysis.Outcomes.size(), 1u);
    EXPECT_EQ(AnalyseInHelper(Page(kPage, {Rule(qtXPath, QStringLiteral("//h1"))})).Failure, hfNone);
}

