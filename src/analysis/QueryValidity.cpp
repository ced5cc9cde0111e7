// Validity of query texts, asked by the rule editor and the rule tester.

#include "analysis/PageAnalysis.h"

#include "xmlquery/p1xmlquery.h"

bool CheckQueryValid(const QString& aQuery, TScrapQueryType aQueryType)
{
    if (aQuery.isEmpty())
        return false;
    int32_t code;
    switch (aQueryType) {
    case qtXPath:
        code = P1XQ_VALID_XPATH;
        break;
    case qtXQuery:
        code = P1XQ_VALID_XQUERY;
        break;
    case qtCssPath:
        code = P1XQ_VALID_CSS;
        break;
    case qtRegEx:
        return RegExPatternError(aQuery).isEmpty();
    default:
        return false;  // templates have their own check
    }
    const QByteArray query = aQuery.toUtf8();
    return (p1xqIsQueryValid(query.constData(), code) & 0xFF) != 0;
}

QString QueryInvalidReason(const QString& aQuery, TScrapQueryType aQueryType)
{
    if (aQueryType == qtRegEx) {
        if (aQuery.isEmpty())
            return QStringLiteral("the regular expression is empty");
        return RegExPatternError(aQuery);
    }
    int32_t code;
    switch (aQueryType) {
    case qtXPath: code = P1XQ_VALID_XPATH; break;
    case qtXQuery: code = P1XQ_VALID_XQUERY; break;
    case qtCssPath: code = P1XQ_VALID_CSS; break;
    case qtTemplate: code = P1XQ_QUERY_TEMPLATE; break;
    default: return QStringLiteral("unknown query type %1").arg(int(aQueryType));
    }
    char reason[1024];
    const QByteArray query = aQuery.toUtf8();
    if ((p1xqExplainInvalid(query.constData(), code, reason, int32_t(sizeof reason)) & 0xFF) != 0)
        return QString();
    return QString::fromUtf8(reason);
}

bool CheckTemplateValid(const QString& aTemplate)
{
    if (aTemplate.isEmpty())
        return false;
    const QByteArray text = aTemplate.toUtf8();
    return (p1xqIsTemplateValid(text.constData()) & 0xFF) != 0;
}
