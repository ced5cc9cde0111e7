#include "AppSettings.h"

#include "IniFile.h"
#include "OptionTables.h"
#include "core/TextUtil.h"

#include <QLocale>

namespace {

const QString Section = QString::fromLatin1(SettingsSection);

QString Bool(bool aValue)
{
    return aValue ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

TStoredSettings ReadStoredSettings(const QString& sFileName)
{
    TStoredSettings s;
    TIniFile ini;
    if (!ini.Load(sFileName))
        return s;
    s.Lang = ini.ReadString(Section, QStringLiteral("lang"), s.Lang);
    s.MaxThreads = ini.ReadInteger(Section, QStringLiteral("max-threads"), s.MaxThreads);
    s.ReqPreDelay = ini.ReadInteger(Section, QStringLiteral("req-predelay"), s.ReqPreDelay);
    s.ImportNoClear = ini.ReadBool(Section, QStringLiteral("import-no-clear"), s.ImportNoClear);
    s.UserAgentRow = ini.ReadInteger(Section, QStringLiteral("user-agent"), s.UserAgentRow);
    s.CustomUserAgent = ini.ReadString(Section, QStringLiteral("custom-user-agent"), s.CustomUserAgent);
    s.ClearWithoutResult =
        ini.ReadBool(Section, QStringLiteral("clear-without-result"), s.ClearWithoutResult);
    s.RuleSetNdx = ini.ReadInteger(Section, QStringLiteral("ruleset-ndx"), s.RuleSetNdx);
    s.ProxyTestURL = ini.ReadString(Section, QStringLiteral("proxy-test-url"), s.ProxyTestURL);
    s.UseProxies = ini.ReadBool(Section, QStringLiteral("use-proxies"), s.UseProxies);
    s.UniqueResults = ini.ReadBool(Section, QStringLiteral("unique-results"), s.UniqueResults);
    return s;
}

TSettingWrites SettingsToWrite(const TOptionValues& v, const TChangedMarks& aMarks, int aRuleSetNdx)
{
    TSettingWrites writes;
    const auto add = [&](TOption aOption, const char* aKey, const QString& aValue) {
        if (aMarks.IsSet(aOption))
            writes.append({QString::fromLatin1(aKey), aValue});
    };
    add(TOption::MaxThreads, "max-threads", QString::number(v.MaxThreads));
    add(TOption::PreDelay, "req-predelay", QString::number(v.PreDelay));
    add(TOption::UserAgent, "user-agent", QString::number(v.UserAgentRow));
    // The custom text is written only while its field can be edited.
    if (v.CustomUserAgentEnabled)
        add(TOption::CustomUserAgent, "custom-user-agent", v.CustomUserAgent);
    add(TOption::Lang, "lang", v.LangCode);
    add(TOption::ImportNoClear, "import-no-clear", Bool(v.ImportNoClear));
    add(TOption::ClearWithoutResult, "clear-without-result", Bool(v.ClearWithoutResult));
    add(TOption::UseProxies, "use-proxies", Bool(v.UseProxies));
    add(TOption::UniqueResults, "unique-results", Bool(v.UniqueResults));
    writes.append({QStringLiteral("ruleset-ndx"), QString::number(aRuleSetNdx)});
    return writes;
}

bool WriteSettings(const QString& sFileName, const TSettingWrites& aWrites)
{
    TIniFile ini;
    if (!ini.Load(sFileName))
        return false;  // never replace a file that could not be read
    for (const auto& [key, value] : aWrites)
        ini.WriteString(Section, key, value);
    return ini.Save(sFileName);
}

int ChooseLanguageRow(const QString& sLang, int aSystemLanguageId)
{
    if (!sLang.isEmpty())
        for (int row = 0; row < LanguageRowCount; ++row)
            if (SameTextASCII(QString::fromLatin1(LanguageRow(row).code), sLang))
                return row;
    for (int row = 0; row < LanguageRowCount; ++row) {
        const int id = LanguageRow(row).languageId;
        if (id == aSystemLanguageId || id == 0)
            return row;
    }
    return 0;
}

int SystemLanguageId()
{
    // Only Russian has a row of its own; every other language takes the row of id 0.
    return QLocale::system().language() == QLocale::Russian ? 0x0419 : 0x0409;
}

int ChooseRuleSetIndex(int aStoredNdx, int aSetCount)
{
    if (aSetCount <= 0)
        return -1;
    return aStoredNdx < 0 || aStoredNdx >= aSetCount ? 0 : aStoredNdx;
}

TAlreadyRunningMessage AlreadyRunningMessage(const QString& sSettingsFileName)
{
    TIniFile ini;
    QString lang = QStringLiteral("ru");
    if (ini.Load(sSettingsFileName))
        lang = ini.ReadString(Section, QStringLiteral("lang"), lang);
    if (lang == QLatin1String("ru"))
        return {QString::fromUtf8("Программа уже запущена"), QString::fromUtf8("Предупреждение"), true};
    return {QStringLiteral("Program already started!"), QStringLiteral("Warning"), false};
}
