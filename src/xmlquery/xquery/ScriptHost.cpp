#include "xmlquery/xquery/ScriptHost.h"

#include "xmlquery/xquery/DomStream.h"
#include "xmlquery/xquery/EngineCounters.h"
#include "xmlquery/xquery/EvaluationLimits.h"
#include "xmlquery/xquery/InterruptWatchdog.h"
#include "xmlquery/Interruption.h"

#include <QFile>
#include <QJSEngine>
#include <QLoggingCategory>
#include <atomic>
#include <cmath>
#include <mutex>

// The bundle is compiled into this library as a Qt resource; registering it by
// name works however the static library reaches the final link.
static void RegisterBundleResource()
{
    Q_INIT_RESOURCE(tm_xquery_bundle);
}

namespace xq::xquery {

namespace {

const QString kBundlePath = QStringLiteral(":/tollmarsh/xquery/xquery-bundle.js");

// fontoxpath binds console.log on every evaluation and fn:trace() writes to it;
// the engine has no console of its own. Trace output is dropped.
const QString kConsoleShim = QStringLiteral(
    "var console = (function () { var none = function () {};"
    " return { log: none, info: none, warn: none, error: none, debug: none, trace: none }; })();");

std::atomic<long long> gLimitMs{kDefaultEvaluationLimit.count()};
std::atomic<std::size_t> gMemoryLimit{kDefaultScriptMemoryLimit};
std::atomic<int> gDocumentBuilds{0};
std::atomic<int> gLiveEngines{0};

QLoggingCategory::CategoryFilter gPreviousFilter = nullptr;

// The engine's compiler warns about every function of the bundle it cannot
// compile ahead of time: thousands of lines that say nothing about the query.
void QuietCompilerFilter(QLoggingCategory* category)
{
    if (gPreviousFilter) gPreviousFilter(category);
    if (qstrncmp(category->categoryName(), "qt.qml.compiler", 15) == 0) category->setEnabled(QtWarningMsg, false);
}

void PrepareProcessOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterBundleResource();
        gPreviousFilter = QLoggingCategory::installFilter(QuietCompilerFilter);
    });
}

std::string ErrorMessage(const QJSValue& error)
{
    QString text;
    if (error.isError() || error.isObject()) text = error.property(QStringLiteral("message")).toString();
    if (text.isEmpty() || text == QLatin1String("undefined")) text = error.toString();
    return text.toStdString();
}

}  // namespace

void SetEvaluationTimeLimit(std::chrono::milliseconds limit) { gLimitMs.store(limit.count()); }

std::chrono::milliseconds EvaluationTimeLimit() { return std::chrono::milliseconds(gLimitMs.load()); }

void SetScriptMemoryLimit(std::size_t bytes) { gMemoryLimit.store(bytes); }
std::size_t ScriptMemoryLimit() { return gMemoryLimit.load(); }
int PageBuildCount() { return gDocumentBuilds.load(); }

int LiveEngineCount() { return gLiveEngines.load(); }

ScriptHost* ScriptHost::ForThisThread(std::string* error)
{
    // Destroyed by the thread that created it, when that thread ends.
    thread_local std::unique_ptr<ScriptHost> host;
    thread_local std::string loadFailure;
    if (host) return host.get();
    if (!loadFailure.empty()) {  // loading again would fail the same way
        if (error) *error = loadFailure;
        return nullptr;
    }
    PrepareProcessOnce();
    std::unique_ptr<ScriptHost> created(new ScriptHost());
    if (!created->Load(&loadFailure)) {
        if (loadFailure.empty()) loadFailure = "the XQuery engine could not be started";
        if (error) *error = loadFailure;
        return nullptr;
    }
    host = std::move(created);
    return host.get();
}

ScriptHost::ScriptHost()
    : engine_(std::make_unique<QJSEngine>()), watchdog_(std::make_unique<InterruptWatchdog>(*engine_))
{
    gLiveEngines.fetch_add(1);
}

ScriptHost::~ScriptHost()
{
    // The engine's values go before the engine itself.
    page_ = QJSValue();
    pageFailure_ = ScriptCall();
    buildDocument_ = evaluate_ = check_ = QJSValue();
    watchdog_.reset();
    engine_.reset();
    gLiveEngines.fetch_sub(1);
}

