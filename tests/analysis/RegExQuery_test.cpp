#include "analysis/AnalysisBudget.h"
#include "analysis/PageAnalysis.h"

#include <QElapsedTimer>
#include <QStringList>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// The values of a regular-expression run; "<no list>" when it gave none and
// "<failed>" when it returned false.
QStringList Matches(const QString& aText, const QString& aPattern, bool bChkUnique = false)
{
    std::unique_ptr<TSRStringList> list;
    if (!RunRegExQuery(aText, aPattern, bChkUnique, list))
        return {QStringLiteral("<failed>")};
    if (!list)
        return {QStringLiteral("<no list>")};
    return list->Values();
}

struct TRegExCase {
    const char* Name;
    QString Text;
    QString Pattern;
    bool Unique;
    QStringList Expected;
};

TEST(RegExQuery, ExistenceTestThenCollection)
{
    const QString greetings = QStringLiteral("Hello\nhello\nHELLO");
    const TRegExCase cases[] = {
        {"collection ignores case once the test found a match", greetings, "hello", false,
         {"Hello", "hello", "HELLO"}},
        {"unique keeps the first of a case-insensitive group", greetings, "hello", true, {"Hello"}},
        {"a match only when case is ignored gives no list", "HELLO there", "hello", false,
         {"<no list>"}},
        {"no match at all gives no list", "abc", "xyz", false, {"<no list>"}},
        {"Cyrillic case is folded", QStringLiteral("Привет мир. ПРИВЕТ МИР. привет"),
         QStringLiteral("привет"), false,
         {QStringLiteral("Привет"), QStringLiteral("ПРИВЕТ"), QStringLiteral("привет")}},
        {"Cyrillic unique", QStringLiteral("Привет мир. ПРИВЕТ МИР. привет"),
         QStringLiteral("привет"), true, {QStringLiteral("Привет")}},
        {"only whole matches, not groups", "key=abc; key=def", "key=(\\w+)", false,
         {"key=abc", "key=def"}},
        {"anchors in the test span the whole text", "abc\ndef", "^\\w+$", false, {"<no list>"}},
        {"whole text matching the anchored test", "abc", "^\\w+$", false, {"abc"}},
        {"the collection then works line by line", "abc\ndef x", "^\\w+$|x", false, {"abc", "x"}},
        {"values are trimmed and blank ones dropped", "a  x  b   c", "\\s+x?\\s+", false, {"x"}},
        {"an empty match alone does not pass the test", "abc", "z*", false, {"<no list>"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Matches(c.Text, c.Pattern, c.Unique), c.Expected) << c.Name;
}

TEST(RegExQuery, EmptyMatchesAdvanceOneCharacter)
{
    const TRegExCase cases[] = {
        {"empty matches between the runs", "axxbx", "x*", false, {"xx", "x"}},
        // The step after an empty match never splits a surrogate pair.
        {"surrogate pair", QStringLiteral("\U0001F600x\U0001F600xx"), "x*", false, {"x", "xx"}},
        {"astral characters themselves", QStringLiteral("a\U0001F600b\U0001F600"),
         QStringLiteral("\U0001F600?"), false,
         {QStringLiteral("\U0001F600"), QStringLiteral("\U0001F600")}},
        {"only empty matches: a list without values", "aaa", "a??", false, {}},
        {"line starts in multi-line mode", "one\ntwo\n\nthree", "^\\w*", false,
         {"one", "two", "three"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Matches(c.Text, c.Pattern, c.Unique), c.Expected) << c.Name;
}

TEST(RegExQuery, EveryUnicodeNewlineEndsALine)
{
    // CR, LF, CR LF, VT, FF, NEL, LS and PS all end lines; "!" lets the
    // whole-text test pass.
    const QString text = QStringLiteral(
        "one\rtwo\r\nthree\nfour\vfive\ffive2\u0085six\u2028seven\u2029eight!");
    EXPECT_EQ(Matches(text, QStringLiteral("^\\w+$|!")),
              (QStringList{"one", "two", "three", "four", "five", "five2", "six", "seven", "!"}));
    // The dot stops at every line end.
    EXPECT_EQ(Matches(QStringLiteral("a\rb a\u2028b a\u0085b axb"), QStringLiteral("a.b")),
              QStringList{"axb"});
}

TEST(RegExQuery, InvalidPatternsFail)
{
    for (const char* pattern : {"(", "a{2,1}", "[z-a]", "\\", "(?<n>a)(?<n>b)"}) {
        std::unique_ptr<TSRStringList> list;
        EXPECT_FALSE(RunRegExQuery("text", QString::fromLatin1(pattern), true, list)) << pattern;
        EXPECT_EQ(list, nullptr) << pattern;
        EXPECT_FALSE(CheckQueryValid(QString::fromLatin1(pattern), qtRegEx)) << pattern;
        EXPECT_FALSE(RegExPatternError(QString::fromLatin1(pattern)).isEmpty()) << pattern;
    }
    EXPECT_TRUE(RegExPatternError("(a|b)+").isEmpty());
    EXPECT_TRUE(CheckQueryValid(QStringLiteral("привет\\s+мир"), qtRegEx));
    EXPECT_FALSE(CheckQueryValid(QString(), qtRegEx));
    // A lone surrogate is not a pattern.
    EXPECT_FALSE(CheckQueryValid(QString(QChar(0xD800)), qtRegEx));
    EXPECT_TRUE(RegExPatternError("(").contains("offset"));
}

TEST(RegExQuery, InvalidUtf16InTheTextDoesNotBreakTheSearch)
{
    const QString text = QStringLiteral("ab") + QChar(0xD800) + QStringLiteral("ab");
    EXPECT_EQ(Matches(text, "ab"), (QStringList{"ab", "ab"}));
}

TEST(RegExQuery, CatastrophicBacktrackingFailsQuickly)
{
    // The trailing "b" defeats the required-character shortcut.
    const QString text = QString(40, u'a') + QStringLiteral("!b");
    for (const char* pattern : {"(a+)+$", "(a|aa)+$", "(a*)*b", "^(\\w+\\s?)*$", "(?:a+a+)+b"}) {
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<TSRStringList> list;
        QString why;
        EXPECT_FALSE(RunRegExQuery(text, QString::fromLatin1(pattern), true, list, &why)) << pattern;
        EXPECT_LT(timer.elapsed(), 1000) << pattern;
        EXPECT_FALSE(why.isEmpty()) << pattern;
        EXPECT_EQ(list, nullptr);
    }
    TScrapRule rule;
    rule.QueryType = qtRegEx;
    rule.Query = QStringLiteral("(x+x+)+y");
    std::unique_ptr<TSRStringList> list;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(ApplyScrapRule(QByteArray(5000, 'x') + "!y", rule, list, true));
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(RegExQuery, LargePagesStayWithinTheLimits)
{
    // 2 MB of ordinary markup: many matches, and a search that fails everywhere.
    QString page;
    for (int i = 0; i < 40000; ++i)
        page += QStringLiteral("<li><a href=\"/p%1\">Item %1</a> text text text</li>\n").arg(i);
    std::unique_ptr<TSRStringList> list;
    ASSERT_TRUE(RunRegExQuery(page, QStringLiteral("href=\"[^\"]+\""), false, list));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 40000);
    EXPECT_TRUE(RunRegExQuery(page, QStringLiteral("<li>\\s*<b>"), false, list));
    EXPECT_EQ(list, nullptr);
    EXPECT_TRUE(RunRegExQuery(page, QStringLiteral("<li>.*Item 39999<"), true, list));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 1);
}

// Patterns that scan the rest of the subject from every start position never
// reach the match limit; the rule's time budget or the cancel flag ends them.
TEST(RegExQuery, QuadraticScansEndAtTheBudgetOrOnCancel)
{
    const QString text(400 * 1024, u'a');  // minutes for each of these without a bound
    const char* patterns[] = {"<body>|(?=a)\\w*\\s", "(*NO_START_OPT)a*b"};
    for (const char* pattern : patterns) {
        SCOPED_TRACE(pattern);
        const TAnalysisBudgetScope scope({300, nullptr});
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<TSRStringList> list;
        QString why;
        EXPECT_FALSE(RunRegExQuery(text, QString::fromLatin1(pattern), false, list, &why));
        EXPECT_EQ(why, RuleTimeBudgetMessage(300));
        EXPECT_LT(timer.elapsed(), 3000);
    }

    std::atomic<bool> cancel{false};
    const TAnalysisBudgetScope scope({60 * 1000, &cancel});
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<TSRStringList> list;
    QString why;
    EXPECT_FALSE(RunRegExQuery(text, QStringLiteral("(?=a)\\w*\\s"), false, list, &why));
    canceller.join();
    EXPECT_EQ(why, RuleCancelledMessage());
    EXPECT_LT(timer.elapsed(), 3000);
}

// The slices must not change what is found: matches across slice borders,
// lookbehind before the slice, and the anchors.
TEST(RegExQuery, SlicedSearchFindsWhatOneSearchFinds)
{
    const QString text = QString(9000, u'x') + QStringLiteral("ab") + QString(70000, u'y') + QStringLiteral("ab\nz");
    std::unique_ptr<TSRStringList> list;
    ASSERT_TRUE(RunRegExQuery(text, QStringLiteral("(?<=x)ab|(?<=y)ab"), false, list));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 2);
    ASSERT_TRUE(RunRegExQuery(text, QStringLiteral("y{60000}ab"), false, list));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 1);
    ASSERT_TRUE(RunRegExQuery(text, QStringLiteral("^z$"), false, list));
    EXPECT_EQ(list, nullptr);  // the case-sensitive test is single-line
    ASSERT_TRUE(RunRegExQuery(text, QStringLiteral("z$"), false, list));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Values(), QStringList{"z"});
}

TEST(RegExQuery, ThreadsRunTheSamePatternsAtOnce)
{
    // Each thread has its own pattern cache and match context.
    const QString text = QStringLiteral("id=1 ID=2 id=3");
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                std::unique_ptr<TSRStringList> list;
                const QString pattern = QStringLiteral("id=\\d|n%1").arg(i % 20);
                if (!RunRegExQuery(text, pattern, false, list) || !list || list->Count() != 3)
                    ++wrong;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
