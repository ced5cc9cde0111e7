#include "cli/check/CheckCommand.h"

#include "cli/check/CheckOptions.h"
#include "cli/check/ConsoleOutput.h"
#include "cli/check/InterruptSignal.h"
#include "cli/check/UrlSource.h"
#include "core/RuleSets.h"
#include "core/RunModel.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "engine/RunController.h"
#include "proxies/Proxies.h"
#include "ui/model/CsvReport.h"
#include "ui/model/ResultsTable.h"
#include "ui/model/RuleValidity.h"
#include "ui/model/UrlImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

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
        settings.HideURLsWithoutResults = FOptions.HideURLsWithoutResults;
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

// The language of the program's texts: Russian in a Russian locale, English otherwise.
QString LanguageOfEnvironment()
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value.startsWith("ru") ? QStringLiteral("ru") : QStringLiteral("en");
    }
    return QStringLiteral("en");
}

class TBadInput {
public:
    explicit TBadInput(QString aText) : Text(std::move(aText)) {}
    QString Text;
};

void RequireReadableFile(const QString& aFileName, const char* aWhat)
{
    const QFileInfo info(aFileName);
    if (!info.exists())
        throw TBadInput(QStringLiteral("%1 not found: %2").arg(aWhat, aFileName));
    if (!info.isFile() || !info.isReadable())
        throw TBadInput(QStringLiteral("%1 cannot be read: %2").arg(aWhat, aFileName));
}

const TScrapRuleSet& ChooseRuleSet(const TScrapRuleSets& aSets, const TCheckOptions& aOptions,
                                   const QString& aFileName)
{
    if (aSets.Count() == 0)
        throw TBadInput(QStringLiteral("the rule-set file holds no rule set: %1").arg(aFileName));
    const TScrapRuleSet* set = aOptions.SetName.isEmpty() ? aSets.At(0) : aSets.GetByName(aOptions.SetName);
    if (!set) {
        QStringList names;
        for (int i = 0; i < aSets.Count(); ++i)
            names << QStringLiteral("\"%1\"").arg(aSets.At(i)->Name);
        throw TBadInput(QStringLiteral("no rule set named \"%1\" in %2 (sets: %3)")
                            .arg(aOptions.SetName, aFileName, names.join(", ")));
    }
    if (set->Count() == 0)
        throw TBadInput(QStringLiteral("the rule set \"%1\" has no rules").arg(set->Name));
    QString problem;
    const int invalid = FirstInvalidRule(*set, &problem);
    if (invalid >= 0) {
        const TScrapRule& rule = *set->Rule(invalid);
        QString text = QStringLiteral("rule %1 \"%2\" of the set \"%3\": %4")
                           .arg(invalid + 1)
                           .arg(rule.Name, set->Name, Tr(problem));
        const QString detail = RuleProblemDetail(rule);
        if (!detail.isEmpty())
            text += QStringLiteral(" (%1)").arg(detail);
        throw TBadInput(text);
    }
    return *set;
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

bool WriteReport(const TResultsTable& aTable, const QString& aOutFile, QIODevice& aOut)
{
    const TCodePage codePage = TCodePage::SystemDefault();
    if (!aOutFile.isEmpty())
        return WriteCsvReport(aOutFile, aTable, codePage);
    const QByteArray bytes = CsvReportBytes(aTable, codePage);
    return aOut.write(bytes) == bytes.size();
}

int RunChecked(const TCheckOptions& aOptions, TCliIo& aIo)
{
    InitTranslation(BesideExecutable("locale"));
    SetTranslationLanguage(LanguageOfEnvironment());
    TConsoleOutput out(aIo.Err, aOptions.Verbose, IsTerminalStderr(aIo.Err));

    RequireReadableFile(aOptions.UrlsFile, "URL file");
    const QString rulesFile =
        aOptions.RulesFile.isEmpty() ? BesideExecutable("Tollmarsh.json") : aOptions.RulesFile;
    RequireReadableFile(rulesFile, "rule-set file");
    TScrapRuleSets sets;
    if (!sets.LoadFromFile(rulesFile))
        throw TBadInput(QStringLiteral("not a valid rule-set file: %1").arg(rulesFile));
    const TScrapRuleSet& ruleSet = ChooseRuleSet(sets, aOptions, rulesFile);

    TProxies proxies;
    if (aOptions.UseProxies)
        LoadProxies(proxies, aOptions, out);

    TURLTaskInfoList urls;
    TResultsTable table(urls);
    TConsoleImportView importView(out);
    TUrlImporter importer(urls, table, importView);
    if (!ImportUrlFile(importer, aOptions.UrlsFile, TCodePage::SystemDefault()))
        throw TBadInput(QStringLiteral("the URL file was not imported: %1").arg(aOptions.UrlsFile));
    if (urls.Count() == 0)
        throw TBadInput(QStringLiteral("no URL to check in %1").arg(aOptions.UrlsFile));

    const TCurlGlobalGuard curlGlobal;  // before any worker thread starts
    TConsoleRunView view(aOptions, proxies, table, out);
    TRunController controller(urls, [&ruleSet] { return &ruleSet; }, view);
    TInterruptSignal interrupt([&controller] { controller.Cancel(); });
    if (!controller.Run(TRunMode::rmAllURLs))
        return ceBadInput;
    if (controller.IsRunning())
        view.Loop.exec();
    controller.WaitForWorkers();
    // the duration line is posted at the very end of the run
    QCoreApplication::sendPostedEvents(controller.Receiver());

    if (interrupt.Received())
        return ceCancelled;
    if (!WriteReport(table, aOptions.OutFile, aIo.Out)) {
        out.Message(Tr("Невозможно создать файл экспорта!") + QStringLiteral(" ") + aOptions.OutFile);
        return ceBadInput;
    }
    return AnyFailedURL(urls) ? ceCompletedWithFailures : ceCompleted;
}

}  // namespace

int RunCheckCommand(const QStringList& aArgs, TCliIo& aIo)
{
    TCheckOptions options;
    QString error;
    if (!ParseCheckOptions(aArgs, options, error)) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli check: %1\nTry 'tollmarsh-cli check --help'.").arg(error));
        return ceBadInput;
    }
    if (options.Help) {
        WriteText(aIo.Out, CheckUsageText());
        return ceCompleted;
    }
    try {
        return RunChecked(options, aIo);
    } catch (const TBadInput& bad) {
        WriteLine(aIo.Err, QStringLiteral("tollmarsh-cli check: %1").arg(bad.Text));
        return ceBadInput;
    }
}
