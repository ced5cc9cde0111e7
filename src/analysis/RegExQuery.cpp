// Regular-expression rules through PCRE2 (16-bit code units, the width of QString).

#include "analysis/PageAnalysis.h"

#include "analysis/AnalysisBudget.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <chrono>
#include <list>
#include <memory>

namespace {

// Every pattern is UTF; invalid UTF-16 in a subject (a lone surrogate typed into
// the tester) then simply does not match instead of failing the search.
// The offset limit lets a search run in slices of start positions (below).
constexpr uint32_t kBaseOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_USE_OFFSET_LIMIT;
constexpr uint32_t kTestOptions = kBaseOptions;
constexpr uint32_t kCollectOptions = kBaseOptions | PCRE2_CASELESS | PCRE2_MULTILINE;

// Bounds of one search. A page of a few megabytes with an ordinary pattern
// stays far below them; nested quantifiers that backtrack exponentially reach
// them in well under a second.
constexpr uint32_t kRegExMatchLimit = 2'000'000;
constexpr uint32_t kRegExDepthLimit = 100'000;
constexpr uint32_t kRegExHeapLimitKiB = 64 * 1024;
constexpr size_t kRegExJitStackStart = 32 * 1024;
constexpr size_t kRegExJitStackMax = 1024 * 1024;

// Worker threads apply the same few rules to many pages: keep the latest
// compiled patterns of this thread.
constexpr size_t kPatternCacheSize = 16;

struct TCodeDeleter {
    void operator()(pcre2_code* aCode) const { pcre2_code_free(aCode); }
};
struct TMatchContextDeleter {
    void operator()(pcre2_match_context* aContext) const { pcre2_match_context_free(aContext); }
};
struct TJitStackDeleter {
    void operator()(pcre2_jit_stack* aStack) const { pcre2_jit_stack_free(aStack); }
};
struct TMatchDataDeleter {
    void operator()(pcre2_match_data* aData) const { pcre2_match_data_free(aData); }
};
struct TCompileContextDeleter {
    void operator()(pcre2_compile_context* aContext) const { pcre2_compile_context_free(aContext); }
};

using TCodePtr = std::shared_ptr<pcre2_code>;

struct TCachedPattern {
    QString Pattern;
    uint32_t Options = 0;
    TCodePtr Code;
};

PCRE2_SPTR Units(const QString& aText)
{
    return reinterpret_cast<PCRE2_SPTR>(aText.utf16());
}

QString ErrorMessage(int aErrorCode)
{
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(aErrorCode, buffer, sizeof buffer / sizeof buffer[0]);
    if (length < 0)
        return QStringLiteral("PCRE2 error %1").arg(aErrorCode);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), length);
}

TCodePtr CompileUncached(const QString& aPattern, uint32_t aOptions, QString* aError)
{
    std::unique_ptr<pcre2_compile_context, TCompileContextDeleter> context(
        pcre2_compile_context_create(nullptr));
    if (!context) {
        if (aError)
            *aError = QStringLiteral("out of memory");
        return nullptr;
    }
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANY);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code = pcre2_compile(Units(aPattern), PCRE2_SIZE(aPattern.size()), aOptions,
                                     &errorCode, &errorOffset, context.get());
    if (!code) {
        if (aError)
            *aError = QStringLiteral("%1 at offset %2").arg(ErrorMessage(errorCode)).arg(errorOffset);
        return nullptr;
    }
    // The JIT is much faster; without it (unsupported CPU, no executable
    // memory) the interpreter runs the same pattern.
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    return TCodePtr(code, TCodeDeleter());
}

// A compiled pattern from this thread's cache, compiled on a miss.
TCodePtr Compile(const QString& aPattern, uint32_t aOptions, QString* aError)
{
    thread_local std::list<TCachedPattern> cache;
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->Options == aOptions && it->Pattern == aPattern) {
            cache.splice(cache.begin(), cache, it);
            return cache.front().Code;
        }
    }
    TCodePtr code = CompileUncached(aPattern, aOptions, aError);
    if (!code)
        return nullptr;
    cache.push_front(TCachedPattern{aPattern, aOptions, code});
    if (cache.size() > kPatternCacheSize)
        cache.pop_back();
    return code;
}

// This thread's match context: bounded work, memory and JIT stack, so that a
// pattern with catastrophic backtracking fails quickly instead of hanging.
pcre2_match_context* MatchContext()
{
    thread_local std::unique_ptr<pcre2_jit_stack, TJitStackDeleter> jitStack(
        pcre2_jit_stack_create(kRegExJitStackStart, kRegExJitStackMax, nullptr));
    thread_local std::unique_ptr<pcre2_match_context, TMatchContextDeleter> context = [] {
        std::unique_ptr<pcre2_match_context, TMatchContextDeleter> made(
            pcre2_match_context_create(nullptr));
        if (made) {
            pcre2_set_match_limit(made.get(), kRegExMatchLimit);
            pcre2_set_depth_limit(made.get(), kRegExDepthLimit);
            pcre2_set_heap_limit(made.get(), kRegExHeapLimitKiB);
            if (jitStack)
                pcre2_jit_stack_assign(made.get(), nullptr, jitStack.get());
        }
        return made;
    }();
    return context.get();
}

