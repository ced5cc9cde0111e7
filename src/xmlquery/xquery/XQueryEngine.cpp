#include "xmlquery/xquery/XQueryEngine.h"

#include "xmlquery/xquery/ErrorText.h"
#include "xmlquery/xquery/ScriptHost.h"

namespace xq::xquery {

namespace {

void SetError(std::string* error, std::string text)
{
    if (error) *error = std::move(text);
}

bool IsXQuery(Language language) { return language == Language::XQuery31; }

// The grammar has no empty expression; the engine would quietly return nothing.
bool IsBlank(const std::string& query)
{
    return query.find_first_not_of(" \t\r\n") == std::string::npos;
}

const char* const kEmptyQueryError = "XPST0003: the query is empty";

// Result kinds from the script: n = element (value: its number), s = string,
// d = number, b = boolean.
bool ReadResults(const ScriptHost& host, const QJSValue& results, std::vector<ResultItem>& out, std::string* error)
{
    const QString kinds = results.property(QStringLiteral("kinds")).toString();
    const QJSValue values = results.property(QStringLiteral("values"));
    out.reserve(static_cast<std::size_t>(kinds.size()));
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QJSValue value = values.property(static_cast<quint32>(i));
        ResultItem item;
        switch (kinds[i].unicode()) {
        case 'n':
            item.kind = ResultItem::Node;
            item.node = host.Element(value.toNumber());
            if (!item.node) {
                SetError(error, "the XQuery engine returned an unknown node");
                out.clear();
                return false;
            }
            break;
        case 'd':
            item.kind = ResultItem::Number;
            item.number = value.toNumber();
            break;
        case 'b':
            item.kind = ResultItem::Boolean;
            item.boolean = value.toBool();
            break;
        default:
            item.kind = ResultItem::String;
            item.text = value.toString().toStdString();
        }
        out.push_back(std::move(item));
    }
    return true;
}

}  // namespace

Status Evaluate(xmlDoc* doc, std::uint64_t generation, const std::string& queryUtf8, Language language,
                std::vector<ResultItem>& out, std::string* error)
{
    out.clear();
    if (!doc) {
        SetError(error, "no document to query");
        return Status::InternalError;
    }
    if (IsBlank(queryUtf8)) {
        SetError(error, kEmptyQueryError);
        return Status::CompileError;
    }
    std::string failure;
    ScriptHost* host = ScriptHost::ForThisThread(&failure);
    if (!host) {
        SetError(error, failure);
        return Status::InternalError;
    }
    const ScriptCall page = host->Page(doc, generation);
    if (!page.ok) {
        SetError(error, "the page could not be prepared for XQuery: " + page.error);
        if (page.outOfMemory) return Status::MemoryLimit;
        return page.timedOut ? Status::EvaluationError : Status::InternalError;
    }
    const ScriptCall results = host->Evaluate(QString::fromUtf8(queryUtf8), page.value, IsXQuery(language));
    if (!results.ok) {
        SetError(error, TidyErrorMessage(results.error));
        if (results.outOfMemory) return Status::MemoryLimit;
        return IsStaticErrorCode(FindErrorCode(results.error)) ? Status::CompileError : Status::EvaluationError;
    }
    return ReadResults(*host, results.value, out, error) ? Status::Ok : Status::InternalError;
}

bool IsValid(const std::string& queryUtf8, Language language, std::string* error)
{
    if (IsBlank(queryUtf8)) {
        SetError(error, kEmptyQueryError);
        return false;
    }
    std::string failure;
    ScriptHost* host = ScriptHost::ForThisThread(&failure);
    if (!host) {
        SetError(error, failure);
        return false;
    }
    const ScriptCall checked = host->Check(QString::fromUtf8(queryUtf8), IsXQuery(language));
    if (checked.ok) return true;
    // Only a syntax or static error makes the query invalid; anything raised while
    // the checker folded constants (or a check that ran out of time) is left to
    // the evaluation to report.
    if (!IsStaticErrorCode(FindErrorCode(checked.error))) return true;
    SetError(error, TidyErrorMessage(checked.error));
    return false;
}

}  // namespace xq::xquery
