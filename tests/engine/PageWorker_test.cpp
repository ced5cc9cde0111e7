#include "WorkerFixture.h"
#include "sandbox/HelperPool.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

TCurlGlobalGuard CurlGlobal;

// Windows-1251 bytes of a text of ASCII and Russian letters.
std::string Cp1251(const QString& aText)
{
    std::string out;
    for (const QChar c : aText) {
        const ushort u = c.unicode();
        if (u < 0x80)
            out += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            out += char(0xC0 + (u - 0x0410));
        else if (u == 0x0401)
            out += char(0xA8);
        else if (u == 0x0451)
            out += char(0xB8);
        else
            out += '?';
    }
    return out;
}

std::unique_ptr<TScrapRuleSet> Rules(std::initializer_list<QString> aPatterns)
{
    auto set = std::make_unique<TScrapRuleSet>();
    for (const QString& p : aPatterns)
        set->Add(RegExRule(p));
    return set;
}

const char* const kPage = "<html><head><title>T</title></head><body>"
                          "<h1>One</h1><h1>Two</h1><h1>two</h1></body></html>";

}  // namespace

TEST_F(WorkerTest, StatusDecidesOutcomeAndLogLines)
{
    Server.Respond("/ok", 200, kPage);
    Server.Respond("/missing", 404, kPage);
    Server.Respond("/broken", 500, kPage);
    Server.Redirect("/moved", "/ok", 301);

    const struct {
        const char* Path;
        TURLTaskResult Result;
        int ErrorCode;
        QStringList Logs;
    } cases[] = {
        {"/ok", trOk, 0,
         {"URL 1: задача начата", "URL 1: получение страницы", "URL 1: страница загружена, идет анализ",
          "URL 1: анализ завершен"}},
        {"/moved", trOk, 0,
         {"URL 1: задача начата", "URL 1: получение страницы", "URL 1: страница загружена, идет анализ",
          "URL 1: анализ завершен"}},
        {"/missing", trHTTPError, 404,
         {"URL 1: задача начата", "URL 1: получение страницы",
          "URL 1: ОШИБКА получения страницы, код ошибки HTML: 404"}},
        {"/broken", trHTTPError, 500,
         {"URL 1: задача начата", "URL 1: получение страницы",
          "URL 1: ОШИБКА получения страницы, код ошибки HTML: 500"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        Sink.Logs.clear();
        Sink.Order.clear();
        Sink.Finished.clear();
        UsePool(1500);  // a fresh pool: the first request starts at once
        TURLTaskInfo& task = RunOne(Server.Url(c.Path), Rules({QStringLiteral("<h1>[^<]*</h1>")}));
        ASSERT_TRUE(task.TaskResults);
        EXPECT_EQ(task.TaskResults->TaskResult, c.Result);
        EXPECT_EQ(task.TaskResults->ErrorCode, c.ErrorCode);
        EXPECT_EQ(Sink.Logs, c.Logs);
        // Only a page that answered 200 is analysed.
        EXPECT_EQ(task.TaskResults->RulesResult.CountForRuleNum(1), c.Result == trOk ? 3 : 0);
        // Request sent, then the finished task, then the last next-task.
        std::vector<int> tail(Sink.Order.end() - 2, Sink.Order.end());
        EXPECT_EQ(tail, (std::vector<int>{WM_TASK_FINISHED, WM_NEXT_TASK}));
        EXPECT_EQ(Sink.NextTasks % 2, 0);  // two per worker that sent its request
    }
}

TEST_F(WorkerTest, RulesAreAppliedInOrderAndAFailingRuleStopsTheAnalysis)
{
    Server.Respond("/ok", 200, kPage);
    // Rule 2 does not compile, so rule 3 is never applied.
    TURLTaskInfo& task = RunOne(Server.Url("/ok"),
                                Rules({QStringLiteral("<title>[^<]*</title>"), QStringLiteral("(unclosed"),
                                       QStringLiteral("<h1>[^<]*</h1>")}));
    const TURLTaskResults& r = *task.TaskResults;
    EXPECT_EQ(r.TaskResult, trSearchError);
    EXPECT_EQ(r.ErrorCode, -1);
    EXPECT_EQ(r.ErrorText(), QStringLiteral("0"));
    ASSERT_NE(r.RulesResult.GetByRuleNum(1), nullptr);
    EXPECT_EQ(r.RulesResult.GetByRuleNum(1)->Values(), QStringList{"<title>T</title>"});
    EXPECT_EQ(r.RulesResult.CountForRuleNum(3), 0);
    EXPECT_EQ(r.RulesResult.Count(), 1);
    ASSERT_GE(Sink.Logs.size(), 2);
    EXPECT_EQ(Sink.Logs.mid(Sink.Logs.size() - 2),
              (QStringList{"URL 1: ОШИБКА анализа страницы, правило #2", "URL 1: анализ завершен"}));
}

TEST_F(WorkerTest, RuleWithoutMatchesLeavesNoEntryAndTotalsAddUp)
{
    Server.Respond("/ok", 200, kPage);
    TURLTaskInfo& task = RunOne(Server.Url("/ok"),
                                Rules({QStringLiteral("<h1>[^<]*</h1>"), QStringLiteral("nothing-like-this"),
                                       QStringLiteral("<title>[^<]*</title>")}));
    const TURLTaskResults& r = *task.TaskResults;
    EXPECT_EQ(r.TaskResult, trOk);
    EXPECT_EQ(r.RulesResult.CountForRuleNum(1), 3);
    EXPECT_EQ(r.RulesResult.GetByRuleNum(2), nullptr);
    EXPECT_EQ(r.RulesResult.CountForRuleNum(3), 1);
    EXPECT_EQ(r.RulesResult.TotalCount, 4);
}

TEST_F(WorkerTest, Windows1251PageIsDecodedByItsMetaCharset)
{
    const QString html = QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
        "</head><body><h1>Привет, мир</h1><p>Ёлка</p></body></html>");
    Server.Respond("/ru", 200, Cp1251(html), "text/html");
    TURLTaskInfo& task = RunOne(Server.Url("/ru"), Rules({QStringLiteral("Привет, [а-я]+"), QStringLiteral("Ёлк[а-я]")}));
    const TURLTaskResults& r = *task.TaskResults;
    EXPECT_EQ(r.TaskResult, trOk);
    ASSERT_NE(r.RulesResult.GetByRuleNum(1), nullptr);
    EXPECT_EQ(r.RulesResult.GetByRuleNum(1)->Values(), QStringList{QStringLiteral("Привет, мир")});
    ASSERT_NE(r.RulesResult.GetByRuleNum(2), nullptr);
    EXPECT_EQ(r.RulesResult.GetByRuleNum(2)->Values(), QStringList{QStringLiteral("Ёлка")});
}

TEST_F(WorkerTest, UserAgentIsTheGivenTextOrTheDefault)
{
    Server.Respond("/ok", 200, kPage);
    RunOne(Server.Url("/ok"));
    UsePool(1500);
    StartWorker(MakeTask(Server.Url("/ok"), 2), QStringLiteral("Мой агент"));
    ASSERT_TRUE(WaitFinished(2));
    const auto requests = Server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("User-Agent"), TPageWorker::DefaultUserAgent().toStdString());
    EXPECT_EQ(requests[1].Header("User-Agent"), QStringLiteral("Мой агент").toStdString());
}

