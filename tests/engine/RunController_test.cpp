// The run controller with scripted workers: dispatching, finishing, the three
// run modes, cancelling and the end-of-run columns.

#include "ControllerFixture.h"

#include <QDateTime>

namespace {

const QString Started = QStringLiteral("Проверка запущена");
const QString Cancelling = QStringLiteral("Отмена проверки...");

TDateTime Noon()
{
    return QDateTime(QDate(2026, 3, 14), QTime(12, 0)).toMSecsSinceEpoch();
}

class EngineRunController : public ::testing::Test {
protected:
    EngineRunController()
    {
        View.Current.MaxThreads = 5;
        View.Current.UserAgent = QStringLiteral("UA-1");
        Rules = RulesNamed({"Title", "H1"});
    }

    TRunController& Controller()
    {
        if (!FController)
            FController = std::make_unique<TRunController>(
                URLs, [this] { return Rules.get(); }, View, Dialogs, Workers.Launcher(), Clock);
        return *FController;
    }

    // Runs in the given mode and lets every started worker end at once with the
    // outcome of aOutcomes (trOk by default) and the values of aValues.
    void RunToEnd(TRunMode aMode, const std::map<int, TURLTaskResult>& aOutcomes = {},
                  const std::map<int, TPageValues>& aValues = {})
    {
        size_t finished = Workers.Launches.size();
        ASSERT_TRUE(Controller().Run(aMode));
        while (finished < Workers.Launches.size()) {
            const int num = Workers.Launches[finished++].Num;
            const auto outcome = aOutcomes.find(num);
            const auto values = aValues.find(num);
            const TURLTaskResult result = outcome == aOutcomes.end() ? trOk : outcome->second;
            Workers.Finish(num, result, result == trHTTPError ? 404 : 0,
                           values == aValues.end() ? TPageValues{} : values->second);
            Deliver();
        }
        ASSERT_FALSE(Controller().IsRunning());
    }

    const TURLTaskResults* ResultsOf(int aNum) const { return URLs.GetByNum(aNum)->TaskResults.get(); }

    TManualClock Clock{Noon()};
    TURLTaskInfoList URLs;
    std::unique_ptr<TScrapRuleSet> Rules;
    TFakeRunView View;
    TRecordingDialogs Dialogs;
    TScriptedWorkers Workers;
    std::unique_ptr<TRunController> FController;
};

QStringList Texts(std::initializer_list<const char*> aTexts)
{
    QStringList list;
    for (const char* text : aTexts)
        list.append(QString::fromUtf8(text));
    return list;
}

}  // namespace

// ---- dispatching ----

// Three URLs, limit 5: one worker with the command, one more per message, the
// URLs in list order, the run ends after the third finished task.
TEST_F(EngineRunController, StartsOneWorkerPerMessageInListOrder)
{
    FillURLs(URLs, 3);
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{1}));
    EXPECT_EQ(View.RunStates, (std::vector<bool>{true}));
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{0, 3}));
    ASSERT_EQ(View.Log.size(), 1u);
    EXPECT_EQ(View.Log[0].Text, Started);
    EXPECT_EQ(View.Log[0].Time, Noon());
    EXPECT_EQ(Controller().State().ActiveThreadCount.load(), 1);
    ASSERT_NE(Controller().State().TaskPool.load(), nullptr);

    TScriptedWorkers::RequestSent();  // worker 1 sends
    Deliver();
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{1, 2}));
    TScriptedWorkers::RequestSent();  // worker 2 sends
    Deliver();
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{1, 2, 3}));
    TScriptedWorkers::RequestSent();  // nothing left to start
    Deliver();
    EXPECT_EQ(Workers.Launches.size(), 3u);

    Workers.Finish(2, trOk);
    Workers.Finish(1, trOk);
    Deliver();
    EXPECT_TRUE(Controller().IsRunning());
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{2, 3}));
    Workers.Finish(3, trOk);
    Deliver();

    EXPECT_FALSE(Controller().IsRunning());
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{3, 3}));
    EXPECT_EQ(View.ProgressHidden, std::optional<bool>(true));
    EXPECT_EQ(View.RunStates, (std::vector<bool>{true, false}));
    // All rows when the old results go, each finished row alone, all rows at the end.
    EXPECT_EQ(View.ResultsChangedNums,
              (std::vector<int>{IRunView::AllEntries, 2, 1, 3, IRunView::AllEntries}));
    EXPECT_EQ(Controller().State().ActiveThreadCount.load(), 0);
    EXPECT_EQ(Controller().State().TaskPool.load(), nullptr);
    EXPECT_EQ(View.ExportEnabled, std::optional<bool>(true));
    for (int num = 1; num <= 3; ++num) {
        ASSERT_NE(ResultsOf(num), nullptr);
        EXPECT_EQ(ResultsOf(num)->TaskResult, trOk);
    }
}

