#pragma once
// How long one call into the XQuery engine may run before it is stopped, so an
// endless query cannot hold a worker thread forever. Internal to the query library.

#include <chrono>

namespace xq::xquery {

inline constexpr std::chrono::milliseconds kDefaultEvaluationLimit{10'000};
// Validity checks run on the window's thread: they get less.
inline constexpr std::chrono::milliseconds kValidityCheckLimit{3'000};

// Applies to later calls on every thread (tests shorten it).
void SetEvaluationTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds EvaluationTimeLimit();

}  // namespace xq::xquery
