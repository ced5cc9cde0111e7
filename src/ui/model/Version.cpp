#include "Version.h"

#include <QStringList>

QString GetVersionString()
{
    QStringList parts = QString::fromLatin1(TOLLMARSH_VERSION).split(u'.', Qt::SkipEmptyParts);
    while (parts.size() < 4)
        parts.append(QStringLiteral("0"));
    return parts.mid(0, 4).join(u'.');
}
