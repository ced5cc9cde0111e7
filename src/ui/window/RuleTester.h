#pragma once
// The rule tester: one rule tried on one page, loaded by URL or from a file.
// It works on copies of the rule's texts in its own controls and writes
// nothing back. Created at its first opening and kept, so what the user left
// in it is there at the next opening.

#include "core/Dialogs.h"
#include "core/ScrapRules.h"

#include <QDialog>
#include <QStringList>
#include <atomic>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QsciScintilla;

struct TRuleTesterLinks {
    IDialogs& Dialogs;
    QString ExeDir;                                 // where the file dialog starts
    std::function<QStringList()> UrlListAddresses;  // offered in edURLs
    std::function<QString()> UserAgentText;         // sent with the download
};

class TfmReqTest : public QDialog {
public:
    TfmReqTest(const TRuleTesterLinks& aLinks, QWidget* aParent);
    ~TfmReqTest() override;

    // Everything the opening does before the window shows: the texts in the
    // current language, the rule's texts and choices (or XPath without a rule),
    // the URL list's addresses and the remembered URL.
    void Prepare(const TScrapRule* aRule);
    // Shows the window maximised and modal; returns when it is closed.
    void Open();

    bool Loading() const { return FLoading; }
    // Closing while a page loads stops the download first.
    void reject() override;

protected:
    void changeEvent(QEvent* aEvent) override;

private:
    void BuildUi();
    void RetranslateUi();
    void edURLsChange();
    void rbXPathClick();
    void btLoadFromURLClick();
    void btLoadFromFileClick();
    void btDoQueryClick();
    int SelectedQueryType() const;        // -1 for none
    TScrapExtractType SelectedExtract() const;  // of the enabled, checked button; etUnknown for none

    TRuleTesterLinks FLinks;
    QString FRememberedURL;
    bool FLoading = false;
    std::atomic<bool> FAbortLoad{false};

    QGroupBox* gbSource;
    QComboBox* edURLs;
    QPushButton* btLoadFromURL;
    QPushButton* btLoadFromFile;
    QSplitter* FSplitter;
    QGroupBox* gbHTML;
    QsciScintilla* edHTML;
    QGroupBox* gbRule;
    QPlainTextEdit* edQuery;
    QGroupBox* gbQueryType;
    QButtonGroup* FTypeButtons;
    QRadioButton* rbXPath;
    QRadioButton* rbXQuery;
    QRadioButton* rbCSSPath;
    QRadioButton* rbRegEx;
    QRadioButton* rbHTMLTemplate;
    QLabel* lbAttribute;
    QLineEdit* edAttribute;
    QGroupBox* gbExtract;
    QRadioButton* rgText;
    QRadioButton* rgOuterHTML;
    QRadioButton* rgInnerHTML;
    QRadioButton* rgAnyPart;
    QCheckBox* cbChkUnique;
    QPushButton* btDoQuery;
    QGroupBox* gbResult;
    QsciScintilla* edResult;
};
