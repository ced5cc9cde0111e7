#include "UrlImport.h"

#include "ResultsTable.h"
#include "SitemapReader.h"
#include "UrlFilter.h"
#include "core/TextUtil.h"
#include "core/Translate.h"

#include <QFileInfo>

TUrlImporter::TUrlImporter(TURLTaskInfoList& aList, TResultsTable& aTable, IUrlImportView& aView)
    : FList(aList), FTable(aTable), FView(aView)
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
    FView.ShowInformation(Tr("Ограничение: не более 5 000 URL"));
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
        FView.AddToLog(Tr(aLogLine));
}

bool TUrlImporter::ImportTextFile(const QString& aFileName, const TCodePage& aCodePage)
{
    if (!QFileInfo::exists(aFileName) || QFileInfo(aFileName).isDir()) {
        FView.ShowWarning(Tr("Файл с данными для импорта не найден!"));
        return false;
    }
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(aFileName, bytes, &error)) {
        FView.ShowWarning(FormatText(Tr("Не удалось прочитать файл: %s"), {error}));
        return false;
    }
    Prepare();
    // No byte-order mark is recognised: it stays part of the first line.
    for (const QString& line : SplitTextLines(aCodePage.Decode(bytes)))
        if (!Accept(line))
            break;
    Close("Данные загружены");
    return true;
}

bool TUrlImporter::ImportSitemap(const QString& aFileName)
{
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(aFileName, bytes, &error)) {
        FView.ShowWarning(Tr("Ошибка при разборе файла: ") + error);
        return false;
    }
    const TSitemapContent sitemap = ReadSitemap(bytes);
    if (sitemap.status == TSitemapContent::ParseError) {
        FView.ShowWarning(Tr("Ошибка при разборе файла: ") + sitemap.errorMessage);
        return false;
    }
    Prepare();
    if (sitemap.status == TSitemapContent::NoUrlset) {
        FView.ShowWarning(Tr("Файл данных имеет неприемлимый формат (нет тега \"urlset\")"));
        Close(nullptr);
        return false;
    }
    FView.ShowProgress(sitemap.childCount);
    for (const QString& candidate : sitemap.candidates) {
        if (!Accept(candidate))
            break;
        FView.AdvanceProgress();
    }
    Close("Данные загружены");
    FView.HideProgress();
    return true;
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
