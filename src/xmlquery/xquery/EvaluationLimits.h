#pragma once
// How long one call into the XQuery engine may run before it is stopped, so an
// endless query cannot hold a worker thread forever. Internal to the query library.

#include <chrono>
#include <cstddef>

namespace xq::xquery {

inline constexpr std::chrono::milliseconds kDefaultEvaluationLimit{10'000};
// Validity checks run on the window's thread: they get less.
inline constexpr std::chrono::milliseconds kValidityCheckLimit{3'000};

// The script engine has no heap limit: a call that makes the process grow by
// more than this is stopped (a string doubled thirty times would take 4 GB).
inline constexpr std::size_t kDefaultScriptMemoryLimit = std::size_t(1) << 30;
void SetScriptMemoryLimit(std::size_t bytes);
std::size_t ScriptMemoryLimit();

// Applies to later calls on every thread (tests shorten it).
void SetEvaluationTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds EvaluationTimeLimit();

}  // namespace xq::xquery
