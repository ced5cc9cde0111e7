#include "ui/model/RuleTesterLogic.h"

#include "analysis/PageAnalysis.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"

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
    TTesterDownload download;
    try {
        const ICurlPtr curl = NewCurlSession();
        const auto url = NewGetBuilder(aURL);
        curl->SetUserAgent(aUserAgent)
            .SetUrl(*url)
            .SetOpt(CURLOPT_SSL_VERIFYPEER, 0L)
            .SetOpt(CURLOPT_SSL_VERIFYHOST, 0L)
            .SetOpt(CURLOPT_FOLLOWLOCATION, 1L)
            .SetOpt(CURLOPT_AUTOREFERER, 1L)
            .SetOpt(CURLOPT_MAXREDIRS, 20L)
            .SetOpt(CURLOPT_PROTOCOLS_STR, QStringLiteral("http,https"))
            .SetOpt(CURLOPT_REDIR_PROTOCOLS_STR, QStringLiteral("http,https"))
            .SetOpt(CURLOPT_CONNECTTIMEOUT, 60L)
            .SetOpt(CURLOPT_LOW_SPEED_LIMIT, 1L)
            .SetOpt(CURLOPT_LOW_SPEED_TIME, 60L)
            .SetOpt(CURLOPT_TIMEOUT, 120L)
            .SetOpt(CURLOPT_PROXY, QString())  // never a proxy, not even one from the environment
            .SwitchRecvToString();
        curl->SetAbortFlag(aAbort).SetMaxBodySize(qint64(64) * 1024 * 1024);
        curl->Perform();
        const long code = curl->ResponseCode();
        if (code != 200) {
            download.Warning = Tr("Ошибка при получении страницы, код HTTP: ") + QString::number(code);
            return download;
        }
        download.Text = DecodePageText(curl->ResponseBody());
        download.Ok = true;
    } catch (const ECurl& e) {
        download.Warning = Tr("Ошибка при получении страницы, исключение: ") + e.Message();
    } catch (const std::exception& e) {
        download.Warning = Tr("Ошибка при получении страницы, исключение: ") + QString::fromUtf8(e.what());
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
