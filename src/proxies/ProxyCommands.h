#pragma once
// The commands of the options page's proxy group on the proxy list: add from
// the clipboard's text or a text file, edit one entry, delete the selected
// entries, clear, and check every entry with a real request, removing those
// that fail. Boxes and the file dialog go through IDialogs; the view refills
// itself from the list when a command reports a change.

#include "core/Clock.h"
#include "core/Dialogs.h"
#include "proxies/Proxies.h"

#include <QString>
#include <functional>
#include <vector>

class TProxyCommands {
public:
    using TLogFn = std::function<void(const QString& aText, TDateTime aTime)>;
    // One proxy's check; the real one is TProxy::Test against the test page.
    using TTester = std::function<bool(const TProxy& aProxy)>;
    using TProgressFn = std::function<void(int aPercent)>;
    using TStopFn = std::function<bool()>;

    TProxyCommands(TProxies& aProxies, IDialogs& aDialogs, TLogFn aLog,
                   const TClock& aClock = TClock::System());

    // Each returns true when entries were added or removed (refill the view).
    bool AddFromText(const QString& aText);  // the clipboard's text; nothing for an empty one
    bool AddFromFile(const QString& aInitialDir);
    bool DeleteRows(std::vector<int> aRows);
    bool Clear();
    // The entry at aRow (the focused row) through the input box; true when it changed.
    bool Edit(int aRow);

    // Checks every entry in list order, reports progress after each, logs each
    // failure, shows the summary and then removes the failed entries. With a
    // stop request (the window is closing) it ends after the current check,
    // removes the failures found so far and shows no box. True when entries
    // were removed.
    bool CheckAll(const TTester& aTester, const TProgressFn& aProgress,
                  const TStopFn& aStopRequested = {});

    // i × 100 / n rounded to the nearest integer, halves to even.
    static int ProgressPercent(int i, int n);

    // The untranslated prompt of the edit box.
    static QString EditPrompt() { return QStringLiteral("IP:port[:user:password]: "); }

private:
    TProxies& FProxies;
    IDialogs& FDialogs;
    TLogFn FLog;
    const TClock& FClock;
};