TEST_F(WorkerTest, TransferFailuresAreSendErrorsWithTheirReason)
{
    Server.Stall("/stall");
    TPageWorkerOptions quick;
    quick.Transfer.StallSeconds = 1;

    const struct {
        const char* Name;
        std::string Url;
        QString Text;
    } cases[] = {
        {"unreachable port", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/",
         QString::fromUtf8(curl_easy_strerror(CURLE_COULDNT_CONNECT))},
        {"stalled response", Server.Url("/stall"), StallLimitMessage(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Sink.Logs.clear();
        Sink.Finished.clear();
        UsePool(1500);
        const auto started = std::chrono::steady_clock::now();
        TURLTaskInfo& task = RunOne(c.Url, nullptr, nullptr, quick);
        const auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(task.TaskResults->TaskResult, trSendError);
        EXPECT_EQ(task.TaskResults->ErrorText(), QStringLiteral("SEND ERROR"));
        EXPECT_TRUE(Sink.Logs.contains(QStringLiteral("URL 1: ОШИБКА отправки запроса: ") + c.Text))
            << Sink.Logs.join('\n').toStdString();
        EXPECT_LT(elapsed, std::chrono::seconds(5));
    }
}

TEST_F(WorkerTest, OversizedBodyIsASendError)
{
    TPageWorkerOptions small;
    small.Transfer.MaxBodyBytes = 512 * 1024;
    Server.Stream("/huge", 8 * small.Transfer.MaxBodyBytes, true);
    TURLTaskInfo& task = RunOne(Server.Url("/huge"), Rules({QStringLiteral("x+")}), nullptr, small);
    EXPECT_EQ(task.TaskResults->TaskResult, trSendError);
    EXPECT_EQ(task.TaskResults->RulesResult.Count(), 0);
    EXPECT_TRUE(Sink.Logs.contains(QStringLiteral("URL 1: ОШИБКА отправки запроса: ")
                                   + BodyTooLargeMessage(small.Transfer.MaxBodyBytes)))
        << Sink.Logs.join('\n').toStdString();
}

TEST_F(WorkerTest, FailureOutsideTheTransferStillEndsTheTask)
{
    // No pool: the worker cannot pace its request.
    State.TaskPool = nullptr;
    TURLTaskInfo& task = RunOne(Server.Url("/ok"));
    EXPECT_EQ(task.TaskResults->TaskResult, trSendError);
    EXPECT_EQ(Server.RequestCount(), 0u);
    EXPECT_EQ(Sink.Logs.size(), 2);
    EXPECT_TRUE(Sink.Logs.last().startsWith(QStringLiteral("URL 1: ОШИБКА отправки запроса: ")));
    EXPECT_EQ(Sink.Order, (std::vector<int>{WM_LOG_LINE, WM_LOG_LINE, WM_TASK_FINISHED, WM_NEXT_TASK}));
}

TEST_F(WorkerTest, CountIsLeftToTheReceiverOfTheFinishedTask)
{
    Server.Respond("/ok", 200, kPage);
    StartWorker(MakeTask(Server.Url("/ok"), 7));
    // The thread has ended, its finished task still waits in the queue.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!Workers[0]->Finished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(Workers[0]->Finished());
    EXPECT_EQ(State.ActiveThreadCount.load(), 1);
    ASSERT_TRUE(WaitFinished(1));
    EXPECT_EQ(Sink.Finished[0]->Num, 7);
    EXPECT_EQ(State.ActiveThreadCount.load(), 0);
}

TEST_F(WorkerTest, RedirectLoopIsASendErrorThatNamesTheLimit)
{
    Server.Redirect("/loop", "/loop", 302);
    TURLTaskInfo& task = RunOne(Server.Url("/loop"));
    EXPECT_EQ(task.TaskResults->TaskResult, trSendError);
    EXPECT_EQ(Server.RequestCount(), size_t(kMaxRedirects + 1));
    EXPECT_TRUE(Sink.Logs.contains(QStringLiteral("URL 1: ОШИБКА отправки запроса: ")
                                   + RedirectLimitMessage(kMaxRedirects)))
        << Sink.Logs.join('\n').toStdString();
}

// A rule that would run for minutes on a large page: the budget fails it with
// a reason, and cancelling the run ends it at once.
TEST_F(WorkerTest, LongRuleEndsAtItsBudgetOrOnCancel)
{
    Server.Respond("/big", 200, std::string(400 * 1024, 'a'));
    const QString slow = QStringLiteral("(?=a)\\w*\\s");
    TPageWorkerOptions quick;
    quick.RuleBudgetMs = 300;
    TURLTaskInfo& failed = RunOne(Server.Url("/big"), Rules({slow}), nullptr, quick);
    EXPECT_EQ(failed.TaskResults->TaskResult, trSearchError);
    EXPECT_TRUE(Sink.Logs.contains(QStringLiteral("URL 1: правило #1: ") + RuleTimeBudgetMessage(300)))
        << Sink.Logs.join('\n').toStdString();

    Sink.Logs.clear();
    Sink.Finished.clear();
    UsePool(1500);
    StartWorker(MakeTask(Server.Url("/big"), 2, Rules({slow})));
    ASSERT_TRUE(PumpUntil([&] { return Sink.Logs.contains(QStringLiteral("URL 2: страница загружена, идет анализ")); },
                          10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto cancelledAt = std::chrono::steady_clock::now();
    State.AbortRequested = true;
    ASSERT_TRUE(WaitFinished(1, 5000));
    // About 10 ms on an idle machine.
    EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, std::chrono::seconds(2));
    EXPECT_EQ(Sink.Finished[0]->TaskResults->TaskResult, trAborted);
    EXPECT_EQ(Sink.Logs.last(), QStringLiteral("URL 2: задача прервана"));
}

TEST_F(WorkerTest, PageIsDecodedByItsContentTypeHeaderWhenItDeclaresNothing)
{
    Server.Respond("/cp1251", 200, "<h1>\xCF\xF0\xE8\xE2\xE5\xF2</h1>", "text/html; charset=windows-1251");
    TURLTaskInfo& task = RunOne(Server.Url("/cp1251"), Rules({QStringLiteral("<h1>[^<]*</h1>")}));
    ASSERT_EQ(task.TaskResults->TaskResult, trOk);
    ASSERT_NE(task.TaskResults->RulesResult.GetByRuleNum(1), nullptr);
    EXPECT_EQ(task.TaskResults->RulesResult.GetByRuleNum(1)->Values(), QStringList{QStringLiteral("<h1>Привет</h1>")});
}

// A helper that crashes, hangs or takes memory without end fails its page with
// the reason, and the next page is analysed by a fresh helper.
TEST_F(WorkerTest, FailingHelperFailsItsPageAndTheRunGoesOn)
{
    // A sanitizer's own handler turns a crash into an exit code.
    const QRegularExpression crashed(QStringLiteral("^the analysis helper (crashed with signal 11|ended with exit code 1)"));
    const struct {
        const char* Query;
        QRegularExpression Reason;  // of the failed rule's log line
    } faults[] = {
        {"#fault:crash", crashed},
        {"#fault:stall", QRegularExpression(QStringLiteral(
                             "^the analysis helper was stopped: the rule ran out of its time budget of 0.3 s$"))},
        {"#fault:allocate", QRegularExpression(QStringLiteral(
                                "^the analysis helper was stopped for using more than 100 MB of memory$"))},
    };
    THelperPool& helpers = THelperPool::Instance();
    const THelperLimits saved = helpers.Limits();
    THelperLimits tight = saved;
    tight.MemoryBytes = qint64(100) << 20;
    tight.GraceMs = 1500;  // a sanitizer's allocator is slow to reach the limit
    helpers.SetLimits(tight);
    TPageWorkerOptions quick;
    quick.RuleBudgetMs = 300;
    Server.Respond("/page", 200, kPage);
    UsePool(50);

    int num = 0;
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.Query);
        StartWorker(MakeTask(Server.Url("/page"), ++num,
                             Rules({QStringLiteral("<h1>"), QString::fromLatin1(fault.Query)})),
                    {}, nullptr, quick);
        ASSERT_TRUE(WaitFinished(size_t(num)));
        const TURLTaskResults& failed = *Sink.Finished.back()->TaskResults;
        EXPECT_EQ(failed.TaskResult, trSearchError);
        EXPECT_EQ(failed.RulesResult.Count(), 1);  // the first rule's values stay
        const QString prefix = QStringLiteral("URL %1: правило #2: ").arg(num);
        const auto line = std::find_if(Sink.Logs.begin(), Sink.Logs.end(),
                                       [&](const QString& l) { return l.startsWith(prefix); });
        ASSERT_NE(line, Sink.Logs.end()) << Sink.Logs.join('\n').toStdString();
        EXPECT_TRUE(fault.Reason.match(line->mid(prefix.size())).hasMatch()) << line->toStdString();
        EXPECT_TRUE(Sink.Logs.contains(QStringLiteral("URL %1: ОШИБКА анализа страницы, правило #2").arg(num)));

        StartWorker(MakeTask(Server.Url("/page"), ++num, Rules({QStringLiteral("<h1>")})), {}, nullptr, quick);
        ASSERT_TRUE(WaitFinished(size_t(num)));
        EXPECT_EQ(Sink.Finished.back()->TaskResults->TaskResult, trOk);
    }
    helpers.SetLimits(saved);
}

// Consecutive pages share one warm helper.
TEST_F(WorkerTest, PagesReuseTheirHelper)
{
    Server.Respond("/page", 200, kPage);
    UsePool(50);
    RunOne(Server.Url("/page"), Rules({QStringLiteral("<h1>")}));
    const int started = THelperPool::Instance().StartedCount();
    for (int num = 2; num <= 4; ++num) {
        StartWorker(MakeTask(Server.Url("/page"), num, Rules({QStringLiteral("<h1>")})));
        ASSERT_TRUE(WaitFinished(size_t(num)));
        EXPECT_EQ(Sink.Finished.back()->TaskResults->TaskResult, trOk);
    }
    EXPECT_EQ(THelperPool::Instance().StartedCount(), started);
}
