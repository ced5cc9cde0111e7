#include "ui/model/RuleTesterLogic.h"

#include "analysis/AnalysisBudget.h"
#include "analysis/PageAnalysis.h"
#include "core/Translate.h"
#include "engine/DocumentFetch.h"
#include "engine/RequestOptions.h"
#include "sandbox/IsolatedAnalysis.h"

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

    if (aQuery.QueryType != qtRegEx && aQuery.ExtractType > etAnyPart) {
        outcome.Warning = Tr("Тип извлечения некорректный");
        return outcome;
    }
    outcome.ResultChanged = true;
    // The page may be anything the web gave: it is parsed in a helper process.
    TAnalysisRequest request;
    request.Form = pfText;
    request.Text = aQuery.Html;
    request.ChkUnique = aQuery.ChkUnique;
    request.RuleBudgetMs = kRuleTimeBudgetMs;
    TScrapRule rule;
    rule.QueryType = aQuery.QueryType;
    rule.Query = aQuery.Query;
    rule.Attribute = aQuery.Attribute;
    rule.ExtractType = aQuery.ExtractType;
    request.Rules.push_back(rule);
    const TIsolatedAnalysis analysis = AnalyseInHelper(request);
    if (analysis.Outcomes.empty()) {
        outcome.Result = analysis.FailureText;
        return outcome;
    }
    const TRuleOutcome& ruleOutcome = analysis.Outcomes.front();
    if (!ruleOutcome.Applied) {
        // a search that passed its bounds says so instead of an empty box
        outcome.Result = aQuery.QueryType == qtRegEx || ruleOutcome.LibraryStatus == 0
                             ? ruleOutcome.Failure
                             : FormatText(Tr("ОШИБКА, код: %d"), {ruleOutcome.LibraryStatus});
        return outcome;
    }
    outcome.Result = ruleOutcome.Values.join(QStringLiteral("\r\n"));
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
