#pragma once
// libxml2 evaluates XPath 1.0; anything beyond it (XPath 2.0+ functions such as
// lower-case() or string-join(), variables, new operators) goes to the XPath 3.1
// engine. libxml2 resolves function names only while evaluating, so a query with
// an unknown function would compile there and fail later, or not at all on a
// page where the call is never reached: the decision is made on the text instead.

#include <string_view>

namespace xq::api {

// True when the text uses only XPath 1.0 tokens, calls only the functions of the
// XPath 1.0 core library and references no variable. A true result does not mean
// the query compiles; false means libxml2 is not the engine for it.
bool IsXPath1Expression(std::string_view query);

// False when a string literal, comment, bracket, parenthesis or brace is left open
// or closed unopened: no XPath version accepts such a text, so neither engine
// needs to start for it.
bool HasBalancedBrackets(std::string_view query);

}  // namespace xq::api
