#include "cli/check/CheckCommand.h"

#include "cli/CliLanguage.h"
#include "cli/RuleText.h"
#include "cli/check/CheckOptions.h"
#include "cli/check/ConsoleOutput.h"
#include "cli/check/InterruptSignal.h"
#include "cli/check/ReportTarget.h"
#include "cli/check/RuleSetDiagnosis.h"
#include "cli/check/RunSummary.h"
#include "cli/check/UrlSource.h"
#include "core/RuleSets.h"
#include "core/RunModel.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "engine/DocumentFetch.h"
#include "engine/PageWorker.h"
#include "engine/RunController.h"
#include "proxies/Proxies.h"
#include "ui/model/CsvReport.h"
#include "ui/model/ResultsTable.h"
#include "ui/model/SitemapImport.h"
#include "ui/model/RuleValidity.h"
#include "ui/model/UrlImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <memory>

namespace {

QString BesideExecutable(const QString& aName)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(aName);
}

// Import messages go to standard error; the import's log lines with --verbose.
class TConsoleImportView : public IUrlImportView {
public:
    explicit TConsoleImportView(TConsoleOutput& aOut) : FOut(aOut) {}
    void ShowInformation(const QString& aText) override { FOut.Message(aText); }
    void ShowWarning(const QString& aText) override { FOut.Message(aText); }
    void AddToLog(const QString& aText) override
    {
        FOut.LogLine(FormatLogTime(TClock::System().Now()) + QStringLiteral(" ") + aText);
    }

private:
    TConsoleOutput& FOut;
};

// The controller's window: options from the command line, progress and log on
// standard error, result columns into the table the report is written from.
class TConsoleRunView : public IRunView {
public:
    TConsoleRunView(const TCheckOptions& aOptions, const TProxies& aProxies,
                    TResultsTable& aTable, TConsoleOutput& aOut)
        : FOptions(aOptions), FProxies(aProxies), FTable(aTable), FOut(aOut)
    {
    }

    QEventLoop Loop;
    bool ExportEnabled = false;
    bool Failed = false;

    TRunSettings Settings() const override
    {
        TRunSettings settings;
        settings.MaxThreads = FOptions.Threads;
        settings.RequestDelay = FOptions.Delay;
        settings.UserAgent = FOptions.UserAgent;
        settings.UseProxies = FOptions.UseProxies;
        settings.UniqueResults = FOptions.Unique;
        settings.ClearURLsWithoutResults = FOptions.HideEmpty;
        return settings;
    }
    const TProxy* RandomProxy() const override { return FProxies.GetRandom(); }

    void RunStateChanged(bool bRunning) override
    {
        if (!bRunning) {
            FOut.EndProgress();
            Loop.quit();
        }
    }
    void SetProgress(int aPosition, int aMaximum) override
    {
        if (aMaximum != FMaximum) {
            FMaximum = aMaximum;
            FOut.StartProgress(aMaximum);
        }
        FOut.SetProgress(aPosition);
    }
    void SetCancelEnabled(bool) override {}
    void SetExportEnabled(bool bEnabled) override { ExportEnabled = bEnabled; }
    void RemoveResultColumns() override { FTable.RemoveResultColumns(); }
    void SetResultColumns(const QStringList& aCaptions) override { FTable.SetResultColumns(aCaptions); }
    void ResultsChanged() override { FTable.ResultsChanged(); }
    void RemoveURLsWithoutResults() override { FTable.RemoveURLsWithoutResults(); }
    void AddToLog(const QString& aText, TDateTime aTime) override
    {
        FOut.LogLine(FormatLogTime(aTime) + QStringLiteral(" ") + aText);
    }
    void ShowError(const QString& aText) override
    {
        Failed = true;
        FOut.Message(aText);
    }

private:
    const TCheckOptions& FOptions;
    const TProxies& FProxies;
    TResultsTable& FTable;
    TConsoleOutput& FOut;
    int FMaximum = -1;
};

class TBadInput {
public:
    explicit TBadInput(QString aText, int aCode = ecUsage) : Text(std::move(aText)), Code(aCode) {}
    QString Text;
    int Code;
};

