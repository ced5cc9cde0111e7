// XPath, XQuery, CSS-path and template rules through the query library.

#include "analysis/PageAnalysis.h"

#include "analysis/AnalysisBudget.h"
#include "xmlquery/p1xmlquery.h"

namespace {

int32_t ExtractCode(TScrapExtractType aExtractType)
{
    switch (aExtractType) {
    case etTextContent:
        return P1XQ_EXTRACT_TEXT;
    case etOuterHTML:
        return P1XQ_EXTRACT_OUTER;
    case etInnerHTML:
        return P1XQ_EXTRACT_INNER;
    default:
        return P1XQ_EXTRACT_ANY;
    }
}

int32_t QueryCode(TScrapQueryType aQueryType)
{
    switch (aQueryType) {
    case qtXQuery:
        return P1XQ_QUERY_XQUERY;
    case qtCssPath:
        return P1XQ_QUERY_CSS;
    default:
        return P1XQ_QUERY_XPATH;
    }
}

// Frees a result handle once, whichever way the scope is left.
class TResultHandle {
public:
    ~TResultHandle()
    {
        if (FHandle)
            p1xqFreeResult(FHandle);
    }
    void** Out() { return &FHandle; }

private:
    void* FHandle = nullptr;
};

// The library reads NUL-terminated UTF-8: a NUL inside a page would cut it
// short, so it becomes U+FFFD as an HTML parser would make it. One of the
// per-thread last-page records (see PageAnalysis.h).
const QByteArray& LibraryTextForThread(const QString& aText)
{
    struct TLastText {
        QString Text;
        QByteArray Html;
    };
    thread_local TLastText last;
    const bool same = !last.Text.isNull() && last.Text.size() == aText.size()
                      && (last.Text.constData() == aText.constData() || last.Text == aText);
    if (!same) {
        last.Html = aText.toUtf8();
        if (last.Html.contains('\0'))
            last.Html.replace('\0', QByteArrayLiteral("\xEF\xBF\xBD"));
        last.Text = aText;
    }
    return last.Html;
}

int32_t CancelRequested(void* aFlag)
{
    return static_cast<const std::atomic<bool>*>(aFlag)->load(std::memory_order_relaxed) ? 1 : 0;
}

// The library stops its evaluations of this thread at the rule's budget or on cancel.
class TLibraryBudget {
public:
    TLibraryBudget()
    {
        const TAnalysisBudget& budget = CurrentAnalysisBudget();
        p1xqSetThreadInterrupt(budget.RuleBudgetMs, budget.Cancel ? CancelRequested : nullptr,
                               const_cast<std::atomic<bool>*>(budget.Cancel));
    }
    ~TLibraryBudget() { p1xqSetThreadInterrupt(0, nullptr, nullptr); }
};

}  // namespace

int RunXmlQuery(const QString& aText, TScrapQueryType aQueryType, const QString& aQuery,
                const QString& aAttribute, TScrapExtractType aExtractType, bool bChkUnique,
                std::unique_ptr<TSRStringList>& aList)
{
    return RunXmlQueryOnLibraryText(LibraryTextForThread(aText), aQueryType, aQuery, aAttribute,
                                    aExtractType, bChkUnique, aList);
}

int RunXmlQueryOnLibraryText(const QByteArray& html, TScrapQueryType aQueryType, const QString& aQuery,
                             const QString& aAttribute, TScrapExtractType aExtractType, bool bChkUnique,
                             std::unique_ptr<TSRStringList>& aList)
{
    aList.reset();
    const QByteArray query = aQuery.toUtf8();
    const int32_t extract = ExtractCode(aExtractType);
    const char* result = nullptr;
    TResultHandle handle;
    const TLibraryBudget budget;
    int32_t status;
    if (aQueryType == qtTemplate) {
        status = p1xqProcessTemplate(html.constData(), query.constData(), P1XQ_MODE_HTML_JSON,
                                     P1XQ_QUERY_TEMPLATE, extract, &result, handle.Out());
    } else {
        const QByteArray attribute = aAttribute.toUtf8();
        status = p1xqProcessXQuery(html.constData(), query.constData(), attribute.constData(),
                                   P1XQ_MODE_HTML_JSON, QueryCode(aQueryType), extract, &result,
                                   handle.Out());
    }
    if (status != P1XQ_OK) {
        // Nothing of a failed call is read or freed.
        *handle.Out() = nullptr;
        return status;
    }
    // The library answers in UTF-8.
    aList = ParseQueryResult(result ? QString::fromUtf8(result) : QString(), bChkUnique);
    return P1XQ_OK;
}
