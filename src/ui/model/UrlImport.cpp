#include "UrlImport.h"

#include "ResultsTable.h"
#include "SitemapReader.h"
#include "UrlFilter.h"
#include "core/Dialogs.h"
#include "core/TextUtil.h"
#include "core/Translate.h"
#include "core/UrlListView.h"

#include <QFileInfo>

#include <functional>

namespace {

constexpr qint64 kReadBlockBytes = 1024 * 1024;
// Longer lines are no addresses; they are dropped rather than held in memory.
constexpr qsizetype kMaxLineBytes = 1024 * 1024;

qsizetype LastLineBreak(const QByteArray& aBytes)
{
    for (qsizetype i = aBytes.size() - 1; i >= 0; --i)
        if (aBytes.at(i) == '\n' || aBytes.at(i) == '\r')
            return i;
    return -1;
}

// Hands the file's lines to aTake a block at a time, so that the memory stays
// bounded whatever the file's size; stops as soon as aTake returns false.
// False on a read error.
bool ForEachLine(QFile& aFile, const TCodePage& aCodePage, const std::function<bool(const QString&)>& aTake)
{
    QByteArray pending;
    bool droppingLongLine = false;
    for (;;) {
        const QByteArray block = aFile.read(kReadBlockBytes);
        if (aFile.error() != QFileDevice::NoError)
            return false;
        const bool atEnd = block.isEmpty();
        if (atEnd && pending.isEmpty())
            return true;
        pending += block;
        qsizetype cut = atEnd ? pending.size() - 1 : LastLineBreak(pending);
        // A CR at the very end may be the first half of a CR LF.
        if (!atEnd && cut == pending.size() - 1 && pending.at(cut) == '\r')
            cut = LastLineBreak(pending.left(cut));
        if (cut < 0) {
            if (pending.size() > kMaxLineBytes) {
                pending.clear();
                droppingLongLine = true;
            }
            continue;
        }
        QStringList lines = SplitTextLines(aCodePage.Decode(pending.left(cut + 1)));
        pending.remove(0, cut + 1);
        if (droppingLongLine && !lines.isEmpty()) {
            lines.removeFirst();  // the end of the dropped line
            droppingLongLine = false;
        }
        for (const QString& line : lines)
            if (!aTake(line))
                return true;
        if (atEnd)
            return true;
    }
}

}  // namespace

TUrlImporter::TUrlImporter(TURLTaskInfoList& aList, TResultsTable& aTable, IUrlListView& aView,
                           IDialogs& aDialogs, const TClock& aClock)
    : FList(aList), FTable(aTable), FView(aView), FDialogs(aDialogs), FClock(aClock)
{
}

void TUrlImporter::Prepare()
{
    FView.BeginUpdate();
    if (KeepOnImport) {
        FList.FreeResults();
    } else {
        FTable.ClearRows();
        FList.Clear();
    }
    FTable.ResultsChanged();
    FRunningNumber = FList.Count();
}

bool TUrlImporter::URLLimitReached()
{
    if (FList.Count() < MaxURLCount)
        return false;
    FDialogs.ShowInformation(Tr("Ограничение: не более 5 000 URL"));
    return true;
}

bool TUrlImporter::Accept(const QString& aCandidate)
{
    if (IsSkippedURL(aCandidate) || FList.URLExists(aCandidate))
        return true;
    if (URLLimitReached())
        return false;
    ++FRunningNumber;
    TURLTaskInfo* entry = FList.Add(std::make_unique<TURLTaskInfo>(aCandidate, FRunningNumber));
    FTable.AppendRow(entry);
    return true;
}

void TUrlImporter::Close(const char* aLogLine)
{
    FView.EndUpdate();
    FView.UpdateRunControls();
    FView.UpdateURLsCaption();
    if (aLogLine)
        FView.AddToLog(Tr(aLogLine), FClock.Now());
}

bool TUrlImporter::ImportTextFile(const QString& aFileName, const TCodePage& aCodePage)
{
    if (!QFileInfo::exists(aFileName) || QFileInfo(aFileName).isDir()) {
        FDialogs.ShowWarning(Tr("Файл с данными для импорта не найден!"));
        return false;
    }
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        FDialogs.ShowWarning(FormatText(Tr("Не удалось прочитать файл: %s"), {file.errorString()}));
        return false;
    }
    // A file that cannot be read at all changes nothing.
    file.peek(1);
    if (file.error() != QFileDevice::NoError) {
        FDialogs.ShowWarning(FormatText(Tr("Не удалось прочитать файл: %s"), {file.errorString()}));
        return false;
    }
    Prepare();
    // No byte-order mark is recognised: it stays part of the first line.
    if (!ForEachLine(file, aCodePage, [this](const QString& aLine) { return Accept(aLine); }))
        FDialogs.ShowWarning(FormatText(Tr("Не удалось прочитать файл: %s"), {file.errorString()}));
    Close("Данные загружены");
    return true;
}

bool TUrlImporter::ImportSitemap(const QString& aFileName)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        FDialogs.ShowWarning(Tr("Ошибка при разборе файла: ") + file.errorString());
        return false;
    }
    // Read twice, each time as a stream: first whether the whole file parses,
    // then the candidates, so that memory stays bounded whatever its size.
    const TSitemapContent sitemap = ReadSitemap(file);
    if (file.error() != QFileDevice::NoError) {
        FDialogs.ShowWarning(Tr("Ошибка при разборе файла: ") + file.errorString());
        return false;
    }
    if (sitemap.status == TSitemapContent::ParseError) {
        FDialogs.ShowWarning(Tr("Ошибка при разборе файла: ") + sitemap.errorMessage);
        return false;
    }
    Prepare();
    // An index names other sitemaps; only an import that can fetch them takes it.
    if (sitemap.status != TSitemapContent::Ok) {
        FDialogs.ShowWarning(Tr("Файл данных имеет неприемлимый формат (нет тега \"urlset\")"));
        Close(nullptr);
        return false;
    }
    int position = 0;
    FView.SetProgress(position, sitemap.childCount);
    file.seek(0);
    ReadSitemap(file, [this, &position, &sitemap](const QString& aCandidate) {
        if (!Accept(aCandidate))
            return false;
        FView.SetProgress(++position, sitemap.childCount);
        return true;
    });
    Close("Данные загружены");
    FView.HideProgress();
    return true;
}

void TUrlImporter::BeginPieces()
{
    Prepare();
}

bool TUrlImporter::AddPiece(const QStringList& aCandidates)
{
    for (const QString& candidate : aCandidates)
        if (!Accept(candidate))
            return false;
    return true;
}

void TUrlImporter::EndPieces()
{
    Close("Данные загружены");
}

bool TUrlImporter::ImportClipboardText(const QString& aText)
{
    if (aText.isEmpty())
        return false;
    const QStringList lines = SplitTextLines(aText);
    Prepare();
    for (const QString& line : lines)
        if (!Accept(TrimBlanks(line)))
            break;
    Close("Данные вставлены из буфера обмена");
    return true;
}

QString URLsCaption(const TURLTaskInfoList* aList)
{
    if (aList && aList->Count() > 0)
        return FormatText(Tr(" Список URL (%d) "), {aList->Count()});
    return Tr(" Список URL ");
}