void RequireReadableFile(const QString& aFileName, const char* aWhat)
{
    const QFileInfo info(aFileName);
    if (!info.exists())
        throw TBadInput(QStringLiteral("%1 not found: %2").arg(aWhat, aFileName));
    if (!info.isFile() || !info.isReadable())
        throw TBadInput(QStringLiteral("%1 cannot be read: %2").arg(aWhat, aFileName));
}

void RequireRunnable(const TScrapRuleSet& aSet, const QString& aWhere)
{
    if (aSet.Count() == 0)
        throw TBadInput(QStringLiteral("the rule set \"%1\" has no rules").arg(aSet.Name));
    TRuleValidity validity;
    const int invalid = FirstInvalidRule(aSet, &validity);
    if (invalid >= 0) {
        const TScrapRule& rule = *aSet.Rule(invalid);
        throw TBadInput(QStringLiteral("%1rule %2 \"%3\" of the set \"%4\": %5")
                            .arg(aWhere)
                            .arg(invalid + 1)
                            .arg(rule.Name, aSet.Name, RuleRefusal(rule, validity)));
    }
}

const TScrapRuleSet& ChooseRuleSet(const TScrapRuleSets& aSets, const TCheckOptions& aOptions,
                                   const QString& aFileName)
{
    if (aSets.Count() == 0)
        throw TBadInput(QStringLiteral("the rule-set file holds no rule set: %1 (docs/rule-sets.md shows one)")
                            .arg(aFileName));
    const TScrapRuleSet* set = aOptions.SetName.isEmpty() ? aSets.At(0) : aSets.GetByName(aOptions.SetName);
    if (!set) {
        QStringList names;
        for (int i = 0; i < aSets.Count(); ++i)
            names << QStringLiteral("\"%1\"").arg(aSets.At(i)->Name);
        throw TBadInput(QStringLiteral("no rule set named \"%1\" in %2 (sets: %3)")
                            .arg(aOptions.SetName, aFileName, names.join(", ")));
    }
    RequireRunnable(*set, QString());
    return *set;
}

const TScrapRuleSet& LoadRuleSetFile(TScrapRuleSets& aSets, const TCheckOptions& aOptions)
{
    const QString fileName =
        aOptions.RulesFile.isEmpty() ? BesideExecutable("Tollmarsh.json") : aOptions.RulesFile;
    if (aOptions.RulesFile.isEmpty() && !QFileInfo::exists(fileName))
        throw TBadInput(QStringLiteral("no rules: give a rule-set file with --rules FILE or rules with --rule SPEC "
                                       "(there is no %1; docs/rule-sets.md describes both)")
                            .arg(fileName));
    RequireReadableFile(fileName, "rule-set file");
    const QString problem = DiagnoseRuleSetFile(fileName);
    if (!problem.isEmpty())
        throw TBadInput(QStringLiteral("not a valid rule-set file: %1: %2\n(the format is described in "
                                       "docs/rule-sets.md)")
                            .arg(fileName, problem));
    if (!aSets.LoadFromFile(fileName))
        throw TBadInput(QStringLiteral("not a valid rule-set file: %1").arg(fileName));
    return ChooseRuleSet(aSets, aOptions, fileName);
}

std::unique_ptr<TScrapRuleSet> RuleSetFromSpecs(const TCheckOptions& aOptions)
{
    auto set = std::make_unique<TScrapRuleSet>();
    set->Name = aOptions.SetName.isEmpty() ? QStringLiteral("Main") : aOptions.SetName;
    for (int i = 0; i < aOptions.RuleSpecs.size(); ++i) {
        auto rule = std::make_unique<TScrapRule>();
        QString error;
        if (!ParseRuleSpec(aOptions.RuleSpecs.at(i), i + 1, *rule, error))
            throw TBadInput(error);
        set->Add(std::move(rule));
    }
    RequireRunnable(*set, QStringLiteral("--rule: "));
    return set;
}

