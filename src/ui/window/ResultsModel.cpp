#include "ResultsModel.h"

#include "ui/model/ResultsTable.h"

#include <QColor>
#include <QHash>

namespace {

Qt::Alignment CellAlignment(int aColumn)
{
    switch (aColumn) {
    case 0:
    case 3: return Qt::AlignRight | Qt::AlignVCenter;
    case 2: return Qt::AlignCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

Qt::Alignment CaptionAlignment(int aColumn)
{
    return aColumn == 0 || aColumn == 1 || aColumn == 3 ? Qt::Alignment(Qt::AlignCenter)
                                                        : Qt::AlignLeft | Qt::AlignVCenter;
}

QVariant CellBackground(TCellColour aColour)
{
    switch (aColour) {
    case TCellColour::Failed: return QColor(QRgb(FailedRowRGB));
    case TCellColour::Ok: return QColor(QRgb(OkCodeCellRGB));
    case TCellColour::None: break;
    }
    return {};
}

}  // namespace

TResultsModel::TResultsModel(TResultsTable& aTable, QObject* aParent)
    : QAbstractTableModel(aParent), FTable(aTable), FShownRows(aTable.RowCount())
{
}

int TResultsModel::rowCount(const QModelIndex& aParent) const
{
    return aParent.isValid() ? 0 : FShownRows;
}

int TResultsModel::columnCount(const QModelIndex& aParent) const
{
    return aParent.isValid() ? 0 : FTable.ColumnCount();
}

QVariant TResultsModel::data(const QModelIndex& aIndex, int aRole) const
{
    const int row = aIndex.row(), column = aIndex.column();
    if (!aIndex.isValid() || row >= FTable.RowCount())
        return {};
    switch (aRole) {
    case Qt::DisplayRole:
        ++CellQueries;
        return FTable.CellText(row, column);
    case Qt::ToolTipRole: {
        const QString hint = FTable.Hint(row, column);
        return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    case Qt::TextAlignmentRole: return QVariant(CellAlignment(column));
    case Qt::BackgroundRole: return CellBackground(TResultsTable::CellColour(FTable.RowTask(row), column));
    default: return {};
    }
}

QVariant TResultsModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
    if (aOrientation != Qt::Horizontal)
        return {};
    if (aRole == Qt::DisplayRole)
        return FTable.ColumnCaption(aSection);
    if (aRole == Qt::TextAlignmentRole)
        return QVariant(CaptionAlignment(aSection));
    return {};
}

bool TResultsModel::BeginRowsUpdate()
{
    if (FUpdateDepth++ > 0)
        return false;
    if (FShownRows > 0) {
        beginRemoveRows({}, 0, FShownRows - 1);
        FShownRows = 0;
        endRemoveRows();
    }
    return true;
}

bool TResultsModel::EndRowsUpdate()
{
    if (FUpdateDepth == 0 || --FUpdateDepth > 0)
        return false;
    const int rows = FTable.RowCount();
    if (rows > 0) {
        beginInsertRows({}, 0, rows - 1);
        FShownRows = rows;
        endInsertRows();
    }
    return true;
}

void TResultsModel::EntryChanged(int aNum)
{
    if (InRowsUpdate())
        return;
    const int row = FTable.RowOfNum(aNum);
    if (row >= 0 && row < FShownRows)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TResultsModel::AllRowsChanged()
{
    if (!InRowsUpdate() && FShownRows > 0)
        emit dataChanged(index(0, 0), index(FShownRows - 1, columnCount() - 1));
}

void TResultsModel::SetResultColumns(const QStringList& aCaptions)
{
    RemoveResultColumns();
    if (aCaptions.isEmpty())
        return;
    beginInsertColumns({}, FixedColumnCount, FixedColumnCount + int(aCaptions.size()) - 1);
    FTable.SetResultColumns(aCaptions);
    endInsertColumns();
}

void TResultsModel::RemoveResultColumns()
{
    const int count = FTable.ColumnCount();
    if (count <= FixedColumnCount)
        return;
    beginRemoveColumns({}, FixedColumnCount, count - 1);
    FTable.RemoveResultColumns();
    endRemoveColumns();
}

void TResultsModel::SortByColumn(int aColumn)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> nums;
    nums.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        nums.push_back(index.row() < FTable.RowCount() ? FTable.RowTask(index.row())->Num : -1);

    FTable.HeaderClick(aColumn);

    QHash<int, int> rowOfNum;
    rowOfNum.reserve(FTable.RowCount());
    for (int row = 0; row < FTable.RowCount(); ++row)
        rowOfNum.insert(FTable.RowTask(row)->Num, row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = rowOfNum.value(nums[size_t(i)], -1);
        after.append(row >= 0 ? index(row, before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TResultsModel::FixedCaptionsChanged()
{
    emit headerDataChanged(Qt::Horizontal, 0, FixedColumnCount - 1);
}
