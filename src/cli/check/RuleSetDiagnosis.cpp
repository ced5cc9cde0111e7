#include "cli/check/RuleSetDiagnosis.h"
#include "core/Translate.h"

#include "core/TextUtil.h"
#include "json/JsonNode.h"

#include <QFile>
#include <cmath>

namespace {

// The position of a character index in the text as "line L, column C" (1-based).
QString LineAndColumn(const QString& aText, qsizetype aIndex)
{
    aIndex = std::clamp<qsizetype>(aIndex, 0, aText.size());
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < aIndex; ++i) {
        if (aText.at(i) == u'\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return Tr("line %1, column %2").arg(line).arg(aIndex - lineStart + 1);
}

const char* KindName(TJsonNodeKind aKind)
{
    switch (aKind) {
    case nkObject: return "an object";
    case nkArray: return "an array";
    case nkBool: return "true or false";
    case nkNull: return "null";
    case nkNumber: return "a number";
    default: return "a string";
    }
}

struct TMember {
    const char* Name;
    TJsonNodeKind Kind;
    int MaxCode;  // for numbers: allowed codes 0..MaxCode
    const char* Codes;
};

const TMember kRuleMembers[] = {
    {"name", nkString, 0, nullptr},
    {"qtype", nkNumber, 4, "0 XPath, 1 XQuery, 2 CSS path, 3 regular expression, 4 HTML template"},
    {"query", nkString, 0, nullptr},
    {"attr", nkString, 0, nullptr},
    {"etype", nkNumber, 3, "0 text, 1 outer HTML, 2 inner HTML, 3 any part"},
};

QString Quoted(const QString& aText)
{
    return u'"' + aText + u'"';
}

// Why a member of a rule is not acceptable; empty when it is.
QString MemberProblem(const TJsonNode& aRule, const TMember& aMember)
{
    const QString name = QString::fromLatin1(aMember.Name);
    const TJsonNode* node = aRule.Find(name);
    const QString expected = aMember.Kind == nkString
                                 ? Tr("a string")
                                 : Tr("a whole number from 0 to %1 (%2)")
                                       .arg(aMember.MaxCode)
                                       .arg(Tr(aMember.Codes));
    if (!node)
        return Tr("the member \"%1\" is missing; it must be %2").arg(name, expected);
    const QString found = node->Kind() == nkString ? Tr("the string ") + Quoted(node->AsString())
                                                   : Tr(KindName(node->Kind()));
    if (node->Kind() != aMember.Kind)
        return Tr("\"%1\" is %2; it must be %3").arg(name, found, expected);
    if (aMember.Kind == nkNumber) {
        const double value = node->AsNumber();
        if (value != std::trunc(value) || value < 0 || value > aMember.MaxCode)
            return Tr("\"%1\" is %2; it must be %3").arg(name, node->Value(), expected);
    }
    return QString();
}

QString SetProblem(const TJsonNode& aSet, const QString& aWhere)
{
    if (aSet.Kind() != nkObject)
        return aWhere + Tr(": a set must be an object {\"name\":...,\"rules\":[...]}, not %1")
                            .arg(Tr(KindName(aSet.Kind())));
    const TJsonNode* name = aSet.Find(QStringLiteral("name"));
    if (!name || name->Kind() != nkString)
        return aWhere + (name ? Tr(": \"name\" is %1; it must be a string")
                                    .arg(Tr(KindName(name->Kind())))
                              : Tr(": the member \"name\" is missing; it must be a string"));
    const QString where = aWhere + u' ' + Quoted(name->AsString());
    const TJsonNode* rules = aSet.Find(QStringLiteral("rules"));
    if (!rules || (rules->Kind() != nkArray && rules->Kind() != nkObject))
        return where + (rules ? Tr(": \"rules\" is %1; it must be an array of rules")
                                    .arg(Tr(KindName(rules->Kind())))
                              : Tr(": the member \"rules\" is missing; it must be an array of rules"));
    for (int r = 0; r < rules->Count(); ++r) {
        const TJsonNode& rule = *rules->Child(r);
        QString ruleWhere = where + Tr(", rule %1").arg(r + 1);
        if (rule.Kind() != nkObject)
            return ruleWhere + Tr(": a rule must be an object, not %1")
                                   .arg(Tr(KindName(rule.Kind())));
        if (const TJsonNode* ruleName = rule.Find(QStringLiteral("name")); ruleName && ruleName->Kind() == nkString)
            ruleWhere += u' ' + Quoted(ruleName->AsString());
        for (const TMember& member : kRuleMembers) {
            const QString problem = MemberProblem(rule, member);
            if (!problem.isEmpty())
                return ruleWhere + QStringLiteral(": ") + problem;
        }
    }
    return QString();
}

}  // namespace

QString DiagnoseRuleSetFile(const QString& aFileName)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        return Tr("cannot read the file: %1").arg(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Tr("cannot read the file: %1").arg(file.errorString());
    QString text;
    if (!DecodeUtf8Strict(bytes, text)) {
        const QString lossy = QString::fromUtf8(bytes.startsWith(kUtf8Bom) ? bytes.mid(3) : bytes);
        return LineAndColumn(lossy, lossy.indexOf(QChar::ReplacementCharacter))
               + Tr(": the file is not UTF-8 text (save it as UTF-8, with or without a byte-order mark)");
    }
    TJsonNode root;
    try {
        root.Parse(text);
    } catch (const EJsonException& error) {
        const QString place = error.Position() >= 0 ? LineAndColumn(text, error.Position()) + QStringLiteral(": ")
                                                    : QString();
        return place + Tr("not valid JSON (%1); the file must be an array of sets "
                                      "[{\"name\":...,\"rules\":[...]}, ...]")
                           .arg(error.Message());
    }
    for (int i = 0; i < root.Count(); ++i) {
        const QString problem = SetProblem(*root.Child(i), Tr("set %1").arg(i + 1));
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}
