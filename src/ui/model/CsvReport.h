#pragma once
// The CSV report of the results table: captions, rows in display order, an
// empty line and the footer; ";" between fields, CR LF after every line, by
// default the locale's code page without a byte-order mark. A field holding
// ";", a double quote, CR or LF is written in double quotes with its quotes
// doubled, so that such a value never splits a row; every other field is
// written unchanged. The window's export and the command line share this code.

#include "ProgramSite.h"  // MakerSiteURL, part of the footer's catalogue key
#include "core/CodePage.h"

#include <QByteArray>
#include <QString>

class TResultsTable;

// One field as the report writes it.
QString CsvField(const QString& aText);

QString CsvReportText(const TResultsTable& aTable);
// With bByteOrderMark the bytes start with the UTF-8 byte-order mark (only
// meaningful for a UTF-8 code page; other code pages ignore it).
QByteArray CsvReportBytes(const TResultsTable& aTable, const TCodePage& aCodePage,
                          bool bByteOrderMark = false);

// Writes the report; false when the file cannot be created or written. A
// regular file is replaced through a temporary file (the previous file of that
// name is kept on failure); an existing FIFO, device or other non-regular file
// is opened and written to, never replaced. The window shows
// "Невозможно создать файл экспорта!".
bool WriteCsvReport(const QString& aFileName, const TResultsTable& aTable, const TCodePage& aCodePage,
                    bool bByteOrderMark = false);
// The same for bytes already built; aError (optional) receives the system's reason.
bool WriteReportFile(const QString& aFileName, const QByteArray& aBytes, QString* aError = nullptr);
