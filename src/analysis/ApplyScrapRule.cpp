// One rule applied to one downloaded page.

#include "analysis/PageAnalysis.h"

bool ApplyScrapRule(const QByteArray& aBody, const TScrapRule& aRule,
                    std::unique_ptr<TSRStringList>& aList, bool bChkUnique, QString* aFailure)
{
    aList.reset();
    switch (aRule.QueryType) {
    case qtXPath:
    case qtXQuery:
    case qtCssPath:
    case qtTemplate: {
        const int status = RunXmlQuery(DecodePageText(aBody), aRule.QueryType, aRule.Query,
                                       aRule.Attribute, aRule.ExtractType, bChkUnique, aList);
        if (status == 0)
            return true;
        if (aFailure)
            *aFailure = QStringLiteral("the query library answered with status %1").arg(status);
        return false;
    }
    case qtRegEx:
        return RunRegExQuery(DecodePageText(aBody), aRule.Query, bChkUnique, aList, aFailure);
    default:
        if (aFailure)
            *aFailure = QStringLiteral("unknown query type %1").arg(int(aRule.QueryType));
        return false;
    }
}
