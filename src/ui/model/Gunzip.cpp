#include "ui/model/Gunzip.h"

#include <zlib.h>

bool IsGzip(const QByteArray& aBytes)
{
    return aBytes.size() >= 2 && uchar(aBytes[0]) == 0x1F && uchar(aBytes[1]) == 0x8B;
}

bool Gunzip(const QByteArray& aBytes, qint64 aMaxBytes, QByteArray& aOut, QString& aError)
{
    aOut.clear();
    z_stream stream{};
    // 16 + window bits: a gzip header and trailer around the deflate data.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        aError = QStringLiteral("cannot start decompression");
        return false;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(aBytes.constData()));
    stream.avail_in = uInt(aBytes.size());
    char chunk[64 * 1024];
    int status = Z_OK;
    while (true) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        const qint64 produced = qint64(sizeof chunk - stream.avail_out);
        if (aOut.size() + produced > aMaxBytes) {
            inflateEnd(&stream);
            aOut.clear();
            aError = QStringLiteral("it expands to more than %1 MiB").arg(aMaxBytes / (1024 * 1024));
            return false;
        }
        aOut.append(chunk, produced);
        if (status == Z_STREAM_END) {
            // Concatenated members are one file to gzip readers.
            if (stream.avail_in == 0)
                break;
            inflateReset(&stream);
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        aOut.clear();
        aError = QStringLiteral("the compressed data is damaged or cut short");
        return false;
    }
    return true;
}
