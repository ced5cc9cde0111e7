#pragma once
// XQuery 3.1 and XPath 3.1 through a bundled JavaScript engine (one engine per
// thread, created the first time that thread needs it). Internal to the query library.

#include <libxml/tree.h>
#include <cstdint>
#include <string>
#include <vector>

namespace xq::xquery {

enum class Language { XQuery31, XPath31 };

struct ResultItem {
    enum Kind { Node, String, Number, Boolean } kind = String;
    xmlNode* node = nullptr;  // for elements: the node of the libxml2 document that was queried
    std::string text;         // string value (strings, and non-element nodes)
    double number = 0;
    bool boolean = false;
};

enum class Status { Ok, CompileError, EvaluationError, InternalError, MemoryLimit };

// Evaluates the query over the document. The page's DOM is built once per
// (doc, generation) on this thread and reused for later queries of the same page,
// so the generation must change whenever a document is replaced or changed
// (even one allocated at the same address). A query that runs longer than the
// time limit is stopped and reported as an evaluation error.
Status Evaluate(xmlDoc* doc, std::uint64_t generation, const std::string& queryUtf8,
                Language language, std::vector<ResultItem>& out, std::string* error = nullptr);

// A syntax or static error means invalid.
bool IsValid(const std::string& queryUtf8, Language language, std::string* error = nullptr);

}  // namespace xq::xquery
