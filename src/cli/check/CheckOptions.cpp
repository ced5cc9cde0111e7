#include "cli/check/CheckOptions.h"

#include "ui/model/OptionTables.h"

#include "cli/CliArgs.h"

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

// A row number of the User-Agent table picks that row's text; anything else is
// the text itself. The custom row has no text of its own.
bool ResolveUserAgent(const QString& aValue, QString& aUserAgent, QString& aError)
{
    bool isNumber = false;
    const int row = aValue.toInt(&isNumber);
    if (!isNumber) {
        aUserAgent = aValue;
        return true;
    }
    if (row < 0 || row >= CustomUserAgentRow) {
        aError = QStringLiteral("--user-agent: row %1 is not in the table (0 to %2), "
                                "give the text itself instead")
                     .arg(aValue)
                     .arg(CustomUserAgentRow - 1);
        return false;
    }
    aUserAgent = QString::fromUtf8(UserAgentRow(row).userAgent);
    return true;
}

const std::vector<TCliOption>& CheckOptionTable()
{
    static const std::vector<TCliOption> options = {
        {"urls", "FILE", "URLs to check: a text file with one URL per line, or a sitemap\n"
                         "(told apart by content); at most 5000 are read"},
        {"rules", "FILE", "rule-set file (default: Tollmarsh.json beside the program)"},
        {"set", "NAME", "rule set to use (default: the first set of the file)"},
        {"threads", "N", "worker threads, 1 to 10 (default 5)"},
        {"delay", "MS", "milliseconds between request starts, 1500 to 10000 (default 1500)"},
        {"user-agent", "ROW|TEXT", "User-Agent: a row of the table below, or the text itself\n(default row 0)"},
        {"proxies", "FILE", "proxy list file (default: proxies.json beside the program)"},
        {"use-proxies", nullptr, "send each page's request through a random proxy of the list"},
        {"unique", nullptr, "keep each value once per rule and page (default)"},
        {"all", nullptr, "keep every value found"},
        {"hide-empty", nullptr, "leave out the URLs whose page loaded but gave no value"},
        {"out", "FILE", "write the report to FILE (default: standard output)"},
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
    aOptions.ProxiesFile = args.Value("proxies");
    aOptions.OutFile = args.Value("out");
    aOptions.UseProxies = args.Has("use-proxies");
    aOptions.HideURLsWithoutResults = args.Has("hide-empty");
    aOptions.Verbose = args.Has("verbose");
    if (args.Has("unique") && args.Has("all")) {
        aError = QStringLiteral("--unique and --all exclude each other");
        return false;
    }
    aOptions.Unique = !args.Has("all");

    if (args.Has("threads")
        && !ParseWholeNumber(args.Value("threads"), ThreadLimitMin, ThreadLimitMax, aOptions.Threads)) {
        aError = QStringLiteral("--threads must be a whole number from %1 to %2, not \"%3\"")
                     .arg(ThreadLimitMin).arg(ThreadLimitMax).arg(args.Value("threads"));
        return false;
    }
    if (args.Has("delay")
        && !ParseWholeNumber(args.Value("delay"), RequestDelayMin, RequestDelayMax, aOptions.Delay)) {
        aError = QStringLiteral("--delay must be a whole number of milliseconds from %1 to %2, not \"%3\"")
                     .arg(RequestDelayMin).arg(RequestDelayMax).arg(args.Value("delay"));
        return false;
    }
    aOptions.UserAgent = QString::fromUtf8(UserAgentRow(0).userAgent);
    if (args.Has("user-agent") && !ResolveUserAgent(args.Value("user-agent"), aOptions.UserAgent, aError))
        return false;
    if (aOptions.UrlsFile.isEmpty()) {
        aError = QStringLiteral("--urls FILE is required");
        return false;
    }
    return true;
}

QString CheckUsageText()
{
    QString rows;
    for (int row = 0; row < CustomUserAgentRow; ++row)
        rows += QStringLiteral("  %1  %2\n").arg(row, 2).arg(QString::fromUtf8(UserAgentRow(row).displayName));
    return QStringLiteral("Usage: tollmarsh-cli check --urls FILE [options]\n"
                          "\n"
                          "Fetches every URL of FILE, applies the rules of a rule set to every page that\n"
                          "answers 200 and writes the results as a CSV report.\n"
                          "\n"
                          "Options:\n")
           + TCliArgs::OptionsHelp(CheckOptionTable())
           + QStringLiteral("\nUser-Agent rows:\n") + rows
           + QStringLiteral("\nExit status: 0 the run completed, 1 it completed with failed URLs, 2 bad input,\n"
                            "130 cancelled with Ctrl+C.\n");
}
