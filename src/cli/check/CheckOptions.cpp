#include "cli/check/CheckOptions.h"

#include "engine/RequestOptions.h"
#include "core/Translate.h"

#include "ui/model/OptionTables.h"

#include "cli/CliArgs.h"
#include "cli/CliIo.h"
#include "cli/check/ReportTarget.h"
#include "engine/DocumentFetch.h"
#include "engine/PageWorker.h"

namespace {

bool ParseWholeNumber(const QString& aText, int aMin, int aMax, int& aValue)
{
    bool ok = false;
    const int value = aText.toInt(&ok);
    if (!ok || value < aMin || value > aMax)
        return false;
    aValue = value;
    return true;
}

}  // namespace

bool ResolveUserAgent(const QString& aValue, QString& aUserAgent, QString& aError)
{
    bool isNumber = false;
    const int row = aValue.toInt(&isNumber);
    if (!isNumber) {
        aUserAgent = aValue;
        return true;
    }
    if (row < 0 || row >= CustomUserAgentRow) {
        aError = Tr("--user-agent: row %1 is not in the table (0 to %2), "
                                "give the text itself instead")
                     .arg(aValue)
                     .arg(CustomUserAgentRow - 1);
        return false;
    }
    aUserAgent = QString::fromUtf8(UserAgentRow(row).userAgent);
    return true;
}

namespace {

const std::vector<TCliOption>& CheckOptionTable()
{
    static const std::vector<TCliOption> options = {
        {"urls", "FILE|URL", "URLs to check: a text file with one URL per line, or a sitemap\n"
                             "(told apart by content): a file or an http(s) address, plain or\n"
                             "gzip-compressed, a URL set or a sitemap index whose child sitemaps\n"
                             "are fetched in order; at most 5000 URLs are taken"},
        {"rules", "FILE", "rule-set file (default: Tollmarsh.json beside the program);\n"
                          "its format: docs/rule-sets.md"},
        {"set", "NAME", "rule set to use (default: the first set of the file);\n"
                        "with --rule: the name of the set --save-rules writes (default Main)"},
        {"rule", "RULE", "a rule given on the command line instead of --rules, repeatable:\n"
                         "TYPE[,name=NAME][,extract=MODE][,attr=ATTRIBUTE]:QUERY\n"
                         "TYPE xpath, xquery, css, regex or template; MODE text (default),\n"
                         "outer, inner or any; everything after the first \":\" is the query",
         true},
        {"save-rules", "FILE", "write the --rule rules into the rule-set file FILE as the set\n"
                               "--set NAME (a set of that name is replaced, others are kept);\n"
                               "without --urls nothing is fetched"},
        {"threads", "N", "worker threads, 1 to 10 (default 5)"},
        {"delay", "MS", "milliseconds between request starts, 1500 to 10000 (default 1500);\n"
                        "the delay spaces the starts across all threads, so more threads\n"
                        "only help when pages take longer than the delay to load"},
        {"user-agent", "ROW|TEXT", "User-Agent: a row of the table below, or the text itself\n"
                                   "(default row 0); an empty text sends the default below"},
        {"proxies", "FILE", "proxy list file (default: proxies.json beside the program)"},
        {"use-proxies", nullptr, "send each page's request through a random proxy of the list"},
        {"unique", nullptr, "keep each value once per rule and page (default)"},
        {"all", nullptr, "keep every value found"},
        {"hide-empty", nullptr, "leave out the URLs whose page loaded but gave no value"},
        {"out", "FILE", "write the report to FILE (default: standard output); checked before\n"
                        "the first request; a FIFO or device is written to, not replaced"},
        {"encoding", "NAME", "the report's encoding: locale (default: the locale's code page),\n"
                             "utf-8, utf-8-bom (what spreadsheets need to see UTF-8),\n"
                             "windows-1251 or windows-1252; characters the encoding cannot\n"
                             "hold become \"?\""},
        {"lang", "ru|en", "language of the report's captions, its footer and the messages\n"
                          "(default: lang of Tollmarsh.ini beside the program, else the\n"
                          "system language: Russian on a Russian system, English elsewhere)"},
        {"quiet", nullptr, "no progress and no summary on standard error"},
        {"verbose", nullptr, "print the run's log lines on standard error"},
    };
    return options;
}

}  // namespace

