#include "LogPage.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

TLogPage::TLogPage(QWidget* aParent) : QWidget(aParent)
{
    setObjectName(QStringLiteral("tsLog"));
    lvLog = new QTableView(this);
    lvLog->setObjectName(QStringLiteral("lvLog"));
    lvLog->setAccessibleName(QStringLiteral("Журнал"));
    lvLog->setModel(&FModel);
    lvLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvLog->setShowGrid(true);
    lvLog->setWordWrap(false);
    lvLog->setCornerButtonEnabled(false);
    // Every row has one height: the view never measures rows one by one.
    QHeaderView* rows = lvLog->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* columns = lvLog->horizontalHeader();
    columns->setHighlightSections(false);
    columns->resizeSection(TLogModel::lcTime, 80);
    columns->resizeSection(TLogModel::lcEvent, 600);
    columns->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(lvLog);
}

void TLogPage::AddToLog(const QString& sMessage, TDateTime aTime)
{
    FModel.AddLine(sMessage, aTime);
}

void TLogPage::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::LanguageChange)
        FModel.Retranslate();
    QWidget::changeEvent(aEvent);
}
