#pragma once
// The lines of the event log, newest first. Lines are stored in the order they
// arrive and shown from the end, so adding a line at the top never moves the
// lines already stored.

#include "core/Clock.h"

#include <QAbstractTableModel>
#include <QString>
#include <vector>

class TLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { lcTime, lcEvent, lcCount };

    using QAbstractTableModel::QAbstractTableModel;

    void AddLine(const QString& aText, TDateTime aTime);
    int LineCount() const { return int(FLines.size()); }
    // Row 0 is the newest line.
    QString TimeText(int aRow) const { return FormatLogTime(Line(aRow).Time); }
    QString EventText(int aRow) const { return Line(aRow).Text; }
    // The column captions follow the interface language.
    void Retranslate();

    int rowCount(const QModelIndex& aParent = QModelIndex()) const override;
    int columnCount(const QModelIndex& aParent = QModelIndex()) const override;
    QVariant data(const QModelIndex& aIndex, int aRole = Qt::DisplayRole) const override;
    QVariant headerData(int aSection, Qt::Orientation aOrientation,
                        int aRole = Qt::DisplayRole) const override;

private:
    struct TLine {
        TDateTime Time;  // formatted when shown: only the visible rows pay for it
        QString Text;
    };
    const TLine& Line(int aRow) const { return FLines[FLines.size() - 1 - size_t(aRow)]; }

    std::vector<TLine> FLines;  // oldest first
};
