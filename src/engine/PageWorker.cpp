#include "engine/PageWorker.h"

#include "analysis/PageAnalysis.h"
#include "core/Messages.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "proxies/Proxies.h"
#include "sandbox/IsolatedAnalysis.h"

#include <chrono>
#include <random>
#include <system_error>

namespace {

int RandomSleepMs()
{
    thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, 19)(generator);
}

void SleepMs(int aMs)
{
    if (aMs <= 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(aMs));
}

QString ExceptionText(const std::exception& e)
{
    if (const auto* curl = dynamic_cast<const ECurl*>(&e))
        return curl->Message();
    return QString::fromUtf8(e.what());
}

}  // namespace

TPageWorker::TPageWorker(std::unique_ptr<TURLTaskInfo> aURLTaskInfo, const QString& sUserAgent,
                         const TProxy* aProxy, bool aUniqueResults, TRunState& aRunState,
                         const TPageWorkerOptions& aOptions)
    : FURLTaskInfo(std::move(aURLTaskInfo))
    , FUserAgent(sUserAgent)
    , FProxy(aProxy)
    , FUniqueResults(aUniqueResults)
    , FRunState(aRunState)
    , FOptions(aOptions)
    , FNum(FURLTaskInfo ? FURLTaskInfo->Num : 0)
{
    if (!FURLTaskInfo || !FURLTaskInfo->TaskResults)
        throw std::invalid_argument("TPageWorker: no task or no results record");
}

TPageWorker::~TPageWorker()
{
    Join();
}

QString TPageWorker::DefaultUserAgent()
{
    return QStringLiteral("Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:53.0) Gecko/20100101 Firefox/53.0");
}

void TPageWorker::Start()
{
    if (FStarted)
        return;
    FStarted = true;
    // Counted before the thread exists, so its decrement can never come first.
    FRunState.ActiveThreadCount.fetch_add(1);
    try {
        FThread = std::thread([this] { Execute(); });
    } catch (const std::system_error& e) {
        // No thread: the task still has to come back, or the run never ends.
        try {
            Log("URL %d: ОШИБКА отправки запроса: %s", {FNum, QString::fromUtf8(e.what())});
        } catch (...) {
        }
        FURLTaskInfo->TaskResults->TaskResult = trSendError;
        End();
    }
}

void TPageWorker::Join()
{
    if (FThread.joinable())
        FThread.join();
}

bool TPageWorker::Finished() const
{
    return FFinished.load();
}

void TPageWorker::Log(const char* aFormat, const QVariantList& aArgs)
{
    PostLogMessage(FormatText(Tr(aFormat), aArgs));
}

void TPageWorker::Execute()
{
    TURLTaskResults& results = *FURLTaskInfo->TaskResults;
    QString failure;
    bool failed = false;
    try {
        Run(results);
    } catch (const std::exception& e) {
        failed = true;
        failure = ExceptionText(e);
    } catch (...) {
        failed = true;
        failure = QStringLiteral("unknown error");
    }
    if (failed) {
        // A step outside the guarded transfer failed: report it like a failed request.
        results.TaskResult = trSendError;
        try {
            Log("URL %d: ОШИБКА отправки запроса: %s", {FNum, failure});
        } catch (...) {
        }
    }
    End();
}

void TPageWorker::End()
{
    try {
        PostTaskFinished(std::move(FURLTaskInfo));
    } catch (...) {
    }
    try {
        PostNextTask();
    } catch (...) {
    }
    FFinished.store(true);
}

