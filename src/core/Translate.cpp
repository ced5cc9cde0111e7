#include "core/Translate.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <libintl.h>

namespace {

constexpr const char* kDomain = "Tollmarsh";

std::atomic<bool> gBound{false};

QMutex& LanguageLock()
{
    static QMutex lock;
    return lock;
}

QString& CurrentLanguage()
{
    static QString code;
    return code;
}

}  // namespace

QString CatalogueDir()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/locale");
}

void InitTranslation(const QString& aLocaleDir)
{
    // glibc ignores LANGUAGE under the "C" locale but not under C.UTF-8, which
    // always exists: catalogues then switch without any generated locale.
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    // Numbers are read and written with a point whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    bindtextdomain(kDomain, QFile::encodeName(aLocaleDir).constData());
    // Without this Russian comes back transliterated to ASCII under C.UTF-8's peers.
    bind_textdomain_codeset(kDomain, "UTF-8");
    textdomain(kDomain);
    gBound = true;
}

void SetTranslationLanguage(const QString& aCode)
{
    QMutexLocker locker(&LanguageLock());
    CurrentLanguage() = aCode;
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    // An empty LANGUAGE would fall back to the locale's own language.
    setenv("LANGUAGE", aCode.isEmpty() ? "ru" : aCode.toLatin1().constData(), 1);
    // glibc caches looked-up texts; a domain change (even to the same one) flushes it.
    textdomain(textdomain(nullptr));
}

QString TranslationLanguage()
{
    QMutexLocker locker(&LanguageLock());
    return CurrentLanguage();
}

QString Tr(const char* sourceUtf8)
{
    // gettext("") returns the catalogue header, never a translation.
    if (!sourceUtf8 || !*sourceUtf8)
        return QString();
    if (!gBound)
        return QString::fromUtf8(sourceUtf8);
    return QString::fromUtf8(dgettext(kDomain, sourceUtf8));
}

QString Tr(const QString& source)
{
    if (source.isEmpty() || !gBound)
        return source;
    const QByteArray utf8 = source.toUtf8();
    return QString::fromUtf8(dgettext(kDomain, utf8.constData()));
}

QString FormatText(const QString& format, const QVariantList& args)
{
    QString out;
    out.reserve(format.size() + 16 * args.size());
    qsizetype next = 0;
    const qsizetype size = format.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= size) {
            out += c;
            continue;
        }
        const QChar kind = format.at(i + 1);
        if (kind == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
        } else if ((kind == QLatin1Char('d') || kind == QLatin1Char('s')) && next < args.size()) {
            const QVariant& value = args.at(next++);
            // Decimal digits without grouping, whatever the locale.
            out += kind == QLatin1Char('d') ? QString::number(value.toLongLong()) : value.toString();
            ++i;
        } else {
            // An unknown directive, or one without a value, is shown as written.
            out += c;
        }
    }
    return out;
}
