#pragma once
// The options page tsOptions: the options group gbOptions, the proxy group and
// the About panel. It holds the option values other pages read and the
// changed mark of every option control; close writes only marked settings.

#include "AboutPanel.h"
#include "OptionValues.h"
#include "engine/RunSettings.h"
#include "proxies/ProxyCommands.h"
#include "ui/model/AppSettings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class TProxyGroup;
class TRangeSpinBox;

class TOptionsPage : public QWidget, public IOptionValues {
    Q_OBJECT
public:
    using TTextFn = std::function<QString()>;

    // aUserAgentOfLatestRun gives the User-Agent text captured when the latest
    // run started (the proxy check sends it).
    TOptionsPage(TProxies& aProxies, IDialogs& aDialogs, TProxyCommands::TLogFn aLog,
                 TAboutPanel::TOpenUrlFn aOpenUrl, TTextFn aUserAgentOfLatestRun,
                 const QString& aExeDir, QWidget* aParent = nullptr);

    // Start-up: the stored values into the controls, in the file's order.
    void LoadSettings(const TStoredSettings& aSettings);
    // Start-up: the language list with aRow selected (no change handler runs).
    void FillLanguages(int aRow);
    // Start-up: the User-Agent list, the stored row selected when it is one of
    // the list, then the selection handler.
    void FillUserAgents(int aStoredRow);

    int LanguageRow() const;
    QString LanguageCode() const;  // of the selected row; empty with none

    // The values other pages read, from the controls as they stand now.
    int MaxThreads() const;
    int RequestDelay() const;
    QString UserAgentText() const;
    bool UseProxies() const;
    bool UniqueResults() const;
    bool HideURLsWithoutResults() const;
    bool KeepURLsOnImport() const override;
    QString ProxyTestURL() const { return FProxyTestURL; }
    TRunSettings RunSettings() const override;

    // Everything close writes.
    TOptionValues Values() const;
    const TChangedMarks& Marks() const { return FMarks; }
    // The language switch sets the mark of the language list.
    void MarkLanguageChanged() { FMarks.Set(TOption::Lang); }

    // Disabled for the length of a run.
    void SetOptionsEnabled(bool bEnabled);

    TProxyGroup* ProxyGroup() const { return FProxyGroup; }
    TAboutPanel* AboutPanel() const { return FAbout; }

    void edUserAgentChange();
    void edUserAgentTextChange();

signals:
    // The user chose another interface language.
    void languageChosen(int aRow);

private:
    QGroupBox* BuildOptionsGroup();

    TChangedMarks FMarks;
    QString FCustomUserAgent;
    bool FCustomFieldEnabled = false;
    QString FProxyTestURL;

    QGroupBox* gbOptions;
    QComboBox* cbAppLang;
    TRangeSpinBox* edMaxTreads;
    TRangeSpinBox* edPreDelay;
    QCheckBox* cbImpNoClearURLs;
    QCheckBox* cbClearURLWOResult;
    QCheckBox* cbUniqueResult;
    QComboBox* edUserAgent;
    QLineEdit* edUserAgentText;
    TProxyGroup* FProxyGroup;
    TAboutPanel* FAbout;
};