// Adds the set to the rule-set file, replacing a set of the same name.
void SaveRuleSet(const TScrapRuleSet& aSet, const QString& aFileName, TConsoleOutput& aOut)
{
    TScrapRuleSets sets;
    if (QFileInfo::exists(aFileName)) {
        const QString problem = DiagnoseRuleSetFile(aFileName);
        if (!problem.isEmpty())
            throw TBadInput(QStringLiteral("--save-rules: %1 exists and is not a rule-set file that a set can be "
                                           "added to: %2")
                                .arg(aFileName, problem));
        sets.LoadFromFile(aFileName);
    }
    const int index = sets.GetNdxByName(aSet.Name);
    if (index >= 0)
        sets.At(index)->AssignFrom(aSet);
    else
        sets.Add(aSet.Clone())->Name = aSet.Name;
    if (!sets.SaveToFile(aFileName))
        throw TBadInput(QStringLiteral("--save-rules: cannot write %1").arg(aFileName), ecWriteFailed);
    aOut.Message(QStringLiteral("rule set \"%1\" with %2 rule(s) %3 %4")
                     .arg(aSet.Name)
                     .arg(aSet.Count())
                     .arg(index >= 0 ? QStringLiteral("replaced in") : QStringLiteral("written to"), aFileName));
}

void LoadProxies(TProxies& aProxies, const TCheckOptions& aOptions, TConsoleOutput& aOut)
{
    const QString fileName =
        aOptions.ProxiesFile.isEmpty() ? BesideExecutable("proxies.json") : aOptions.ProxiesFile;
    RequireReadableFile(fileName, "proxy list file");
    if (!aProxies.LoadFromFile(fileName))
        throw TBadInput(QStringLiteral("not a valid proxy list file: %1").arg(fileName));
    if (aProxies.Count() == 0)
        aOut.Message(QStringLiteral("the proxy list is empty: pages are fetched directly"));
}

bool AnyFailedURL(const TURLTaskInfoList& aList)
{
    for (int i = 0; i < aList.Count(); ++i) {
        const TURLTaskInfo* entry = aList.At(i);
        if (!entry->TaskResults || entry->TaskResults->TaskResult != trOk)
            return true;
    }
    return false;
}

// Spaces request starts by the delay: the sitemap requests among themselves
// and the run's first page request after them.
class TRequestPacer {
public:
    explicit TRequestPacer(int aDelayMs) : FDelayMs(aDelayMs) {}
    void WaitForNextStart()
    {
        if (FLastStart.isValid() && FLastStart.elapsed() < FDelayMs)
            QThread::msleep(ulong(FDelayMs - FLastStart.elapsed()));
    }
    void Started() { FLastStart.start(); }

private:
    int FDelayMs;
    QElapsedTimer FLastStart;
};

// Sitemap requests: the run's User-Agent, spaced by the request delay.
TSitemapFetch PacedSitemapFetch(const TCheckOptions& aOptions, TRequestPacer& aPacer)
{
    const QString userAgent = aOptions.UserAgent.isEmpty() ? TPageWorker::DefaultUserAgent() : aOptions.UserAgent;
    return [&aPacer, userAgent](const QString& aURL) {
        aPacer.WaitForNextStart();
        aPacer.Started();
        TFetchLimits limits;
        limits.MaxBodyBytes = MaxSitemapBytes;
        const TFetchedDocument fetched = FetchDocument(aURL, userAgent, limits);
        TSitemapBytes bytes;
        if (!fetched.Transferred)
            bytes.Error = fetched.Error;
        else if (fetched.Status != 200)
            bytes.Error = QStringLiteral("HTTP status %1").arg(fetched.Status);
        else
            bytes = TSitemapBytes{true, fetched.Body, QString()};
        return bytes;
    };
}

// After Ctrl+C the report holds only the URLs that finished.
int KeepFinishedRows(TResultsTable& aTable, const TURLTaskInfoList& aList)
{
    std::vector<int> unfinished;
    for (int i = 0; i < aList.Count(); ++i)
        if (!aList.At(i)->TaskResults)
            unfinished.push_back(aList.At(i)->Num);
    aTable.DeleteURLNodes(unfinished);
    return aList.Count() - int(unfinished.size());
}

