#pragma once
// The bounds of an analysis helper process, in one place.

#include <QtGlobal>

// Resident memory of one helper; above it the helper is killed and its page fails.
constexpr qint64 kHelperMemoryLimitBytes = qint64(1) << 30;
// Beyond a rule's own time budget, before a helper that has not answered is killed.
constexpr int kHelperGraceMs = 2000;
// From starting a helper to its ready message.
constexpr int kHelperStartTimeoutMs = 10000;

struct THelperLimits {
    qint64 MemoryBytes = kHelperMemoryLimitBytes;
    int GraceMs = kHelperGraceMs;
    int StartTimeoutMs = kHelperStartTimeoutMs;
};
