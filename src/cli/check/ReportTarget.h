#pragma once
// Where the check run's report goes and in which encoding: checked before the
// first request, so that a run is never lost to a typing error in --out.

#include "core/CodePage.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

struct TReportEncoding {
    TCodePage CodePage = TCodePage::SystemDefault();
    bool ByteOrderMark = false;
};

// "locale", "utf-8", "utf-8-bom", "windows-1251", "windows-1252".
QStringList ReportEncodingNames();
bool ParseReportEncoding(const QString& aName, TReportEncoding& aEncoding);

// Empty when the report can be written to aFileName (empty: standard output);
// otherwise why not: a missing folder, a folder, no permission.
QString ReportTargetProblem(const QString& aFileName);

// Writes the bytes to the file, or to aOut when aFileName is empty, flushed.
// False with the reason in aError.
bool WriteReport(const QString& aFileName, QIODevice& aOut, const QByteArray& aBytes, QString& aError);