int RunChecked(const TCheckOptions& aOptions, TCliIo& aIo)
{
    ApplyCliLanguage(aOptions.Language);
    TConsoleOutput out(aIo.Err, aOptions.Verbose, IsTerminalStderr(aIo.Err), aOptions.Quiet);
    const TCurlGlobalGuard curlGlobal;  // before any request or worker thread

    // Everything that can refuse the run is checked before the first request.
    const QString outProblem = ReportTargetProblem(aOptions.OutFile);
    if (!outProblem.isEmpty())
        throw TBadInput(QStringLiteral("--out %1: %2").arg(aOptions.OutFile, outProblem));
    TReportEncoding encoding;
    if (!aOptions.Encoding.isEmpty())
        ParseReportEncoding(aOptions.Encoding, encoding);
    if (aOptions.UserAgent.isEmpty())
        out.Message(QStringLiteral("--user-agent is empty: the default is sent (%1)").arg(TPageWorker::DefaultUserAgent()));

    TScrapRuleSets sets;
    std::unique_ptr<TScrapRuleSet> givenSet;
    const TScrapRuleSet* ruleSet = nullptr;
    if (!aOptions.RuleSpecs.isEmpty()) {
        givenSet = RuleSetFromSpecs(aOptions);
        if (!aOptions.SaveRulesFile.isEmpty())
            SaveRuleSet(*givenSet, aOptions.SaveRulesFile, out);
        if (aOptions.UrlsFile.isEmpty())
            return ecOk;
        ruleSet = givenSet.get();
    } else {
        ruleSet = &LoadRuleSetFile(sets, aOptions);
    }

    if (!IsWebAddress(aOptions.UrlsFile))
        RequireReadableFile(aOptions.UrlsFile, "URL file");
    TProxies proxies;
    if (aOptions.UseProxies)
        LoadProxies(proxies, aOptions, out);

    TURLTaskInfoList urls;
    TResultsTable table(urls);
    TConsoleImportView importView(out);
    TUrlImporter importer(urls, table, importView);
    TRequestPacer pacer(aOptions.Delay);
    if (!ImportUrlSource(importer, importView, aOptions.UrlsFile, TCodePage::SystemDefault(),
                         PacedSitemapFetch(aOptions, pacer)))
        throw TBadInput(QStringLiteral("the URLs were not imported: %1").arg(aOptions.UrlsFile));
    if (urls.Count() == 0)
        throw TBadInput(QStringLiteral("no URL to check in %1").arg(aOptions.UrlsFile));
    pacer.WaitForNextStart();

    QElapsedTimer elapsed;
    elapsed.start();
    TConsoleRunView view(aOptions, proxies, table, out);
    TRunController controller(urls, [ruleSet] { return ruleSet; }, view);
    TInterruptSignal interrupt([&controller] { controller.Cancel(); });
    if (!controller.Run(TRunMode::rmAllURLs))
        return ecUsage;
    if (controller.IsRunning())
        view.Loop.exec();
    controller.WaitForWorkers();
    // the duration line is posted at the very end of the run
    QCoreApplication::sendPostedEvents(controller.Receiver());

    const int finished = interrupt.Received() ? KeepFinishedRows(table, urls) : urls.Count();
    const QString place = aOptions.OutFile.isEmpty() ? QStringLiteral("standard output") : aOptions.OutFile;
    QString error;
    if (!WriteReport(aOptions.OutFile, aIo.Out, CsvReportBytes(table, encoding.CodePage, encoding.ByteOrderMark),
                     error)) {
        out.Message(QStringLiteral("tollmarsh-cli check: the report cannot be written to %1: %2").arg(place, error));
        return ecWriteFailed;
    }
    if (interrupt.Received()) {
        out.Message(QStringLiteral("interrupted: the report in %1 holds the %2 of %3 URLs that finished")
                        .arg(place)
                        .arg(finished)
                        .arg(urls.Count()));
        return ecCancelled;
    }
    if (!aOptions.Quiet)
        out.Message(RunSummary(urls, elapsed.elapsed(), place));
    return AnyFailedURL(urls) ? ecFailed : ecOk;
}

}  // namespace

int RunCheckCommand(const QStringList& aArgs, TCliIo& aIo)
{
    TCheckOptions options;
    QString error;
    if (!ParseCheckOptions(aArgs, options, error)) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli check: %1\nTry 'tollmarsh-cli check --help'.").arg(error));
        return ecUsage;
    }
    if (options.Help) {
        WriteText(aIo.Out, CheckUsageText());
        return ecOk;
    }
    try {
        return RunChecked(options, aIo);
    } catch (const TBadInput& bad) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli check: %1").arg(bad.Text));
        return bad.Code;
    }
}
