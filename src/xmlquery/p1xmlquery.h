#pragma once
/* The XML query library: XPath, XQuery, CSS-path and HTML-template queries over
 * HTML text. All texts are NUL-terminated UTF-8; an empty text is "", never NULL.
 * Safe for concurrent evaluations on many threads. Nothing throws across this
 * interface: every failure is a status. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Query codes for evaluation. */
#define P1XQ_QUERY_XPATH 3
#define P1XQ_QUERY_XQUERY 6
#define P1XQ_QUERY_CSS 7
#define P1XQ_QUERY_TEMPLATE 8
/* Validation codes. */
#define P1XQ_VALID_XPATH 2
#define P1XQ_VALID_XQUERY 5
#define P1XQ_VALID_CSS 7
/* Extract codes. */
#define P1XQ_EXTRACT_TEXT 0
#define P1XQ_EXTRACT_OUTER 1
#define P1XQ_EXTRACT_INNER 2
#define P1XQ_EXTRACT_ANY 3
/* The input mode constant the callers pass (HTML text in, JSON array out). */
#define P1XQ_MODE_HTML_JSON 3

/* Statuses. */
#define P1XQ_OK 0
#define P1XQ_ERR_ARGUMENTS 1      /* NULL pointer, unknown mode, query or extract code */
#define P1XQ_ERR_QUERY_COMPILE 2  /* the query or selector does not compile */
#define P1XQ_ERR_EVALUATION 3     /* the query compiled but its evaluation failed */
#define P1XQ_ERR_TEMPLATE_PARSE 4 /* the template does not parse */
#define P1XQ_ERR_INTERNAL 5       /* out of memory or an unexpected internal fault */
#define P1XQ_ERR_INTERRUPTED 6    /* stopped by the thread's budget or interrupt callback */
#define P1XQ_ERR_MEMORY 7         /* stopped for making the process grow by about 1 GB */

/* Evaluates an XPath (3), XQuery (6) or CSS (7) query. On P1XQ_OK *result points
 * to a UTF-8 JSON array text that stays readable until p1xqFreeResult(*handle). */
int32_t p1xqProcessXQuery(const char* html, const char* query, const char* attribute,
                          int32_t mode, int32_t queryCode, int32_t extractCode,
                          const char** result, void** handle);

/* Applies an HTML template (queryCode 8). Same result contract. */
int32_t p1xqProcessTemplate(const char* html, const char* templateText, int32_t mode,
                            int32_t queryCode, int32_t extractCode,
                            const char** result, void** handle);

void p1xqFreeResult(void* handle);

/* Bounds the evaluations the calling thread makes from now on: each one that
 * runs longer than budgetMs milliseconds (0: no budget), or during which
 * interrupted(context) returns non-zero (NULL: never asked), ends within about
 * 10 ms with P1XQ_ERR_INTERRUPTED. The callback is also called from a helper
 * thread, so it must be thread-safe. Parsing the page is not interrupted. */
void p1xqSetThreadInterrupt(int32_t budgetMs, int32_t (*interrupted)(void*), void* context);

/* Non-zero (low byte) when valid. */
int32_t p1xqIsQueryValid(const char* query, int32_t validationCode);
int32_t p1xqIsTemplateValid(const char* templateText);

/* The same checks with the reason of a refusal: a validation code above, or
 * P1XQ_QUERY_TEMPLATE for a template. Non-zero when valid. When invalid, the
 * reason (UTF-8, cut at a character boundary to fit) is written to reason,
 * which holds size bytes including the terminating NUL. */
int32_t p1xqExplainInvalid(const char* text, int32_t validationCode, char* reason, int32_t size);

#ifdef __cplusplus
}
#endif
