#include "cli/QueryCommand.h"

#include "analysis/AnalysisBudget.h"
#include "analysis/PageAnalysis.h"
#include "cli/CliArgs.h"
#include "cli/CliLanguage.h"
#include "cli/RuleText.h"
#include "cli/check/CheckOptions.h"
#include "core/TextUtil.h"
#include "core/Translate.h"
#include "sandbox/IsolatedAnalysis.h"
#include "engine/CurlSession.h"
#include "engine/DocumentFetch.h"
#include "engine/RequestOptions.h"
#include "ui/model/OptionTables.h"

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
    {"rule", "RULE", "the rule in the form of check --rule instead of --type, --query,\n"
                     "--attr and --extract: TYPE[,extract=MODE][,attr=NAME]:QUERY"},
    {"file", "PAGE", "read the page's bytes from this file"},
    {"stdin", nullptr, "read the page's bytes from standard input"},
    {"url", "ADDRESS", "fetch the page as the rule tester does: redirects followed, no\n"
                       "proxy; a status other than 200 is an error (exit 1); at most\n"
                       "60 s, 64 MiB and 10 redirects"},
    {"user-agent", "ROW|TEXT", "with --url: a row of the User-Agent table of \"check --help\",\n"
                               "or the text itself (default row 0; an empty text sends none)"},
    {"lang", "ru|en", "language of the translated messages (default as for check)"},
    {"json", nullptr, "print one JSON array of strings instead of one value per line"},
};

QString Help()
{
    return QStringLiteral(
               "Usage: tollmarsh-cli query (--type TYPE --query TEXT [--attr NAME] [--extract MODE]\n"
               "                            | --rule RULE)\n"
               "                           (--file PAGE | --stdin | --url ADDRESS [--user-agent ROW|TEXT])\n"
               "                           [--unique | --all] [--json]\n"
               "\n"
               "Applies one extraction rule to one page as a run does: the page is decoded as\n"
               "Windows-1251 or Windows-1252 when a META tag within its first 1024 bytes declares\n"
               "so (<meta charset=\"windows-1251\"> or <meta http-equiv=\"Content-Type\"\n"
               "content=\"...; charset=windows-1251\">; also cp1251, windows-1252, cp1252; the last\n"
               "such tag decides), otherwise as UTF-8. The page may be at most %1 MiB. The\n"
               "values are trimmed, blank ones are dropped and, with --unique, repeats too.\n"
               "Values are printed in UTF-8, one per line (a value may itself span lines; use\n"
               "--json to read them unambiguously). A regular expression that does not match\n"
               "prints nothing.\n"
               "\n"
               "Options:\n").arg(kMaxBodyBytes >> 20)
           + TCliArgs::OptionsHelp(kOptions)
           + QStringLiteral(
               "\n"
               "Examples:\n"
               "  tollmarsh-cli query --type css --query 'h1.title' --file page.html\n"
               "  tollmarsh-cli query --rule 'xpath://meta[@name=\"description\"]/@content' \\\n"
               "      --url https://example.com/ --json\n"
               "  curl -s https://example.com/ | tollmarsh-cli query --type regex --query '\\d+' --stdin\n"
               "\n")
           + ExitCodesHelp(false);
}

// At most one byte more than a fetched body may have, so that an endless
// input (/dev/zero) is refused instead of filling the memory.
bool ReadPage(QIODevice& aDevice, QByteArray& aPage)
{
    aPage = aDevice.read(kMaxBodyBytes + 1);
    if (auto* file = qobject_cast<QFileDevice*>(&aDevice))
        return file->error() == QFileDevice::NoError;
    return true;
}

int UsageError(TCliIo& aIo, const QString& aMessage)
{
    WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: ") + aMessage);
    WriteLine(aIo.Err, Tr("\"tollmarsh-cli query --help\" describes the options."));
    return ecUsage;
}

int RuleFromOptions(const TCliArgs& aArgs, TScrapRule& aRule, TCliIo& aIo)
{
    if (!aArgs.Has(QStringLiteral("type")))
        return UsageError(aIo, Tr("--type is required (or --rule RULE)"));
    if (!ParseQueryTypeName(aArgs.Value(QStringLiteral("type")), aRule.QueryType))
        return UsageError(aIo, Tr("unknown --type \"%1\" (xpath, xquery, css, regex or template)")
                                   .arg(aArgs.Value(QStringLiteral("type"))));
    if (!aArgs.Has(QStringLiteral("query")))
        return UsageError(aIo, Tr("--query is required"));
    aRule.Query = aArgs.Value(QStringLiteral("query"));
    aRule.Attribute = aArgs.Value(QStringLiteral("attr"));
    aRule.ExtractType = DefaultExtract(aRule.QueryType);
    if (aArgs.Has(QStringLiteral("extract"))
        && !ParseExtractName(aArgs.Value(QStringLiteral("extract")), aRule.ExtractType))
        return UsageError(aIo, Tr("unknown --extract \"%1\" (text, outer, inner or any)")
                                   .arg(aArgs.Value(QStringLiteral("extract"))));
    return ecOk;
}

