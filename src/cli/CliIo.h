#pragma once
// The three streams of a command: the page or list read from standard input,
// results on standard output, messages on standard error. Tests pass buffers.

#include <QIODevice>
#include <QString>

struct TCliIo {
    QIODevice& In;
    QIODevice& Out;
    QIODevice& Err;
};

// Exit codes of every command, listed once; the help texts print ExitCodesHelp.
enum TExitCode : int {
    ecOk = 0,
    ecFailed = 1,        // query: the rule cannot be applied; check: some URL failed
    ecUsage = 2,         // bad arguments or input, an invalid rule, an unusable --out
    ecWriteFailed = 3,   // the results could not be written (disk full, closed output)
    ecCancelled = 130,   // check cancelled by Ctrl+C (the report of the finished URLs is written)
};

// "Exit codes: ..." lines for a command's help.
QString ExitCodesHelp(bool bCheck);

// Writes the text as UTF-8 followed by a line feed.
void WriteLine(QIODevice& aDevice, const QString& aText);
void WriteText(QIODevice& aDevice, const QString& aText);
