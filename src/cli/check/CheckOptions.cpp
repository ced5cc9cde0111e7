#include "cli/check/CheckOptions.h"

#include "ui/model/OptionTables.h"

#include <functional>
#include <map>

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

}  // namespace

bool ParseCheckOptions(const QStringList& aArgs, TCheckOptions& aOptions, QString& aError)
{
    aOptions.UserAgent = QString::fromUtf8(UserAgentRow(0).userAgent);

    using Setter = std::function<bool(const QString&)>;
    const std::map<QString, Setter> valued = {
        {"--urls", [&](const QString& v) { aOptions.UrlsFile = v; return true; }},
        {"--rules", [&](const QString& v) { aOptions.RulesFile = v; return true; }},
        {"--set", [&](const QString& v) { aOptions.SetName = v; return true; }},
        {"--proxies", [&](const QString& v) { aOptions.ProxiesFile = v; return true; }},
        {"--out", [&](const QString& v) { aOptions.OutFile = v; return true; }},
        {"--threads",
         [&](const QString& v) {
             if (ParseWholeNumber(v, MinThreads, MaxThreads, aOptions.Threads))
                 return true;
             aError = QStringLiteral("--threads must be a whole number from %1 to %2, not \"%3\"")
                          .arg(MinThreads).arg(MaxThreads).arg(v);
             return false;
         }},
        {"--delay",
         [&](const QString& v) {
             if (ParseWholeNumber(v, MinDelay, MaxDelay, aOptions.Delay))
                 return true;
             aError = QStringLiteral("--delay must be a whole number of milliseconds from %1 to %2, not \"%3\"")
                          .arg(MinDelay).arg(MaxDelay).arg(v);
             return false;
         }},
        {"--user-agent", [&](const QString& v) { return ResolveUserAgent(v, aOptions.UserAgent, aError); }},
    };
    const std::map<QString, bool*> flags = {
        {"--use-proxies", &aOptions.UseProxies}, {"--hide-empty", &aOptions.HideEmpty},
        {"--verbose", &aOptions.Verbose},        {"--help", &aOptions.Help},
        {"-h", &aOptions.Help},
    };

    for (int i = 0; i < aArgs.size(); ++i) {
        QString name = aArgs[i];
        QString value;
        bool hasValue = false;
        if (name.startsWith("--") && name.contains('=')) {
            value = name.mid(name.indexOf('=') + 1);
            name = name.left(name.indexOf('='));
            hasValue = true;
        }
        if (name == "--unique" || name == "--all") {
            aOptions.Unique = name == "--unique";
            continue;
        }
        if (auto flag = flags.find(name); flag != flags.end() && !hasValue) {
            *flag->second = true;
            continue;
        }
        auto setter = valued.find(name);
        if (setter == valued.end()) {
            aError = QStringLiteral("unknown option \"%1\"").arg(aArgs[i]);
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= aArgs.size()) {
                aError = QStringLiteral("%1 needs a value").arg(name);
                return false;
            }
            value = aArgs[++i];
        }
        if (!setter->second(value))
            return false;
    }
    if (aOptions.Help)
        return true;
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
        rows += QStringLiteral("                         %1  %2\n")
                    .arg(row, 2)
                    .arg(QString::fromUtf8(UserAgentRow(row).displayName));
    return QStringLiteral(
               "Usage: tollmarsh-cli check --urls FILE [options]\n"
               "\n"
               "Fetches every URL of FILE, applies the rules of a rule set to every page that\n"
               "answers 200 and writes the results as a CSV report.\n"
               "\n"
               "  --urls FILE            URLs to check: a text file with one URL per line, or a\n"
               "                         sitemap (told apart by content). At most 5000 are read.\n"
               "  --rules FILE           rule-set file (default: Tollmarsh.json beside the program)\n"
               "  --set NAME             rule set to use (default: the first set of the file)\n"
               "  --threads N            worker threads, 1 to 10 (default 5)\n"
               "  --delay MS             milliseconds between request starts, 1500 to 10000\n"
               "                         (default 1500)\n"
               "  --user-agent ROW|TEXT  User-Agent: a row of the table below, or the text itself\n"
               "                         (default row 0)\n")
           + rows
           + QStringLiteral(
               "  --proxies FILE         proxy list file (default: proxies.json beside the program)\n"
               "  --use-proxies          send each page's request through a random proxy of the list\n"
               "  --unique               keep each value once per rule and page (default)\n"
               "  --all                  keep every value found\n"
               "  --hide-empty           leave out of the report the URLs whose page loaded but gave\n"
               "                         no value\n"
               "  --out FILE             write the report to FILE (default: standard output)\n"
               "  --verbose              print the run's log lines on standard error\n"
               "  --help                 show this text\n"
               "\n"
               "Exit status: 0 the run completed, 1 it completed with failed URLs, 2 bad input,\n"
               "130 cancelled with Ctrl+C.\n");
}
