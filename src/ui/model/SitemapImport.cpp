#include "ui/model/SitemapImport.h"

#include "core/Dialogs.h"
#include "core/Translate.h"
#include "ui/model/Gunzip.h"
#include "ui/model/SitemapReader.h"
#include "ui/model/UrlImport.h"

#include <QFile>

namespace {

TSitemapBytes ReadLocal(const QString& aFileName)
{
    TSitemapBytes read;
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        read.Error = file.errorString();
        return read;
    }
    read.Bytes = file.read(MaxSitemapBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        read.Error = file.errorString();
        return read;
    }
    if (read.Bytes.size() > MaxSitemapBytes) {
        read.Bytes.clear();
        read.Error = QStringLiteral("the file is larger than %1 MiB").arg(MaxSitemapBytes / (1024 * 1024));
        return read;
    }
    read.Ok = true;
    return read;
}

// The sitemap's content, fetched or read and decompressed; false with aError.
bool LoadSitemap(const QString& aSource, const TSitemapFetch& aFetch, TSitemapContent& aContent, QString& aError)
{
    TSitemapBytes loaded = IsWebAddress(aSource) ? aFetch(aSource) : ReadLocal(aSource);
    if (!loaded.Ok) {
        aError = loaded.Error;
        return false;
    }
    if (IsGzip(loaded.Bytes)) {
        QByteArray inflated;
        if (!Gunzip(loaded.Bytes, MaxSitemapBytes, inflated, aError))
            return false;
        loaded.Bytes = std::move(inflated);
    }
    aContent = ReadSitemap(loaded.Bytes);
    loaded.Bytes.clear();
    if (aContent.status == TSitemapContent::ParseError) {
        aError = Tr("Ошибка при разборе файла: ") + aContent.errorMessage;
        return false;
    }
    if (aContent.status == TSitemapContent::NoUrlset) {
        aError = Tr("Файл данных имеет неприемлимый формат (нет тега \"urlset\")");
        return false;
    }
    return true;
}

}  // namespace

bool IsWebAddress(const QString& aSource)
{
    return aSource.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
           || aSource.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

bool ImportSitemapSource(TUrlImporter& aImporter, IDialogs& aDialogs, const QString& aSource,
                         const TSitemapFetch& aFetch)
{
    TSitemapContent top;
    QString error;
    if (!LoadSitemap(aSource, aFetch, top, error)) {
        aDialogs.ShowWarning(FormatText(Tr("Не удалось прочитать карту сайта %s: %s"), {aSource, error}));
        return false;
    }
    aImporter.BeginPieces();
    if (top.status == TSitemapContent::Ok) {
        aImporter.AddPiece(top.candidates);
        aImporter.EndPieces();
        return true;
    }
    // A sitemap index: its children in order, each read and imported before the
    // next is fetched, so only one child is in memory at a time.
    const QStringList children = std::move(top.candidates);
    for (const QString& child : children) {
        TSitemapContent content;
        if (!IsWebAddress(child)) {
            error = QStringLiteral("not an http(s) address");
        } else if (LoadSitemap(child, aFetch, content, error)) {
            if (content.status == TSitemapContent::Index)
                error = QStringLiteral("a sitemap index inside a sitemap index is not followed");
            else if (!aImporter.AddPiece(content.candidates))
                break;  // the limit stopped the import
            else
                continue;
        }
        aDialogs.ShowWarning(FormatText(Tr("Карта сайта %s пропущена: %s"), {child, error}));
    }
    aImporter.EndPieces();
    return true;
}