TEST_F(EngineRunController, ThreadLimitOneStartsTheNextOnlyWhenOneEnds)
{
    FillURLs(URLs, 2);
    View.Current.MaxThreads = 1;
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    TScriptedWorkers::RequestSent();
    Deliver();
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{1}));  // at the limit
    Workers.Finish(1, trOk);
    Deliver();
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{1, 2}));

    View.Current.MaxThreads = 0;  // a limit below 1 still lets one run
    Workers.Finish(2, trOk);
    Deliver();
    EXPECT_FALSE(Controller().IsRunning());
}

// A worker's count must not let the run end while its finished task still
// waits in the queue behind another worker's messages.
TEST_F(EngineRunController, RunEndsOnlyAfterEveryFinishedTaskIsHandled)
{
    FillURLs(URLs, 2);
    bool allInstalledAtEnd = false;
    View.OnIdle = [this, &allInstalledAtEnd] { allInstalledAtEnd = ResultsOf(1) && ResultsOf(2); };
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    TScriptedWorkers::RequestSent();
    Deliver();
    ASSERT_EQ(Workers.Launches.size(), 2u);

    // Queue: worker 1 ends, then worker 2 ends; worker 1's last WM_NEXT_TASK is
    // handled while worker 2's finished task is still queued behind it.
    Workers.Finish(1, trOk, 0, {{1, Texts({"a"})}});
    Workers.Finish(2, trOk, 0, {{1, Texts({"b", "c"})}});
    Deliver();

    EXPECT_FALSE(Controller().IsRunning());
    EXPECT_TRUE(allInstalledAtEnd);
    EXPECT_EQ(Controller().ResultColumnCaptions(), Texts({"Title #1", "Title #2"}));
}

TEST_F(EngineRunController, UserAgentAndProxyAreReadForEveryWorker)
{
    FillURLs(URLs, 2);
    View.Current.UseProxies = true;
    View.Current.UniqueResults = false;
    EXPECT_EQ(Controller().CurrentUserAgent(), QString());
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    View.Current.UserAgent = QStringLiteral("UA-2");
    View.Current.UseProxies = false;
    TScriptedWorkers::RequestSent();
    Deliver();

    ASSERT_EQ(Workers.Launches.size(), 2u);
    EXPECT_EQ(Workers.Launches[0].UserAgent, QStringLiteral("UA-1"));
    EXPECT_EQ(Workers.Launches[0].Proxy, &View.Proxy);
    EXPECT_FALSE(Workers.Launches[0].UniqueResults);
    EXPECT_EQ(Workers.Launches[1].UserAgent, QStringLiteral("UA-2"));
    EXPECT_EQ(Workers.Launches[1].Proxy, nullptr);
    EXPECT_EQ(View.RandomProxyCalls, 1);
    EXPECT_EQ(Controller().CurrentUserAgent(), QStringLiteral("UA-1"));  // captured at the start
}

// ---- end of the run ----

