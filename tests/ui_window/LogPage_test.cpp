#include "ui/window/LogPage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

TDateTime LocalTime(int aHour, int aMinute, int aSecond)
{
    return QDateTime(QDate(2026, 12, 10), QTime(aHour, aMinute, aSecond)).toMSecsSinceEpoch();
}

}  // namespace

TEST(LogPage, NewestLineFirstWithItsOwnTime)
{
    TLogPage page;
    page.AddToLog(QStringLiteral("first"), LocalTime(9, 5, 3));
    page.AddToLog(QStringLiteral("second"), LocalTime(21, 0, 0));
    const TLogModel& model = page.Model();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(0, TLogModel::lcTime)).toString(), QStringLiteral("21:00:00"));
    EXPECT_EQ(model.data(model.index(0, TLogModel::lcEvent)).toString(), QStringLiteral("second"));
    EXPECT_EQ(model.data(model.index(1, TLogModel::lcTime)).toString(), QStringLiteral("09:05:03"));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Время"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Событие"));
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
}

TEST(LogPage, AHundredThousandLinesInAShownView)
{
    TLogPage page;
    page.resize(700, 300);
    page.show();
    for (int i = 0; i < 100000; ++i)
        page.AddToLog(QString::number(i), LocalTime(12, 0, 0));
    QCoreApplication::processEvents();
    const TLogModel& model = page.Model();
    EXPECT_EQ(model.rowCount(), 100000);
    EXPECT_EQ(model.EventText(0), QStringLiteral("99999"));
    EXPECT_EQ(model.EventText(99999), QStringLiteral("0"));
}
