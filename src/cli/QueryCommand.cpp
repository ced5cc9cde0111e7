#include "cli/QueryCommand.h"

#include "analysis/PageAnalysis.h"
#include "cli/CliArgs.h"
#include "core/TextUtil.h"

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
    return kExitUsage;
}

bool ParseQueryType(const QString& aText, TScrapQueryType& aType)
{
    static const QHash<QString, TScrapQueryType> kTypes = {
        {QStringLiteral("xpath"), qtXPath},     {QStringLiteral("xquery"), qtXQuery},
        {QStringLiteral("css"), qtCssPath},     {QStringLiteral("regex"), qtRegEx},
        {QStringLiteral("template"), qtTemplate},
    };
    const auto it = kTypes.constFind(aText.toLower());
    if (it == kTypes.constEnd())
        return false;
    aType = it.value();
    return true;
}

bool ParseExtractType(const QString& aText, TScrapExtractType& aType)
{
    static const QHash<QString, TScrapExtractType> kModes = {
        {QStringLiteral("text"), etTextContent},
        {QStringLiteral("outer"), etOuterHTML},
        {QStringLiteral("inner"), etInnerHTML},
        {QStringLiteral("any"), etAnyPart},
    };
    const auto it = kModes.constFind(aText.toLower());
    if (it == kModes.constEnd())
        return false;
    aType = it.value();
    return true;
}

QString LanguageName(TScrapQueryType aType)
{
    switch (aType) {
    case qtXPath:
        return QStringLiteral("XPath query");
    case qtXQuery:
        return QStringLiteral("XQuery");
    case qtCssPath:
        return QStringLiteral("CSS selector");
    case qtTemplate:
        return QStringLiteral("HTML template");
    default:
        return QStringLiteral("regular expression");
    }
}

// Why the rule's query is unusable, or an empty text when it is valid.
QString QueryProblem(const TScrapRule& aRule)
{
    if (aRule.Query.isEmpty())
        return QStringLiteral("the query is empty");
    if (aRule.QueryType == qtRegEx) {
        const QString error = RegExPatternError(aRule.Query);
        return error.isEmpty() ? QString() : QStringLiteral("invalid regular expression: ") + error;
    }
    const bool valid = aRule.QueryType == qtTemplate ? CheckTemplateValid(aRule.Query)
                                                     : CheckQueryValid(aRule.Query, aRule.QueryType);
    return valid ? QString() : QStringLiteral("invalid %1: %2").arg(LanguageName(aRule.QueryType), aRule.Query);
}

}  // namespace

int RunQueryCommand(const QStringList& aArgs, TCliIo& aIo)
{
    const TCliArgs args(aArgs, kOptions);
    if (!args.Ok())
        return UsageError(aIo, args.Error());
    if (args.HelpRequested()) {
        WriteText(aIo.Out, Help());
        return kExitOk;
    }

    TScrapRule rule;
    if (!args.Has(QStringLiteral("type")))
        return UsageError(aIo, QStringLiteral("--type is required"));
    if (!ParseQueryType(args.Value(QStringLiteral("type")), rule.QueryType))
        return UsageError(aIo, QStringLiteral("unknown --type \"%1\" (xpath, xquery, css, regex or template)")
                                   .arg(args.Value(QStringLiteral("type"))));
    if (!args.Has(QStringLiteral("query")))
        return UsageError(aIo, QStringLiteral("--query is required"));
    rule.Query = args.Value(QStringLiteral("query"));
    rule.Attribute = args.Value(QStringLiteral("attr"));
    rule.ExtractType = rule.QueryType == qtRegEx ? etAnyPart : etTextContent;
    if (args.Has(QStringLiteral("extract"))
        && !ParseExtractType(args.Value(QStringLiteral("extract")), rule.ExtractType))
        return UsageError(aIo, QStringLiteral("unknown --extract \"%1\" (text, outer, inner or any)")
                                   .arg(args.Value(QStringLiteral("extract"))));
    if (args.Has(QStringLiteral("unique")) && args.Has(QStringLiteral("all")))
        return UsageError(aIo, QStringLiteral("--unique and --all exclude each other"));
    const bool unique = !args.Has(QStringLiteral("all"));
    const bool fromFile = args.Has(QStringLiteral("file"));
    if (fromFile == args.Has(QStringLiteral("stdin")))
        return UsageError(aIo, QStringLiteral("give exactly one of --file PAGE and --stdin"));

    const QString problem = QueryProblem(rule);
    if (!problem.isEmpty()) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: ") + problem);
        return kExitUsage;
    }

    QByteArray page;
    if (fromFile) {
        const QString path = args.Value(QStringLiteral("file"));
        QString error;
        if (!ReadWholeFile(path, page, &error)) {
            WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: cannot read \"%1\": %2").arg(path, error));
            return kExitUsage;
        }
    } else {
        page = aIo.In.readAll();
    }

    std::unique_ptr<TSRStringList> list;
    QString failure;
    if (!ApplyScrapRule(page, rule, list, unique, &failure)) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: the rule cannot be applied: ") + failure);
        return kExitFailed;
    }
    const QStringList values = list ? list->Values() : QStringList();
    if (args.Has(QStringLiteral("json"))) {
        aIo.Out.write(QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact));
        aIo.Out.write("\n");
    } else {
        for (const QString& value : values)
            WriteLine(aIo.Out, value);
    }
    return kExitOk;
}
