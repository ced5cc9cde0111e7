// XPath 1.0 by libxml2; XPath 2.0 and later by the XPath 3.1 engine.
#include "xmlquery/api/Evaluators.h"

#include "xmlquery/Interruption.h"
#include "xmlquery/LibxmlSetup.h"
#include "xmlquery/api/XPathDialect.h"
#include "xmlquery/api/XQueryResults.h"
#include "xmlquery/p1xmlquery.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>

namespace xq::api {
namespace {

// Operations one libxml2 evaluation may take (each node visited by a step counts
// one): ordinary queries on the largest pages stay far below; a quadratic query
// on a big page stops with an evaluation error instead of holding its worker.
constexpr unsigned long kXPathOpLimit = 20'000'000;

struct ContextDeleter { void operator()(xmlXPathContext* c) const { xmlXPathFreeContext(c); } };
struct CompiledDeleter { void operator()(xmlXPathCompExpr* c) const { xmlXPathFreeCompExpr(c); } };
struct ObjectDeleter { void operator()(xmlXPathObject* o) const { xmlXPathFreeObject(o); } };
using ContextPtr = std::unique_ptr<xmlXPathContext, ContextDeleter>;
using CompiledPtr = std::unique_ptr<xmlXPathCompExpr, CompiledDeleter>;
using ObjectPtr = std::unique_ptr<xmlXPathObject, ObjectDeleter>;

void RecordError(void* data, xmlErrorPtr error)
{
    if (data && error) *static_cast<int*>(data) = error->code;
}

struct Context {
    ContextPtr context;
    int lastError = 0;
};

std::unique_ptr<Context> NewContext(xmlDoc* doc)
{
    auto result = std::make_unique<Context>();
    result->context.reset(xmlXPathNewContext(doc));
    if (!result->context) return nullptr;
    result->context->error = RecordError;
    result->context->userData = &result->lastError;
    result->context->node = reinterpret_cast<xmlNode*>(doc);
    result->context->opLimit = kXPathOpLimit;
    return result;
}

// Compiles with libxml2 when the query is plain XPath 1.0 that libxml2 accepts.
CompiledPtr CompileXPath1(Context& context, const std::string& query)
{
    if (!IsXPath1Expression(query)) return nullptr;
    return CompiledPtr(xmlXPathCtxtCompile(context.context.get(), BAD_CAST query.c_str()));
}

void AddObject(JsonArrayText& out, const xmlXPathObject& object, const ValueOptions& options)
{
    switch (object.type) {
    case XPATH_NODESET:
        if (object.nodesetval) {
            for (int i = 0; i < object.nodesetval->nodeNr; ++i)
                AddNodeValue(out, object.nodesetval->nodeTab[i], options);
        }
        break;
    case XPATH_BOOLEAN: out.AddBoolean(object.boolval != 0); break;
    case XPATH_NUMBER: out.AddNumber(object.floatval); break;
    case XPATH_STRING: out.AddString(object.stringval ? reinterpret_cast<const char*>(object.stringval) : ""); break;
    default: break;
    }
}

}  // namespace

int EvaluateXPath(const CachedPage& page, const std::string& query, const ValueOptions& options,
                  std::string& json)
{
    EnsureLibxmlForThread();
    if (query.empty() || !HasBalancedBrackets(query)) return P1XQ_ERR_QUERY_COMPILE;
    auto context = NewContext(page.doc);
    if (!context) return P1XQ_ERR_INTERNAL;
    CompiledPtr compiled = CompileXPath1(*context, query);
    if (!compiled) return EvaluateXPath31(page, query, options, json);

    context->lastError = 0;
    ObjectPtr object;
    bool stopped = false;
    {
        // libxml2's node-set merges are quadratic, so the operation limit alone
        // does not bound the time: the watch lowers it to stop the evaluation at
        // the next node it visits.
        xmlXPathContext* raw = context->context.get();
        const EvaluationWatch watch(CurrentEvaluation(),
                                    [raw] { __atomic_store_n(&raw->opLimit, 1UL, __ATOMIC_RELAXED); });
        object.reset(xmlXPathCompiledEval(compiled.get(), raw));
        stopped = watch.Fired();
    }
    if (stopped) return P1XQ_ERR_INTERRUPTED;
    if (!object) {
        // A function only a later XPath knows, missed by the text check.
        if (context->lastError == XML_XPATH_UNKNOWN_FUNC_ERROR) return EvaluateXPath31(page, query, options, json);
        return context->lastError == XML_ERR_NO_MEMORY ? P1XQ_ERR_INTERNAL : P1XQ_ERR_EVALUATION;
    }
    JsonArrayText out;
    AddObject(out, *object, options);
    json = std::move(out).Finish();
    return P1XQ_OK;
}

bool IsXPathValid(const std::string& query)
{
    EnsureLibxmlForThread();
    if (query.empty() || !HasBalancedBrackets(query)) return false;
    auto context = NewContext(nullptr);
    if (context && CompileXPath1(*context, query)) return true;
    return IsXPath31Valid(query);
}

}  // namespace xq::api
