#pragma once
// The settings file Tollmarsh.ini beside the executable: what start-up reads,
// in its order, and what close writes, only the changed settings and always
// the rule-set index. The file itself is a TIniFile that keeps its other lines.

#include <QList>
#include <QPair>
#include <QString>
#include <bitset>

inline constexpr const char* SettingsFileName = "Tollmarsh.ini";
inline constexpr const char* SettingsSection = "PARAMS";
// A fixed public page that answers 200; the settings file may name another one.
inline constexpr const char* DefaultProxyTestURL = "http://example.com/";

// The stored values, with the defaults of a missing key.
struct TStoredSettings {
    QString Lang;
    int MaxThreads = 5;
    int ReqPreDelay = 100;  // the delay control raises it to its minimum
    bool ImportNoClear = false;
    int UserAgentRow = 0;
    QString CustomUserAgent;
    bool ClearWithoutResult = false;
    int RuleSetNdx = 0;
    QString ProxyTestURL = QString::fromLatin1(DefaultProxyTestURL);
    bool UseProxies = false;
    bool UniqueResults = true;
};

// Reads every key in the order of the file's table; a missing file gives the defaults.
TStoredSettings ReadStoredSettings(const QString& sFileName);

// The option controls that carry a changed mark, in the order close writes them.
enum class TOption {
    MaxThreads, PreDelay, UserAgent, CustomUserAgent, Lang,
    ImportNoClear, ClearWithoutResult, UseProxies, UniqueResults, Count
};

class TChangedMarks {
public:
    void Set(TOption aOption) { FMarks.set(size_t(aOption)); }
    bool IsSet(TOption aOption) const { return FMarks.test(size_t(aOption)); }
    void ClearAll() { FMarks.reset(); }

private:
    std::bitset<size_t(TOption::Count)> FMarks;
};

// The option values as the controls hold them at close.
struct TOptionValues {
    int MaxThreads = 5;
    int PreDelay = 1500;
    int UserAgentRow = 0;  // -1 when no row is selected
    QString CustomUserAgent;
    bool CustomUserAgentEnabled = false;  // the custom row is selected
    QString LangCode;
    bool ImportNoClear = false;
    bool ClearWithoutResult = false;
    bool UseProxies = false;
    bool UniqueResults = true;
};

using TSettingWrites = QList<QPair<QString, QString>>;  // key and value text, in order

// The marked settings in their order, then "ruleset-ndx"; never "proxy-test-url".
TSettingWrites SettingsToWrite(const TOptionValues& aValues, const TChangedMarks& aMarks,
                               int aRuleSetNdx);
// Replaces each key in place in the file (created when absent); false when
// the file cannot be read or written, the old file is then unchanged.
bool WriteSettings(const QString& sFileName, const TSettingWrites& aWrites);

// The language row for a stored code (ASCII letters folded), else the first row
// whose language id is the system's or 0.
int ChooseLanguageRow(const QString& sLang, int aSystemLanguageId);
// The Windows-style language id of the system's locale (0x0419 for Russian).
int SystemLanguageId();

// The saved set chosen at start: the stored index, or the first set when the
// index is outside the list; -1 when there is no saved set.
int ChooseRuleSetIndex(int aStoredNdx, int aSetCount);

// The fixed box of a second start, by "lang" of the settings file ("ru" when
// the file or the key is absent). The texts do not pass through the catalogue.
struct TAlreadyRunningMessage {
    QString Text;
    QString Title;
    bool Russian = true;
};
TAlreadyRunningMessage AlreadyRunningMessage(const QString& sSettingsFileName);
