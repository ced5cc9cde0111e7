#pragma once
// Queries for the XQuery engine: XQuery 3.1, and the XPath 3.1 that libxml2 lacks.

#include "xmlquery/HtmlDocument.h"
#include "xmlquery/api/NodeValues.h"

#include <string>

namespace xq::api {

int EvaluateXPath31(const CachedPage& page, const std::string& query, const ValueOptions& options,
                    std::string& json);
bool IsXPath31Valid(const std::string& query, std::string* reason = nullptr);

}  // namespace xq::api
