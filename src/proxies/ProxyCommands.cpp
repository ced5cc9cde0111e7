#include "ProxyCommands.h"

#include "core/TextUtil.h"
#include "core/Translate.h"

#include <QFileInfo>
#include <algorithm>

TProxyCommands::TProxyCommands(TProxies& aProxies, IDialogs& aDialogs, TLogFn aLog,
                               const TClock& aClock)
    : FProxies(aProxies), FDialogs(aDialogs), FLog(std::move(aLog)), FClock(aClock)
{
}

bool TProxyCommands::AddFromText(const QString& aText)
{
    if (aText.isEmpty())
        return false;
    const int before = FProxies.Count();
    FProxies.ImportFromStringList(SplitTextLines(aText));
    return FProxies.Count() != before;
}

bool TProxyCommands::AddFromFile(const QString& aInitialDir)
{
    TFileDialogRequest request;
    request.Title = Tr("Укажите текстовый файл для добавления прокси");
    request.Filter = Tr("Текстовые файлы") + QStringLiteral("|*.txt");
    request.InitialDir = aInitialDir;
    const QString fileName = FDialogs.OpenFileName(request);
    if (fileName.isEmpty())
        return false;
    if (!QFileInfo(fileName).isFile()) {
        FDialogs.ShowWarning(Tr("Файл с данными для импорта не найден!"));
        return false;
    }
    const int before = FProxies.Count();
    if (!FProxies.ImportFromTextFile(fileName))
        FDialogs.ShowWarning(Tr("Во время импорта возникла ошибка, проверьте корректность данных"));
    return FProxies.Count() != before;
}

bool TProxyCommands::DeleteRows(std::vector<int> aRows)
{
    std::sort(aRows.begin(), aRows.end());
    aRows.erase(std::unique(aRows.begin(), aRows.end()), aRows.end());
    bool removed = false;
    // From the last row, so the earlier rows keep their positions.
    for (auto it = aRows.rbegin(); it != aRows.rend(); ++it)
        if (*it >= 0 && *it < FProxies.Count()) {
            FProxies.Delete(*it);
            removed = true;
        }
    return removed;
}

bool TProxyCommands::Clear()
{
    const bool hadEntries = FProxies.Count() > 0;
    FProxies.Clear();
    return hadEntries;
}

bool TProxyCommands::Edit(int aRow)
{
    if (aRow < 0 || aRow >= FProxies.Count())
        return false;
    TProxy* entry = FProxies.At(aRow);
    const QString initial = entry->AsSemicolonText();
    const QString text = FDialogs.InputText(Tr("Параметры прокси"), EditPrompt(), initial);
    if (text == initial)
        return false;  // unchanged, or the box was cancelled
    entry->AssignFrom(*TProxies::ProxyFromStr(text));
    return true;
}

int TProxyCommands::ProgressPercent(int i, int n)
{
    if (n <= 0)
        return 0;
    const qint64 scaled = qint64(i) * 100;
    qint64 q = scaled / n;
    const qint64 twiceRest = 2 * (scaled % n);
    if (twiceRest > n || (twiceRest == n && (q & 1)))
        ++q;
    return int(q);
}

bool TProxyCommands::CheckAll(const TTester& aTester, const TProgressFn& aProgress,
                              const TStopFn& aStopRequested)
{
    aProgress(0);
    const int count = FProxies.Count();
    std::vector<int> failed;
    bool stopped = false;
    for (int i = 0; i < count; ++i) {
        const TProxy& entry = *FProxies.At(i);
        if (!aTester(entry)) {
            FLog(Tr("Удален некорректный прокси: ") + entry.HostAndPort(), FClock.Now());
            failed.push_back(i);
        }
        aProgress(ProgressPercent(i, count));
        if (aStopRequested && aStopRequested()) {
            stopped = true;
            break;
        }
    }
    aProgress(0);
    if (failed.empty()) {
        if (!stopped)
            FDialogs.ShowInformation(Tr("Все прокси корректны"));
        return false;
    }
    if (!stopped)
        FDialogs.ShowWarning(Tr("Удалено некорректных прокси: ") + QString::number(failed.size()));
    return DeleteRows(failed);
}
