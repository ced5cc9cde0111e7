#include "cli/RuleText.h"
#include "core/Translate.h"

#include <QHash>
#include <QStringList>

namespace {

struct TNamedType {
    const char* Name;
    TScrapQueryType Type;
    const char* Language;
};

const TNamedType kQueryTypes[] = {
    {"xpath", qtXPath, "XPath query"},
    {"xquery", qtXQuery, "XQuery"},
    {"css", qtCssPath, "CSS selector"},
    {"regex", qtRegEx, "regular expression"},
    {"template", qtTemplate, "HTML template"},
};

struct TNamedExtract {
    const char* Name;
    TScrapExtractType Type;
};

const TNamedExtract kExtracts[] = {
    {"text", etTextContent},
    {"outer", etOuterHTML},
    {"inner", etInnerHTML},
    {"any", etAnyPart},
};

}  // namespace

bool ParseQueryTypeName(const QString& aText, TScrapQueryType& aType)
{
    for (const TNamedType& named : kQueryTypes) {
        if (aText.compare(QLatin1String(named.Name), Qt::CaseInsensitive) == 0) {
            aType = named.Type;
            return true;
        }
    }
    return false;
}

bool ParseExtractName(const QString& aText, TScrapExtractType& aType)
{
    for (const TNamedExtract& named : kExtracts) {
        if (aText.compare(QLatin1String(named.Name), Qt::CaseInsensitive) == 0) {
            aType = named.Type;
            return true;
        }
    }
    return false;
}

QString QueryTypeName(TScrapQueryType aType)
{
    for (const TNamedType& named : kQueryTypes)
        if (named.Type == aType)
            return QString::fromLatin1(named.Name);
    return QString::number(int(aType));
}

QString LanguageName(TScrapQueryType aType)
{
    for (const TNamedType& named : kQueryTypes)
        if (named.Type == aType)
            return Tr(named.Language);
    return Tr("query of unknown type %1").arg(int(aType));
}

TScrapExtractType DefaultExtract(TScrapQueryType aType)
{
    return aType == qtRegEx ? etAnyPart : etTextContent;
}

bool ParseRuleSpec(const QString& aSpec, int aPosition, TScrapRule& aRule, QString& aError)
{
    const QString where = QStringLiteral("--rule %1 \"%2\": ").arg(aPosition).arg(aSpec);
    const qsizetype colon = aSpec.indexOf(u':');
    if (colon < 0) {
        aError = where + Tr("no \":\" before the query (write TYPE:QUERY, e.g. css:h1)");
        return false;
    }
    const QStringList header = aSpec.left(colon).split(u',');
    aRule = TScrapRule();
    aRule.Query = aSpec.mid(colon + 1);
    if (!ParseQueryTypeName(header.first().trimmed(), aRule.QueryType)) {
        aError = where + Tr("unknown type \"%1\" (xpath, xquery, css, regex or template)")
                             .arg(header.first());
        return false;
    }
    aRule.ExtractType = DefaultExtract(aRule.QueryType);
    aRule.Name = QStringLiteral("Rule %1").arg(aPosition);
    QStringList seen;
    for (qsizetype i = 1; i < header.size(); ++i) {
        const QString& item = header.at(i);
        const qsizetype equals = item.indexOf(u'=');
        const QString key = item.left(equals).trimmed().toLower();
        const QString value = equals < 0 ? QString() : item.mid(equals + 1);
        if (equals < 0 || (key != u"name" && key != u"extract" && key != u"attr")) {
            aError = where + Tr("\"%1\" is not name=..., extract=... or attr=...").arg(item);
            return false;
        }
        if (seen.contains(key)) {
            aError = where + Tr("%1= is given twice").arg(key);
            return false;
        }
        seen << key;
        if (key == u"name") {
            aRule.Name = value;
        } else if (key == u"attr") {
            aRule.Attribute = value;
        } else if (!ParseExtractName(value, aRule.ExtractType)) {
            aError = where + Tr("unknown extract=\"%1\" (text, outer, inner or any)").arg(value);
            return false;
        }
    }
    return true;
}

QString RuleRefusal(const TScrapRule& aRule, const TRuleValidity& aValidity)
{
    if (aValidity.Reason.isEmpty())
        return Tr("the query is empty");
    QString text = Tr("invalid %1: %2").arg(LanguageName(aRule.QueryType), aValidity.Reason);
    // A reason of several lines already shows the query under a caret.
    if (!aValidity.Reason.contains(u'\n'))
        text += Tr(" (query \"%1\")").arg(aRule.Query);
    return text;
}
