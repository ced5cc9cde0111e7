#include "ui/window/RulesPage.h"

#include "core/Messages.h"
#include "core/Translate.h"
#include "ui/window/RuleTester.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int kBarHeight = 37;
const QColor kEvenPanel(226, 226, 226);
const QColor kOddPanel(247, 247, 247);

QPushButton* NewBarButton(QWidget* aBar, const char* aObjectName, int aLeft, int aWidth)
{
    auto* button = new QPushButton(aBar);
    button->setObjectName(QLatin1String(aObjectName));
    button->setGeometry(aLeft, 0, aWidth, 25);
    return button;
}

}  // namespace

TRulesPage::TRulesPage(const TRulesPageLinks& aLinks, QWidget* aParent)
    : QWidget(aParent), FLinks(aLinks), FChecks(std::make_unique<TQueryCheckQueue>()),
      FRulePanels(aLinks.Dialogs),
      FCommands(aLinks.CurrentRuleSet, aLinks.SavedRuleSets, aLinks.ExeDir + QStringLiteral("Tollmarsh.json"),
                aLinks.Dialogs, *this)
{
    // The slow checks wait until the page is first shown.
    FChecks->Hold(true);
    setObjectName(QStringLiteral("RulesPage"));
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    gbRules = new QGroupBox(this);
    gbRules->setObjectName(QStringLiteral("gbRules"));
    pageLayout->addWidget(gbRules);

    auto* groupLayout = new QVBoxLayout(gbRules);
    groupLayout->setContentsMargins(2, 2, 2, 2);
    groupLayout->setSpacing(0);
    sbRules = new QScrollArea(gbRules);
    sbRules->setObjectName(QStringLiteral("sbRules"));
    sbRules->setWidgetResizable(true);
    sbRules->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FPanelHost = new QWidget;
    FPanelHost->setObjectName(QStringLiteral("RulePanelHost"));
    FPanelStack = new QVBoxLayout(FPanelHost);
    FPanelStack->setContentsMargins(0, 0, 0, 0);
    FPanelStack->setSpacing(0);
    FPanelStack->addStretch(1);  // panels stack at the top
    sbRules->setWidget(FPanelHost);
    groupLayout->addWidget(sbRules, 1);

    Panel3 = new QWidget(gbRules);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(kBarHeight);
    Panel3->installEventFilter(this);
    groupLayout->addWidget(Panel3);
    BuildBar(Panel3);
    RetranslateUi();
    UpdateRuleSetButtons();
}

TRulesPage::~TRulesPage() = default;

void TRulesPage::BuildBar(QWidget* aBar)
{
    edRuleSets = new QComboBox(aBar);
    edRuleSets->setObjectName(QStringLiteral("edRuleSets"));
    edRuleSets->setGeometry(7, 0, 207, 25);
    btSaveRuleSet = NewBarButton(aBar, "btSaveRuleSet", 220, 100);
    btSaveRuleSetAs = NewBarButton(aBar, "btSaveRuleSetAs", 326, 123);
    btDelRuleSet = NewBarButton(aBar, "btDelRuleSet", 455, 100);
    btReqTest = NewBarButton(aBar, "btReqTest", 608, 153);
    btAddRule = NewBarButton(aBar, "btAddRule", 0, 150);
    btClearAllRules = NewBarButton(aBar, "btClearAllRules", 0, 150);
    // the right-hand pair never slides over the set buttons
    aBar->setMinimumWidth(btDelRuleSet->geometry().right() + 1 + 5 + btAddRule->width() + 5 +
                          btClearAllRules->width() + 5);

    // a pick by the user only: the commands change the selection themselves
    connect(edRuleSets, &QComboBox::activated, this, [this] {
        FCommands.ChooseSet();
        UpdateRuleSetButtons();
    });
    connect(btSaveRuleSet, &QPushButton::clicked, this, [this] { FCommands.SaveSet(); });
    connect(btSaveRuleSetAs, &QPushButton::clicked, this, [this] { FCommands.SaveSetAs(); });
    connect(btDelRuleSet, &QPushButton::clicked, this, [this] { FCommands.DeleteSet(); });
    connect(btReqTest, &QPushButton::clicked, this, [this] { ShowRuleTester(nullptr); });
    connect(btAddRule, &QPushButton::clicked, this, [this] { FCommands.AddRule(); });
    connect(btClearAllRules, &QPushButton::clicked, this, [this] { FCommands.ClearAllRules(); });

    setTabOrder(edRuleSets, btSaveRuleSet);
    setTabOrder(btSaveRuleSet, btSaveRuleSetAs);
    setTabOrder(btSaveRuleSetAs, btDelRuleSet);
    setTabOrder(btDelRuleSet, btReqTest);
    setTabOrder(btReqTest, btAddRule);
    setTabOrder(btAddRule, btClearAllRules);
}

