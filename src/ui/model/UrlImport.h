#pragma once
// The three URL imports (text file, sitemap, clipboard text): one filter,
// duplicates skipped, at most 5 000 URLs, numbered and appended to the list
// and the results table.

#include "core/CodePage.h"
#include "core/RunModel.h"

#include <QString>
#include <QStringList>

class TResultsTable;

constexpr int MaxURLCount = 5000;

// What an import tells the window (or the command-line program).
class IUrlImportView {
public:
    virtual ~IUrlImportView() = default;
    virtual void ShowInformation(const QString& text) = 0;
    virtual void ShowWarning(const QString& text) = 0;
    virtual void AddToLog(const QString& text) = 0;  // stamped with the current time
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    virtual void UpdateRunControls() {}
    virtual void UpdateURLsCaption() {}
    virtual void ShowProgress(int /*maximum*/) {}
    virtual void AdvanceProgress() {}
    virtual void HideProgress() {}
};

class TUrlImporter {
public:
    TUrlImporter(TURLTaskInfoList& aList, TResultsTable& aTable, IUrlImportView& aView);

    bool KeepOnImport = false;  // keep the listed URLs (their results are dropped)

    // Each returns false when nothing was imported because of a refused input
    // (the view has shown why); true otherwise, also when no URL was accepted.
    bool ImportTextFile(const QString& aFileName, const TCodePage& aCodePage);
    bool ImportSitemap(const QString& aFileName);
    bool ImportClipboardText(const QString& aText);

private:
    void Prepare();
    // False when the limit stops the import.
    bool Accept(const QString& aCandidate);
    bool URLLimitReached();
    void Close(const char* aLogLine);

    TURLTaskInfoList& FList;
    TResultsTable& FTable;
    IUrlImportView& FView;
    int FRunningNumber = 0;
};

// " Список URL (%d) " with the count, or " Список URL " for an empty list.
QString URLsCaption(const TURLTaskInfoList* aList);
