#include "ui/model/RuleTesterLogic.h"

#include "analysis/PageAnalysis.h"
#include "core/Translate.h"
#include "engine/DocumentFetch.h"
#include "engine/RequestOptions.h"

#include <QStringDecoder>

TTesterExtractChoice TesterExtractChoice(int aQueryType)
{
    TTesterExtractChoice choice;
    switch (aQueryType) {
    case qtXPath:
    case qtXQuery:
    case qtCssPath:
    case qtTemplate:
        choice.TextModesEnabled = true;
        break;
    case qtRegEx:
        choice.AnyPartEnabled = true;
        break;
    default:
        break;
    }
    return choice;
}

TScrapExtractType TesterExtractAfterTypeChange(const TTesterExtractChoice& aChoice, TScrapExtractType aCurrent)
{
    const bool currentEnabled = aCurrent <= etInnerHTML ? aChoice.TextModesEnabled
                                : aCurrent == etAnyPart ? aChoice.AnyPartEnabled
                                                        : false;
    if (currentEnabled)
        return aCurrent;
    if (aChoice.TextModesEnabled)
        return etTextContent;
    if (aChoice.AnyPartEnabled)
        return etAnyPart;
    return aCurrent;
}

namespace {

QString ListText(const TSRStringList& aList)
{
    return aList.Values().join(QStringLiteral("\r\n"));
}

}  // namespace

TTesterOutcome RunTesterQuery(const TTesterQuery& aQuery)
{
    TTesterOutcome outcome;
    if (aQuery.Html.isEmpty()) {
        outcome.Warning = Tr("Загрузите HTML");
        return outcome;
    }
    if (aQuery.Query.isEmpty()) {
        outcome.Warning = Tr("Укажите текст запроса");
        outcome.FocusQuery = true;
        return outcome;
    }
    if (aQuery.QueryType == qtTemplate ? !CheckTemplateValid(aQuery.Query)
                                       : !CheckQueryValid(aQuery.Query, aQuery.QueryType)) {
        outcome.Warning =
            aQuery.QueryType == qtTemplate ? Tr("Текст шаблона некорректный") : Tr("Текст правила некорректный");
        outcome.FocusQuery = true;
        return outcome;
    }

    std::unique_ptr<TSRStringList> list;
    if (aQuery.QueryType == qtRegEx) {
        outcome.ResultChanged = true;
        QString failure;
        if (!RunRegExQuery(aQuery.Html, aQuery.Query, aQuery.ChkUnique, list, &failure)) {
            // a search that passed its bounds says so instead of an empty box
            outcome.Result = failure;
            return outcome;
        }
        if (list)
            outcome.Result = ListText(*list);
        return outcome;
    }
    if (aQuery.ExtractType > etAnyPart) {
        outcome.Warning = Tr("Тип извлечения некорректный");
        return outcome;
    }
    outcome.ResultChanged = true;
    const int status = RunXmlQuery(aQuery.Html, aQuery.QueryType, aQuery.Query, aQuery.Attribute,
                                   aQuery.ExtractType, aQuery.ChkUnique, list);
    if (status != 0) {
        outcome.Result = FormatText(Tr("ОШИБКА, код: %d"), {status});
        return outcome;
    }
    if (list)
        outcome.Result = ListText(*list);
    return outcome;
}

TTesterDownload DownloadTesterPage(const QString& aURL, const QString& aUserAgent, const std::atomic<bool>* aAbort)
{
    TFetchLimits limits;
    limits.TimeoutSeconds = kTransferTimeLimitMs / 1000;
    limits.MaxRedirects = kMaxRedirects;
    limits.MaxBodyBytes = kMaxBodyBytes;
    limits.StallSeconds = kStallSeconds;
    TTesterDownload download;
    const TFetchedDocument fetched = FetchDocument(aURL, aUserAgent, limits, aAbort);
    if (!fetched.Transferred) {
        download.Warning = Tr("Ошибка при получении страницы, исключение: ") + fetched.Error;
    } else if (fetched.Status != 200) {
        download.Warning = Tr("Ошибка при получении страницы, код HTTP: ") + QString::number(fetched.Status);
    } else {
        download.Text = DecodePageText(fetched.Body);
        download.Ok = true;
    }
    return download;
}

QString DecodeHtmlFile(const QByteArray& aBytes, const TCodePage& aCodePage)
{
    if (const auto encoding = QStringConverter::encodingForData(aBytes)) {
        QStringDecoder decoder(*encoding);
        QString text = decoder.decode(aBytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    return aCodePage.Decode(aBytes);
}
