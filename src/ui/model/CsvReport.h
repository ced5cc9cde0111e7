#pragma once
// The CSV report of the results table: captions, rows in display order, an
// empty line and the footer; ";" between fields, no quoting, CR LF after every
// line, the default code page without a byte-order mark.

#include "ProgramSite.h"  // MakerSiteURL, part of the footer's catalogue key
#include "core/CodePage.h"

#include <QByteArray>
#include <QString>

class TResultsTable;

QString CsvReportText(const TResultsTable& aTable);
QByteArray CsvReportBytes(const TResultsTable& aTable, const TCodePage& aCodePage);

// Writes the report; false when the file cannot be created or written (the
// previous file of that name is then kept). The caller shows
// "Невозможно создать файл экспорта!".
bool WriteCsvReport(const QString& aFileName, const TResultsTable& aTable, const TCodePage& aCodePage);
