#pragma once
// The commands of the rule-set bar: choose a saved set, save, save as, delete a
// saved set, add a rule, delete all rules. The current set is a private copy:
// choosing copies a saved set into it, saving copies it back. The rules page
// shows the results through IRuleSetView; every box goes through IDialogs.

#include "core/Dialogs.h"
#include "core/RuleSets.h"
#include "core/ScrapRules.h"

#include <QString>

// What the commands need of the rules page.
class IRuleSetView {
public:
    virtual ~IRuleSetView() = default;
    // The list of set names (edRuleSets).
    virtual QString SelectedSetName() const = 0;
    virtual int SetNameCount() const = 0;
    virtual bool HasSetName(const QString& aName) const = 0;  // exactly this text
    virtual void AppendSetName(const QString& aName) = 0;
    virtual void RemoveSelectedSetName() = 0;
    virtual void SelectSetName(int aIndex) = 0;
    // The rule panels.
    virtual bool CheckRulesValid(bool bShowMsg) = 0;
    virtual void RecreateRulesPanels() = 0;
    virtual void RepointRulePanels() = 0;  // panel i to rule i of the current set
    virtual void AppendRulePanel(TScrapRule& aRule) = 0;
    virtual void DropAllRulePanels() = 0;
    virtual void LayoutRulePanels() = 0;
    virtual void PostRebuildRulePanels() = 0;
    virtual void UpdateRuleSetButtons() = 0;
};

class TRuleSetCommands {
public:
    TRuleSetCommands(TScrapRuleSet& aCurrentRuleSet, TScrapRuleSets& aSavedRuleSets,
                     const QString& aRuleSetFileName, IDialogs& aDialogs, IRuleSetView& aView);

    // Start-up: the list shows the saved sets and the one at aIndex (clamped)
    // becomes current; without saved sets an empty current set gets the
    // default name, which the list shows, without a saved set behind it.
    void ShowSavedSets(int aIndex);
    // The index of the saved set the list shows, -1 for none (stored at close).
    int SelectedSavedIndex() const;

    void ChooseSet();         // the set named in the list becomes the current set
    void SaveSet();           // copies the current set into the saved one and writes the file
    void SaveSetAs();         // asks for a new name
    void DeleteSet();         // after a question
    void AddRule();
    void ClearAllRules();     // after a question
    void DeleteRule(int aIndex);  // one rule with its panel, no question

    // The name of the set that exists when nothing is saved, translated now.
    static QString DefaultSetName();

private:
    TScrapRuleSet& FCurrent;
    TScrapRuleSets& FSaved;
    QString FFileName;
    IDialogs& FDialogs;
    IRuleSetView& FView;
};
