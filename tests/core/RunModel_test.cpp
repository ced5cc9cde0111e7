// URL entries, tasks, the URL list and the result records of a run.

#include "core/RunModel.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TSRStringList> ListOf(int aCount)
{
    auto list = std::make_unique<TSRStringList>();
    for (int i = 1; i <= aCount; ++i)
        list->Append(QStringLiteral("value %1").arg(i));
    return list;
}

std::unique_ptr<TScrapRuleResult> RuleResult(int aRuleNum, std::unique_ptr<TSRStringList> aList)
{
    auto item = std::make_unique<TScrapRuleResult>();
    item->RuleNum = aRuleNum;
    item->RuleResult = std::move(aList);
    return item;
}

std::unique_ptr<TScrapRuleSet> RuleSetNamed(const QString& aName)
{
    auto set = std::make_unique<TScrapRuleSet>();
    set->Name = aName;
    auto rule = std::make_unique<TScrapRule>();
    rule->Query = QStringLiteral("//h1");
    set->Add(std::move(rule));
    return set;
}

TURLTaskInfoList ListOfURLs(std::initializer_list<const char*> aURLs)
{
    TURLTaskInfoList list;
    int num = 0;
    for (const char* url : aURLs)
        list.Add(std::make_unique<TURLTaskInfo>(QString::fromUtf8(url), ++num));
    return list;
}

std::vector<int> NumsOf(const TURLTaskInfoList& aList)
{
    std::vector<int> nums;
    for (int i = 0; i < aList.Count(); ++i)
        nums.push_back(aList.At(i)->Num);
    return nums;
}

}  // namespace

// ---- ErrorText ----

struct TErrorTextCase {
    TURLTaskResult Result;
    int ErrorCode;
    const char* Expected;
};

class CoreRunErrorText : public ::testing::TestWithParam<TErrorTextCase> {};

TEST_P(CoreRunErrorText, ShowsTheResponseColumnText)
{
    TURLTaskResults results;
    results.TaskResult = GetParam().Result;
    results.ErrorCode = GetParam().ErrorCode;
    EXPECT_EQ(results.ErrorText(), QString::fromLatin1(GetParam().Expected));
}

INSTANTIATE_TEST_SUITE_P(AllOutcomes, CoreRunErrorText, ::testing::Values(
    TErrorTextCase{trUndefined, 0, "200"},
    TErrorTextCase{trOk, 0, "200"},
    TErrorTextCase{trAborted, 0, "200"},
    TErrorTextCase{trSendError, 0, "SEND ERROR"},
    TErrorTextCase{trSendError, 404, "SEND ERROR"},  // the outcome wins over the code
    TErrorTextCase{trParseError, 0, "200"},
    TErrorTextCase{trParseError, 17, "17"},
    TErrorTextCase{trUnknownResponse, 0, "UNKNOWN RESPONSE"},
    TErrorTextCase{trNotHTML, 500, "NOT HTML"},
    TErrorTextCase{trHTTPError, 404, "404"},
    TErrorTextCase{trHTTPError, 503, "503"},
    TErrorTextCase{trSearchError, -1, "0"},
    TErrorTextCase{trHTTPError, -42, "0"}));

// ---- rule results ----

TEST(CoreRunRulesResult, AddSumsCountsAndLooksUpByRuleNumber)
{
    TScrapRulesResult results;
    results.Add(RuleResult(3, ListOf(2)));
    results.Add(RuleResult(1, ListOf(3)));
    results.Add(RuleResult(4, nullptr));       // an item whose rule gave no list
    results.Add(RuleResult(3, ListOf(5)));     // a later item with a repeated number
    results.Add(nullptr);                      // refused

    EXPECT_EQ(results.Count(), 4);
    EXPECT_EQ(results.TotalCount, 10);
    EXPECT_EQ(results.CountForRuleNum(1), 3);
    EXPECT_EQ(results.CountForRuleNum(3), 2);  // the first item with that number
    EXPECT_EQ(results.GetByRuleNum(3), results.Item(0)->RuleResult.get());
    EXPECT_EQ(results.Item(1)->RuleNum, 1);    // kept in the order added
}

TEST(CoreRunRulesResult, RuleWithoutListHasCountZeroAndNoList)
{
    TScrapRulesResult results;
    results.Add(RuleResult(1, ListOf(1)));
    results.Add(RuleResult(4, nullptr));
    EXPECT_EQ(results.GetByRuleNum(2), nullptr);  // gap in the numbers
    EXPECT_EQ(results.CountForRuleNum(2), 0);
    EXPECT_EQ(results.GetByRuleNum(4), nullptr);
    EXPECT_EQ(results.CountForRuleNum(4), 0);
    EXPECT_EQ(TScrapRulesResult().CountForRuleNum(1), 0);
}

// ---- entries and tasks ----

TEST(CoreRunTaskInfo, TaskCopiesAddressAndNumberOwnsRulesAndNotResults)
{
    TURLTaskInfo entry(QStringLiteral("http://example.com/a"), 7);
    entry.InitResults();
    entry.TaskResults->TaskResult = trHTTPError;
    entry.TaskResults->ErrorCode = 404;

    auto rules = RuleSetNamed(QStringLiteral("Main"));
    const TScrapRuleSet* given = rules.get();
    TURLTaskInfo task(entry, std::move(rules));

    EXPECT_EQ(task.URL, entry.URL);
    EXPECT_EQ(task.Num, 7);
    EXPECT_EQ(task.Rules.get(), given);
    EXPECT_EQ(task.TaskResults, nullptr);
    EXPECT_EQ(entry.Rules, nullptr);
    ASSERT_NE(entry.TaskResults, nullptr);  // the entry keeps its own results
    EXPECT_EQ(entry.TaskResults->ErrorCode, 404);
}

