#pragma once
// Reading the engine's error messages. Internal to the XQuery engine.

#include <string>
#include <string_view>

namespace xq::xquery {

// The first error code in the message (four capitals and four digits, such as
// XPST0003), or an empty string.
std::string FindErrorCode(std::string_view message);

// Syntax and static errors (XPST..., XQST...) make a query invalid; every other
// code is raised while evaluating.
bool IsStaticErrorCode(std::string_view code);

// A one-paragraph message for the user: the code and its explanation first,
// followed by the excerpt of the query that the engine points at.
std::string TidyErrorMessage(std::string_view message);

}  // namespace xq::xquery
