#include "cli/check/UrlSource.h"

#include "engine/DocumentFetch.h"
#include "engine/PageWorker.h"
#include "ui/model/Gunzip.h"
#include "ui/model/UrlImport.h"

#include <QFile>
#include <QThread>

bool LooksLikeSitemap(const QByteArray& aHead)
{
    if (IsGzip(aHead))
        return true;
    int pos = aHead.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < aHead.size() && (aHead[pos] == ' ' || aHead[pos] == '\t' || aHead[pos] == '\r' ||
                                  aHead[pos] == '\n'))
        ++pos;
    return pos < aHead.size() && aHead[pos] == '<';
}

bool ImportUrlSource(TUrlImporter& aImporter, IDialogs& aDialogs, const QString& aSource,
                     const TCodePage& aCodePage, const TSitemapFetch& aFetch)
{
    if (IsWebAddress(aSource))
        return ImportSitemapSource(aImporter, aDialogs, aSource, aFetch);
    QFile file(aSource);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
        head = file.read(4096);
    file.close();
    return LooksLikeSitemap(head) ? ImportSitemapSource(aImporter, aDialogs, aSource, aFetch)
                                  : aImporter.ImportTextFile(aSource, aCodePage);
}

// Sitemap requests: the run's User-Agent, spaced by the request delay.
TSitemapFetch PacedSitemapFetch(const QString& aUserAgent, TRequestPacer& aPacer)
{
    const QString userAgent = aUserAgent.isEmpty() ? TPageWorker::DefaultUserAgent() : aUserAgent;
    return [&aPacer, userAgent](const QString& aURL) {
        aPacer.WaitForNextStart();
        aPacer.Started();
        TFetchLimits limits;
        limits.MaxBodyBytes = MaxSitemapBytes;
        const TFetchedDocument fetched = FetchDocument(aURL, userAgent, limits);
        TSitemapBytes bytes;
        if (!fetched.Transferred)
            bytes.Error = fetched.Error;
        else if (fetched.Status != 200)
            bytes.Error = QStringLiteral("HTTP status %1").arg(fetched.Status);
        else
            bytes = TSitemapBytes{true, fetched.Body, QString()};
        return bytes;
    };
}

void TRequestPacer::WaitForNextStart()
{
    if (FLastStart.isValid() && FLastStart.elapsed() < FDelayMs)
        QThread::msleep(ulong(FDelayMs - FLastStart.elapsed()));
}
