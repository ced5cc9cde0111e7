// One rule applied to one downloaded page.

#include "analysis/PageAnalysis.h"

#include "analysis/AnalysisBudget.h"
#include "core/TextUtil.h"
#include "core/Translate.h"
#include "xmlquery/Utf8Repair.h"
#include "xmlquery/p1xmlquery.h"

#include <string>
#include <string_view>

namespace {

// The first of the per-thread last-page records (see PageAnalysis.h).
struct TPageState {
    QByteArray Body;
    QString ContentType;
    bool ContentChecked = false;
    bool ContentIsLibraryText = false;
    bool Decoded = false;
    QString Text;
};

bool SameBody(const QByteArray& aKept, const QByteArray& aBody)
{
    if (aKept.isNull())
        return false;
    // Shared bytes (the usual case) are equal without comparing them: shared
    // data cannot change while the kept copy holds it.
    return (aKept.constData() == aBody.constData() && aKept.size() == aBody.size()) || aKept == aBody;
}

TPageState& PageStateForThread(const QByteArray& aBody, const QString& aContentType)
{
    thread_local TPageState state;
    if (!SameBody(state.Body, aBody) || state.ContentType != aContentType) {
        state = TPageState();
        state.Body = aBody;
        state.ContentType = aContentType;
    }
    return state;
}

const QString& DecodedText(TPageState& aState)
{
    if (!aState.Decoded) {
        aState.Text = DecodePageText(aState.Body, aState.ContentType);
        aState.Decoded = true;
    }
    return aState.Text;
}

// Whether the body is byte for byte what decoding it and encoding the text for
// the query library would give: declared (or assumed) UTF-8, no byte-order mark,
// no NUL and valid throughout. Most pages are; they then skip both conversions.
// The library reads up to a NUL, so a body without its own terminated buffer
// (raw data) never goes to it directly.
bool BodyIsLibraryText(TPageState& aState, const QByteArray& aBody)
{
    if (!aState.ContentChecked) {
        const QByteArray& body = aState.Body;
        aState.ContentIsLibraryText =
            !body.isEmpty() && !body.startsWith(kUtf8Bom) && !body.contains('\0')
            && DetectPageCharset(body, aState.ContentType) == QLatin1String("UTF8")
            && xq::IsValidUtf8(std::string_view(body.constData(), size_t(body.size())));
        aState.ContentChecked = true;
    }
    QByteArray shared = aBody;  // data_ptr() is not const; a copy only shares
    return aState.ContentIsLibraryText && shared.data_ptr().d_ptr() != nullptr;
}

}  // namespace

QString QueryFailureMessage(int aStatus)
{
    if (aStatus == P1XQ_ERR_INTERRUPTED) {
        const TAnalysisBudget& budget = CurrentAnalysisBudget();
        return budget.Cancel && budget.Cancel->load() ? RuleCancelledMessage()
                                                      : RuleTimeBudgetMessage(budget.RuleBudgetMs);
    }
    if (aStatus == P1XQ_ERR_MEMORY)
        return Tr("the rule was stopped for using more than about 1 GB of memory");
    return Tr("the query library answered with status %1").arg(aStatus);
}

bool ApplyScrapRule(const QByteArray& aBody, const TScrapRule& aRule,
                    std::unique_ptr<TSRStringList>& aList, bool bChkUnique, QString* aFailure,
                    const QString& aContentType)
{
    aList.reset();
    switch (aRule.QueryType) {
    case qtXPath:
    case qtXQuery:
    case qtCssPath:
    case qtTemplate: {
        TPageState& page = PageStateForThread(aBody, aContentType);
        const int status = BodyIsLibraryText(page, aBody)
                               ? RunXmlQueryOnLibraryText(aBody, aRule.QueryType, aRule.Query, aRule.Attribute,
                                                          aRule.ExtractType, bChkUnique, aList)
                               : RunXmlQuery(DecodedText(page), aRule.QueryType, aRule.Query,
                                             aRule.Attribute, aRule.ExtractType, bChkUnique, aList);
        if (status == 0)
            return true;
        if (aFailure)
            *aFailure = QueryFailureMessage(status);
        return false;
    }
    case qtRegEx:
        return RunRegExQuery(DecodedText(PageStateForThread(aBody, aContentType)), aRule.Query, bChkUnique, aList, aFailure);
    default:
        if (aFailure)
            *aFailure = QStringLiteral("unknown query type %1").arg(int(aRule.QueryType));
        return false;
    }
}