TEST_F(EngineRunController, ResultColumnsFollowTheLargestCountPerRule)
{
    FillURLs(URLs, 3);
    RunToEnd(TRunMode::rmAllURLs, {{3, trHTTPError}},
             {{1, {{1, Texts({"One", "Two"})}}},
              {2, {{1, Texts({"Only"})}, {2, Texts({})}}},  // H1: an empty list
              {3, {{1, Texts({"x", "y", "z"})}}}});         // ignored: not trOk

    const QStringList captions = Texts({"Title #1", "Title #2"});
    EXPECT_EQ(Controller().ResultColumnCaptions(), captions);
    EXPECT_EQ(Controller().ResultColumnCount(), 2);
    ASSERT_EQ(View.ColumnSets.size(), 1u);  // one bulk update
    EXPECT_EQ(View.ColumnSets[0], captions);
    EXPECT_EQ(ResultsOf(1)->CellTextList, Texts({"One", "Two"}));
    EXPECT_EQ(ResultsOf(2)->CellTextList, Texts({"Only", ""}));
    EXPECT_TRUE(ResultsOf(3)->CellTextList.isEmpty());
    EXPECT_EQ(ResultsOf(3)->ErrorText(), QStringLiteral("404"));
}

// Columns come from the rule set as it is when the run ends, matched by position;
// a name is never read as a format.
TEST_F(EngineRunController, ColumnsUseTheRuleNamesAtTheEnd)
{
    FillURLs(URLs, 1);
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    Rules->Rule(0)->Name = QStringLiteral("Цена %1 %s");
    Rules->Rule(1)->Name = QStringLiteral("Заголовок");
    Workers.Finish(1, trOk, 0, {{1, Texts({"10"})}, {2, Texts({"h", "i"})}});
    Deliver();
    EXPECT_EQ(Controller().ResultColumnCaptions(),
              Texts({"Цена %1 %s #1", "Заголовок #1", "Заголовок #2"}));
    EXPECT_EQ(ResultsOf(1)->CellTextList, Texts({"10", "h", "i"}));
}

TEST_F(EngineRunController, DurationLineCountsWholeSeconds)
{
    FillURLs(URLs, 1);
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    Clock.Advance(61900);
    Workers.Finish(1, trOk);
    Deliver();
    ASSERT_FALSE(View.Log.empty());
    EXPECT_EQ(View.Log.back().Text, QStringLiteral("Проверка завершена за 61 сек."));
    EXPECT_EQ(View.Log.back().Time, Noon() + 61900);
}

TEST_F(EngineRunController, HidingURLsWithoutResultsIsAskedAtTheEnd)
{
    FillURLs(URLs, 1);
    RunToEnd(TRunMode::rmAllURLs);
    EXPECT_EQ(View.RemoveWithoutResultsCalls, 0);
    View.Current.HideURLsWithoutResults = true;
    RunToEnd(TRunMode::rmAllURLs);
    EXPECT_EQ(View.RemoveWithoutResultsCalls, 1);
}

// ---- run modes ----

TEST_F(EngineRunController, ErrorRecheckFetchesOnlyFailedURLsAndKeepsTheRest)
{
    FillURLs(URLs, 3);
    RunToEnd(TRunMode::rmAllURLs, {{2, trHTTPError}},
             {{1, {{1, Texts({"a"})}}}, {3, {{1, Texts({"c"})}}}});
    EXPECT_EQ(Controller().GetErrorURLNums(), (std::vector<int>{2}));

    Workers.Launches.clear();
    RunToEnd(TRunMode::rmErrorURLs, {}, {{2, {{1, Texts({"b1", "b2"})}}}});
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{2}));
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{1, 1}));
    EXPECT_TRUE(Controller().GetErrorURLNums().empty());
    EXPECT_EQ(Controller().ResultColumnCaptions(), Texts({"Title #1", "Title #2"}));
    // Every trOk entry holds one text per column, also those of the earlier run.
    EXPECT_EQ(ResultsOf(1)->CellTextList, Texts({"a", ""}));
    EXPECT_EQ(ResultsOf(2)->CellTextList, Texts({"b1", "b2"}));
    EXPECT_EQ(ResultsOf(3)->CellTextList, Texts({"c", ""}));
}

TEST_F(EngineRunController, SelectedRunDropsEveryOtherResult)
{
    FillURLs(URLs, 4);
    RunToEnd(TRunMode::rmAllURLs);
    Workers.Launches.clear();
    View.Selected = {4, 2};  // display order
    RunToEnd(TRunMode::rmSelectedURLs);
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{2, 4}));  // list order
    EXPECT_EQ(ResultsOf(1), nullptr);
    EXPECT_EQ(ResultsOf(3), nullptr);
    EXPECT_NE(ResultsOf(2), nullptr);
    EXPECT_NE(ResultsOf(4), nullptr);
}

