// The five C functions: argument checks, one parse per page and thread, dispatch
// to the query languages, and result texts owned by their handles.
#include "xmlquery/p1xmlquery.h"

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/Interruption.h"
#include "xmlquery/LibxmlSetup.h"
#include "xmlquery/api/Evaluators.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {

// What a handle points to: the result text, alive until p1xqFreeResult.
struct ResultText {
    std::string json;
};

bool IsExtractCode(int32_t code) { return code >= P1XQ_EXTRACT_TEXT && code <= P1XQ_EXTRACT_ANY; }

void ClearOutputs(const char** result, void** handle)
{
    if (result) *result = nullptr;
    if (handle) *handle = nullptr;
}

int32_t Publish(std::string json, const char** result, void** handle)
{
    auto text = std::make_unique<ResultText>();
    text->json = std::move(json);
    *result = text->json.c_str();
    *handle = text.release();
    return P1XQ_OK;
}

// The thread's bounds hold from the start of one call to its end.
struct EvaluationScope {
    EvaluationScope() { xq::BeginEvaluation(); }
    ~EvaluationScope() { xq::EndEvaluation(); }
};

// Runs one evaluation; every exception becomes the internal-fault status.
template <typename Evaluate>
int32_t Guarded(const char** result, void** handle, Evaluate&& evaluate)
{
    try {
        xq::EnsureLibxmlForThread();
        const EvaluationScope scope;
        std::string json;
        const int32_t status = evaluate(json);
        // Whatever failed once the bounds were reached failed because of them.
        if (status != P1XQ_OK && status != P1XQ_ERR_MEMORY && xq::CurrentEvaluation().Due())
            return P1XQ_ERR_INTERRUPTED;
        if (status != P1XQ_OK) return status;
        return Publish(std::move(json), result, handle);
    } catch (const xq::Interrupted&) {
        ClearOutputs(result, handle);
        return P1XQ_ERR_INTERRUPTED;
    } catch (...) {
        ClearOutputs(result, handle);
        return P1XQ_ERR_INTERNAL;
    }
}

template <typename Check>
int32_t GuardedCheck(Check&& check)
{
    try {
        xq::EnsureLibxmlForThread();
        const EvaluationScope scope;
        return check() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// Copies as much of the text as fits, never splitting a UTF-8 sequence.
void CopyReason(const std::string& aText, char* aBuffer, int32_t aSize)
{
    if (!aBuffer || aSize <= 0) return;
    size_t n = std::min(aText.size(), size_t(aSize - 1));
    if (n < aText.size())
        while (n > 0 && (static_cast<unsigned char>(aText[n]) & 0xC0) == 0x80) --n;
    aText.copy(aBuffer, n);
    aBuffer[n] = '\0';
}

}  // namespace

extern "C" {

int32_t p1xqProcessXQuery(const char* html, const char* query, const char* attribute, int32_t mode,
                          int32_t queryCode, int32_t extractCode, const char** result, void** handle)
{
    ClearOutputs(result, handle);
    if (!html || !query || !attribute || !result || !handle || mode != P1XQ_MODE_HTML_JSON ||
        !IsExtractCode(extractCode))
        return P1XQ_ERR_ARGUMENTS;
    if (queryCode != P1XQ_QUERY_XPATH && queryCode != P1XQ_QUERY_XQUERY && queryCode != P1XQ_QUERY_CSS)
        return P1XQ_ERR_ARGUMENTS;
    return Guarded(result, handle, [&](std::string& json) -> int32_t {
        const std::string queryText(query);
        if (queryText.empty()) return P1XQ_ERR_QUERY_COMPILE;
        const xq::api::ValueOptions options{attribute, extractCode};
        const xq::CachedPage page = xq::PageForThread(html);
        if (!page.doc) return P1XQ_ERR_INTERNAL;
        switch (queryCode) {
        case P1XQ_QUERY_XPATH: return xq::api::EvaluateXPath(page, queryText, options, json);
        case P1XQ_QUERY_XQUERY: return xq::api::EvaluateXQuery(page, queryText, options, json);
        default: return xq::api::EvaluateCss(page, queryText, options, json);
        }
    });
}

int32_t p1xqProcessTemplate(const char* html, const char* templateText, int32_t mode, int32_t queryCode,
                            int32_t extractCode, const char** result, void** handle)
{
    ClearOutputs(result, handle);
    if (!html || !templateText || !result || !handle || mode != P1XQ_MODE_HTML_JSON ||
        queryCode != P1XQ_QUERY_TEMPLATE || !IsExtractCode(extractCode))
        return P1XQ_ERR_ARGUMENTS;
    return Guarded(result, handle, [&](std::string& json) -> int32_t {
        const std::string text(templateText);
        if (text.empty()) return P1XQ_ERR_TEMPLATE_PARSE;
        const xq::CachedPage page = xq::PageForThread(html);
        if (!page.doc) return P1XQ_ERR_INTERNAL;
        return xq::api::EvaluateTemplate(page, text, extractCode, json);
    });
}

void p1xqSetThreadInterrupt(int32_t budgetMs, int32_t (*interrupted)(void*), void* context)
{
    xq::SetThreadInterrupt(xq::InterruptSource{budgetMs > 0 ? budgetMs : 0, interrupted, context});
}

void p1xqFreeResult(void* handle)
{
    // Takes back the ownership Publish handed out.
    std::unique_ptr<ResultText> text(static_cast<ResultText*>(handle));
}

int32_t p1xqIsQueryValid(const char* query, int32_t validationCode)
{
    if (!query || !*query) return 0;
    return GuardedCheck([&] {
        const std::string text(query);
        switch (validationCode) {
        case P1XQ_VALID_XPATH: return xq::api::IsXPathValid(text);
        case P1XQ_VALID_XQUERY: return xq::api::IsXQueryValid(text);
        case P1XQ_VALID_CSS: return xq::api::IsCssValid(text);
        default: return false;
        }
    });
}

int32_t p1xqIsTemplateValid(const char* templateText)
{
    if (!templateText || !*templateText) return 0;
    return GuardedCheck([&] { return xq::api::IsTemplateValid(templateText); });
}

int32_t p1xqExplainInvalid(const char* text, int32_t validationCode, char* reason, int32_t size)
{
    std::string why;
    const int32_t valid = GuardedCheck([&] {
        const std::string query(text ? text : "");
        switch (validationCode) {
        case P1XQ_VALID_XPATH: return xq::api::IsXPathValid(query, &why);
        case P1XQ_VALID_XQUERY: return xq::api::IsXQueryValid(query, &why);
        case P1XQ_VALID_CSS: return xq::api::IsCssValid(query, &why);
        case P1XQ_QUERY_TEMPLATE: return xq::api::IsTemplateValid(query, &why);
        default: why = "unknown validation code"; return false;
        }
    });
    if (!valid && why.empty()) why = "the check failed";
    CopyReason(valid ? std::string() : why, reason, size);
    return valid;
}

}  // extern "C"
