#include "core/FileUtil.h"

#include "json/JsonNode.h"

#include <QFile>

#include <QFileDevice>
#include <QSaveFile>
#include <QStringDecoder>

bool SaveFileAtomically(const QString& sFileName, const QByteArray& aBytes, bool bOwnerOnly)
{
    // QSaveFile writes a temporary file beside the target and renames it over
    // the target only on commit; any failure leaves the old file as it was.
    QSaveFile file(sFileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set on the temporary file before a single byte of the content exists, so
    // credentials are never readable by others, not even briefly.
    if (bOwnerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(aBytes) != aBytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool DecodeUtf8Strict(const QByteArray& aBytes, QString& aText)
{
    QByteArrayView bytes(aBytes);
    if (bytes.startsWith(QByteArrayView(kUtf8Bom)))
        bytes = bytes.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    aText = decoder.decode(bytes);
    if (decoder.hasError()) {
        aText.clear();
        return false;
    }
    return true;
}

bool LoadJsonFile(const QString& sFileName, TJsonNode& aRoot)
{
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    QString text;
    if (!DecodeUtf8Strict(bytes, text))
        return false;
    try {
        aRoot.Parse(text);
    } catch (const EJsonException&) {
        return false;
    }
    return true;
}

QString JsonFileArrayText(const QStringList& aItems)
{
    QString text = QStringLiteral("[\r\n");
    for (qsizetype i = 0; i < aItems.size(); ++i) {
        text += QLatin1String("  ");
        text += aItems[i];
        if (i + 1 < aItems.size())
            text += QLatin1Char(',');
        text += QLatin1String("\r\n");
    }
    text += QLatin1String("]\r\n");
    return text;
}
