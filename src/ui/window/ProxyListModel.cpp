#include "ProxyListModel.h"

#include "core/Translate.h"
#include "proxies/Proxies.h"

TProxyListModel::TProxyListModel(const TProxies& aProxies, QObject* aParent)
    : QAbstractTableModel(aParent), FProxies(aProxies), FRows(aProxies.Count())
{
}

void TProxyListModel::Refill()
{
    beginResetModel();
    FRows = FProxies.Count();
    endResetModel();
}

void TProxyListModel::RowChanged(int aRow)
{
    emit dataChanged(index(aRow, 0), index(aRow, pcCount - 1));
}

void TProxyListModel::Retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, pcCount - 1);
}

int TProxyListModel::rowCount(const QModelIndex& aParent) const
{
    return aParent.isValid() ? 0 : FRows;
}

int TProxyListModel::columnCount(const QModelIndex& aParent) const
{
    return aParent.isValid() ? 0 : pcCount;
}

QVariant TProxyListModel::data(const QModelIndex& aIndex, int aRole) const
{
    if (aRole != Qt::DisplayRole || !aIndex.isValid() || aIndex.row() >= FProxies.Count())
        return {};
    const TProxy* proxy = FProxies.At(aIndex.row());
    return aIndex.column() == pcHostAndPort ? proxy->HostAndPort() : proxy->UserAndPws;
}

QVariant TProxyListModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
    if (aRole != Qt::DisplayRole || aOrientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(aSection, aOrientation, aRole);
    return aSection == pcHostAndPort ? Tr("Хост:порт") : Tr("Пользователь:пароль");
}
