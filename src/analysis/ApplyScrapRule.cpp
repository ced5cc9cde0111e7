// One rule applied to one downloaded page.

#include "analysis/PageAnalysis.h"

namespace {

// The rules of one page arrive one call at a time with the same body: decode
// it once per thread and page, not once per rule.
const QString& DecodedPageForThread(const QByteArray& aBody)
{
    struct TLastPage {
        QByteArray Body;
        QString Text;
    };
    thread_local TLastPage last;
    // The same shared bytes (the usual case) are equal without comparing them:
    // shared data cannot change while this copy holds it.
    const bool sameData = !last.Body.isNull() && last.Body.constData() == aBody.constData()
                          && last.Body.size() == aBody.size();
    if (!sameData && (last.Body.isNull() || last.Body != aBody)) {
        last.Text = DecodePageText(aBody);
        last.Body = aBody;
    }
    return last.Text;
}

}  // namespace

bool ApplyScrapRule(const QByteArray& aBody, const TScrapRule& aRule,
                    std::unique_ptr<TSRStringList>& aList, bool bChkUnique, QString* aFailure)
{
    aList.reset();
    switch (aRule.QueryType) {
    case qtXPath:
    case qtXQuery:
    case qtCssPath:
    case qtTemplate: {
        const int status = RunXmlQuery(DecodedPageForThread(aBody), aRule.QueryType, aRule.Query,
                                       aRule.Attribute, aRule.ExtractType, bChkUnique, aList);
        if (status == 0)
            return true;
        if (aFailure)
            *aFailure = QStringLiteral("the query library answered with status %1").arg(status);
        return false;
    }
    case qtRegEx:
        return RunRegExQuery(DecodedPageForThread(aBody), aRule.Query, bChkUnique, aList, aFailure);
    default:
        if (aFailure)
            *aFailure = QStringLiteral("unknown query type %1").arg(int(aRule.QueryType));
        return false;
    }
}
