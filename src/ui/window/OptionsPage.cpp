#include "OptionsPage.h"

#include "ProxyGroup.h"
#include "RangeSpinBox.h"
#include "ui/model/OptionTables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLabel* BuddyLabel(const char* aName, const char* aText, QWidget* aField, QWidget* aParent)
{
    auto* label = new QLabel(QString::fromUtf8(aText), aParent);
    label->setObjectName(QString::fromLatin1(aName));
    label->setBuddy(aField);
    return label;
}

// A check box whose caption stands in a label to its left: the label names it.
QCheckBox* LabelledCheckBox(const char* aName, const char* aCaption, QWidget* aParent)
{
    auto* box = new QCheckBox(aParent);
    box->setObjectName(QString::fromLatin1(aName));
    box->setAccessibleName(QString::fromUtf8(aCaption));
    return box;
}

}  // namespace

TOptionsPage::TOptionsPage(TProxies& aProxies, IDialogs& aDialogs, TProxyCommands::TLogFn aLog,
                           TAboutPanel::TOpenUrlFn aOpenUrl, TTextFn aUserAgentOfLatestRun,
                           const QString& aExeDir, QWidget* aParent)
    : QWidget(aParent), FProxyTestURL(QString::fromLatin1(DefaultProxyTestURL))
{
    setObjectName(QStringLiteral("tsOptions"));
    gbOptions = BuildOptionsGroup();
    FProxyGroup = new TProxyGroup(aProxies, aDialogs, std::move(aLog),
                                  [this] { return FProxyTestURL; }, std::move(aUserAgentOfLatestRun),
                                  aExeDir, this);
    connect(FProxyGroup->cbUseProxies, &QCheckBox::toggled, this,
            [this] { FMarks.Set(TOption::UseProxies); });  // cbUseProxiesClick
    FAbout = new TAboutPanel(std::move(aOpenUrl), [this] { return LanguageCode(); }, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbOptions);
    layout->addWidget(FProxyGroup, 1);
    layout->addWidget(FAbout);
}

