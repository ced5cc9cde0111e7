#pragma once
// gzip-compressed data (a sitemap.xml.gz) inflated with a bound on the result,
// so that a small file cannot expand into all of memory.

#include <QByteArray>
#include <QString>

// True when the bytes start with the gzip signature 1F 8B.
bool IsGzip(const QByteArray& aBytes);

// Inflates every gzip member of aBytes into aOut. False with a reason when the
// data is damaged or the result would exceed aMaxBytes.
bool Gunzip(const QByteArray& aBytes, qint64 aMaxBytes, QByteArray& aOut, QString& aError);
