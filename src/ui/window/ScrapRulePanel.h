#pragma once
// One rule of the current set in a 50 pixel strip: name, query type, query text,
// validity mark, extract choice, attribute, and the test and delete buttons.
// Every change is written into the live rule at once.

#include "core/Dialogs.h"
#include "core/ScrapRules.h"

#include <QFrame>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TQueryCheckQueue;

class TScrapRulePanel : public QFrame {
public:
    static constexpr int kHeight = 50;

    TScrapRulePanel(QWidget* aOwner, TQueryCheckQueue& aChecks);
    ~TScrapRulePanel() override;

    TScrapRule* Rule = nullptr;  // set by the creator; not owned

    // The page's handlers of the test and delete buttons.
    std::function<void(TScrapRulePanel*)> OnTestClick;
    std::function<void(TScrapRulePanel*)> OnDeleteClick;

    // Refreshes the controls from Rule; with aAssignD2C its texts and type first.
    void UpdateControls(bool aAssignD2C);
    void ShowQueryValidMark(bool aValid);
    bool QueryValidMarkShown() const { return FValidShown; }  // what the mark shows now
    bool QueryCheckPending() const { return FCheckPending; }
    void SetColour(const QColor& aColour);
    // The ends of the panel's own tab order, for chaining panels.
    QWidget* FirstControl() const;
    QWidget* LastControl() const;

protected:
    void changeEvent(QEvent* aEvent) override;

private:
    void RetranslateUi();
    void PlaceControls();
    void RefreshValidity();

    TQueryCheckQueue& FChecks;
    int FCheckClient;
    bool FValidShown = false;
    bool FCheckPending = false;
    // The last answer of the query thread, so typing the name does not ask again.
    struct TLastCheck {
        bool Known = false;
        QString Query;
        TScrapQueryType Type = qtXPath;
        bool Valid = false;
    } FLastCheck;
    void KeepAnswer(const QString& aQuery, TScrapQueryType aType, bool aValid);

    QLabel* FLabel1;
    QLineEdit* FNameEdit;
    QLabel* FLabel2;
    QComboBox* FTypeCombo;
    QLabel* FLabel3;
    QLineEdit* FRuleStrEdit;
    QToolButton* FQueryValid;
    QLabel* FLabel4;
    QComboBox* FExtractCombo;
    QLineEdit* FAttrEdit;
    QToolButton* FTestButton;
    QToolButton* FDelButton;
    int FExtractWidth = 234;
};

// The panels in rule order (panel i edits rule i of the current set). The list
// frees the panels it holds.
class TScrapRulePanels {
public:
    explicit TScrapRulePanels(IDialogs& aDialogs) : FDialogs(aDialogs) {}

    int Count() const { return int(FPanels.size()); }
    TScrapRulePanel* At(int aIndex) const { return FPanels.at(size_t(aIndex)).get(); }
    int IndexOf(const TScrapRulePanel* aPanel) const;  // -1 when not listed
    TScrapRulePanel* Add(std::unique_ptr<TScrapRulePanel> aPanel);
    void Delete(int aIndex);  // frees the panel, never its rule
    void Clear();

    // True when every rule can be run; with bShowMsg the first problem is
    // explained in a box. No panel counts as valid.
    bool CheckRulesValid(bool bShowMsg) const;

private:
    IDialogs& FDialogs;
    std::vector<std::unique_ptr<TScrapRulePanel>> FPanels;
};
