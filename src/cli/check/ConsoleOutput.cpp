#include "cli/check/ConsoleOutput.h"

#include <QFile>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 40;
}

bool IsTerminalStderr(const QIODevice& aDevice)
{
    const auto* file = qobject_cast<const QFile*>(&aDevice);
    return file && file->handle() == STDERR_FILENO && isatty(STDERR_FILENO) == 1;
}

TConsoleOutput::TConsoleOutput(QIODevice& aStream, bool bVerbose, bool bTerminal, bool bQuiet)
    : FStream(aStream), FVerbose(bVerbose), FTerminal(bTerminal && !bQuiet), FQuiet(bQuiet)
{
}

void TConsoleOutput::Write(const QString& aText)
{
    FStream.write(aText.toUtf8());
}

void TConsoleOutput::Message(const QString& aText)
{
    ClearBar();
    Write(aText + '\n');
    DrawBar();
}

void TConsoleOutput::LogLine(const QString& aText)
{
    if (FVerbose)
        Message(aText);
}

void TConsoleOutput::StartProgress(int aMaximum)
{
    FMaximum = aMaximum;
    FPosition = 0;
    FBarShown = FTerminal;
    if (FTerminal)
        DrawBar();
}

void TConsoleOutput::SetProgress(int aPosition)
{
    if (aPosition == FPosition || FQuiet)
        return;
    FPosition = aPosition;
    if (FTerminal)
        DrawBar();
    else
        Write(QStringLiteral("%1/%2\n").arg(FPosition).arg(FMaximum));
}

void TConsoleOutput::EndProgress()
{
    if (FBarShown) {
        ClearBar();
        FBarShown = false;
    }
}

void TConsoleOutput::ClearBar()
{
    if (FBarShown)
        Write(QStringLiteral("\r\x1b[K"));
}

void TConsoleOutput::DrawBar()
{
    if (!FBarShown)
        return;
    const int filled = FMaximum > 0 ? FPosition * kBarWidth / FMaximum : 0;
    Write(QStringLiteral("\r[%1%2] %3/%4")
              .arg(QString(filled, '#'), QString(kBarWidth - filled, ' '))
              .arg(FPosition)
              .arg(FMaximum));
}
