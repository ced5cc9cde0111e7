#include "xmlquery/api/XPathDialect.h"

#include <algorithm>
#include <array>
#include <string>

namespace xq::api {
namespace {

constexpr std::array<std::string_view, 27> kCoreFunctions = {
    "last", "position", "count", "id", "local-name", "namespace-uri", "name",
    "string", "concat", "starts-with", "contains", "substring-before", "substring-after",
    "substring", "string-length", "normalize-space", "translate", "boolean", "not",
    "true", "false", "lang", "number", "sum", "floor", "ceiling", "round"};

constexpr std::array<std::string_view, 4> kNodeTypes = {"comment", "text", "processing-instruction", "node"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.'; }

template <std::size_t N>
bool In(const std::array<std::string_view, N>& list, std::string_view word)
{
    return std::find(list.begin(), list.end(), word) != list.end();
}

}  // namespace

bool IsXPath1Expression(std::string_view q)
{
    // After no token, or after @ :: ( [ , or an operator, a name is a name test or
    // function and * is a wildcard; elsewhere they are operators.
    bool operandExpected = true;
    std::size_t i = 0;
    const std::size_t n = q.size();
    while (i < n) {
        const char c = q[i];
        if (IsSpace(c)) { ++i; continue; }
        if (c == '"' || c == '\'') {
            const std::size_t end = q.find(c, i + 1);
            if (end == std::string_view::npos) return false;
            i = end + 1;
            operandExpected = false;
        } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(q[i + 1]))) {
            while (i < n && (IsDigit(q[i]) || q[i] == '.')) ++i;
            operandExpected = false;
        } else if (c == '.') {
            i += (i + 1 < n && q[i + 1] == '.') ? 2 : 1;
            operandExpected = false;
        } else if (c == ')' || c == ']') {
            ++i;
            operandExpected = false;
        } else if (c == '@' || c == ',' || c == '(' || c == '[' || c == '|' || c == '+' || c == '-' || c == '=') {
            ++i;
            operandExpected = true;
        } else if (c == '/' || c == '<' || c == '>') {
            i += (i + 1 < n && q[i + 1] == (c == '/' ? '/' : '=')) ? 2 : 1;
            operandExpected = true;
        } else if (c == '!') {
            if (i + 1 >= n || q[i + 1] != '=') return false;  // the XPath 3 map operator
            i += 2;
            operandExpected = true;
        } else if (c == ':') {
            if (i + 1 >= n || q[i + 1] != ':') return false;
            i += 2;
            operandExpected = true;
        } else if (c == '*') {
            ++i;
            operandExpected = !operandExpected;  // wildcard is an operand, multiply an operator
        } else if (IsNameStart(c)) {
            std::size_t end = i;
            while (end < n && IsNameChar(q[end])) ++end;
            bool prefixed = false;
            if (end + 1 < n && q[end] == ':' && q[end + 1] != ':') {
                prefixed = true;
                ++end;
                if (q[end] == '*') ++end;
                else while (end < n && IsNameChar(q[end])) ++end;
            }
            const std::string_view name = q.substr(i, end - i);
            i = end;
            if (!operandExpected) {
                operandExpected = true;  // and, or, div, mod (anything else fails to compile)
                continue;
            }
            std::size_t next = i;
            while (next < n && IsSpace(q[next])) ++next;
            if (next < n && q[next] == '(' && !In(kNodeTypes, name)) {
                if (prefixed || !In(kCoreFunctions, name)) return false;
            }
            operandExpected = false;
        } else {
            return false;  // $variables and every token XPath 1.0 does not have
        }
    }
    return true;
}

bool HasBalancedBrackets(std::string_view q)
{
    std::string open;
    std::size_t i = 0;
    const std::size_t n = q.size();
    while (i < n) {
        const char c = q[i];
        if (c == '"' || c == '\'') {
            const std::size_t end = q.find(c, i + 1);  // a doubled quote is two literals here
            if (end == std::string_view::npos) return false;
            i = end + 1;
        } else if (c == '(' && i + 1 < n && q[i + 1] == ':') {
            int depth = 1;  // comments nest
            for (i += 2; i < n && depth > 0;) {
                if (q.compare(i, 2, "(:") == 0) { ++depth; i += 2; }
                else if (q.compare(i, 2, ":)") == 0) { --depth; i += 2; }
                else ++i;
            }
            if (depth > 0) return false;
        } else if (c == '(' || c == '[' || c == '{') {
            open.push_back(c == '(' ? ')' : c == '[' ? ']' : '}');
            ++i;
        } else if (c == ')' || c == ']' || c == '}') {
            if (open.empty() || open.back() != c) return false;
            open.pop_back();
            ++i;
        } else {
            ++i;
        }
    }
    return open.empty();
}

}  // namespace xq::api
