// One rule applied to one downloaded page.

#include "analysis/PageAnalysis.h"

#include "xmlquery/Utf8Repair.h"

#include <string>
#include <string_view>

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

// Whether the body is byte for byte what decoding it and encoding the text for the
// query library would give: declared (or assumed) UTF-8, no byte-order mark, no NUL
// and valid throughout. Most pages are; they then skip both conversions. Only for
// bodies with their own NUL-terminated buffer (not raw data), as the library reads
// up to the NUL. Kept per thread for the last page, like the decoded text.
bool BodyIsLibraryText(const QByteArray& aBody)
{
    struct TLastCheck {
        QByteArray Body;
        bool Ready = false;
    };
    thread_local TLastCheck last;
    const bool same = !last.Body.isNull() && last.Body.constData() == aBody.constData()
                      && last.Body.size() == aBody.size();
    if (same)
        return last.Ready;
    static const QByteArray kUtf8Bom = "\xEF\xBB\xBF";
    std::string repaired;
    last.Body = aBody;
    last.Ready = last.Body.data_ptr().d_ptr() != nullptr && !aBody.isEmpty() && !aBody.startsWith(kUtf8Bom)
                 && !aBody.contains('\0') && DetectPageCharset(aBody) == QLatin1String("UTF8")
                 && xq::MakeValidUtf8(std::string_view(aBody.constData(), size_t(aBody.size())), repaired).data()
                        == aBody.constData();
    return last.Ready;
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
        const int status = BodyIsLibraryText(aBody)
                               ? RunXmlQueryOnLibraryText(aBody, aRule.QueryType, aRule.Query, aRule.Attribute,
                                                          aRule.ExtractType, bChkUnique, aList)
                               : RunXmlQuery(DecodedPageForThread(aBody), aRule.QueryType, aRule.Query,
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
