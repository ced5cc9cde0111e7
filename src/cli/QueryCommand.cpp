#include "cli/QueryCommand.h"

#include "analysis/PageAnalysis.h"
#include "cli/CliArgs.h"
#include "cli/RuleText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

const std::vector<TCliOption> kOptions = {
    {"type", "TYPE", "query language: xpath, xquery, css, regex or template"},
    {"query", "TEXT", "the query, selector, regular expression or template"},
    {"attr", "NAME", "attribute to take instead of the element (xpath, xquery, css)"},
    {"extract", "MODE", "text (default), outer or inner HTML of each match, or any;\n"
                        "a regular expression always takes its whole match"},
    {"unique", nullptr, "drop values that repeat, letter case ignored (default)"},
    {"all", nullptr, "keep repeated values"},
    {"file", "PAGE", "read the page's bytes from this file"},
    {"stdin", nullptr, "read the page's bytes from standard input"},
    {"json", nullptr, "print one JSON array of strings instead of one value per line"},
};

QString Help()
{
    return QStringLiteral(
               "Usage: tollmarsh-cli query --type TYPE --query TEXT (--file PAGE | --stdin)\n"
               "                           [--attr NAME] [--extract MODE] [--unique | --all] [--json]\n"
               "\n"
               "Applies one extraction rule to one page as a run does: the page is decoded by the\n"
               "character set its META tags declare (UTF-8, Windows-1251 or Windows-1252), the\n"
               "values are trimmed, blank ones are dropped and, with --unique, repeats too.\n"
               "Values are printed in UTF-8, one per line (a value may itself span lines; use\n"
               "--json to read them unambiguously). A regular expression that does not match\n"
               "prints nothing.\n"
               "\n"
               "Options:\n")
           + TCliArgs::OptionsHelp(kOptions)
           + QStringLiteral(
               "\n"
               "Exit codes: 0 the rule was applied (even with no values); 1 the rule cannot be\n"
               "applied to this page (the query library failed, or a regular expression exceeded\n"
               "its search limits); 2 bad usage, an unreadable page or an invalid query.\n");
}

int UsageError(TCliIo& aIo, const QString& aMessage)
{
    WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: ") + aMessage);
    WriteLine(aIo.Err, QStringLiteral("\"tollmarsh-cli query --help\" describes the options."));
    return ecUsage;
}

}  // namespace

int RunQueryCommand(const QStringList& aArgs, TCliIo& aIo)
{
    const TCliArgs args(aArgs, kOptions);
    if (!args.Ok())
        return UsageError(aIo, args.Error());
    if (args.HelpRequested()) {
        WriteText(aIo.Out, Help());
        return ecOk;
    }

    TScrapRule rule;
    if (!args.Has(QStringLiteral("type")))
        return UsageError(aIo, QStringLiteral("--type is required"));
    if (!ParseQueryTypeName(args.Value(QStringLiteral("type")), rule.QueryType))
        return UsageError(aIo, QStringLiteral("unknown --type \"%1\" (xpath, xquery, css, regex or template)")
                                   .arg(args.Value(QStringLiteral("type"))));
    if (!args.Has(QStringLiteral("query")))
        return UsageError(aIo, QStringLiteral("--query is required"));
    rule.Query = args.Value(QStringLiteral("query"));
    rule.Attribute = args.Value(QStringLiteral("attr"));
    rule.ExtractType = DefaultExtract(rule.QueryType);
    if (args.Has(QStringLiteral("extract"))
        && !ParseExtractName(args.Value(QStringLiteral("extract")), rule.ExtractType))
        return UsageError(aIo, QStringLiteral("unknown --extract \"%1\" (text, outer, inner or any)")
                                   .arg(args.Value(QStringLiteral("extract"))));
    if (args.Has(QStringLiteral("unique")) && args.Has(QStringLiteral("all")))
        return UsageError(aIo, QStringLiteral("--unique and --all exclude each other"));
    const bool unique = !args.Has(QStringLiteral("all"));
    const bool fromFile = args.Has(QStringLiteral("file"));
    if (fromFile == args.Has(QStringLiteral("stdin")))
        return UsageError(aIo, QStringLiteral("give exactly one of --file PAGE and --stdin"));

    const TRuleValidity validity = CheckRuleValidity(rule);
    if (!validity.Valid) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: ") + RuleRefusal(rule, validity));
        return ecUsage;
    }

    QByteArray page;
    if (fromFile) {
        const QString path = args.Value(QStringLiteral("file"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: cannot read \"%1\": %2")
                                   .arg(path, file.errorString()));
            return ecUsage;
        }
        page = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: cannot read \"%1\": %2")
                                   .arg(path, file.errorString()));
            return ecUsage;
        }
    } else {
        page = aIo.In.readAll();
    }

    std::unique_ptr<TSRStringList> list;
    QString failure;
    if (!ApplyScrapRule(page, rule, list, unique, &failure)) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: the rule cannot be applied: ") + failure);
        return ecFailed;
    }
    const QStringList values = list ? list->Values() : QStringList();
    if (args.Has(QStringLiteral("json"))) {
        aIo.Out.write(QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact));
        aIo.Out.write("\n");
    } else {
        for (const QString& value : values)
            WriteLine(aIo.Out, value);
    }
    return ecOk;
}
