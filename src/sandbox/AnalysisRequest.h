#pragma once
// What crosses between a program and its analysis helper: one page with the
// rules to apply to it, and one outcome per rule back, in the rules' order.

#include "core/ScrapRules.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// A page as fetched (bytes decoded by their declared character set) or as a
// text already decoded (the rule tester's editor).
enum TPageForm { pfBody, pfText };

struct TAnalysisRequest {
    TPageForm Form = pfBody;
    QByteArray Body;      // pfBody
    QString ContentType;  // pfBody: the HTTP Content-Type header, when fetched
    QString Text;         // pfText
    std::vector<TScrapRule> Rules;
    bool ChkUnique = true;
    int RuleBudgetMs = 0;  // 0: the default budget
    QString Language;      // of the failure texts; set by AnalyseInHelper
};

// The helper stops after the first rule that fails, so only the last outcome
// of a page can be a failure.
struct TRuleOutcome {
    bool Applied = false;
    bool HasList = false;  // a regular expression that finds nothing has none
    QStringList Values;
    QString Failure;       // why, when not applied
    int LibraryStatus = 0; // the query library's status, 0 when it ran or was not asked
};

QByteArray EncodeRequest(const TAnalysisRequest& aRequest);
std::optional<TAnalysisRequest> DecodeRequest(const QByteArray& aBytes);
QByteArray EncodeOutcome(const TRuleOutcome& aOutcome);
std::optional<TRuleOutcome> DecodeOutcome(const QByteArray& aBytes);
