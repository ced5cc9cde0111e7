#pragma once
// The command-line check run: imports URLs, runs the rule set over them with
// the same controller and workers as the window, and writes the CSV report.

#include "cli/CliIo.h"

#include <QStringList>

// Exit codes of the check run.
enum TCheckExit : int {
    ceCompleted = 0,
    ceCompletedWithFailures = 1,
    ceBadInput = 2,
    ceCancelled = 130,
};

// aArgs are the arguments after "check". Needs a QCoreApplication.
int RunCheckCommand(const QStringList& aArgs, TCliIo& aIo);