TEST_F(EngineRunController, GetErrorURLNumsSkipsOkAndUnfetchedEntries)
{
    FillURLs(URLs, 5);
    const std::pair<int, TURLTaskResult> outcomes[] = {
        {1, trOk}, {2, trSendError}, {4, trSearchError}, {5, trAborted}};
    for (const auto& [num, result] : outcomes) {
        URLs.GetByNum(num)->InitResults();
        URLs.GetByNum(num)->TaskResults->TaskResult = result;
    }
    EXPECT_EQ(Controller().GetErrorURLNums(), (std::vector<int>{2, 4, 5}));
}

// Nothing to run: the earlier steps have taken effect, nothing is reported, and
// no run is left half started.
struct TNoRunCase {
    const char* Name;
    TRunMode Mode;
    bool RulesValid;
    int URLCount;
    bool ResultsKept;
    bool ErrorShown;
};

class EngineRunControllerNoRun : public EngineRunController,
                                 public ::testing::WithParamInterface<TNoRunCase> {};

TEST_P(EngineRunControllerNoRun, StartsNothing)
{
    FillURLs(URLs, GetParam().URLCount);
    for (int i = 0; i < URLs.Count(); ++i) {
        URLs.At(i)->InitResults();
        URLs.At(i)->TaskResults->TaskResult = trOk;
    }
    View.RulesValid = GetParam().RulesValid;
    View.Selected = {};

    EXPECT_FALSE(Controller().Run(GetParam().Mode));
    EXPECT_FALSE(Controller().IsRunning());
    EXPECT_TRUE(Workers.Launches.empty());
    EXPECT_TRUE(View.RunStates.empty());
    EXPECT_EQ(Controller().State().TaskPool.load(), nullptr);
    const QStringList errors = Dialogs.Texts(TRecordingDialogs::TKind::Error);
    EXPECT_EQ(errors.size(), GetParam().ErrorShown ? 1 : 0);
    if (GetParam().ErrorShown) {
        EXPECT_EQ(errors[0], QStringLiteral("Не удалось запустить первое задание, внутренняя ошибка"));
    }
    EXPECT_EQ(Dialogs.Calls.size(), size_t(errors.size()));
    for (int i = 0; i < URLs.Count(); ++i)
        EXPECT_EQ(URLs.At(i)->TaskResults != nullptr, GetParam().ResultsKept);

    TScriptedWorkers::RequestSent();  // a stray message finishes nothing
    Deliver();
    EXPECT_TRUE(View.ColumnSets.empty());
    EXPECT_FALSE(View.ExportEnabled.has_value());
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineRunControllerNoRun, ::testing::Values(
    TNoRunCase{"InvalidRules", TRunMode::rmAllURLs, false, 2, true, false},
    TNoRunCase{"NothingSelected", TRunMode::rmSelectedURLs, true, 2, false, false},
    TNoRunCase{"NoErrors", TRunMode::rmErrorURLs, true, 2, true, false},
    TNoRunCase{"EmptyList", TRunMode::rmAllURLs, true, 0, true, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(EngineRunController, RunCommandIsRefusedWhileARunIsActive)
{
    FillURLs(URLs, 2);
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    EXPECT_FALSE(Controller().Run(TRunMode::rmAllURLs));
    EXPECT_EQ(Workers.Launches.size(), 1u);
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{0, 2}));
}

// ---- cancelling ----

TEST_F(EngineRunController, CancelStartsNoMoreWorkersAndFreesTheRest)
{
    FillURLs(URLs, 100);
    View.Current.MaxThreads = 3;
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    TScriptedWorkers::RequestSent();
    TScriptedWorkers::RequestSent();
    Deliver();
    ASSERT_EQ(Workers.Launches.size(), 3u);

    Controller().Cancel();
    EXPECT_EQ(View.CancelEnabled, std::optional<bool>(false));
    EXPECT_TRUE(View.Logged(Cancelling));
    EXPECT_TRUE(Controller().State().AbortRequested.load());
    TScriptedWorkers::RequestSent();
    Deliver();
    EXPECT_EQ(Workers.Launches.size(), 3u);

    Workers.Abort(1);
    Workers.Finish(2, trSendError);  // its transfer failed meanwhile
    Deliver();
    EXPECT_TRUE(Controller().IsRunning());
    Workers.Abort(3);
    Deliver();

    EXPECT_FALSE(Controller().IsRunning());
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{3, 100}));
    EXPECT_EQ(ResultsOf(1), nullptr);  // aborted tasks are discarded
    ASSERT_NE(ResultsOf(2), nullptr);
    EXPECT_EQ(ResultsOf(2)->TaskResult, trSendError);
    EXPECT_EQ(ResultsOf(4), nullptr);  // never ran
    EXPECT_FALSE(View.ExportEnabled.has_value());
    EXPECT_FALSE(Controller().State().AbortRequested.load());
    EXPECT_EQ(View.Log.back().Text, QStringLiteral("Проверка завершена за 0 сек."));
}

