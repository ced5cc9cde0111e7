#pragma once
// Text helpers of the template language.

#include "xmlquery/AsciiText.h"

#include <string>
#include <string_view>

namespace xq::tmpl {

// Runs of white space become one blank; leading and trailing white space go.
std::string NormaliseSpace(std::string_view s);

// Folding text that arrives in pieces: append each piece, then finish once.
// The result equals NormaliseSpace of the pieces joined.
void AppendNormalised(std::string& out, std::string_view s);
void FinishNormalised(std::string& out);

// Decodes character references (&amp; &#38; &#x26; and the common names).
// An unknown or malformed reference stays as written.
std::string DecodeEntities(std::string_view s);

inline constexpr std::string_view kPlaceholder = "{.}";

}  // namespace xq::tmpl
