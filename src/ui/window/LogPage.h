#pragma once
// The log page tsLog: the event log lvLog, newest line at the top.

#include "LogModel.h"

#include <QWidget>

class QTableView;

class TLogPage : public QWidget {
    Q_OBJECT
public:
    explicit TLogPage(QWidget* aParent = nullptr);

    void AddToLog(const QString& sMessage, TDateTime aTime);
    TLogModel& Model() { return FModel; }

protected:
    void changeEvent(QEvent* aEvent) override;

private:
    TLogModel FModel;
    QTableView* lvLog;
};