void TRulesPage::RetranslateUi()
{
    gbRules->setTitle(Tr(" Правила извлечения информации "));
    btSaveRuleSet->setText(Tr("Сохранить"));
    btSaveRuleSetAs->setText(Tr("Сохранить как..."));
    btDelRuleSet->setText(Tr("Удалить"));
    btReqTest->setText(Tr("Тест правил..."));
    btAddRule->setText(Tr("Добавить"));
    btClearAllRules->setText(Tr("Очистить"));
    edRuleSets->setAccessibleName(Tr("Набор правил"));
}

void TRulesPage::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::LanguageChange)
        RetranslateUi();
    QWidget::changeEvent(aEvent);
}

void TRulesPage::ShowSavedSets(int aIndex)
{
    edRuleSets->clear();
    FCommands.ShowSavedSets(aIndex);
    UpdateRuleSetButtons();
}

int TRulesPage::SelectedSavedIndex() const
{
    return FCommands.SelectedSavedIndex();
}

// --- the list of set names ---

QString TRulesPage::SelectedSetName() const
{
    return edRuleSets->currentIndex() < 0 ? QString() : edRuleSets->currentText();
}

int TRulesPage::SetNameCount() const
{
    return edRuleSets->count();
}

bool TRulesPage::HasSetName(const QString& aName) const
{
    return edRuleSets->findText(aName, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
}

void TRulesPage::AppendSetName(const QString& aName)
{
    edRuleSets->addItem(aName);
}

void TRulesPage::RemoveSelectedSetName()
{
    if (edRuleSets->currentIndex() >= 0)
        edRuleSets->removeItem(edRuleSets->currentIndex());
}

void TRulesPage::SelectSetName(int aIndex)
{
    edRuleSets->setCurrentIndex(aIndex);
}

// --- the panels ---

void TRulesPage::AppendRulePanel(TScrapRule& aRule)
{
    auto panel = std::make_unique<TScrapRulePanel>(FPanelHost, *FChecks);
    panel->Rule = &aRule;
    panel->OnDeleteClick = [this](TScrapRulePanel* aPanel) { ScrapRulePanelDeleteClick(aPanel); };
    panel->OnTestClick = [this](TScrapRulePanel* aPanel) { ScrapRulePanelTestClick(aPanel); };
    FPanelStack->insertWidget(FPanelStack->count() - 1, panel.get());
    FRulePanels.Add(std::move(panel));
}

void TRulesPage::DropAllRulePanels()
{
    FRulePanels.Clear();
}

void TRulesPage::RepointRulePanels()
{
    TScrapRuleSet& current = FLinks.CurrentRuleSet;
    for (int i = 0; i < FRulePanels.Count(); ++i)
        FRulePanels.At(i)->Rule = i < current.Count() ? current.Rule(i) : nullptr;
}

void TRulesPage::RecreateRulesPanels()
{
    FRulePanels.Clear();
    TScrapRuleSet& current = FLinks.CurrentRuleSet;
    if (current.Count() == 0)
        return;
    for (int i = 0; i < current.Count(); ++i)
        AppendRulePanel(*current.Rule(i));
    PostRebuildRulePanels();
}

void TRulesPage::PostRebuildRulePanels()
{
    QCoreApplication::postEvent(this, std::make_unique<TPlainMessageEvent>(WM_REBUILD_RULE_PANELS).release());
}

void TRulesPage::LayoutRulePanels()
{
    sbRules->setUpdatesEnabled(false);
    for (int i = 0; i < FRulePanels.Count(); ++i) {
        TScrapRulePanel* panel = FRulePanels.At(i);
        FPanelStack->removeWidget(panel);
        FPanelStack->insertWidget(i, panel);
        panel->SetColour(i % 2 == 0 ? kEvenPanel : kOddPanel);
        panel->UpdateControls(true);
        if (i > 0)
            setTabOrder(FRulePanels.At(i - 1)->LastControl(), panel->FirstControl());
    }
    // Tab goes through the panels in their order, then to the bar
    if (FRulePanels.Count() > 0)
        setTabOrder(FRulePanels.At(FRulePanels.Count() - 1)->LastControl(), edRuleSets);
    sbRules->setUpdatesEnabled(true);
    FLayoutPending = false;
    UpdateRuleSetButtons();
}

void TRulesPage::UpdateRuleSetButtons()
{
    const bool hasName = !SelectedSetName().isEmpty();
    const bool hasRules = FLinks.CurrentRuleSet.Count() > 0;
    btSaveRuleSet->setEnabled(hasName && hasRules);
    btSaveRuleSetAs->setEnabled(hasRules);
    btClearAllRules->setEnabled(hasRules);
    btDelRuleSet->setEnabled(hasName);
}

bool TRulesPage::CheckRulesValid(bool bShowMsg)
{
    return FRulePanels.CheckRulesValid(bShowMsg);
}

void TRulesPage::Panel3Resize()
{
    const int right = Panel3->contentsRect().right() + 1;
    const int top = (Panel3->height() - btClearAllRules->height()) / 2;
    btClearAllRules->move(right - 5 - btClearAllRules->width(), top);
    btAddRule->move(btClearAllRules->x() - 5 - btAddRule->width(), top);
    for (QWidget* control : {static_cast<QWidget*>(edRuleSets), static_cast<QWidget*>(btSaveRuleSet),
                             static_cast<QWidget*>(btSaveRuleSetAs), static_cast<QWidget*>(btDelRuleSet),
                             static_cast<QWidget*>(btReqTest)})
        control->move(control->x(), top);
    // the tester's button keeps its place and steps aside when the bar is too narrow for it
    btReqTest->setVisible(btReqTest->geometry().right() + 5 < btAddRule->x());
}

// --- posted work ---

void TRulesPage::ScrapRulePanelDeleteClick(TScrapRulePanel* aPanel)
{
    QCoreApplication::postEvent(this, std::make_unique<TPlainMessageEvent>(WM_DELETE_RULE_PANEL, aPanel).release());
}

void TRulesPage::ScrapRulePanelTestClick(TScrapRulePanel* aPanel)
{
    QCoreApplication::postEvent(this, std::make_unique<TPlainMessageEvent>(WM_TEST_RULE, aPanel).release());
}

void TRulesPage::DeleteRulePanel(TScrapRulePanel* aPanel)
{
    const int index = FRulePanels.IndexOf(aPanel);
    if (index < 0)
        return;  // already gone with a rebuild
    FRulePanels.Delete(index);
    // no layout: the others close the gap and keep their colours until the next one
    FCommands.DeleteRule(index);
}

void TRulesPage::TestRulePanel(TScrapRulePanel* aPanel)
{
    const int index = FRulePanels.IndexOf(aPanel);
    if (index >= 0 && aPanel->Rule)
        ShowRuleTester(aPanel->Rule);
}

bool TRulesPage::event(QEvent* aEvent)
{
    switch (int(aEvent->type())) {
    case WM_DELETE_RULE_PANEL:
        DeleteRulePanel(static_cast<TScrapRulePanel*>(static_cast<TPlainMessageEvent*>(aEvent)->Param));
        return true;
    case WM_TEST_RULE:
        TestRulePanel(static_cast<TScrapRulePanel*>(static_cast<TPlainMessageEvent*>(aEvent)->Param));
        return true;
    case WM_REBUILD_RULE_PANELS:
        if (isVisible())
            LayoutRulePanels();
        else
            FLayoutPending = true;  // done when the page is next shown
        return true;
    default:
        break;
    }
    return QWidget::event(aEvent);
}

bool TRulesPage::eventFilter(QObject* aWatched, QEvent* aEvent)
{
    if (aWatched == Panel3 && aEvent->type() == QEvent::Resize)
        Panel3Resize();
    return QWidget::eventFilter(aWatched, aEvent);
}

void TRulesPage::showEvent(QShowEvent* aEvent)
{
    QWidget::showEvent(aEvent);
    FChecks->Hold(false);
    if (FLayoutPending)
        LayoutRulePanels();
}

void TRulesPage::ShowRuleTester(const TScrapRule* aRule)
{
    if (!FRuleTester)
        FRuleTester = std::make_unique<TfmReqTest>(
            TRuleTesterLinks{FLinks.Dialogs, FLinks.ExeDir, FLinks.UrlListAddresses, FLinks.UserAgentText},
            this);  // a window of its own; freed with the page
    FRuleTester->Prepare(aRule);
    FRuleTester->Open();
}
