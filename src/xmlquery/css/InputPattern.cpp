#include "xmlquery/css/InputPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>
#include <string>

namespace xq::css {

namespace {

constexpr std::uint32_t kMatchLimit = 100'000;
constexpr std::uint32_t kDepthLimit = 1'000;

struct CodeDeleter { void operator()(pcre2_code* p) const { pcre2_code_free(p); } };
struct MatchDataDeleter { void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); } };
struct MatchContextDeleter { void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); } };

}  // namespace

bool ValueMismatchesPattern(std::string_view pattern, std::string_view value)
{
    // Anchored at both ends, with the JavaScript readings of \u, \x and unset back-references.
    const std::string anchored = "^(?:" + std::string(pattern) + ")$";
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const std::unique_ptr<pcre2_code, CodeDeleter> code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(anchored.data()), anchored.size(),
                      PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY, &errorCode,
                      &errorOffset, nullptr));
    if (!code) return false;
    const std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    const std::unique_ptr<pcre2_match_context, MatchContextDeleter> context(pcre2_match_context_create(nullptr));
    if (!data || !context) return false;
    pcre2_set_match_limit(context.get(), kMatchLimit);
    pcre2_set_depth_limit(context.get(), kDepthLimit);
    const int result = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(value.data()), value.size(), 0, 0,
                                   data.get(), context.get());
    return result == PCRE2_ERROR_NOMATCH;
}

}  // namespace xq::css
