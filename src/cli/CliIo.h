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

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the work itself failed (a rule could not be applied)
constexpr int kExitUsage = 2;   // bad arguments, unreadable input, an invalid query

// Writes the text as UTF-8 followed by a line feed.
void WriteLine(QIODevice& aDevice, const QString& aText);
void WriteText(QIODevice& aDevice, const QString& aText);
