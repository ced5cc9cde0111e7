#pragma once
// Page analysis: a downloaded page and one rule give the rule's values.

#include "core/ScrapRules.h"

#include <QByteArray>
#include <QString>
#include <memory>

// "UTF8", "WINDOWS-1251" or "WINDOWS-1252", from the META tags of the first 1024
// bytes (<meta http-equiv="Content-Type" content="...; charset=X"> and
// <meta charset="X">); the last tag that names one of the two code pages
// decides. A page whose tags name no character set at all goes by the charset
// parameter of its HTTP Content-Type header, when given.
QString DetectPageCharset(const QByteArray& aBody, const QString& aContentType = {});
// The body decoded by DetectPageCharset's answer; invalid UTF-8 becomes U+FFFD.
QString DecodePageText(const QByteArray& aBody, const QString& aContentType = {});

// The last page of each thread. A worker applies every rule of its task to the
// same body, one call per rule, so four layers each keep what they derived from
// the last page their thread saw, and give it again while the page stays the same:
//   1. ApplyScrapRule.cpp: the body, its decoded text, and whether the body can
//      go to the query library as it is (declared UTF-8, valid, no NUL, no BOM);
//   2. XmlQuery.cpp: the decoded text as the library reads it (UTF-8, NUL as U+FFFD);
//   3. xmlquery/HtmlDocument.cpp: the parsed document and its generation number;
//   4. xmlquery/xquery/ScriptHost.cpp: the XQuery engine's DOM of that document,
//      rebuilt when the generation changes.
// A different page replaces each record, so a thread holds one page in each
// form; the records go when their thread ends. In a run that thread is an
// analysis helper's, which gets every rule of a page in one request.
// They stay separate because each layer sees only its own input: the query
// library takes UTF-8 text through its C functions and knows no bodies or QStrings.

// True with a list (possibly empty) for the query-library languages; true with a
// list or with none for a regular expression; false (no list) when the rule cannot
// be applied: unknown query type, a nonzero library status, a pattern that does not
// compile, or a search that exceeded its limits. aFailure, when given, receives why.
// aContentType: the page's HTTP Content-Type header, when it was fetched.
bool ApplyScrapRule(const QByteArray& aBody, const TScrapRule& aRule,
                    std::unique_ptr<TSRStringList>& aList, bool bChkUnique,
                    QString* aFailure = nullptr, const QString& aContentType = {});

// Why the query library refused with a nonzero status, in this thread's terms:
// its time budget or cancel flag, the memory stop, or the status itself.
QString QueryFailureMessage(int aStatus);

// The library's status, 0 on success (then aList is set).
int RunXmlQuery(const QString& aText, TScrapQueryType aQueryType, const QString& aQuery,
                const QString& aAttribute, TScrapExtractType aExtractType, bool bChkUnique,
                std::unique_ptr<TSRStringList>& aList);
// The same with the page already as the library reads it: UTF-8 without NUL bytes.
int RunXmlQueryOnLibraryText(const QByteArray& aHtml, TScrapQueryType aQueryType, const QString& aQuery,
                             const QString& aAttribute, TScrapExtractType aExtractType, bool bChkUnique,
                             std::unique_ptr<TSRStringList>& aList);

// False when the pattern does not compile or a search exceeds its bounds (match
// count, depth, memory): aFailure then says why. True with no list when the
// case-sensitive test finds nothing; true with a list otherwise.
bool RunRegExQuery(const QString& aText, const QString& aPattern, bool bChkUnique,
                   std::unique_ptr<TSRStringList>& aList, QString* aFailure = nullptr);

// Never fails: a malformed or non-array answer gives one error line.
std::unique_ptr<TSRStringList> ParseQueryResult(const QString& aResultText, bool bChkUnique);

bool CheckQueryValid(const QString& aQuery, TScrapQueryType aQueryType);
bool CheckTemplateValid(const QString& aTemplate);

// Why a query of the type (a template too) is refused by the same checks, in the
// words of its compiler: libxml2's XPath message with the character position,
// the CSS reason with its column, the template reason with line and column, the
// XQuery error code and message, PCRE2's text. Empty when the query is valid.
QString QueryInvalidReason(const QString& aQuery, TScrapQueryType aQueryType);

// Decodes a body in a code page named as DetectPageCharset names it ("UTF8",
// "WINDOWS-1251", "WINDOWS-1252"); any other name decodes as UTF-8.
QString DecodePageTextAs(const QByteArray& aBody, const QString& aCharset);

// Why a regular expression does not compile ("missing closing parenthesis at
// offset 3"); empty when it compiles.
QString RegExPatternError(const QString& aPattern);

// The text of a JSON number token as a value: whole numbers as integers, others
// with up to 15 significant digits, aDecimalPoint as separator and scientific
// form below 0.00001 in magnitude ("1.5E-7").
QString FormatResultNumber(const QString& aToken, const QString& aDecimalPoint);