TEST(CoreRunTaskInfo, InitResultsGivesAnEmptyRecordAndFreeResultsDropsIt)
{
    TURLTaskInfo entry(QStringLiteral("http://example.com/"), 1);
    entry.InitResults();
    ASSERT_NE(entry.TaskResults, nullptr);
    EXPECT_EQ(entry.TaskResults->TaskResult, trUndefined);
    EXPECT_EQ(entry.TaskResults->ErrorCode, 0);
    EXPECT_EQ(entry.TaskResults->RulesResult.Count(), 0);
    EXPECT_EQ(entry.TaskResults->RulesResult.TotalCount, 0);
    EXPECT_TRUE(entry.TaskResults->CellTextList.isEmpty());

    entry.TaskResults->RulesResult.Add(RuleResult(1, ListOf(2)));
    entry.FreeResults();
    EXPECT_EQ(entry.TaskResults, nullptr);
    entry.FreeResults();  // freeing twice is harmless
}

// ---- URL list ----

TEST(CoreRunURLList, URLExistsFoldsASCIIButNotCyrillic)
{
    const auto list = ListOfURLs({"http://example.com/", "https://Site.RU/Страница"});
    EXPECT_TRUE(list.URLExists(QStringLiteral("HTTP://EXAMPLE.COM/")));
    EXPECT_TRUE(list.URLExists(QStringLiteral("https://site.ru/Страница")));
    EXPECT_FALSE(list.URLExists(QStringLiteral("https://site.ru/страница")));
    EXPECT_FALSE(list.URLExists(QStringLiteral("http://example.com")));
    EXPECT_FALSE(list.URLExists(QString()));
}

TEST(CoreRunURLList, EmptyAddressMatchesAnEmptyEntry)
{
    const auto list = ListOfURLs({""});
    EXPECT_TRUE(list.URLExists(QString()));
    EXPECT_TRUE(list.URLExists(QStringLiteral("")));
}

// The index behind URLExists must follow every way an entry leaves the list.
TEST(CoreRunURLList, URLExistsFollowsDeletions)
{
    auto list = ListOfURLs({"http://a/", "http://B/", "http://b/", "http://c/", "http://d/"});
    list.Delete(0);
    EXPECT_FALSE(list.URLExists(QStringLiteral("http://a/")));

    list.Delete(1);  // one of two entries that fold alike
    EXPECT_TRUE(list.URLExists(QStringLiteral("http://b/")));

    list.DeleteNums({2, 5});  // "http://B/" and "http://d/"
    EXPECT_FALSE(list.URLExists(QStringLiteral("http://b/")));
    EXPECT_FALSE(list.URLExists(QStringLiteral("http://d/")));
    EXPECT_TRUE(list.URLExists(QStringLiteral("http://C/")));

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.URLExists(QStringLiteral("http://c/")));
    list.Add(std::make_unique<TURLTaskInfo>(QStringLiteral("http://c/"), 1));
    EXPECT_TRUE(list.URLExists(QStringLiteral("http://c/")));
}

TEST(CoreRunURLList, BadIndexOrEmptyItemChangesNothing)
{
    auto list = ListOfURLs({"http://a/", "http://b/"});
    list.Delete(-1);
    list.Delete(2);
    EXPECT_EQ(list.Add(nullptr), nullptr);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.URLExists(QStringLiteral("http://b/")));
}

TEST(CoreRunURLList, GetByNumGivesTheFirstMatchOrNone)
{
    TURLTaskInfoList list;
    list.Add(std::make_unique<TURLTaskInfo>(QStringLiteral("http://a/"), 2));
    list.Add(std::make_unique<TURLTaskInfo>(QStringLiteral("http://b/"), 1));
    list.Add(std::make_unique<TURLTaskInfo>(QStringLiteral("http://c/"), 2));
    ASSERT_NE(list.GetByNum(2), nullptr);
    EXPECT_EQ(list.GetByNum(2)->URL, QStringLiteral("http://a/"));
    EXPECT_EQ(list.GetByNum(1)->URL, QStringLiteral("http://b/"));
    EXPECT_EQ(list.GetByNum(3), nullptr);
    EXPECT_EQ(TURLTaskInfoList().GetByNum(1), nullptr);
}

TEST(CoreRunURLList, DeleteNumsKeepsOrderAndRenumberCountsFromOne)
{
    auto list = ListOfURLs({"http://1/", "http://2/", "http://3/", "http://4/", "http://5/"});
    list.DeleteNums({4, 2, 99});  // any order; unknown numbers are ignored
    EXPECT_EQ(NumsOf(list), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(list.At(1)->URL, QStringLiteral("http://3/"));

    list.Renumber();
    EXPECT_EQ(NumsOf(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.GetByNum(3)->URL, QStringLiteral("http://5/"));

    list.DeleteNums({});
    EXPECT_EQ(list.Count(), 3);
}

TEST(CoreRunURLList, FreeResultsDropsEveryEntrysResults)
{
    auto list = ListOfURLs({"http://a/", "http://b/", "http://c/"});
    list.At(0)->InitResults();
    list.At(2)->InitResults();
    list.At(2)->TaskResults->RulesResult.Add(RuleResult(1, ListOf(3)));
    list.FreeResults();
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.At(i)->TaskResults, nullptr) << "entry " << i;
}
