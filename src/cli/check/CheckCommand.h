#pragma once
// The command-line check run: imports URLs, runs the rule set over them with
// the same controller and workers as the window, and writes the CSV report.

#include "cli/CliIo.h"

#include <QStringList>

// aArgs are the arguments after "check". Needs a QCoreApplication.
int RunCheckCommand(const QStringList& aArgs, TCliIo& aIo);
