#pragma once
// The three URL imports (text file, sitemap, clipboard text): one filter,
// duplicates skipped, at most 5 000 URLs, numbered and appended to the list
// and the results table.

#include "core/Clock.h"
#include "core/CodePage.h"
#include "core/RunModel.h"

#include <QString>
#include <QStringList>

class TResultsTable;

constexpr int MaxURLCount = 5000;

class IDialogs;
class IUrlListView;

class TUrlImporter {
public:
    // Messages go to aDialogs; the grid updates, the progress and the log line to
    // aView, the log line stamped by aClock.
    TUrlImporter(TURLTaskInfoList& aList, TResultsTable& aTable, IUrlListView& aView,
                 IDialogs& aDialogs, const TClock& aClock = TClock::System());

    bool KeepOnImport = false;  // keep the listed URLs (their results are dropped)

    // Each returns false when nothing was imported because of a refused input
    // (a message has said why); true otherwise, also when no URL was accepted.
    bool ImportTextFile(const QString& aFileName, const TCodePage& aCodePage);
    bool ImportSitemap(const QString& aFileName);
    bool ImportClipboardText(const QString& aText);

    // A sitemap import fed piece by piece (the child sitemaps of an index):
    // one preparation, candidates as they arrive, one closing log line.
    // AddPiece is false once the limit has stopped the import.
    void BeginPieces();
    bool AddPiece(const QStringList& aCandidates);
    void EndPieces();

private:
    void Prepare();
    // False when the limit stops the import.
    bool Accept(const QString& aCandidate);
    bool URLLimitReached();
    void Close(const char* aLogLine);

    TURLTaskInfoList& FList;
    TResultsTable& FTable;
    IUrlListView& FView;
    IDialogs& FDialogs;
    const TClock& FClock;
    int FRunningNumber = 0;
};

// " Список URL (%d) " with the count, or " Список URL " for an empty list.
QString URLsCaption(const TURLTaskInfoList* aList);