// The offset one character after aOffset (a surrogate pair is one character).
qsizetype NextCharacter(const QString& aText, qsizetype aOffset)
{
    if (aOffset + 1 < aText.size() && aText.at(aOffset).isHighSurrogate()
        && aText.at(aOffset + 1).isLowSurrogate())
        return aOffset + 2;
    return aOffset + 1;
}

enum class TSearch { Found, NotFound, Failed };

// The match limit holds per start position, so a pattern that scans the rest
// of the subject from every start (`(?=a)\w*\s`) is quadratic without ever
// reaching it. The search therefore tries start positions a slice at a time
// (the offset limit bounds where one call may start) and looks at the rule's
// clock and the cancel flag between slices; slices grow while calls are quick
// and shrink when they are slow, so ordinary searches pay almost nothing.
TSearch Search(const pcre2_code* aCode, const QString& aText, qsizetype aOffset, uint32_t aOptions,
               pcre2_match_data* aData, const TRuleDeadline& aDeadline, QString* aFailure)
{
    using namespace std::chrono;
    constexpr qsizetype kFirstSlice = 16;
    constexpr qsizetype kMaxSlice = qsizetype(1) << 24;
    pcre2_match_context* context = MatchContext();
    if (!context) {
        if (aFailure)
            *aFailure = QStringLiteral("out of memory");
        return TSearch::Failed;
    }
    qsizetype slice = kFirstSlice;
    qsizetype start = aOffset;
    for (;;) {
        if (aDeadline.Expired(aFailure))
            return TSearch::Failed;
        const qsizetype limit = qMin(aText.size(), start + slice);
        pcre2_set_offset_limit(context, PCRE2_SIZE(limit));
        const auto began = steady_clock::now();
        const int rc = pcre2_match(aCode, Units(aText), PCRE2_SIZE(aText.size()), PCRE2_SIZE(start),
                                   aOptions, aData, context);
        if (rc >= 0)
            return TSearch::Found;
        if (rc != PCRE2_ERROR_NOMATCH) {
            if (aFailure)
                *aFailure = ErrorMessage(rc);
            return TSearch::Failed;
        }
        if (limit >= aText.size())
            return TSearch::NotFound;
        start = NextCharacter(aText, limit);
        const auto took = steady_clock::now() - began;
        if (took < milliseconds(2))
            slice = qMin(kMaxSlice, slice * 2);
        else if (took > milliseconds(20))
            slice = qMax<qsizetype>(1, slice / 4);
    }
}

using TMatchDataPtr = std::unique_ptr<pcre2_match_data, TMatchDataDeleter>;

TMatchDataPtr NewMatchData(const pcre2_code* aCode)
{
    return TMatchDataPtr(pcre2_match_data_create_from_pattern(aCode, nullptr));
}

}  // namespace

QString RegExPatternError(const QString& aPattern)
{
    QString error;
    if (Compile(aPattern, kTestOptions, &error))
        return {};
    return error.isEmpty() ? QStringLiteral("the pattern does not compile") : error;
}

bool RunRegExQuery(const QString& aText, const QString& aPattern, bool bChkUnique,
                   std::unique_ptr<TSRStringList>& aList, QString* aFailure)
{
    aList.reset();
    const TRuleDeadline deadline;
    const TCodePtr test = Compile(aPattern, kTestOptions, aFailure);
    if (!test)
        return false;
    const TCodePtr collect = Compile(aPattern, kCollectOptions, aFailure);
    if (!collect)
        return false;

    TMatchDataPtr testData = NewMatchData(test.get());
    TMatchDataPtr data = NewMatchData(collect.get());
    if (!testData || !data) {
        if (aFailure)
            *aFailure = QStringLiteral("out of memory");
        return false;
    }

    // Existence: case-sensitive, single-line, an empty match does not count.
    switch (Search(test.get(), aText, 0, PCRE2_NOTEMPTY, testData.get(), deadline, aFailure)) {
    case TSearch::Found:
        break;
    case TSearch::NotFound:
        return true;
    case TSearch::Failed:
        return false;
    }

    // Collection: caseless, multi-line, every successive match.
    auto list = std::make_unique<TSRStringList>();
    bool found = false;
    qsizetype offset = 0;
    while (offset <= aText.size()) {
        const TSearch result = Search(collect.get(), aText, offset, 0, data.get(), deadline, aFailure);
        if (result == TSearch::NotFound)
            break;
        if (result == TSearch::Failed)
            return false;
        found = true;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        const qsizetype start = qsizetype(ovector[0]);
        const qsizetype end = qsizetype(ovector[1]);
        // \K can put the start after the end; such a match has no text.
        if (end > start)
            list->AddResult(aText.mid(start, end - start), bChkUnique);
        qsizetype next = end > start ? end : NextCharacter(aText, end);
        if (next <= offset)
            next = offset + 1;
        offset = next;
    }
    if (found)
        aList = std::move(list);
    return true;
}
