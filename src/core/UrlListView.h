#pragma once
// What the commands on the URL list (imports, deletions, runs) ask of the
// window that shows the list. One window implements it once; the run view
// adds what only a run needs. Modal boxes go through IDialogs instead.
// Every call comes on the window thread.

#include "core/Clock.h"

#include <QString>

class IUrlListView {
public:
    virtual ~IUrlListView() = default;

    // A bulk change of the grid's rows: the grid repaints once, at the end.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    // Refreshes the enabled state of the URL page's buttons from the run state;
    // this also disables the export.
    virtual void UpdateRunControls() {}
    // Whether the run button is enabled now (no run, URLs and rules present).
    virtual bool RunEnabled() const { return true; }
    // The URL page's caption with the number of URLs.
    virtual void UpdateURLsCaption() {}
    // The progress bar, shown at aPosition of aMaximum; hidden again by HideProgress.
    virtual void SetProgress(int aPosition, int aMaximum) { (void)aPosition; (void)aMaximum; }
    virtual void HideProgress() {}
    // One event-log line with the time it shows.
    virtual void AddToLog(const QString& aText, TDateTime aTime) { (void)aText; (void)aTime; }
};
