#pragma once
// The results grid without a widget: rows in display order referring to URL
// entries, the four fixed columns and the result columns of the last run,
// cell texts, colours, sorting, selection and the commands that remove rows.

#include "core/RunModel.h"
#include "core/UrlListView.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

enum class TCellColour { None, Failed, Ok };
// The outcome colours as RGB.
constexpr unsigned FailedRowRGB = 0xF5A5A5;  // 245, 165, 165
constexpr unsigned OkCodeCellRGB = 0x0CCE6B;  // 12, 206, 107

// The fixed columns of the grid, in their order; the result columns of the last
// run follow them. FixedColumnCount is their number.
enum TFixedColumn : int { fcNum, fcURL, fcResponseCode, fcResultCount, FixedColumnCount };

class TResultsTable {
public:
    explicit TResultsTable(TURLTaskInfoList& aList);

    // The window told about bulk updates, run controls and the caption; none by default.
    void SetHost(IUrlListView* aHost) { FHost = aHost ? aHost : &FDefaultHost; }

    // Rows.
    int RowCount() const { return int(FRows.size()); }
    TURLTaskInfo* RowTask(int aRow) const { return FRows.at(size_t(aRow)).task; }
    int RowOfNum(int aNum) const;  // -1 when no row shows that number
    void AppendRow(TURLTaskInfo* aTask);
    void ClearRows();
    // Called after results were attached to or dropped from entries (repaint).
    void ResultsChanged() { ++FResultsVersion; }
    unsigned ResultsVersion() const { return FResultsVersion; }

    // Columns: the fixed ones ("№", "URL", "Код ответа", "Результаты"), then result columns.
    int ColumnCount() const { return FixedColumnCount + int(FResultCaptions.size()); }
    QString ColumnCaption(int aColumn) const;  // fixed captions translated when asked
    void SetResultColumns(const QStringList& aCaptions);
    void RemoveResultColumns() { FResultCaptions.clear(); }
    static QString FixedColumnSource(int aColumn);  // untranslated caption

    // Cells.
    static QString CellText(const TURLTaskInfo* aTask, int aColumn);
    QString CellText(int aRow, int aColumn) const { return CellText(RowTask(aRow), aColumn); }
    QString Hint(int aRow, int aColumn) const;
    static TCellColour CellColour(const TURLTaskInfo* aTask, int aColumn);

    // Sorting: every header click flips the direction; the first click sorts ascending.
    static int Compare(const TURLTaskInfo* a, const TURLTaskInfo* b, int aColumn);
    void HeaderClick(int aColumn);
    int SortColumn() const { return FSortColumn; }
    bool SortAscending() const { return FAscending; }

    // Selection.
    void SetSelected(int aRow, bool bSelected);
    bool IsSelected(int aRow) const { return FRows.at(size_t(aRow)).selected; }
    void ClearSelection();
    std::vector<int> GetSelectedNums() const;    // display order
    std::vector<int> GetEmptyResultNums() const;  // list order: trOk with no values

    // Removes the rows of these numbers and selects the row after the last removed one.
    void DeleteURLNodes(const std::vector<int>& aNums);
    // The delete command: removes the selected URLs, drops every result, renumbers.
    void DeleteSelectedURLs();
    // End of a run: removes the URLs whose page loaded but gave no value.
    void RemoveURLsWithoutResults();

private:
    struct Row {
        TURLTaskInfo* task = nullptr;
        bool selected = false;
    };
    void RemoveEntries(const std::vector<int>& aNums);

    TURLTaskInfoList& FList;
    IUrlListView FDefaultHost;
    IUrlListView* FHost = &FDefaultHost;
    std::vector<Row> FRows;
    QStringList FResultCaptions;
    int FSortColumn = -1;
    bool FAscending = false;  // the starting direction is descending
    unsigned FResultsVersion = 0;
};
