#pragma once
// The lines a check run prints on standard error at its end: how many URLs,
// their outcomes and status classes, the duration and where the report went.

#include "core/RunModel.h"

#include <QString>

QString RunSummary(const TURLTaskInfoList& aList, qint64 aElapsedMs, const QString& aReportPlace);
