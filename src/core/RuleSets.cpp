#include "core/RuleSets.h"

#include "core/TextUtil.h"
#include "json/JsonNode.h"

#include <cmath>

namespace {

// Reads a number member into an 8-bit field: truncated toward zero, low 8 bits
// kept (-1 gives 255, 300 gives 44); a member that is not a number gives 0.
// False when the truncated value lies outside the signed 64-bit range.
bool ReadByte(const TJsonNode& aNode, unsigned char& aByte)
{
    const double value = std::trunc(aNode.AsNumber());
    // -2^63 is exact as a double; 2^63 is the first value beyond the range.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        return false;
    aByte = static_cast<unsigned char>(static_cast<quint64>(static_cast<qint64>(value)) & 0xFF);
    return true;
}

// Reads one rule into aRule, field by field in file order; false at the first
// missing member or out-of-range number, the fields read so far kept.
bool ReadRule(const TJsonNode& aItem, TScrapRule& aRule)
{
    const TJsonNode* name = aItem.Find(QStringLiteral("name"));
    if (!name)
        return false;
    aRule.Name = name->AsString();
    const TJsonNode* query = aItem.Find(QStringLiteral("query"));
    if (!query)
        return false;
    aRule.Query = query->AsString();
    const TJsonNode* attr = aItem.Find(QStringLiteral("attr"));
    if (!attr)
        return false;
    aRule.Attribute = attr->AsString();
    unsigned char byte = 0;
    const TJsonNode* qtype = aItem.Find(QStringLiteral("qtype"));
    if (!qtype || !ReadByte(*qtype, byte))
        return false;
    aRule.QueryType = TScrapQueryType(byte);
    const TJsonNode* etype = aItem.Find(QStringLiteral("etype"));
    if (!etype || !ReadByte(*etype, byte))
        return false;
    aRule.ExtractType = TScrapExtractType(byte);
    return true;
}

bool IsObject(const TJsonNode& aNode)
{
    return aNode.Kind() == nkObject;
}

bool IsContainer(const TJsonNode& aNode)
{
    return aNode.Kind() == nkObject || aNode.Kind() == nkArray;
}

}  // namespace

TScrapRuleSet* TScrapRuleSets::Add(std::unique_ptr<TScrapRuleSet> aSet)
{
    FSets.push_back(std::move(aSet));
    return FSets.back().get();
}

std::unique_ptr<TScrapRuleSet> TScrapRuleSets::Take(int Index)
{
    std::unique_ptr<TScrapRuleSet> set = std::move(FSets.at(size_t(Index)));
    FSets.erase(FSets.begin() + Index);
    return set;
}

void TScrapRuleSets::Clear()
{
    FSets.clear();
}

int TScrapRuleSets::GetNdxByName(const QString& sName) const
{
    for (size_t i = 0; i < FSets.size(); ++i) {
        if (SameTextASCII(FSets[i]->Name, sName))
            return int(i);
    }
    return -1;
}

TScrapRuleSet* TScrapRuleSets::GetByName(const QString& sName) const
{
    const int index = GetNdxByName(sName);
    return index < 0 ? nullptr : FSets[size_t(index)].get();
}

QString TScrapRuleSets::GetJSONString() const
{
    QStringList items;
    for (const auto& set : FSets)
        items << set->GetJSONString();
    return JsonFileArrayText(items);
}

bool TScrapRuleSets::SaveToFile(const QString& sFileName) const
{
    return SaveFileAtomically(sFileName, QByteArray(kUtf8Bom) + GetJSONString().toUtf8());
}

bool TScrapRuleSets::LoadFromFile(const QString& sFileName)
{
    Clear();
    TJsonNode root;
    if (!LoadJsonFile(sFileName, root))
        return false;
    // Sets and rules join the list as soon as they exist: a load that stops
    // keeps everything read before the fault.
    for (int i = 0; i < root.Count(); ++i) {
        const TJsonNode& item = *root.Child(i);
        if (!IsObject(item))
            return false;
        TScrapRuleSet* set = Add(std::make_unique<TScrapRuleSet>());
        const TJsonNode* name = item.Find(QStringLiteral("name"));
        if (!name)
            return false;
        set->Name = name->AsString();
        const TJsonNode* rules = item.Find(QStringLiteral("rules"));
        if (!rules)
            return false;
        if (!IsContainer(*rules))
            continue;
        for (int r = 0; r < rules->Count(); ++r) {
            const TJsonNode& ruleItem = *rules->Child(r);
            if (!IsObject(ruleItem))
                return false;
            TScrapRule* rule = set->Add(std::make_unique<TScrapRule>());
            if (!ReadRule(ruleItem, *rule))
                return false;
        }
    }
    return true;
}
