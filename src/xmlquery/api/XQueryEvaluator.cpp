#include "xmlquery/api/Evaluators.h"
#include "xmlquery/api/XQueryResults.h"

#include "xmlquery/p1xmlquery.h"
#include "xmlquery/xquery/XQueryEngine.h"

#include <vector>

namespace xq::api {
namespace {

int Evaluate(const CachedPage& page, const std::string& query, xquery::Language language,
             const ValueOptions& options, std::string& json)
{
    if (query.empty()) return P1XQ_ERR_QUERY_COMPILE;
    std::vector<xquery::ResultItem> items;
    switch (xquery::Evaluate(page.doc, page.generation, query, language, items)) {
    case xquery::Status::Ok: break;
    case xquery::Status::CompileError: return P1XQ_ERR_QUERY_COMPILE;
    case xquery::Status::EvaluationError: return P1XQ_ERR_EVALUATION;
    case xquery::Status::MemoryLimit: return P1XQ_ERR_MEMORY;
    default: return P1XQ_ERR_INTERNAL;
    }
    JsonArrayText out;
    for (const xquery::ResultItem& item : items) {
        switch (item.kind) {
        case xquery::ResultItem::Node:
            if (item.node) AddNodeValue(out, item.node, options);
            else out.AddString(item.text);
            break;
        case xquery::ResultItem::Number: out.AddNumber(item.number); break;
        case xquery::ResultItem::Boolean: out.AddBoolean(item.boolean); break;
        default: out.AddString(item.text); break;
        }
    }
    json = std::move(out).Finish();
    return P1XQ_OK;
}

}  // namespace

int EvaluateXPath31(const CachedPage& page, const std::string& query, const ValueOptions& options,
                    std::string& json)
{
    return Evaluate(page, query, xquery::Language::XPath31, options, json);
}

bool IsXPath31Valid(const std::string& query, std::string* reason)
{
    return !query.empty() && xquery::IsValid(query, xquery::Language::XPath31, reason);
}

int EvaluateXQuery(const CachedPage& page, const std::string& query, const ValueOptions& options,
                   std::string& json)
{
    return Evaluate(page, query, xquery::Language::XQuery31, options, json);
}

bool IsXQueryValid(const std::string& query, std::string* reason)
{
    return !query.empty() && xquery::IsValid(query, xquery::Language::XQuery31, reason);
}

}  // namespace xq::api
