#include "ModelFixtures.h"
#include "ui/model/ResultsTable.h"

#include <gtest/gtest.h>

namespace {

// Counts the window calls the table makes and decides whether the run button is enabled.
struct RecordingHost : IUrlListView {
    bool runEnabled = true;
    int updates = 0, captions = 0, bulk = 0;
    void BeginUpdate() override { ++bulk; }
    void EndUpdate() override { --bulk; }
    void UpdateRunControls() override { ++updates; }
    bool RunEnabled() const override { return runEnabled; }
    void UpdateURLsCaption() override { ++captions; }
};

struct ResultsTableTest : ::testing::Test {
    TURLTaskInfoList list;
    TResultsTable table{list};
    RecordingHost host;

    void SetUp() override { table.SetHost(&host); }

    TURLTaskInfo* AddURL(const QString& url)
    {
        auto* task = list.Add(std::make_unique<TURLTaskInfo>(url, list.Count() + 1));
        table.AppendRow(task);
        return task;
    }
    void AddURLs(int count)
    {
        for (int i = 1; i <= count; ++i)
            AddURL(QStringLiteral("http://example.com/%1").arg(i));
    }
    std::vector<int> DisplayNums() const
    {
        std::vector<int> nums;
        for (int row = 0; row < table.RowCount(); ++row)
            nums.push_back(table.RowTask(row)->Num);
        return nums;
    }
    std::vector<int> SelectedRows() const
    {
        std::vector<int> rows;
        for (int row = 0; row < table.RowCount(); ++row)
            if (table.IsSelected(row))
                rows.push_back(row);
        return rows;
    }
};

using Nums_ = std::vector<int>;

}  // namespace

TEST_F(ResultsTableTest, CellTextsAndColoursFollowTheOutcome)
{
    AddURLs(3);
    SetResult(*list.At(0), trOk, 0, {{"a", "b"}, {"c"}}, {"a", "b", "c"});
    SetResult(*list.At(1), trHTTPError, 404, {}, {"stale"});
    // the third URL has no results

    table.SetResultColumns({"Title #1", "Title #2", "Price #1"});
    ASSERT_EQ(table.ColumnCount(), 7);

    const QStringList okRow = {"1", "http://example.com/1", "200", "3", "a", "b", "c"};
    const QStringList failedRow = {"2", "http://example.com/2", "404", "", "", "", ""};
    const QStringList emptyRow = {"3", "http://example.com/3", "", "", "", "", ""};
    for (int col = 0; col < 7; ++col) {
        EXPECT_EQ(table.CellText(0, col), okRow[col]) << col;
        EXPECT_EQ(table.CellText(1, col), failedRow[col]) << col;
        EXPECT_EQ(table.CellText(2, col), emptyRow[col]) << col;
        EXPECT_EQ(TResultsTable::CellColour(list.At(1), col), TCellColour::Failed);
        EXPECT_EQ(TResultsTable::CellColour(list.At(2), col), TCellColour::None);
        EXPECT_EQ(TResultsTable::CellColour(list.At(0), col),
                  col == 2 ? TCellColour::Ok : TCellColour::None);
    }
    EXPECT_EQ(table.Hint(0, 1), "http://example.com/1");
    EXPECT_EQ(table.Hint(0, 2), "");
    // fewer cell texts than columns: the missing ones are empty
    SetResult(*list.At(0), trOk, 0, {{"a"}}, {"a"});
    EXPECT_EQ(table.CellText(0, 6), "");
}

TEST_F(ResultsTableTest, HeaderClicksFlipTheDirectionAndSortStably)
{
    AddURLs(5);
    // counts: 2, none, 2, 0 (failed), 1
    SetResult(*list.At(0), trOk, 0, {{"x", "y"}});
    SetResult(*list.At(2), trOk, 0, {{"x", "y"}});
    SetResult(*list.At(3), trHTTPError, 500);
    SetResult(*list.At(4), trOk, 0, {{"x"}});

    table.HeaderClick(3);  // the first click sorts ascending
    EXPECT_TRUE(table.SortAscending());
    EXPECT_EQ(DisplayNums(), (Nums_{2, 4, 5, 1, 3}));
    table.HeaderClick(3);  // equal counts keep their present order in both directions
    EXPECT_FALSE(table.SortAscending());
    EXPECT_EQ(DisplayNums(), (Nums_{1, 3, 5, 2, 4}));

    table.HeaderClick(1);  // ascending again: the flip happens on every click
    EXPECT_TRUE(table.SortAscending());
    table.HeaderClick(0);
    EXPECT_EQ(table.SortColumn(), 0);
    EXPECT_EQ(DisplayNums(), (Nums_{5, 4, 3, 2, 1}));
}

TEST_F(ResultsTableTest, TextOrderFoldsOnlyAsciiAndCodesCompareAsText)
{
    struct Case { QString a, b; int sign; };
    const Case cases[] = {
        {"abc", "ABC", 0},
        {"abc", "abd", -1},
        {"Яблоко", "яблоко", -1},  // Cyrillic is not folded: 'Я' < 'я'
        {"Z", "a", 1},           // 'Z' vs 'A'
        {"", "a", -1},
    };
    for (const Case& c : cases) {
        TURLTaskInfo a(c.a, 1), b(c.b, 2);
        const int r = TResultsTable::Compare(&a, &b, 1);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a.toStdString() << " vs " << c.b.toStdString();
    }

    AddURLs(5);
    SetResult(*list.At(0), trHTTPError, 200 + 800);  // "1000"
    SetResult(*list.At(1), trSendError);
    SetResult(*list.At(2), trHTTPError, 404);
    SetResult(*list.At(3), trOk);
    table.HeaderClick(2);
    // no results (empty) first, then the codes as text, then the words
    EXPECT_EQ(DisplayNums(), (Nums_{5, 1, 4, 3, 2}));
}

