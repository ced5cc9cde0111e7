#pragma once
// The page as a flat token stream that the script side turns into its own DOM
// in one call. Internal to the XQuery engine.

#include <libxml/tree.h>
#include <string>
#include <vector>

namespace xq::xquery {

// Tokens (a JSON array of numbers and strings):
//   1, name, attribute count, name, value, ...   element start
//   2                                            element end
//   3, data                                      text
//   4, data                                      comment
enum DomToken { kOpen = 1, kClose = 2, kText = 3, kComment = 4 };

// Qt 6.4's JSON.parse crashes on an array of about 600 000 values, so the
// stream is cut into chunks of at most this many tokens, each a JSON array of
// its own; a chunk may end anywhere between two tokens.
inline constexpr std::size_t kTokensPerChunk = 50'000;

struct DomStream {
    std::vector<std::string> chunks;
    std::size_t tokensInChunk = 0;
    // Every element written, in the order of its start token: the script side
    // numbers its elements the same way, so a result maps back to a node.
    std::vector<xmlNode*> elements;
};

// Walks the document without recursion. Text directly under the document is
// left out and only the first root element is written, as a DOM document
// holds no text and one element.
DomStream WriteDomStream(xmlDoc* doc);

// Appends text as a JSON string literal (quotes included).
void AppendJsonString(std::string& out, const char* text, std::size_t length);

}  // namespace xq::xquery
