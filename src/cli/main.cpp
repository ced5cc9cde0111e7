// The command-line program: one command per run, chosen by the first argument.

#include "cli/CliCommand.h"
#include "cli/CliLanguage.h"
#include "core/Translate.h"
#include "cli/QueryCommand.h"
#include "cli/check/CheckCommand.h"
#include "core/MemoryTuning.h"
#include "engine/CurlSession.h"

#include <QCoreApplication>
#include <QFile>
#include <clocale>
#include <cstdio>

namespace {

// One line per command.
const TCliCommand kCommands[] = {
    {"query", "apply one extraction rule to one page and print its values", RunQueryCommand},
    {"check", "fetch a list of URLs, apply a rule set to every page, write a CSV report", RunCheckCommand},
};

}  // namespace

int main(int argc, char** argv)
{
    TuneAllocatorForPages();
    QCoreApplication app(argc, argv);
    // libcurl's global state lives from here until every worker has ended
    const TCurlGlobalGuard curlGlobal;
    QCoreApplication::setApplicationName(QStringLiteral("tollmarsh-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLLMARSH_VERSION));
    // Qt takes the locale from the environment; numbers in C text stay with a point.
    std::setlocale(LC_NUMERIC, "C");

    QFile in;
    QFile out;
    QFile err;
    if (!in.open(stdin, QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly)
        || !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        std::fputs("tollmarsh-cli: cannot open the standard streams\n", stderr);
        return ecFailed;
    }
    TCliIo io{in, out, err};
    ApplyCliLanguage(LangOption(app.arguments()));
    const int code = RunCli(app.arguments().mid(1), kCommands, io);
    // A full disk or a closed pipe shows only now, when the buffer is written.
    if ((!out.flush() || out.error() != QFileDevice::NoError) && code != ecWriteFailed) {
        WriteLine(err, Tr("tollmarsh-cli: cannot write to standard output: ") + out.errorString());
        return code == ecOk || code == ecFailed ? int(ecWriteFailed) : code;
    }
    return code;
}
