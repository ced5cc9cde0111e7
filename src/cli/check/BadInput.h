#pragma once
// A refusal of the check run's input: the message for standard error and the
// exit code. Thrown by the steps that read the input, caught by the command.

#include "cli/CliIo.h"

#include <QString>

class TBadInput {
public:
    explicit TBadInput(QString aText, int aCode = ecUsage) : Text(std::move(aText)), Code(aCode) {}
    QString Text;
    int Code;
};

// TBadInput when the file does not exist or cannot be read; aWhat names it.
void RequireReadableFile(const QString& aFileName, const char* aWhat);

// A file beside the program.
QString BesideExecutable(const QString& aName);