QGroupBox* TOptionsPage::BuildOptionsGroup()
{
    auto* group = new QGroupBox(QStringLiteral(" Настройки "), this);
    group->setObjectName(QStringLiteral("gbOptions"));

    cbAppLang = new QComboBox(group);
    cbAppLang->setObjectName(QStringLiteral("cbAppLang"));
    const TRunSettings defaults;
    edMaxTreads = new TRangeSpinBox(ThreadLimitMin, ThreadLimitMax, 1, group);
    edMaxTreads->setObjectName(QStringLiteral("edMaxTreads"));
    edMaxTreads->setValue(defaults.MaxThreads);
    edPreDelay = new TRangeSpinBox(RequestDelayMin, RequestDelayMax, RequestDelayStep, group);
    edPreDelay->setObjectName(QStringLiteral("edPreDelay"));
    edPreDelay->setValue(defaults.RequestDelay);
    cbImpNoClearURLs = LabelledCheckBox("cbImpNoClearURLs", "Не очищать URL при импорте:", group);
    cbClearURLWOResult =
        LabelledCheckBox("cbClearURLWOResult", "Скрывать URL c пустыми результатами:", group);
    cbUniqueResult = LabelledCheckBox("cbUniqueResult", "Отбрасывать повторения в результате:", group);
    cbUniqueResult->setChecked(true);
    edUserAgent = new QComboBox(group);
    edUserAgent->setObjectName(QStringLiteral("edUserAgent"));
    edUserAgent->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    edUserAgentText = new QLineEdit(group);
    edUserAgentText->setObjectName(QStringLiteral("edUserAgentText"));
    edUserAgentText->setAccessibleName(QStringLiteral("Текст User-Agent"));
    // What the settings file gives back of a longer text.
    edUserAgentText->setMaxLength(2047);
    edUserAgentText->setEnabled(false);

    auto* grid = new QGridLayout(group);
    int row = 0;
    const auto addRow = [&](int aColumn, int aRow, QLabel* aLabel, QWidget* aField) {
        grid->addWidget(aLabel, aRow, aColumn);
        grid->addWidget(aField, aRow, aColumn + 1, Qt::AlignLeft);
    };
    addRow(0, row, BuddyLabel("lbAppLang", "Язык программы:", cbAppLang, group), cbAppLang);
    addRow(3, row++, BuddyLabel("lbImpNoClearURLs", "Не очищать URL при импорте:", cbImpNoClearURLs, group),
           cbImpNoClearURLs);
    addRow(0, row, BuddyLabel("lbMaxTreads", "Количество потоков:", edMaxTreads, group), edMaxTreads);
    addRow(3, row++,
           BuddyLabel("lbClearURLWOResult", "Скрывать URL c пустыми результатами:", cbClearURLWOResult, group),
           cbClearURLWOResult);
    addRow(0, row, BuddyLabel("lbPreDelay", "Задержка между запросами, мс:", edPreDelay, group), edPreDelay);
    addRow(3, row++,
           BuddyLabel("lbUniqueResult", "Отбрасывать повторения в результате:", cbUniqueResult, group),
           cbUniqueResult);
    grid->addWidget(BuddyLabel("lbUserAgent", "User-Agent:", edUserAgent, group), row, 0);
    auto* userAgentRow = new QHBoxLayout;
    userAgentRow->addWidget(edUserAgent);
    userAgentRow->addWidget(edUserAgentText, 1);
    grid->addLayout(userAgentRow, row, 1, 1, 4);
    grid->setColumnMinimumWidth(2, 30);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);

    // Change handlers: each sets its control's changed mark.
    connect(edMaxTreads, &QSpinBox::valueChanged, this, [this] { FMarks.Set(TOption::MaxThreads); });
    connect(edPreDelay, &QSpinBox::valueChanged, this, [this] { FMarks.Set(TOption::PreDelay); });
    connect(cbImpNoClearURLs, &QCheckBox::toggled, this, [this] { FMarks.Set(TOption::ImportNoClear); });
    connect(cbClearURLWOResult, &QCheckBox::toggled, this,
            [this] { FMarks.Set(TOption::ClearWithoutResult); });
    connect(cbUniqueResult, &QCheckBox::toggled, this, [this] { FMarks.Set(TOption::UniqueResults); });
    // The two lists react to the user's choice only.
    connect(edUserAgent, &QComboBox::activated, this, [this] { edUserAgentChange(); });
    connect(cbAppLang, &QComboBox::activated, this, [this](int aRow) { emit languageChosen(aRow); });
    connect(edUserAgentText, &QLineEdit::textChanged, this, [this] { edUserAgentTextChange(); });

    setTabOrder(cbAppLang, edMaxTreads);
    setTabOrder(edMaxTreads, edPreDelay);
    setTabOrder(edPreDelay, cbImpNoClearURLs);
    setTabOrder(cbImpNoClearURLs, cbClearURLWOResult);
    setTabOrder(cbClearURLWOResult, cbUniqueResult);
    setTabOrder(cbUniqueResult, edUserAgent);
    setTabOrder(edUserAgent, edUserAgentText);
    return group;
}

void TOptionsPage::LoadSettings(const TStoredSettings& s)
{
    edMaxTreads->setValue(s.MaxThreads);
    edPreDelay->setValue(s.ReqPreDelay);
    cbImpNoClearURLs->setChecked(s.ImportNoClear);
    FCustomUserAgent = s.CustomUserAgent;
    cbClearURLWOResult->setChecked(s.ClearWithoutResult);
    FProxyTestURL = s.ProxyTestURL;
    FProxyGroup->cbUseProxies->setChecked(s.UseProxies);
    cbUniqueResult->setChecked(s.UniqueResults);
}

void TOptionsPage::FillLanguages(int aRow)
{
    cbAppLang->clear();
    for (int row = 0; row < LanguageRowCount; ++row)
        cbAppLang->addItem(QString::fromUtf8(::LanguageRow(row).displayName));
    cbAppLang->setCurrentIndex(aRow);
}

