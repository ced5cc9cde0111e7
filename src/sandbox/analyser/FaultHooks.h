#pragma once
// Test builds only: a rule whose query is "#fault:crash", "#fault:stall" or
// "#fault:allocate" makes the helper crash, hang or take memory without end,
// so the tests can show that the program survives each. Elsewhere nothing.

#include <QString>

void RunFaultHook(const QString& aQuery);
