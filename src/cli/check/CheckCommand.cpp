#include "cli/check/CheckCommand.h"

#include "cli/CliLanguage.h"
#include "cli/check/BadInput.h"
#include "cli/check/CheckOptions.h"
#include "cli/check/CheckRules.h"
#include "cli/check/ConsoleOutput.h"
#include "cli/check/InterruptSignal.h"
#include "cli/check/ReportTarget.h"
#include "cli/check/RunSummary.h"
#include "cli/check/UrlSource.h"
#include "core/Dialogs.h"
#include "core/RunModel.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "engine/PageWorker.h"
#include "engine/RunController.h"
#include "proxies/Proxies.h"
#include "ui/model/CsvReport.h"
#include "ui/model/ResultsTable.h"
#include "ui/model/UrlImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <memory>

namespace {

// Message boxes become lines on standard error; nothing is asked.
class TConsoleDialogs : public IDialogs {
public:
    explicit TConsoleDialogs(TConsoleOutput& aOut) : FOut(aOut) {}
    void ShowWarning(const QString& aText) override { FOut.Message(aText); }
    void ShowInformation(const QString& aText) override { FOut.Message(aText); }
    void ShowError(const QString& aText) override { FOut.Message(aText); }
    bool AskYesNo(const QString&, const QString&) override { return false; }
    QString OpenFileName(const TFileDialogRequest&) override { return {}; }
    QString SaveFileName(const TFileDialogRequest&) override { return {}; }
    QString InputText(const QString&, const QString&, const QString& aInitialText) override
    {
        return aInitialText;
    }

private:
    TConsoleOutput& FOut;
};

// The import's log lines go to standard error with --verbose.
class TConsoleImportView : public IUrlListView {
public:
    explicit TConsoleImportView(TConsoleOutput& aOut) : FOut(aOut) {}
    void AddToLog(const QString& aText, TDateTime aTime) override
    {
        FOut.LogLine(FormatLogTime(aTime) + QStringLiteral(" ") + aText);
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

    TRunSettings Settings() const override
    {
        TRunSettings settings;
        settings.MaxThreads = FOptions.Threads;
        settings.RequestDelay = FOptions.Delay;
        settings.UserAgent = FOptions.UserAgent;
        settings.UseProxies = FOptions.UseProxies;
        settings.UniqueResults = FOptions.Unique;
        settings.HideURLsWithoutResults = FOptions.HideURLsWithoutResults;
        return settings;
    }
    const TProxy* RandomProxy() const override { return FProxies.GetRandom(); }

    void RunStateChanged(bool bRunning) override
    {
        if (!bRunning)
            Loop.quit();
    }
    void SetProgress(int aPosition, int aMaximum) override
    {
        if (aMaximum != FMaximum) {
            FMaximum = aMaximum;
            FOut.StartProgress(aMaximum);
        }
        FOut.SetProgress(aPosition);
    }
    void HideProgress() override { FOut.EndProgress(); }
    void SetCancelEnabled(bool) override {}
    void SetExportEnabled(bool bEnabled) override { ExportEnabled = bEnabled; }
    void RemoveResultColumns() override { FTable.RemoveResultColumns(); }
    void SetResultColumns(const QStringList& aCaptions) override { FTable.SetResultColumns(aCaptions); }
    void ResultsChanged(int) override { FTable.ResultsChanged(); }
    void RemoveURLsWithoutResults() override { FTable.RemoveURLsWithoutResults(); }
    void AddToLog(const QString& aText, TDateTime aTime) override
    {
        FOut.LogLine(FormatLogTime(aTime) + QStringLiteral(" ") + aText);
    }

private:
    const TCheckOptions& FOptions;
    const TProxies& FProxies;
    TResultsTable& FTable;
    TConsoleOutput& FOut;
    int FMaximum = -1;
};



void LoadProxies(TProxies& aProxies, const TCheckOptions& aOptions, TConsoleOutput& aOut)
{
    const QString fileName =
        aOptions.ProxiesFile.isEmpty() ? BesideExecutable("proxies.json") : aOptions.ProxiesFile;
    RequireReadableFile(fileName, "proxy list file");
    if (!aProxies.LoadFromFile(fileName))
        throw TBadInput(Tr("not a valid proxy list file: %1").arg(fileName));
    if (aProxies.Count() == 0)
        aOut.Message(Tr("the proxy list is empty: pages are fetched directly"));
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
        out.Message(Tr("--user-agent is empty: the default is sent (%1)").arg(TPageWorker::DefaultUserAgent()));

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
    TConsoleDialogs dialogs(out);
    TConsoleImportView importView(out);
    TUrlImporter importer(urls, table, importView, dialogs);
    TRequestPacer pacer(aOptions.Delay);
    if (!ImportUrlSource(importer, dialogs, aOptions.UrlsFile, TCodePage::SystemDefault(),
                         PacedSitemapFetch(aOptions.UserAgent, pacer)))
        throw TBadInput(Tr("the URLs were not imported: %1").arg(aOptions.UrlsFile));
    if (urls.Count() == 0)
        throw TBadInput(Tr("no URL to check in %1").arg(aOptions.UrlsFile));
    pacer.WaitForNextStart();

    QElapsedTimer elapsed;
    elapsed.start();
    TConsoleRunView view(aOptions, proxies, table, out);
    TRunController controller(urls, [ruleSet] { return ruleSet; }, view, dialogs);
    TInterruptSignal interrupt([&controller] { controller.Cancel(); });
    if (!controller.Run(TRunMode::rmAllURLs))
        return ecUsage;
    if (controller.IsRunning())
        view.Loop.exec();
    controller.WaitForWorkers();
    // the duration line is posted at the very end of the run
    QCoreApplication::sendPostedEvents(controller.Receiver());

    const int finished = interrupt.Received() ? KeepFinishedRows(table, urls) : urls.Count();
    const QString place = aOptions.OutFile.isEmpty() ? Tr("standard output") : aOptions.OutFile;
    QString error;
    if (!WriteReport(aOptions.OutFile, aIo.Out, CsvReportBytes(table, encoding.CodePage, encoding.ByteOrderMark),
                     error)) {
        out.Message(Tr("tollmarsh-cli check: the report cannot be written to %1: %2").arg(place, error));
        return ecWriteFailed;
    }
    if (interrupt.Received()) {
        out.Message(Tr("interrupted: the report in %1 holds the %2 of %3 URLs that finished")
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
    ApplyCliLanguage(LangOption(aArgs));
    TCheckOptions options;
    QString error;
    if (!ParseCheckOptions(aArgs, options, error)) {
        WriteLine(aIo.Err, Tr("tollmarsh-cli check: %1\nTry 'tollmarsh-cli check --help'.").arg(error));
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