// The page as the rule tester loads it; its messages on failure.
int FetchPage(const QString& aURL, const QString& aUserAgent, QByteArray& aPage, TCliIo& aIo)
{
    const TCurlGlobalGuard curlGlobal;
    const TFetchedDocument fetched = FetchDocument(aURL, aUserAgent);
    if (!fetched.Transferred) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: ") + Tr("Ошибка при получении страницы, исключение: ")
                               + fetched.Error);
        return ecFailed;
    }
    if (fetched.Status != 200) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: ") + Tr("Ошибка при получении страницы, код HTTP: ")
                               + QString::number(fetched.Status));
        return ecFailed;
    }
    aPage = fetched.Body;
    return ecOk;
}

}  // namespace

int RunQueryCommand(const QStringList& aArgs, TCliIo& aIo)
{
    ApplyCliLanguage(LangOption(aArgs));
    const TCliArgs args(aArgs, kOptions);
    if (!args.Ok())
        return UsageError(aIo, args.Error());
    if (args.HelpRequested()) {
        WriteText(aIo.Out, Help());
        return ecOk;
    }

    TScrapRule rule;
    if (args.Has(QStringLiteral("rule"))) {
        for (const char* other : {"type", "query", "attr", "extract"})
            if (args.Has(QString::fromLatin1(other)))
                return UsageError(aIo, Tr("--rule and --%1 exclude each other").arg(QString::fromLatin1(other)));
        QString error;
        if (!ParseRuleSpec(args.Value(QStringLiteral("rule")), 1, rule, error))
            return UsageError(aIo, error);
    } else if (const int code = RuleFromOptions(args, rule, aIo); code != ecOk) {
        return code;
    }
    if (args.Has(QStringLiteral("unique")) && args.Has(QStringLiteral("all")))
        return UsageError(aIo, Tr("--unique and --all exclude each other"));
    const bool unique = !args.Has(QStringLiteral("all"));
    const int sources = int(args.Has(QStringLiteral("file"))) + int(args.Has(QStringLiteral("stdin")))
                        + int(args.Has(QStringLiteral("url")));
    if (sources != 1)
        return UsageError(aIo, Tr("give exactly one of --file PAGE and --stdin (or --url ADDRESS)"));
    if (args.Has(QStringLiteral("user-agent")) && !args.Has(QStringLiteral("url")))
        return UsageError(aIo, Tr("--user-agent is only used with --url"));
    QString userAgent = QString::fromUtf8(UserAgentRow(0).userAgent);
    QString error;
    if (args.Has(QStringLiteral("user-agent")) && !ResolveUserAgent(args.Value(QStringLiteral("user-agent")), userAgent, error))
        return UsageError(aIo, error);

    const TRuleValidity validity = CheckRuleValidity(rule);
    if (!validity.Valid) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: ") + RuleRefusal(rule, validity));
        return ecUsage;
    }

    QByteArray page;
    if (args.Has(QStringLiteral("url"))) {
        if (const int code = FetchPage(args.Value(QStringLiteral("url")), userAgent, page, aIo); code != ecOk)
            return code;
    } else if (args.Has(QStringLiteral("file"))) {
        const QString path = args.Value(QStringLiteral("file"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            WriteLine(aIo.Err, Tr("tollmarsh-cli query: cannot read \"%1\": %2")
                                   .arg(path, file.errorString()));
            return ecUsage;
        }
        if (!ReadPage(file, page)) {
            WriteLine(aIo.Err, Tr("tollmarsh-cli query: cannot read \"%1\": %2")
                                   .arg(path, file.errorString()));
            return ecUsage;
        }
    } else if (!ReadPage(aIo.In, page)) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: cannot read the page from standard input"));
        return ecUsage;
    }
    if (page.size() > kMaxBodyBytes) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli query: the page is larger than the limit of %1 bytes")
                               .arg(kMaxBodyBytes));
        return ecUsage;
    }

    TAnalysisRequest request;
    request.Body = page;
    request.ChkUnique = unique;
    request.RuleBudgetMs = kRuleTimeBudgetMs;
    request.Rules.push_back(rule);
    const TIsolatedAnalysis analysis = AnalyseInHelper(request);
    if (analysis.Outcomes.empty() || !analysis.Outcomes.front().Applied) {
        const QString failure =
            analysis.Outcomes.empty() ? analysis.FailureText : analysis.Outcomes.front().Failure;
        WriteLine(aIo.Err, Tr("tollmarsh-cli query: the rule cannot be applied: ") + failure);
        return ecFailed;
    }
    const QStringList values = analysis.Outcomes.front().Values;
    if (args.Has(QStringLiteral("json"))) {
        aIo.Out.write(QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact));
        aIo.Out.write("\n");
    } else {
        for (const QString& value : values)
            WriteLine(aIo.Out, value);
    }
    return ecOk;
}
