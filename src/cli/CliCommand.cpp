#include "cli/CliCommand.h"

#include "sandbox/HelperLimits.h"

#include "analysis/AnalysisBudget.h"
#include "engine/RequestOptions.h"
#include "core/Translate.h"

#include <QCoreApplication>

void WriteText(QIODevice& aDevice, const QString& aText)
{
    aDevice.write(aText.toUtf8());
}

void WriteLine(QIODevice& aDevice, const QString& aText)
{
    WriteText(aDevice, aText + u'\n');
}

namespace {

const QString kProgram = QStringLiteral("tollmarsh-cli");

QString CommandList(std::span<const TCliCommand> aCommands)
{
    QString text = QStringLiteral("Usage: %1 COMMAND [OPTIONS]\n\nCommands:\n").arg(kProgram);
    qsizetype width = 0;
    for (const TCliCommand& command : aCommands)
        width = std::max(width, qsizetype(qstrlen(command.Name)));
    for (const TCliCommand& command : aCommands) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(command.Name).leftJustified(width),
                         QString::fromUtf8(command.Summary));
    }
    text += QStringLiteral("\nExamples:\n"
                           "  %1 check --urls urls.txt --rule 'css,name=Title:h1' --out report.csv\n"
                           "  %1 query --type xpath --query '//title' --url https://example.com/\n")
                .arg(kProgram);
    text += QStringLiteral("\n\"%1 COMMAND --help\" describes the options of a command; the rule-set file\n"
                           "and the --rule syntax are described in docs/rule-sets.md.\n"
                           "Exit codes: %2 success, %3 the work failed (a URL or the rule), %4 bad usage or input,\n"
                           "%5 the results could not be written, %6 cancelled with Ctrl+C.\n")
                .arg(kProgram)
                .arg(int(ecOk)).arg(int(ecFailed)).arg(int(ecUsage)).arg(int(ecWriteFailed)).arg(int(ecCancelled));
    return text;
}

const TCliCommand* FindCommand(std::span<const TCliCommand> aCommands, const QString& aName)
{
    for (const TCliCommand& command : aCommands) {
        if (aName == QLatin1String(command.Name))
            return &command;
    }
    return nullptr;
}

}  // namespace

int RunCli(const QStringList& aArgs, std::span<const TCliCommand> aCommands, TCliIo& aIo)
{
    if (aArgs.isEmpty()) {
        WriteText(aIo.Err, CommandList(aCommands));
        return ecUsage;
    }
    const QString& first = aArgs.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")
        || (first == QLatin1String("help") && aArgs.size() == 1)) {
        WriteText(aIo.Out, CommandList(aCommands));
        return ecOk;
    }
    if (first == QLatin1String("--version")) {
        WriteLine(aIo.Out, kProgram + u' ' + QCoreApplication::applicationVersion());
        return ecOk;
    }
    QString name = first;
    QStringList rest = aArgs.mid(1);
    if (first == QLatin1String("help")) {
        name = aArgs.at(1);
        rest = {QStringLiteral("--help")};
    }
    const TCliCommand* command = FindCommand(aCommands, name);
    if (!command) {
        WriteLine(aIo.Err, Tr("%1: unknown command \"%2\"; \"%1 --help\" lists the commands")
                               .arg(kProgram, name));
        return ecUsage;
    }
    return command->Run(rest, aIo);
}

QString ExitCodesHelp(bool bCheck)
{
    if (bCheck) {
        return QStringLiteral("Exit codes: %1 every URL answered 200; %2 the run completed, some URLs failed;\n"
                              "%3 bad usage or input (nothing is fetched); %4 the report could not be\n"
                              "written; %5 cancelled with Ctrl+C (the report holds the URLs finished so far).\n")
            .arg(int(ecOk)).arg(int(ecFailed)).arg(int(ecUsage)).arg(int(ecWriteFailed)).arg(int(ecCancelled));
    }
    return QStringLiteral("Exit codes: %1 the rule was applied (even with no values); %2 the rule cannot be\n"
                          "applied to this page (the query library failed, a regular expression exceeded\n"
                          "its search limits, the rule ran longer than its %5 s budget, or the helper\n"
                          "process that analyses the page crashed or used more than %7 MB of memory) or the\n"
                          "page could not be fetched; %3 bad usage, an unreadable page, a page over %6 MiB or\n"
                          "an invalid query; %4 the values could not be written.\n")
        .arg(int(ecOk)).arg(int(ecFailed)).arg(int(ecUsage)).arg(int(ecWriteFailed))
        .arg(kRuleTimeBudgetMs / 1000).arg(kMaxBodyBytes >> 20).arg(kHelperMemoryLimitBytes >> 20);
}
