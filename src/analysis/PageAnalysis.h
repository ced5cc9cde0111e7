#pragma once
// Page analysis: a downloaded page and one rule give the rule's values.

#include "core/ScrapRules.h"

#include <QByteArray>
#include <QString>
#include <memory>

// "UTF8", "WINDOWS-1251" or "WINDOWS-1252", from the META tags of the first 1024 bytes.
QString DetectPageCharset(const QByteArray& aBody);
QString DecodePageText(const QByteArray& aBody);

// True with a list (possibly empty) for the query-library languages; true with a
// list or with none for a regular expression; false (no list) when the rule cannot be applied.
bool ApplyScrapRule(const QByteArray& aBody, const TScrapRule& aRule,
                    std::unique_ptr<TSRStringList>& aList, bool bChkUnique);

// The library's status, 0 on success (then aList is set).
int RunXmlQuery(const QString& aText, TScrapQueryType aQueryType, const QString& aQuery,
                const QString& aAttribute, TScrapExtractType aExtractType, bool bChkUnique,
                std::unique_ptr<TSRStringList>& aList);

bool RunRegExQuery(const QString& aText, const QString& aPattern, bool bChkUnique,
                   std::unique_ptr<TSRStringList>& aList);

std::unique_ptr<TSRStringList> ParseQueryResult(const QString& aResultText, bool bChkUnique);

bool CheckQueryValid(const QString& aQuery, TScrapQueryType aQueryType);
bool CheckTemplateValid(const QString& aTemplate);
