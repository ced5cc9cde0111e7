#pragma once
// Everything the run controller asks of its window, and everything it tells it,
// beyond what every command on the URL list does (IUrlListView: the progress
// bar, the log, the run controls). The window (or the command-line program)
// implements it; every call comes on the main thread. Modal boxes go through
// IDialogs.

#include "engine/RunSettings.h"
#include "core/UrlListView.h"

#include <QString>
#include <QStringList>
#include <vector>

class TProxy;

class IRunView : public IUrlListView {
public:
    // ResultsChanged's number when every entry changed.
    static constexpr int AllEntries = 0;

    // ---- asked ----
    // The option values as they stand now (read at run start and at every dispatch).
    virtual TRunSettings Settings() const = 0;
    // Validates the rules with messages on; false stops the run command.
    virtual bool CheckRulesValid() { return true; }
    // Numbers of the selected grid rows (the "selected URLs" command).
    virtual std::vector<int> GetSelectedNums() const { return {}; }
    // A random entry of the proxy list, or none (direct connection) when it is empty.
    virtual const TProxy* RandomProxy() const { return nullptr; }

    // ---- told ----
    // The run became active or idle: refresh the run controls (UpdateRunControls,
    // which also disables the export), disable or enable the options, and on
    // start show the event log page. The progress bar comes with SetProgress
    // after the start and goes with HideProgress after the end.
    virtual void RunStateChanged(bool bRunning) = 0;
    virtual void SetCancelEnabled(bool bEnabled) = 0;
    virtual void SetExportEnabled(bool bEnabled) = 0;
    // The grid's result columns: removed at run start, set in one bulk update at
    // the end of a run (captions in column order, after the four fixed columns).
    virtual void RemoveResultColumns() = 0;
    virtual void SetResultColumns(const QStringList& aCaptions) = 0;
    // Results were attached to or dropped from the URL entry numbered aNum, or
    // from every entry (AllEntries): repaint that row, or all of them.
    virtual void ResultsChanged(int aNum) = 0;
    // End of a run with "hide URLs without results" on.
    virtual void RemoveURLsWithoutResults() = 0;
    // The window's own deferred messages (rule panels) arrive here.
    virtual void OtherMessage(int aCode, void* aParam) { (void)aCode; (void)aParam; }
};
