#pragma once
// "query": applies one rule to one page exactly as a worker of a run does.

#include "cli/CliIo.h"

#include <QStringList>

int RunQueryCommand(const QStringList& aArgs, TCliIo& aIo);
