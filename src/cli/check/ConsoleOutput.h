#pragma once
// What the check run shows on standard error: messages, log lines (with
// --verbose) and the progress, as a bar on a terminal or as plain lines otherwise.

#include <QString>
#include <QIODevice>

class TConsoleOutput {
public:
    // bQuiet: no progress at all.
    TConsoleOutput(QIODevice& aStream, bool bVerbose, bool bTerminal, bool bQuiet = false);

    void Message(const QString& aText);  // always shown
    void LogLine(const QString& aText);  // shown with --verbose

    void StartProgress(int aMaximum);
    void SetProgress(int aPosition);
    void EndProgress();

private:
    void ClearBar();
    void DrawBar();
    void Write(const QString& aText);

    QIODevice& FStream;
    bool FVerbose;
    bool FTerminal;
    bool FQuiet;
    int FMaximum = 0;
    int FPosition = 0;
    bool FBarShown = false;
};

// True when the device is the process's standard error and that is a terminal.
bool IsTerminalStderr(const QIODevice& aDevice);