void TPageWorker::Run(TURLTaskResults& aResults)
{
    const auto cancelled = [this] { return FRunState.AbortRequested.load(); };
    const auto abort = [&] {
        Log("URL %d: задача прервана", {FNum});
        aResults.TaskResult = trAborted;
    };

    Log("URL %d: задача начата", {FNum});
    const ICurlPtr curl = NewCurlSession();
    if (cancelled())
        return abort();

    const QString userAgent = FUserAgent.isEmpty() ? DefaultUserAgent() : FUserAgent;
    ConfigureGetRequest(*curl, FURLTaskInfo->URL, userAgent,
                        FProxy ? ProxyTransferLimits(FOptions.Transfer) : FOptions.Transfer);
    if (FProxy) {
        UseHttpProxy(*curl, FProxy->HostAndPort(), FProxy->UserAndPws);
        Log("URL %d: используем прокси %s", {FNum, FProxy->HostAndPort()});
    }
    curl->SetAbortFlag(&FRunState.AbortRequested);

    // Pacing: take the start time, hand the next one on, wait for ours.
    TURLTaskInfoPool* pool = FRunState.TaskPool.load();
    if (!pool)
        throw std::runtime_error("no task pool for the run");
    TDateTime startAt = 0;
    while (!pool->GetNextRequestTime(startAt)) {
        // Another worker holds the start time between its two registrations.
        if (cancelled())
            return abort();
        SleepMs(2);
    }
    pool->RegisterLastRequest(startAt + 20);
    while (!cancelled() && pool->Clock().Now() <= startAt)
        SleepMs(RandomSleepMs());
    if (cancelled())
        return abort();

    Log("URL %d: получение страницы", {FNum});
    pool->RegisterLastRequest(0);
    PostNextTask();

    try {
        curl->Perform();
    } catch (const std::exception& e) {
        const auto* curlError = dynamic_cast<const ECurlError*>(&e);
        if (curlError && curlError->Code == CURLE_ABORTED_BY_CALLBACK && cancelled())
            return abort();
        Log("URL %d: ОШИБКА отправки запроса: %s", {FNum, ExceptionText(e)});
        aResults.TaskResult = trSendError;
        return;
    }
    if (cancelled())
        return abort();  // a transfer that completed during cancellation is discarded

    const long status = curl->ResponseCode();
    if (status != 200) {
        Log("URL %d: ОШИБКА получения страницы, код ошибки HTML: %d", {FNum, int(status)});
        aResults.TaskResult = trHTTPError;
        aResults.ErrorCode = int(status);
        return;
    }

    Log("URL %d: страница загружена, идет анализ", {FNum});
    TAnalysisRequest request;
    request.Body = curl->ResponseBody();
    request.ContentType = curl->ContentType();
    request.ChkUnique = FUniqueResults;
    request.RuleBudgetMs = FOptions.RuleBudgetMs;
    if (const TScrapRuleSet* rules = FURLTaskInfo->Rules.get())
        for (int i = 0; i < rules->Count(); ++i)
            request.Rules.push_back(*rules->Rule(i));
    // In a helper process: a page or rule that crashes, hangs or floods ends
    // that helper, and the run goes on. Cancelling kills it at once.
    const TIsolatedAnalysis analysis = AnalyseInHelper(request, &FRunState.AbortRequested);
    if (analysis.Failure == hfCancelled)
        return abort();
    const int ruleCount = int(request.Rules.size());
    for (int i = 1; i <= ruleCount; ++i) {
        QString failure;
        if (i <= int(analysis.Outcomes.size())) {
            const TRuleOutcome& outcome = analysis.Outcomes[size_t(i - 1)];
            if (outcome.Applied) {
                if (outcome.HasList) {
                    auto ruleResult = std::make_unique<TScrapRuleResult>();
                    ruleResult->RuleNum = i;
                    ruleResult->RuleResult = std::make_unique<TSRStringList>();
                    for (const QString& value : outcome.Values)
                        ruleResult->RuleResult->Append(value);
                    aResults.RulesResult.Add(std::move(ruleResult));
                }
                continue;
            }
            failure = outcome.Failure;
        } else {
            failure = analysis.FailureText;
        }
        if (cancelled())
            return abort();
        // Why first, so that the error line is still followed by the end line.
        if (!failure.isEmpty())
            Log("URL %d: правило #%d: %s", {FNum, i, failure});
        Log("URL %d: ОШИБКА анализа страницы, правило #%d", {FNum, i});
        aResults.ErrorCode = -1;
        aResults.TaskResult = trSearchError;
        Log("URL %d: анализ завершен", {FNum});
        return;
    }
    aResults.ErrorCode = 0;
    aResults.TaskResult = trOk;
    Log("URL %d: анализ завершен", {FNum});
}
