#pragma once
// The saved rule sets and the rule-set file.

#include "ScrapRules.h"

#include <QString>
#include <memory>
#include <vector>

class TScrapRuleSets {
public:
    int Count() const { return int(FSets.size()); }
    TScrapRuleSet* At(int Index) const { return FSets.at(size_t(Index)).get(); }
    TScrapRuleSet* Add(std::unique_ptr<TScrapRuleSet> aSet);
    std::unique_ptr<TScrapRuleSet> Take(int Index);  // removes without freeing
    void Clear();

    int GetNdxByName(const QString& sName) const;  // ASCII letters folded only; -1 if none
    TScrapRuleSet* GetByName(const QString& sName) const;

    QString GetJSONString() const;                 // file text without the byte-order mark
    bool SaveToFile(const QString& sFileName) const;  // atomic: temp file + rename
    bool LoadFromFile(const QString& sFileName);

private:
    std::vector<std::unique_ptr<TScrapRuleSet>> FSets;
};