bool ScriptHost::Load(std::string* error)
{
    QFile file(kBundlePath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "the XQuery engine's script is missing from the program";
        return false;
    }
    const QString source = QString::fromUtf8(file.readAll());
    QJSValue result = engine_->evaluate(kConsoleShim);
    if (!result.isError()) result = engine_->evaluate(source, QStringLiteral("xquery-bundle.js"));
    if (result.isError()) {
        *error = "the XQuery engine's script failed to load: " + ErrorMessage(result);
        return false;
    }
    const QJSValue api = engine_->globalObject().property(QStringLiteral("TollmarshXQuery"));
    buildDocument_ = api.property(QStringLiteral("buildDocument"));
    evaluate_ = api.property(QStringLiteral("evaluate"));
    check_ = api.property(QStringLiteral("check"));
    if (!buildDocument_.isCallable() || !evaluate_.isCallable() || !check_.isCallable()) {
        *error = "the XQuery engine's script lacks its entry points";
        return false;
    }
    return true;
}

ScriptCall ScriptHost::Call(const QJSValue& function, const QJSValueList& args, std::chrono::milliseconds limit)
{
    ScriptCall call;
    watchdog_->Arm(limit);
    bool stopped = false;
    bool outOfMemory = false;  // written by the watch thread before Fired() can say so
    {
        InterruptCheck check = CurrentEvaluation();
        check.LimitMemoryGrowth(ScriptMemoryLimit());
        const EvaluationWatch watch(check, [this, check, &outOfMemory] {
            outOfMemory = check.MemoryExceeded();
            engine_->setInterrupted(true);
        });
        call.value = function.call(args);
        stopped = watch.Fired();
    }
    call.timedOut = watchdog_->Disarm();
    if (stopped) {
        // The watch can no longer fire: the engine may take the next call.
        engine_->setInterrupted(false);
        call.timedOut = !outOfMemory;
        call.outOfMemory = outOfMemory;
        call.error = outOfMemory ? "the query was stopped for using more than " +
                                       std::to_string(ScriptMemoryLimit() >> 20) + " MB of memory"
                                 : "the query was interrupted";
        call.value = QJSValue();
        if (outOfMemory) engine_->collectGarbage();
        return call;
    }
    if (call.timedOut) {
        call.error = "the query was stopped after running for " +
                     (limit.count() % 1000 == 0 ? std::to_string(limit.count() / 1000) + " s"
                                                : std::to_string(limit.count()) + " ms");
        call.value = QJSValue();
        return call;
    }
    if (call.value.isError()) {
        call.error = ErrorMessage(call.value);
        call.value = QJSValue();
        return call;
    }
    // The bundle's functions catch what they throw and hand it back as { error }.
    if (call.value.isObject() && call.value.hasOwnProperty(QStringLiteral("error"))) {
        call.error = call.value.property(QStringLiteral("error")).toString().toStdString();
        call.value = QJSValue();
        return call;
    }
    call.ok = true;
    return call;
}

ScriptCall ScriptHost::Page(xmlDoc* doc, std::uint64_t generation)
{
    if (doc == pageDoc_ && generation == pageGeneration_) {
        if (pageFailed_) return pageFailure_;
        ScriptCall reused;
        reused.ok = true;
        reused.value = page_;
        return reused;
    }
    // Drop the previous page first so that its nodes can be collected.
    page_ = QJSValue();
    elements_.clear();
    pageDoc_ = doc;
    pageGeneration_ = generation;

    DomStream stream = WriteDomStream(doc);
    QJSValue chunks = engine_->newArray(static_cast<quint32>(stream.chunks.size()));
    for (std::size_t k = 0; k < stream.chunks.size(); ++k) {
        chunks.setProperty(static_cast<quint32>(k), QString::fromUtf8(stream.chunks[k]));
        std::string().swap(stream.chunks[k]);
    }
    ScriptCall built = Call(buildDocument_, {chunks}, EvaluationTimeLimit());
    pageFailed_ = !built.ok;
    pageFailure_ = pageFailed_ ? built : ScriptCall();
    if (!built.ok) return built;
    gDocumentBuilds.fetch_add(1);
    page_ = built.value;
    elements_ = std::move(stream.elements);
    return built;
}

xmlNode* ScriptHost::Element(double index) const
{
    if (!(index >= 0) || index >= static_cast<double>(elements_.size()) || std::floor(index) != index) return nullptr;
    return elements_[static_cast<std::size_t>(index)];
}

ScriptCall ScriptHost::Evaluate(const QString& query, const QJSValue& page, bool xquery)
{
    return Call(evaluate_, {QJSValue(query), page, QJSValue(xquery)}, EvaluationTimeLimit());
}

ScriptCall ScriptHost::Check(const QString& query, bool xquery)
{
    return Call(check_, {QJSValue(query), QJSValue(xquery)}, std::min(EvaluationTimeLimit(), kValidityCheckLimit));
}

}  // namespace xq::xquery
