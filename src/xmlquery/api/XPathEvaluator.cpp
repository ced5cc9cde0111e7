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

struct Context {
    ContextPtr context;
    int lastError = 0;
    std::string lastMessage;
};

// libxml2 hands an XPath context's callback the error code and the offset in
// the expression, without a message text.
std::string XPathErrorText(int code)
{
    switch (code) {
    case XML_XPATH_NUMBER_ERROR: return "malformed number";
    case XML_XPATH_UNFINISHED_LITERAL_ERROR: return "unfinished string literal";
    case XML_XPATH_START_LITERAL_ERROR: return "a string literal was expected";
    case XML_XPATH_VARIABLE_REF_ERROR: return "expected $ for a variable reference";
    case XML_XPATH_UNDEF_VARIABLE_ERROR: return "undefined variable";
    case XML_XPATH_INVALID_PREDICATE_ERROR: return "invalid predicate";
    case XML_XPATH_EXPR_ERROR: return "invalid expression";
    case XML_XPATH_UNCLOSED_ERROR: return "missing closing brace";
    case XML_XPATH_UNKNOWN_FUNC_ERROR: return "unknown function";
    case XML_XPATH_INVALID_OPERAND: return "invalid operand";
    case XML_XPATH_INVALID_TYPE: return "invalid type";
    case XML_XPATH_INVALID_ARITY: return "wrong number of arguments";
    case XML_XPATH_UNDEF_PREFIX_ERROR: return "undefined namespace prefix";
    case XML_XPATH_INVALID_CHAR_ERROR: return "character out of the XML range";
    case XML_XPATH_ENCODING_ERROR: return "encoding error";
    default: return "XPath error " + std::to_string(code);
    }
}

void RecordError(void* data, xmlErrorPtr error)
{
    if (!data || !error) return;
    auto* context = static_cast<Context*>(data);
    context->lastError = error->code;
    context->lastMessage = XPathErrorText(error->code) + " at character " + std::to_string(error->int1 + 1);
}

std::unique_ptr<Context> NewContext(xmlDoc* doc)
{
    auto result = std::make_unique<Context>();
    result->context.reset(xmlXPathNewContext(doc));
    if (!result->context) return nullptr;
    result->context->error = RecordError;
    result->context->userData = result.get();
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

bool IsXPathValid(const std::string& query, std::string* reason)
{
    EnsureLibxmlForThread();
    if (query.empty()) {
        if (reason) *reason = "the query is empty";
        return false;
    }
    if (!HasBalancedBrackets(query)) {
        if (reason) *reason = "a string literal, comment, bracket, parenthesis or brace is left open or closed unopened";
        return false;
    }
    auto context = NewContext(nullptr);
    if (context && CompileXPath1(*context, query)) return true;
    std::string laterReason;
    if (IsXPath31Valid(query, &laterReason)) return true;
    // For plain XPath 1.0 text libxml2 is the compiler whose message counts.
    if (reason) {
        const bool fromLibxml = context && IsXPath1Expression(query) && !context->lastMessage.empty();
        *reason = fromLibxml ? context->lastMessage : laterReason;
    }
    return false;
}

}  // namespace xq::api