TEST_F(EngineRunController, CancelOutsideARunDoesNothing)
{
    FillURLs(URLs, 1);
    Controller().Cancel();
    EXPECT_FALSE(Controller().State().AbortRequested.load());
    EXPECT_TRUE(View.Log.empty());
    RunToEnd(TRunMode::rmAllURLs);  // the next run is not cancelled by it
    EXPECT_EQ(View.ExportEnabled, std::optional<bool>(true));
}

// An aborted task on a re-check keeps the entry's earlier results.
TEST_F(EngineRunController, AbortedRecheckKeepsEarlierResults)
{
    FillURLs(URLs, 1);
    RunToEnd(TRunMode::rmAllURLs, {{1, trHTTPError}});
    ASSERT_TRUE(Controller().Run(TRunMode::rmErrorURLs));
    Controller().Cancel();
    Workers.Abort(1);
    Deliver();
    EXPECT_FALSE(Controller().IsRunning());
    ASSERT_NE(ResultsOf(1), nullptr);
    EXPECT_EQ(ResultsOf(1)->TaskResult, trHTTPError);
}

// ---- messages ----

TEST_F(EngineRunController, ReceiverPassesLogLinesAndPanelMessagesOn)
{
    EXPECT_EQ(MessageReceiver(), Controller().Receiver());
    int panel = 0;
    PostLogMessage(QStringLiteral("URL 1: задача начата"), Clock);
    PostPlainMessage(WM_TEST_RULE, &panel);
    PostTaskFinished(nullptr);  // ignored
    Deliver();
    ASSERT_EQ(View.Log.size(), 1u);
    EXPECT_EQ(View.Log[0].Text, QStringLiteral("URL 1: задача начата"));
    EXPECT_EQ(View.Log[0].Time, Noon());
    ASSERT_EQ(View.Others.size(), 1u);
    EXPECT_EQ(View.Others[0], (std::pair<int, void*>{WM_TEST_RULE, &panel}));

    FController.reset();
    EXPECT_EQ(MessageReceiver(), nullptr);
}

TEST_F(EngineRunController, WorkerThatCannotStartIsCountedAndTheRunGoesOn)
{
    FillURLs(URLs, 2);
    Workers.FailNext = true;
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    EXPECT_TRUE(Workers.Launches.empty());
    Deliver();  // the controller asked for the next task itself
    EXPECT_EQ(Workers.LaunchedNums(), (std::vector<int>{2}));
    Workers.Finish(2, trOk);
    Deliver();
    EXPECT_FALSE(Controller().IsRunning());
    EXPECT_EQ(View.LastProgress, (std::pair<int, int>{2, 2}));
    EXPECT_EQ(ResultsOf(1), nullptr);
}

// Destroying the controller mid-run frees the pool and every queued finished
// task (the sanitizer build's leak check proves the frees).
TEST_F(EngineRunController, DestroyedMidRunFreesQueuedTasks)
{
    FillURLs(URLs, 5);
    ASSERT_TRUE(Controller().Run(TRunMode::rmAllURLs));
    TScriptedWorkers::RequestSent();
    Deliver();
    Workers.Finish(1, trOk);  // queued, never handled
    FController.reset();
    EXPECT_EQ(MessageReceiver(), nullptr);
    Deliver();
    EXPECT_EQ(ResultsOf(1), nullptr);
}