void TOptionsPage::FillUserAgents(int aStoredRow)
{
    edUserAgent->clear();
    for (int row = 0; row < UserAgentRowCount; ++row)
        edUserAgent->addItem(QString::fromUtf8(UserAgentRow(row).displayName));
    edUserAgent->setCurrentIndex(aStoredRow >= 0 && aStoredRow < UserAgentRowCount ? aStoredRow : -1);
    edUserAgentChange();
}

int TOptionsPage::LanguageRow() const
{
    return cbAppLang->currentIndex();
}

QString TOptionsPage::LanguageCode() const
{
    const int row = cbAppLang->currentIndex();
    return row >= 0 && row < LanguageRowCount ? QString::fromLatin1(::LanguageRow(row).code) : QString();
}

void TOptionsPage::edUserAgentChange()
{
    FMarks.Set(TOption::UserAgent);
    const int row = edUserAgent->currentIndex();
    const bool custom = row == CustomUserAgentRow;
    FCustomFieldEnabled = custom;
    edUserAgentText->setEnabled(custom);
    if (row < 0)
        edUserAgentText->setText(QString());
    else if (custom && !FCustomUserAgent.isEmpty())
        edUserAgentText->setText(FCustomUserAgent);
    else
        edUserAgentText->setText(QString::fromUtf8(UserAgentRow(row).userAgent));
    QPalette palette = edUserAgentText->palette();
    palette.setColor(QPalette::Base, custom ? QColor(255, 255, 255) : QColor(192, 192, 192));
    // The style's grey text of a disabled field would vanish on silver.
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(48, 48, 48));
    edUserAgentText->setPalette(palette);
}

void TOptionsPage::edUserAgentTextChange()
{
    // A row other than the custom one fills the field: the custom text stays.
    if (!FCustomFieldEnabled)
        return;
    FMarks.Set(TOption::CustomUserAgent);
    if (edUserAgentText->text().isEmpty()) {
        edUserAgentText->setText(QString::fromUtf8(UserAgentRow(CustomUserAgentRow).userAgent));
        return;  // the handler ran again for the new text
    }
    FCustomUserAgent = edUserAgentText->text();
}

int TOptionsPage::MaxThreads() const { return edMaxTreads->value(); }
int TOptionsPage::RequestDelay() const { return edPreDelay->value(); }
QString TOptionsPage::UserAgentText() const { return edUserAgentText->text(); }
bool TOptionsPage::UseProxies() const { return FProxyGroup->cbUseProxies->isChecked(); }
bool TOptionsPage::UniqueResults() const { return cbUniqueResult->isChecked(); }
bool TOptionsPage::HideURLsWithoutResults() const { return cbClearURLWOResult->isChecked(); }
bool TOptionsPage::KeepURLsOnImport() const { return cbImpNoClearURLs->isChecked(); }

TRunSettings TOptionsPage::RunSettings() const
{
    TRunSettings settings;
    settings.MaxThreads = MaxThreads();
    settings.RequestDelay = RequestDelay();
    settings.UserAgent = UserAgentText();
    settings.UseProxies = UseProxies();
    settings.UniqueResults = UniqueResults();
    settings.HideURLsWithoutResults = HideURLsWithoutResults();
    return settings;
}

TOptionValues TOptionsPage::Values() const
{
    TOptionValues v;
    v.MaxThreads = MaxThreads();
    v.PreDelay = RequestDelay();
    v.UserAgentRow = edUserAgent->currentIndex();
    v.CustomUserAgent = FCustomUserAgent;
    v.CustomUserAgentEnabled = FCustomFieldEnabled;
    v.LangCode = LanguageCode();
    v.ImportNoClear = KeepURLsOnImport();
    v.ClearWithoutResult = HideURLsWithoutResults();
    v.UseProxies = UseProxies();
    v.UniqueResults = UniqueResults();
    return v;
}

void TOptionsPage::SetOptionsEnabled(bool bEnabled)
{
    gbOptions->setEnabled(bEnabled);
    FProxyGroup->setEnabled(bEnabled);
}
