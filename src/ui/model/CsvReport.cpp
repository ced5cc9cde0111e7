#include "CsvReport.h"

#include "ResultsTable.h"
#include "core/TextUtil.h"
#include "core/Translate.h"

namespace {

const char* const FooterSource =
    "Отчет сгенерирован при помощи Tollmarsh ( https://tollmarsh.example/ )";

QString Line(const QStringList& fields)
{
    return fields.join(u';') + QStringLiteral("\r\n");
}

}  // namespace

QString CsvReportText(const TResultsTable& aTable)
{
    QString text;
    QStringList fields;
    for (int c = 0; c < aTable.ColumnCount(); ++c)
        fields.append(aTable.ColumnCaption(c));
    text += Line(fields);
    for (int r = 0; r < aTable.RowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < aTable.ColumnCount(); ++c)
            fields.append(aTable.CellText(r, c));
        text += Line(fields);
    }
    text += QStringLiteral("\r\n");
    text += Tr(FooterSource) + QStringLiteral("\r\n");
    return text;
}

QByteArray CsvReportBytes(const TResultsTable& aTable, const TCodePage& aCodePage)
{
    return aCodePage.Encode(CsvReportText(aTable));
}

bool WriteCsvReport(const QString& aFileName, const TResultsTable& aTable, const TCodePage& aCodePage)
{
    return SaveFileAtomically(aFileName, CsvReportBytes(aTable, aCodePage));
}
