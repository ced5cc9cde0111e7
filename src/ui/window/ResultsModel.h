#pragma once
// The results grid's item model: a view of TResultsTable, whose own row order
// is the display order (no sorting proxy, so the export writes what is shown).
// Cells are computed from the URL entries whenever the view asks.

#include <QAbstractTableModel>
#include <QStringList>

class TResultsTable;

class TResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResultsModel(TResultsTable& aTable, QObject* aParent = nullptr);

    int rowCount(const QModelIndex& aParent = {}) const override;
    int columnCount(const QModelIndex& aParent = {}) const override;
    QVariant data(const QModelIndex& aIndex, int aRole) const override;
    QVariant headerData(int aSection, Qt::Orientation aOrientation, int aRole) const override;

    // A bulk change of the table's rows. In between the view sees no rows, so it
    // never asks for one the table no longer has. Both return true for the
    // outermost call of nested updates.
    bool BeginRowsUpdate();
    bool EndRowsUpdate();
    bool InRowsUpdate() const { return FUpdateDepth > 0; }

    // Results of one entry changed: only its row repaints.
    void EntryChanged(int aNum);
    void AllRowsChanged();

    void SetResultColumns(const QStringList& aCaptions);
    void RemoveResultColumns();
    // A header click: the table sorts itself, the view follows without losing
    // the rows its persistent indexes point to.
    void SortByColumn(int aColumn);
    // The fixed captions after a language switch.
    void FixedCaptionsChanged();

    // How many cell texts the view has asked for (the benchmark counts repaints).
    mutable long long CellQueries = 0;

private:
    TResultsTable& FTable;
    int FShownRows = 0;
    int FUpdateDepth = 0;
};
