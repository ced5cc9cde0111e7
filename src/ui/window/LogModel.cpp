#include "LogModel.h"

#include "core/Translate.h"

void TLogModel::AddLine(const QString& aText, TDateTime aTime)
{
    beginInsertRows(QModelIndex(), 0, 0);
    FLines.push_back({aTime, aText});
    endInsertRows();
}

void TLogModel::Retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, lcCount - 1);
}

int TLogModel::rowCount(const QModelIndex& aParent) const
{
    return aParent.isValid() ? 0 : int(FLines.size());
}

int TLogModel::columnCount(const QModelIndex& aParent) const
{
    return aParent.isValid() ? 0 : lcCount;
}

QVariant TLogModel::data(const QModelIndex& aIndex, int aRole) const
{
    if (aRole != Qt::DisplayRole || !aIndex.isValid() || aIndex.row() >= rowCount())
        return {};
    const TLine& line = Line(aIndex.row());
    return aIndex.column() == lcTime ? FormatLogTime(line.Time) : line.Text;
}

QVariant TLogModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
    if (aRole != Qt::DisplayRole || aOrientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(aSection, aOrientation, aRole);
    return aSection == lcTime ? Tr("Время") : Tr("Событие");
}
