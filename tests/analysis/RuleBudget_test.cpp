// Every rule ends within its time budget, or at once when the run is
// cancelled, whatever the query: pages generated to make each language slow.

#include "analysis/AnalysisBudget.h"
#include "analysis/PageAnalysis.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TScrapRule Rule(TScrapQueryType aType, const QString& aQuery)
{
    TScrapRule rule;
    rule.QueryType = aType;
    rule.Query = aQuery;
    return rule;
}

QByteArray Repeat(const QByteArray& aPiece, int aCount)
{
    QByteArray out;
    out.reserve(aPiece.size() * aCount);
    for (int i = 0; i < aCount; ++i)
        out += aPiece;
    return out;
}

struct TSlowCase {
    const char* Name;
    TScrapRule Rule;
    QByteArray Page;
};

std::vector<TSlowCase> SlowCases()
{
    // 16 KB of descendant selectors: the walk memos grow with selectors times elements.
    QString selectors;
    for (int i = 0; i < 640; ++i)
        selectors += QStringLiteral("div div div div span%1, ").arg(i % 2 ? QString() : QStringLiteral(".c%1").arg(i));
    selectors += QStringLiteral("b");
    const QByteArray nested = Repeat("<div><div><div><div><span>x</span></div></div></div></div>", 4000);
    return {
        // libxml2's node-set merges are quadratic: 46 s without a bound.
        {"xpath following", Rule(qtXPath, QStringLiteral("count(//p/following::p)")), Repeat("<p></p>", 6000)},
        {"xpath 3.1 loop", Rule(qtXPath, QStringLiteral("count(for $i in 1 to 100000000 return $i * 2)")),
         "<p>x</p>"},
        {"xquery loop",
         Rule(qtXQuery, QStringLiteral("count(for $i in 1 to 100000000 return string($i))")), "<p>x</p>"},
        {"css selector list", Rule(qtCssPath, selectors), nested},
        {"regex quadratic scan", Rule(qtRegEx, QStringLiteral("<body>|(?=a)\\w*\\s")),
         QByteArray(400 * 1024, 'a')},
    };
}

// The script engine's first start costs more than a short budget: warm it up.
void WarmUpScriptEngine()
{
    std::unique_ptr<TSRStringList> list;
    ApplyScrapRule("<p>x</p>", Rule(qtXQuery, QStringLiteral("1")), list, false);
}

}  // namespace

TEST(RuleBudget, EveryLanguageStopsAtTheBudget)
{
    WarmUpScriptEngine();
    const TAnalysisBudgetScope scope({400, nullptr});
    for (const TSlowCase& c : SlowCases()) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TSRStringList> list;
        QString why;
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(ApplyScrapRule(c.Page, c.Rule, list, false, &why));
        // Parsing the page comes on top of the budget.
        EXPECT_LT(timer.elapsed(), 4000);  // minutes without the bound; generous for a busy machine
        EXPECT_EQ(why, RuleTimeBudgetMessage(400));
        EXPECT_EQ(list, nullptr);
    }
    // Within the budget an ordinary rule of each language still works.
    std::unique_ptr<TSRStringList> list;
    EXPECT_TRUE(ApplyScrapRule("<p>a</p><p>b</p>", Rule(qtXPath, QStringLiteral("count(//p)")), list, false));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Values(), QStringList{"2"});
    EXPECT_TRUE(ApplyScrapRule("<p>a</p><p>b</p>", Rule(qtXQuery, QStringLiteral("count(//p)")), list, false));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Values(), QStringList{"2"});
}

TEST(RuleBudget, CancelStopsEveryLanguageAtOnce)
{
    WarmUpScriptEngine();
    for (const TSlowCase& c : SlowCases()) {
        SCOPED_TRACE(c.Name);
        std::atomic<bool> cancel{false};
        const TAnalysisBudgetScope scope({60 * 1000, &cancel});
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            cancel = true;
        });
        std::unique_ptr<TSRStringList> list;
        QString why;
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(ApplyScrapRule(c.Page, c.Rule, list, false, &why));
        canceller.join();
        EXPECT_LT(timer.elapsed(), 4000);  // minutes without the bound; generous for a busy machine
        EXPECT_EQ(why, RuleCancelledMessage());
    }
}
