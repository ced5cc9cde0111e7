#include "ResultsTable.h"

#include "core/TextUtil.h"
#include "core/Translate.h"

#include <QSet>
#include <algorithm>

namespace {

const char* const FixedCaptions[FixedColumnCount] = {"№", "URL", "Код ответа", "Результаты"};

bool HasOkResults(const TURLTaskInfo* t)
{
    return t && t->TaskResults && t->TaskResults->TaskResult == trOk;
}

int ResultCount(const TURLTaskInfo* t)
{
    return t && t->TaskResults ? t->TaskResults->RulesResult.TotalCount : 0;
}

QSet<int> NumSet(const std::vector<int>& aNums)
{
    return QSet<int>(aNums.begin(), aNums.end());
}

}  // namespace

TResultsTable::TResultsTable(TURLTaskInfoList& aList) : FList(aList) {}

int TResultsTable::RowOfNum(int aNum) const
{
    for (size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].task->Num == aNum)
            return int(i);
    return -1;
}

void TResultsTable::AppendRow(TURLTaskInfo* aTask)
{
    FRows.push_back(Row{aTask, false});
}

void TResultsTable::ClearRows()
{
    FRows.clear();
}

QString TResultsTable::FixedColumnSource(int aColumn)
{
    return QString::fromUtf8(FixedCaptions[aColumn]);
}

QString TResultsTable::ColumnCaption(int aColumn) const
{
    if (aColumn < 0 || aColumn >= ColumnCount())
        return {};
    if (aColumn < FixedColumnCount)
        return Tr(FixedCaptions[aColumn]);
    return FResultCaptions.at(aColumn - FixedColumnCount);
}

void TResultsTable::SetResultColumns(const QStringList& aCaptions)
{
    FResultCaptions = aCaptions;
}

QString TResultsTable::CellText(const TURLTaskInfo* aTask, int aColumn)
{
    if (!aTask)
        return {};
    switch (aColumn) {
    case fcNum: return QString::number(aTask->Num);
    case fcURL: return aTask->URL;
    case fcResponseCode: return aTask->TaskResults ? aTask->TaskResults->ErrorText() : QString();
    case fcResultCount: return HasOkResults(aTask) ? QString::number(aTask->TaskResults->RulesResult.TotalCount) : QString();
    default:
        if (aColumn < FixedColumnCount || !HasOkResults(aTask))
            return {};
        const QStringList& cells = aTask->TaskResults->CellTextList;
        const int index = aColumn - FixedColumnCount;
        return index < cells.size() ? cells.at(index) : QString();
    }
}

QString TResultsTable::Hint(int aRow, int aColumn) const
{
    return aColumn == fcURL ? CellText(aRow, aColumn) : QString();
}

TCellColour TResultsTable::CellColour(const TURLTaskInfo* aTask, int aColumn)
{
    if (!aTask || !aTask->TaskResults)
        return TCellColour::None;
    if (aTask->TaskResults->TaskResult != trOk)
        return TCellColour::Failed;
    return aColumn == fcResponseCode ? TCellColour::Ok : TCellColour::None;
}

int TResultsTable::Compare(const TURLTaskInfo* a, const TURLTaskInfo* b, int aColumn)
{
    switch (aColumn) {
    case fcNum: return a->Num - b->Num;
    case fcURL: return CompareTextASCII(a->URL, b->URL);
    case fcResultCount: return ResultCount(a) - ResultCount(b);
    default:
        if (aColumn < 0)
            return 0;
        return CompareTextASCII(CellText(a, aColumn), CellText(b, aColumn));
    }
}

void TResultsTable::HeaderClick(int aColumn)
{
    FSortColumn = aColumn;
    FAscending = !FAscending;
    if (aColumn < 0)
        return;
    // Text keys are computed once per row, not once per comparison.
    struct Keyed {
        Row row;
        QString key;
    };
    const bool textual = aColumn != fcNum && aColumn != fcResultCount;
    std::vector<Keyed> keyed;
    keyed.reserve(FRows.size());
    for (const Row& r : FRows) {
        QString key;
        if (textual)
            key = aColumn == fcURL ? r.task->URL : CellText(r.task, aColumn);
        keyed.push_back({r, key});
    }
    const bool ascending = FAscending;
    auto before = [&](const Keyed& x, const Keyed& y) {
        const int c = textual ? CompareTextASCII(x.key, y.key) : Compare(x.row.task, y.row.task, aColumn);
        return ascending ? c < 0 : c > 0;
    };
    std::stable_sort(keyed.begin(), keyed.end(), before);  // a merge sort: equal rows keep their order
    for (size_t i = 0; i < keyed.size(); ++i)
        FRows[i] = keyed[i].row;
}

void TResultsTable::SetSelected(int aRow, bool bSelected)
{
    FRows.at(size_t(aRow)).selected = bSelected;
}

void TResultsTable::ClearSelection()
{
    for (Row& r : FRows)
        r.selected = false;
}

std::vector<int> TResultsTable::GetSelectedNums() const
{
    std::vector<int> nums;
    for (const Row& r : FRows)
        if (r.selected)
            nums.push_back(r.task->Num);
    return nums;
}

std::vector<int> TResultsTable::GetEmptyResultNums() const
{
    std::vector<int> nums;
    for (int i = 0; i < FList.Count(); ++i) {
        const TURLTaskInfo* t = FList.At(i);
        if (HasOkResults(t) && t->TaskResults->RulesResult.TotalCount == 0)
            nums.push_back(t->Num);
    }
    return nums;
}

void TResultsTable::DeleteURLNodes(const std::vector<int>& aNums)
{
    const QSet<int> doomed = NumSet(aNums);
    std::vector<Row> kept;
    kept.reserve(FRows.size());
    // The row that followed the last deleted one, as an index into `kept`.
    int remembered = -1;
    bool pending = false;
    for (const Row& r : FRows) {
        if (doomed.contains(r.task->Num)) {
            pending = true;
            remembered = -1;
            continue;
        }
        if (pending) {
            remembered = int(kept.size());
            pending = false;
        }
        kept.push_back(r);
    }
    FRows = std::move(kept);
    FHost->UpdateRunControls();
    if (FHost->RunEnabled() && !FRows.empty())
        FRows[size_t(remembered >= 0 ? remembered : int(FRows.size()) - 1)].selected = true;
}

void TResultsTable::RemoveEntries(const std::vector<int>& aNums)
{
    FList.DeleteNums(aNums);
    FList.Renumber();
}

void TResultsTable::DeleteSelectedURLs()
{
    const std::vector<int> nums = GetSelectedNums();
    FHost->BeginUpdate();
    DeleteURLNodes(nums);
    FList.FreeResults();
    RemoveEntries(nums);
    ResultsChanged();
    FHost->EndUpdate();
    FHost->UpdateRunControls();
    FHost->UpdateURLsCaption();
}

void TResultsTable::RemoveURLsWithoutResults()
{
    const std::vector<int> nums = GetEmptyResultNums();
    FHost->BeginUpdate();
    DeleteURLNodes(nums);
    RemoveEntries(nums);
    ResultsChanged();
    FHost->EndUpdate();
    FHost->UpdateRunControls();
    FHost->UpdateURLsCaption();
}