TEST_F(ResultsTableTest, ResultColumnSortPutsFailedRowsFirstAscending)
{
    AddURLs(3);
    SetResult(*list.At(0), trOk, 0, {{"b"}}, {"b"});
    SetResult(*list.At(1), trHTTPError, 404, {}, {"zzz"});  // a failed row's cells are empty
    SetResult(*list.At(2), trOk, 0, {{"a"}}, {"a"});
    table.SetResultColumns({"R #1"});
    table.HeaderClick(4);
    EXPECT_EQ(DisplayNums(), (Nums_{2, 3, 1}));
    EXPECT_EQ(TResultsTable::Compare(list.At(0), list.At(1), -1), 0);
}

TEST_F(ResultsTableTest, DeleteSelectedRenumbersDropsResultsAndSelectsTheFollower)
{
    AddURLs(5);
    for (int i = 0; i < 5; ++i)
        SetResult(*list.At(i), trOk, 0, {{"v"}});
    table.SetSelected(1, true);
    table.SetSelected(2, true);
    EXPECT_EQ(table.GetSelectedNums(), (Nums_{2, 3}));

    table.DeleteSelectedURLs();

    EXPECT_EQ(Nums(list), (Nums_{1, 2, 3}));
    EXPECT_EQ(DisplayNums(), (Nums_{1, 2, 3}));
    EXPECT_EQ(list.At(1)->URL, "http://example.com/4");
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.At(i)->TaskResults, nullptr);
    EXPECT_EQ(SelectedRows(), (Nums_{1}));  // the row that followed the old row 3
    EXPECT_EQ(host.bulk, 0);
    EXPECT_GE(host.updates, 1);
    EXPECT_EQ(host.captions, 1);
}

TEST_F(ResultsTableTest, DeleteWithoutSelectionKeepsRowsButSelectsTheLastWhenRunIsEnabled)
{
    AddURLs(3);
    SetResult(*list.At(0), trOk, 0, {{"v"}});
    table.DeleteSelectedURLs();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(0)->TaskResults, nullptr);
    EXPECT_EQ(SelectedRows(), (Nums_{2}));

    table.ClearSelection();
    host.runEnabled = false;
    table.DeleteURLNodes({3});
    EXPECT_TRUE(SelectedRows().empty());  // nothing selected while the run button is disabled
    EXPECT_EQ(table.RowCount(), 2);
}

TEST_F(ResultsTableTest, DeletingTheLastRowSelectsTheNewLastRow)
{
    AddURLs(3);
    table.DeleteURLNodes({3});
    EXPECT_EQ(SelectedRows(), (Nums_{1}));
    table.DeleteURLNodes({1, 2});
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(ResultsTableTest, RemoveURLsWithoutResultsKeepsFailuresAndOtherResults)
{
    AddURLs(5);
    SetResult(*list.At(0), trOk, 0, {{"v"}}, {"v"});
    SetResult(*list.At(1), trOk, 0, {{}});  // loaded, nothing found
    SetResult(*list.At(2), trHTTPError, 404);
    SetResult(*list.At(3), trOk);           // loaded, no rules' values
    // the fifth has no results at all

    EXPECT_EQ(table.GetEmptyResultNums(), (Nums_{2, 4}));
    table.RemoveURLsWithoutResults();

    EXPECT_EQ(Nums(list), (Nums_{1, 2, 3}));
    EXPECT_EQ(list.At(1)->URL, "http://example.com/3");
    ASSERT_NE(list.At(0)->TaskResults, nullptr);  // the rest keep their results
    EXPECT_EQ(table.CellText(0, 3), "1");
    EXPECT_EQ(table.CellText(1, 2), "404");
}

TEST_F(ResultsTableTest, SortingAndDeletingFiveThousandRowsStayConsistent)
{
    const int count = 5000;
    for (int i = 0; i < count; ++i) {
        auto* task = AddURL(QStringLiteral("http://example.com/%1").arg((i * 7919) % count));
        SetResult(*task, trOk, 0, {QStringList(i % 11, "v")});
    }
    table.HeaderClick(3);
    for (int row = 1; row < count; ++row) {
        const int prev = table.RowTask(row - 1)->TaskResults->RulesResult.TotalCount;
        const int cur = table.RowTask(row)->TaskResults->RulesResult.TotalCount;
        ASSERT_LE(prev, cur);
        if (prev == cur)  // stable: equal counts keep number order
            ASSERT_LT(table.RowTask(row - 1)->Num, table.RowTask(row)->Num);
    }
    for (int row = 0; row < count; row += 50)
        table.SetSelected(row, true);
    table.DeleteSelectedURLs();
    EXPECT_EQ(list.Count(), count - 100);
    EXPECT_EQ(table.RowCount(), count - 100);
    EXPECT_EQ(list.At(list.Count() - 1)->Num, count - 100);
}
