#include "cli/CliLanguage.h"

#include "core/Translate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

bool IsKnownLanguage(const QString& aCode)
{
    return aCode == u"ru" || aCode == u"en";
}

QString SystemLanguage()
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value.startsWith("ru") ? QStringLiteral("ru") : QStringLiteral("en");
    }
    return QStringLiteral("en");
}

}  // namespace

QString ChooseCliLanguage(const QString& aOption, const QString& aIniFile)
{
    if (IsKnownLanguage(aOption.toLower()))
        return aOption.toLower();
    if (QFileInfo(aIniFile).isFile()) {
        const QSettings ini(aIniFile, QSettings::IniFormat);
        const QString stored = ini.value(QStringLiteral("PARAMS/lang")).toString().toLower();
        if (IsKnownLanguage(stored))
            return stored;
    }
    return SystemLanguage();
}

QString LangOption(const QStringList& aArgs)
{
    for (qsizetype i = 0; i < aArgs.size(); ++i) {
        if (aArgs.at(i) == u"--lang" && i + 1 < aArgs.size())
            return aArgs.at(i + 1);
        if (aArgs.at(i).startsWith(QLatin1String("--lang=")))
            return aArgs.at(i).mid(7);
    }
    return QString();
}

void ApplyCliLanguage(const QString& aOption)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    InitTranslation(programDir.filePath(QStringLiteral("locale")));
    SetTranslationLanguage(ChooseCliLanguage(aOption, programDir.filePath(QStringLiteral("Tollmarsh.ini"))));
}
