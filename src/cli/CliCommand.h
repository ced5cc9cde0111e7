#pragma once
// A command of the command-line program and the dispatch by its name.

#include "cli/CliIo.h"

#include <QStringList>
#include <span>

struct TCliCommand {
    const char* Name;     // the first argument: "query"
    const char* Summary;  // one line for the command list
    int (*Run)(const QStringList& aArgs, TCliIo& aIo);  // aArgs: the words after the name
};

// Runs the command named by the first argument and returns the exit code.
// No arguments, "--help" or "help" print the command list; "help NAME" runs
// NAME --help.
int RunCli(const QStringList& aArgs, std::span<const TCliCommand> aCommands, TCliIo& aIo);
