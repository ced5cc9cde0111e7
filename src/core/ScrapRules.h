#pragma once
// Extraction rules, rule sets and the value list of one rule on one page.

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Both enumerations are stored in 8 bits; a value outside them (only an edited
// rule-set file brings one) is kept unchanged.
enum TScrapQueryType : unsigned char { qtXPath, qtXQuery, qtCssPath, qtRegEx, qtTemplate, qtDefault };
enum TScrapExtractType : unsigned char { etTextContent, etOuterHTML, etInnerHTML, etAnyPart, etUnknown };

// The label the editors show for an extract type, translated now; empty for
// etUnknown and values outside the enumeration.
QString ExtractTypeLabel(TScrapExtractType aType);

class TScrapRule {
public:
    QString Name;
    TScrapQueryType QueryType = qtXPath;
    QString Query;
    QString Attribute;
    TScrapExtractType ExtractType = etTextContent;
};

class TScrapRuleSet {
public:
    QString Name;

    int Count() const { return int(FRules.size()); }
    TScrapRule* Rule(int Index) const { return FRules.at(size_t(Index)).get(); }
    TScrapRule* Add(std::unique_ptr<TScrapRule> Rule);  // the set holds it; returns it
    std::unique_ptr<TScrapRule> Take(int Index);        // removes without freeing
    void Delete(int Index);                             // removes and frees
    void Clear();                                       // frees every rule

    std::unique_ptr<TScrapRuleSet> Clone() const;
    void AssignFrom(const TScrapRuleSet& aRuleSet);  // copies the rules, keeps Name
    QString GetJSONString() const;

private:
    std::vector<std::unique_ptr<TScrapRule>> FRules;
};

// Values of one rule on one page, in the order found. Lookups ignore letter
// case in every script through a hash index of upper-case forms, rebuilt at the
// next lookup after a change.
class TSRStringList {
public:
    int Count() const { return int(FItems.size()); }
    const QString& At(int Index) const { return FItems.at(Index); }
    const QString& operator[](int Index) const { return FItems.at(Index); }
    const QStringList& Values() const { return FItems; }

    void Append(const QString& Value);     // as is: no trimming, no uniqueness check
    int IndexOf(const QString& Value) const;  // case-insensitive; -1 when absent
    bool Contains(const QString& Value) const { return IndexOf(Value) >= 0; }
    QString Text() const;                  // every value followed by CR LF

    // Appends the trimmed value unless it is empty or (bChkUnique) already present.
    void AddResult(const QString& sResult, bool bChkUnique);

    static QString UpperKey(const QString& Value);  // one character for one character

private:
    QStringList FItems;
    mutable QHash<QString, int> FIndex;
    mutable bool FIndexValid = false;
};
