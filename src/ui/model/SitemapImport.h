#pragma once
// A sitemap as users have it: a local file or an http(s) address, plain or
// gzip-compressed, a URL set or a sitemap index whose child sitemaps are
// fetched and imported in order. The fetching itself is given by the caller
// (it sets the User-Agent, the pacing and the transfer limits).

#include <QByteArray>
#include <QString>
#include <functional>

class IDialogs;
class TUrlImporter;

// The largest sitemap read, after decompression.
constexpr qint64 MaxSitemapBytes = qint64(64) * 1024 * 1024;

struct TSitemapBytes {
    bool Ok = false;
    QByteArray Bytes;
    QString Error;  // why Ok is false: "HTTP status 404", a transfer error
};
using TSitemapFetch = std::function<TSitemapBytes(const QString& aURL)>;

bool IsWebAddress(const QString& aSource);  // starts with http:// or https://

// Imports the sitemap at aSource. False (the view has said why) when the source
// itself cannot be read or is not a sitemap; a child of an index that fails is
// named in a warning and the others are imported.
bool ImportSitemapSource(TUrlImporter& aImporter, IDialogs& aDialogs, const QString& aSource,
                         const TSitemapFetch& aFetch);