bool ParseCheckOptions(const QStringList& aArgs, TCheckOptions& aOptions, QString& aError)
{
    const TCliArgs args(aArgs, CheckOptionTable());
    if (!args.Ok()) {
        aError = args.Error();
        return false;
    }
    aOptions.Help = args.HelpRequested();
    if (aOptions.Help)
        return true;

    aOptions.UrlsFile = args.Value("urls");
    aOptions.RulesFile = args.Value("rules");
    aOptions.SetName = args.Value("set");
    aOptions.RuleSpecs = args.Values("rule");
    aOptions.SaveRulesFile = args.Value("save-rules");
    aOptions.ProxiesFile = args.Value("proxies");
    aOptions.OutFile = args.Value("out");
    aOptions.UseProxies = args.Has("use-proxies");
    aOptions.HideURLsWithoutResults = args.Has("hide-empty");
    aOptions.Verbose = args.Has("verbose");
    aOptions.Quiet = args.Has("quiet");
    aOptions.Encoding = args.Value("encoding");
    aOptions.Language = args.Value("lang").toLower();
    if (args.Has("unique") && args.Has("all")) {
        aError = Tr("--unique and --all exclude each other");
        return false;
    }
    aOptions.Unique = !args.Has("all");
    if (args.Has("rule") && args.Has("rules")) {
        aError = Tr("--rule and --rules exclude each other: give the rules on the command line "
                                "or in a rule-set file");
        return false;
    }
    if (args.Has("save-rules") && !args.Has("rule")) {
        aError = Tr("--save-rules writes the rules given with --rule; none is given");
        return false;
    }
    if (args.Has("quiet") && args.Has("verbose")) {
        aError = Tr("--quiet and --verbose exclude each other");
        return false;
    }
    if (args.Has("lang") && aOptions.Language != u"ru" && aOptions.Language != u"en") {
        aError = Tr("--lang must be ru or en, not \"%1\"").arg(args.Value("lang"));
        return false;
    }
    TReportEncoding encoding;
    if (args.Has("encoding") && !ParseReportEncoding(aOptions.Encoding, encoding)) {
        aError = Tr("--encoding must be one of %1, not \"%2\"")
                     .arg(ReportEncodingNames().join(", "), aOptions.Encoding);
        return false;
    }

    if (args.Has("threads")
        && !ParseWholeNumber(args.Value("threads"), ThreadLimitMin, ThreadLimitMax, aOptions.Threads)) {
        aError = Tr("--threads must be a whole number from %1 to %2, not \"%3\"")
                     .arg(ThreadLimitMin).arg(ThreadLimitMax).arg(args.Value("threads"));
        return false;
    }
    if (args.Has("delay")
        && !ParseWholeNumber(args.Value("delay"), RequestDelayMin, RequestDelayMax, aOptions.Delay)) {
        aError = Tr("--delay must be a whole number of milliseconds from %1 to %2, not \"%3\"")
                     .arg(RequestDelayMin).arg(RequestDelayMax).arg(args.Value("delay"));
        return false;
    }
    aOptions.UserAgent = QString::fromUtf8(UserAgentRow(0).userAgent);
    if (args.Has("user-agent") && !ResolveUserAgent(args.Value("user-agent"), aOptions.UserAgent, aError))
        return false;
    if (aOptions.UrlsFile.isEmpty() && aOptions.SaveRulesFile.isEmpty()) {
        aError = Tr("--urls FILE is required");
        return false;
    }
    return true;
}

QString CheckUsageText()
{
    QString rows;
    for (int row = 0; row < CustomUserAgentRow; ++row)
        rows += QStringLiteral("  %1  %2\n").arg(row, 2).arg(QString::fromUtf8(UserAgentRow(row).displayName));
    const TTransferLimits limits;
    return QStringLiteral("Usage: tollmarsh-cli check --urls FILE|URL (--rules FILE [--set NAME] | --rule RULE...)\n"
                          "                           [options]\n"
                          "       tollmarsh-cli check --rule RULE... --save-rules FILE [--set NAME]\n"
                          "\n"
                          "Fetches every URL, applies the rules of a rule set to every page that answers\n"
                          "200 and writes the results as a CSV report: \";\" between fields, a field holding\n"
                          "\";\", a double quote or a line break in double quotes, CR LF line ends, an\n"
                          "empty line and a footer line at the end. A summary follows on standard error.\n"
                          "The rule-set file is described in docs/rule-sets.md.\n"
                          "\n"
                          "Options:\n")
           + TCliArgs::OptionsHelp(CheckOptionTable())
           + QStringLiteral("\nUser-Agent rows:\n") + rows
           + QStringLiteral("An empty --user-agent sends: %1\n").arg(TPageWorker::DefaultUserAgent())
           + QStringLiteral(
                 "\nExamples:\n"
                 "  tollmarsh-cli check --urls urls.txt --rule 'css,name=Title:h1' --out report.csv\n"
                 "  tollmarsh-cli check --urls https://example.com/sitemap.xml --rules rules.json \\\n"
                 "      --set Shop --threads 3 --delay 2000 --encoding utf-8-bom --out report.csv\n"
                 "  tollmarsh-cli check --rule 'xpath,name=Title://title' \\\n"
                 "      --rule 'css,name=Image,attr=src:img.product' --save-rules rules.json --set Shop\n"
                 "\n"
                 "Limits of every page request: connecting may take %1 s, a transfer that gets\n"
                 "nothing for %1 s is abandoned, and a whole transfer may take %6 s (through a\n"
                 "proxy the whole request is limited to 10 s instead); a body larger than %2 MiB\n"
                 "is refused; at most %7 redirects are followed, to http and https only. A sitemap\n"
                 "request is limited to %3 s in all, %4 MiB and %5 redirects, and sitemap requests\n"
                 "are spaced by the delay too.\n"
                 "Ctrl+C stops the run and writes the report of the URLs finished so far;\n"
                 "a second Ctrl+C ends the program at once.\n\n")
                 .arg(limits.StallSeconds)
                 .arg(limits.MaxBodyBytes / (1024 * 1024))
                 .arg(TFetchLimits().TimeoutSeconds)
                 .arg(TFetchLimits().MaxBodyBytes / (1024 * 1024))
                 .arg(TFetchLimits().MaxRedirects)
                 .arg(limits.TimeLimitMs / 1000)
                 .arg(limits.MaxRedirects)
           + ExitCodesHelp(true);
}
