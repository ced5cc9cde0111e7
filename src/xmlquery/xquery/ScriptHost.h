#pragma once
// The JavaScript engine of one thread with the bundled query script loaded, and
// the DOM of the last page that thread queried. Internal to the XQuery engine.

#include <libxml/tree.h>
#include <QJSValue>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QJSEngine;

namespace xq::xquery {

class InterruptWatchdog;

struct ScriptCall {
    QJSValue value;      // the function's result when ok
    bool ok = false;
    bool timedOut = false;
    bool outOfMemory = false;  // stopped for making the process grow too much
    std::string error;   // the thrown message when not ok
};

class ScriptHost {
public:
    // This thread's engine, created on first use and destroyed when the thread
    // ends. Null (with the reason in *error) when the script cannot be loaded.
    static ScriptHost* ForThisThread(std::string* error);

    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // The page's DOM, built on the first call for (doc, generation) and reused
    // while they stay the same (the last of the per-thread last-page records
    // that analysis/PageAnalysis.h lists). A page that failed to build (too large for the
    // time limit, say) is not tried again for the same (doc, generation).
    ScriptCall Page(xmlDoc* doc, std::uint64_t generation);
    // The document node of the element the DOM numbered so (null when unknown).
    xmlNode* Element(double index) const;

    // The bundle's evaluate(query, document, isXQuery) and check(query, isXQuery).
    ScriptCall Evaluate(const QString& query, const QJSValue& page, bool xquery);
    ScriptCall Check(const QString& query, bool xquery);

private:
    ScriptHost();
    bool Load(std::string* error);
    ScriptCall Call(const QJSValue& function, const QJSValueList& args, std::chrono::milliseconds limit);

    std::unique_ptr<QJSEngine> engine_;
    std::unique_ptr<InterruptWatchdog> watchdog_;  // after the engine: stops first
    QJSValue buildDocument_;
    QJSValue evaluate_;
    QJSValue check_;

    xmlDoc* pageDoc_ = nullptr;
    std::uint64_t pageGeneration_ = 0;
    bool pageFailed_ = false;  // the build failed: later queries of the page fail at once
    ScriptCall pageFailure_;
    QJSValue page_;
    std::vector<xmlNode*> elements_;
};

}  // namespace xq::xquery
