#pragma once
// The rows of the proxy list view: one per entry of the proxy list, in list
// order, "host:port" and the credentials as typed. The rows refer to the list;
// Refill shows it again after entries were added or removed.

#include <QAbstractTableModel>

class TProxies;

class TProxyListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { pcHostAndPort, pcUserAndPws, pcCount };

    explicit TProxyListModel(const TProxies& aProxies, QObject* aParent = nullptr);

    void Refill();
    void RowChanged(int aRow);
    void Retranslate();  // the column captions follow the interface language

    int rowCount(const QModelIndex& aParent = QModelIndex()) const override;
    int columnCount(const QModelIndex& aParent = QModelIndex()) const override;
    QVariant data(const QModelIndex& aIndex, int aRole = Qt::DisplayRole) const override;
    QVariant headerData(int aSection, Qt::Orientation aOrientation,
                        int aRole = Qt::DisplayRole) const override;

private:
    const TProxies& FProxies;
    int FRows = 0;  // the rows the view knows; the list may differ until Refill
};
