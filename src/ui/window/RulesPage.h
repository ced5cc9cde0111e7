#pragma once
// The content of the rules page: the rule panels of the current set in a
// scroll box and, below them, the bar of rule-set commands. Deleting and
// testing a rule and laying the panels out are posted to the page itself
// (WM_DELETE_RULE_PANEL, WM_TEST_RULE, WM_REBUILD_RULE_PANELS), so a panel is
// never freed while its own button is still handling the click.

#include "core/Dialogs.h"
#include "core/RuleSets.h"
#include "core/ScrapRules.h"
#include "ui/model/QueryCheckQueue.h"
#include "ui/model/RuleSetCommands.h"
#include "ui/window/ScrapRulePanel.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class TfmReqTest;

// What the page works on; all owned by the main window.
struct TRulesPageLinks {
    TScrapRuleSet& CurrentRuleSet;
    TScrapRuleSets& SavedRuleSets;
    QString ExeDir;  // with a trailing separator: the rule-set file and the tester's files
    IDialogs& Dialogs;
    std::function<QStringList()> UrlListAddresses;  // the tester offers them; may be empty
    std::function<QString()> UserAgentText;         // edUserAgentText, for the tester's download
};

class TRulesPage : public QWidget, private IRuleSetView {
public:
    explicit TRulesPage(const TRulesPageLinks& aLinks, QWidget* aParent = nullptr);
    ~TRulesPage() override;

    // Start-up: the saved sets into edRuleSets, the one at aIndex current.
    void ShowSavedSets(int aIndex);
    // Close: the index of the saved set edRuleSets shows (-1 for none).
    int SelectedSavedIndex() const;
    QComboBox* RuleSetsBox() const { return edRuleSets; }

    void RecreateRulesPanels() override;
    void LayoutRulePanels() override;
    bool CheckRulesValid(bool bShowMsg) override;  // the run controller asks it
    void UpdateRuleSetButtons() override;
    // Opens the rule tester, with the rule's texts when one is given.
    void ShowRuleTester(const TScrapRule* aRule);

    const TScrapRulePanels& RulePanels() const { return FRulePanels; }
    bool LayoutPending() const { return FLayoutPending; }
    TfmReqTest* RuleTester() const { return FRuleTester.get(); }  // none before the first opening
    TQueryCheckQueue& QueryChecks() { return *FChecks; }

protected:
    bool event(QEvent* aEvent) override;
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;
    void showEvent(QShowEvent* aEvent) override;
    void changeEvent(QEvent* aEvent) override;

private:
    // IRuleSetView
    QString SelectedSetName() const override;
    int SetNameCount() const override;
    bool HasSetName(const QString& aName) const override;
    void AppendSetName(const QString& aName) override;
    void RemoveSelectedSetName() override;
    void SelectSetName(int aIndex) override;
    void RepointRulePanels() override;
    void AppendRulePanel(TScrapRule& aRule) override;
    void DropAllRulePanels() override;
    void PostRebuildRulePanels() override;

    void BuildBar(QWidget* aBar);
    void RetranslateUi();
    void Panel3Resize();
    void ScrapRulePanelDeleteClick(TScrapRulePanel* aPanel);
    void ScrapRulePanelTestClick(TScrapRulePanel* aPanel);
    void DeleteRulePanel(TScrapRulePanel* aPanel);
    void TestRulePanel(TScrapRulePanel* aPanel);

    TRulesPageLinks FLinks;
    std::unique_ptr<TQueryCheckQueue> FChecks;  // outlives the panels
    TScrapRulePanels FRulePanels;
    TRuleSetCommands FCommands;
    bool FLayoutPending = false;
    std::unique_ptr<TfmReqTest> FRuleTester;

    QGroupBox* gbRules;
    QScrollArea* sbRules;
    QWidget* FPanelHost;
    QVBoxLayout* FPanelStack;
    QWidget* Panel3;
    QComboBox* edRuleSets;
    QPushButton* btSaveRuleSet;
    QPushButton* btSaveRuleSetAs;
    QPushButton* btDelRuleSet;
    QPushButton* btReqTest;
    QPushButton* btAddRule;
    QPushButton* btClearAllRules;
};
