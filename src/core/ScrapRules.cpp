#include "core/ScrapRules.h"

#include "core/TextUtil.h"
#include "core/Translate.h"
#include "json/JsonNode.h"

#include <QStringView>

namespace {

// The 8 bits of an enumeration field read as a signed value: a stored 255 is -1.
double SignedByte(unsigned char aValue)
{
    return double(static_cast<signed char>(aValue));
}

std::unique_ptr<TScrapRule> CopyRule(const TScrapRule& aRule)
{
    return std::make_unique<TScrapRule>(aRule);
}

}  // namespace

QString ExtractTypeLabel(TScrapExtractType aType)
{
    switch (aType) {
    case etTextContent: return Tr("Просто текст");
    case etOuterHTML: return Tr("Внешний HTML");
    case etInnerHTML: return Tr("Внутренний HTML");
    case etAnyPart: return Tr("Любой код страницы");
    default: return QString();
    }
}

TScrapRule* TScrapRuleSet::Add(std::unique_ptr<TScrapRule> Rule)
{
    FRules.push_back(std::move(Rule));
    return FRules.back().get();
}

std::unique_ptr<TScrapRule> TScrapRuleSet::Take(int Index)
{
    std::unique_ptr<TScrapRule> rule = std::move(FRules.at(size_t(Index)));
    FRules.erase(FRules.begin() + Index);
    return rule;
}

void TScrapRuleSet::Delete(int Index)
{
    Take(Index);
}

void TScrapRuleSet::Clear()
{
    FRules.clear();
}

std::unique_ptr<TScrapRuleSet> TScrapRuleSet::Clone() const
{
    auto copy = std::make_unique<TScrapRuleSet>();
    copy->Name = Name;
    copy->AssignFrom(*this);
    return copy;
}

void TScrapRuleSet::AssignFrom(const TScrapRuleSet& aRuleSet)
{
    // Copies first, so that assigning a set to itself keeps its rules.
    std::vector<std::unique_ptr<TScrapRule>> rules;
    rules.reserve(aRuleSet.FRules.size());
    for (const auto& rule : aRuleSet.FRules)
        rules.push_back(CopyRule(*rule));
    FRules = std::move(rules);
}

QString TScrapRuleSet::GetJSONString() const
{
    TJsonNode root;
    root.Add(QStringLiteral("name"), Name);
    TJsonNode* rules = root.Add(QStringLiteral("rules"), nkArray);
    for (const auto& rule : FRules) {
        TJsonNode* item = rules->Add(QString(), nkObject);
        item->Add(QStringLiteral("name"), rule->Name);
        item->Add(QStringLiteral("qtype"), SignedByte(rule->QueryType));
        item->Add(QStringLiteral("query"), rule->Query);
        item->Add(QStringLiteral("attr"), rule->Attribute);
        item->Add(QStringLiteral("etype"), SignedByte(rule->ExtractType));
    }
    return root.AsJson();
}

void TSRStringList::Append(const QString& Value)
{
    // A valid index stays valid by adding the one new key; it is never rebuilt
    // per value, which would make a unique fill quadratic.
    if (FIndexValid) {
        const QString key = UpperKey(Value);
        if (!FIndex.contains(key))  // the first of equal values is the one found
            FIndex.insert(key, int(FItems.size()));
    }
    FItems.append(Value);
}

int TSRStringList::IndexOf(const QString& Value) const
{
    if (!FIndexValid) {
        FIndex.clear();
        FIndex.reserve(FItems.size());
        for (int i = 0; i < FItems.size(); ++i) {
            const QString key = UpperKey(FItems.at(i));
            if (!FIndex.contains(key))  // the first of equal values is the one found
                FIndex.insert(key, i);
        }
        FIndexValid = true;
    }
    const auto found = FIndex.constFind(UpperKey(Value));
    return found == FIndex.constEnd() ? -1 : found.value();
}

QString TSRStringList::Text() const
{
    QString text;
    for (const QString& value : FItems) {
        text += value;
        text += QLatin1String("\r\n");
    }
    return text;
}

void TSRStringList::AddResult(const QString& sResult, bool bChkUnique)
{
    const QString value = TrimBlanks(sResult);
    if (value.isEmpty())
        return;
    if (bChkUnique && IndexOf(value) >= 0)
        return;
    Append(value);
}

QString TSRStringList::UpperKey(const QString& Value)
{
    // Simple case mapping, code point by code point: "ß" stays one letter
    // instead of becoming "SS" as a full mapping would make it.
    QString key;
    key.reserve(Value.size());
    const qsizetype size = Value.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = Value.at(i);
        if (c.isHighSurrogate() && i + 1 < size && Value.at(i + 1).isLowSurrogate()) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, Value.at(i + 1)));
            key += QChar::highSurrogate(upper);
            key += QChar::lowSurrogate(upper);
            ++i;
        } else {
            key += c.toUpper();
        }
    }
    return key;
}
