#include "cli/check/RunSummary.h"
#include "core/Translate.h"

#include <QStringList>
#include <map>

namespace {

QString OutcomeName(const TURLTaskResults& aResults)
{
    switch (aResults.TaskResult) {
    case trOk: return QStringLiteral("200 OK");
    case trHTTPError:
        if (aResults.ErrorCode >= 300 && aResults.ErrorCode < 600)
            return QStringLiteral("HTTP %1xx").arg(aResults.ErrorCode / 100);
        return Tr("other HTTP status");
    case trSendError: return Tr("transfer failed");
    case trUnknownResponse: return Tr("unknown response");
    case trNotHTML: return Tr("not HTML");
    case trParseError: return Tr("a rule could not be applied");
    case trSearchError: return Tr("a rule's search failed");
    default: return Tr("not finished");
    }
}

QString Duration(qint64 aMs)
{
    const qint64 seconds = (aMs + 500) / 1000;
    if (seconds < 60)
        return Tr("%1 s").arg(seconds);
    if (seconds < 3600)
        return Tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return Tr("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

}  // namespace

QString RunSummary(const TURLTaskInfoList& aList, qint64 aElapsedMs, const QString& aReportPlace)
{
    std::map<QString, int> counts;
    int checked = 0, withValues = 0;
    for (int i = 0; i < aList.Count(); ++i) {
        const TURLTaskResults* results = aList.At(i)->TaskResults.get();
        if (!results)
            continue;
        ++checked;
        ++counts[OutcomeName(*results)];
        if (results->TaskResult == trOk && results->RulesResult.TotalCount > 0)
            ++withValues;
    }
    QStringList outcomes;
    for (const auto& [name, count] : counts) {
        QString text = QStringLiteral("%1: %2").arg(name).arg(count);
        if (name == u"200 OK")
            text += Tr(" (%1 with values)").arg(withValues);
        outcomes << text;
    }
    QString text = Tr("Checked %1 of %2 URLs in %3").arg(checked).arg(aList.Count()).arg(Duration(aElapsedMs));
    if (!outcomes.isEmpty())
        text += QStringLiteral(": ") + outcomes.join(QStringLiteral(", "));
    return text + Tr(".\nReport: ") + aReportPlace;
}
