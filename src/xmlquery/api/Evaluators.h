#pragma once
// One evaluation per query language over a parsed page. Each returns a status
// of p1xmlquery.h and, on P1XQ_OK, the JSON array text in *json.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/api/NodeValues.h"

#include <string>

namespace xq::api {

int EvaluateXPath(const CachedPage& page, const std::string& query, const ValueOptions& options,
                  std::string& json);
int EvaluateXQuery(const CachedPage& page, const std::string& query, const ValueOptions& options,
                   std::string& json);
int EvaluateCss(const CachedPage& page, const std::string& selector, const ValueOptions& options,
                std::string& json);
int EvaluateTemplate(const CachedPage& page, const std::string& templateText, int extractCode,
                     std::string& json);

// Each check puts the reason of a refusal into *reason when one is given.
bool IsXPathValid(const std::string& query, std::string* reason = nullptr);
bool IsXQueryValid(const std::string& query, std::string* reason = nullptr);
bool IsCssValid(const std::string& selector, std::string* reason = nullptr);
bool IsTemplateValid(const std::string& templateText, std::string* reason = nullptr);

}  // namespace xq::api
