#include "ui/window/RulesPage.h"

#include "RecordingDialogs.h"
#include "core/Translate.h"
#include "ui/window/RuleTester.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using TKind = TRecordingDialogs::TKind;

namespace {

class RulesPage : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TScrapRuleSet Current;
    TScrapRuleSets Saved;
    TRecordingDialogs Dialogs;
    std::unique_ptr<TRulesPage> Page;

    void SetUp() override
    {
        Page = std::make_unique<TRulesPage>(TRulesPageLinks{Current, Saved, Dir.path() + u'/', Dialogs,
                                                            [] { return QStringList{"http://a/", "http://b/"}; },
                                                            [] { return QStringLiteral("TestAgent"); }});
        Page->resize(1100, 500);
    }
    void AddSaved(const QString& aName, std::initializer_list<const char*> aQueries)
    {
        auto set = std::make_unique<TScrapRuleSet>();
        set->Name = aName;
        for (const char* query : aQueries)
            set->Add(std::make_unique<TScrapRule>())->Query = QString::fromUtf8(query);
        Saved.Add(std::move(set));
    }
    template <class T>
    T* Control(const char* aName)
    {
        T* control = Page->findChild<T*>(QLatin1String(aName));
        EXPECT_NE(control, nullptr) << aName;
        return control;
    }
    QPushButton* Button(const char* aName) { return Control<QPushButton>(aName); }
    template <class T>
    T* PanelControl(int aPanel, const char* aName)
    {
        return Page->RulePanels().At(aPanel)->findChild<T*>(QLatin1String(aName));
    }
    QColor Colour(int aPanel) { return Page->RulePanels().At(aPanel)->palette().color(QPalette::Window); }
    void Settle() { QCoreApplication::processEvents(); }
};

// The control Tab moves to from aFrom.
QWidget* NextTabStop(QWidget* aFrom)
{
    QWidget* next = aFrom->nextInFocusChain();
    while (next != aFrom && !((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled()))
        next = next->nextInFocusChain();
    return next;
}

const QColor kEven(226, 226, 226);
const QColor kOdd(247, 247, 247);

}  // namespace

TEST_F(RulesPage, TheBarHasItsControlsAndButtonsFollowTheSet)
{
    Page->show();
    Page->ShowSavedSets(0);
    Settle();
    EXPECT_EQ(Page->RuleSetsBox()->objectName(), "edRuleSets");
    EXPECT_EQ(Page->RuleSetsBox()->currentText(), "По-умолчанию");
    EXPECT_FALSE(Button("btSaveRuleSet")->isEnabled());
    EXPECT_FALSE(Button("btSaveRuleSetAs")->isEnabled());
    EXPECT_FALSE(Button("btClearAllRules")->isEnabled());
    EXPECT_TRUE(Button("btDelRuleSet")->isEnabled());
    EXPECT_TRUE(Button("btAddRule")->isEnabled());
    EXPECT_TRUE(Button("btReqTest")->isVisible());

    QTest::mouseClick(Button("btAddRule"), Qt::LeftButton);
    Settle();
    ASSERT_EQ(Page->RulePanels().Count(), 1);
    EXPECT_EQ(Current.Count(), 1);
    EXPECT_TRUE(Button("btSaveRuleSet")->isEnabled());
    EXPECT_TRUE(Button("btSaveRuleSetAs")->isEnabled());
    EXPECT_TRUE(Button("btClearAllRules")->isEnabled());

    // the two right-hand buttons keep to the bar's right edge
    QWidget* bar = Control<QWidget>("Panel3");
    EXPECT_EQ(Button("btClearAllRules")->geometry().right(), bar->width() - 6);
    EXPECT_EQ(Button("btAddRule")->geometry().right(), Button("btClearAllRules")->x() - 6);
    Page->resize(1300, 500);
    Settle();
    EXPECT_EQ(Button("btClearAllRules")->geometry().right(), bar->width() - 6);

    // a bar too narrow for every button hides the tester's, never under the others
    Page->resize(900, 500);
    Settle();
    EXPECT_FALSE(Button("btReqTest")->isVisible());
    EXPECT_GT(Button("btAddRule")->x(), Button("btDelRuleSet")->geometry().right());
}

TEST_F(RulesPage, PickingTheDefaultNameWithoutASavedSetIsAnError)
{
    Page->show();
    Page->ShowSavedSets(0);
    emit Page->RuleSetsBox()->activated(0);
    EXPECT_EQ(Dialogs.Texts(TKind::Error), QStringList{"Невозможно загрузить сохраненный набор правил!"});
}

TEST_F(RulesPage, PanelsAlternateTheirColoursAndADeletedOneLeavesAGapOfColour)
{
    AddSaved("Main", {"//a", "//b", "//c"});
    Page->show();
    Page->ShowSavedSets(0);
    Settle();
    ASSERT_EQ(Page->RulePanels().Count(), 3);
    EXPECT_EQ(Colour(0), kEven);
    EXPECT_EQ(Colour(1), kOdd);
    EXPECT_EQ(Colour(2), kEven);
    EXPECT_EQ(PanelControl<QLineEdit>(1, "FRuleStrEdit")->text(), "//b");
    // Tab runs through one panel, on to the next, and from the last to the bar
    EXPECT_EQ(NextTabStop(PanelControl<QToolButton>(0, "FDelButton")), PanelControl<QLineEdit>(1, "FNameEdit"));
    EXPECT_EQ(NextTabStop(PanelControl<QToolButton>(2, "FDelButton")), Page->RuleSetsBox());

    QTest::mouseClick(PanelControl<QToolButton>(1, "FDelButton"), Qt::LeftButton);
    EXPECT_EQ(Page->RulePanels().Count(), 3);  // posted, not done inside the click
    Settle();
    ASSERT_EQ(Page->RulePanels().Count(), 2);
    ASSERT_EQ(Current.Count(), 2);
    EXPECT_EQ(Current.Rule(1)->Query, "//c");
    EXPECT_EQ(Page->RulePanels().At(1)->Rule, Current.Rule(1));
    EXPECT_EQ(Colour(0), Colour(1));
    EXPECT_EQ(Saved.At(0)->Count(), 3);  // the saved set is untouched until a save

    QTest::mouseClick(Button("btAddRule"), Qt::LeftButton);
    Settle();
    ASSERT_EQ(Page->RulePanels().Count(), 3);
    EXPECT_EQ(Colour(0), kEven);
    EXPECT_EQ(Colour(1), kOdd);
    EXPECT_EQ(Colour(2), kEven);
}

TEST_F(RulesPage, DeletingEveryPanelKeepsTheButtonsUntilTheNextLayout)
{
    AddSaved("Main", {"//a", "//b"});
    Page->show();
    Page->ShowSavedSets(0);
    Settle();
    while (Page->RulePanels().Count() > 0) {
        QTest::mouseClick(PanelControl<QToolButton>(0, "FDelButton"), Qt::LeftButton);
        Settle();
    }
    EXPECT_EQ(Current.Count(), 0);
    EXPECT_TRUE(Button("btSaveRuleSet")->isEnabled());
    EXPECT_TRUE(Button("btSaveRuleSetAs")->isEnabled());
    EXPECT_TRUE(Button("btClearAllRules")->isEnabled());
    Page->LayoutRulePanels();
    EXPECT_FALSE(Button("btSaveRuleSet")->isEnabled());
    EXPECT_FALSE(Button("btClearAllRules")->isEnabled());
}

TEST_F(RulesPage, ARebuildAskedWhileHiddenRunsWhenThePageIsShown)
{
    AddSaved("Main", {"//a", "//b"});
    Page->ShowSavedSets(0);
    Settle();
    EXPECT_TRUE(Page->LayoutPending());
    ASSERT_EQ(Page->RulePanels().Count(), 2);
    EXPECT_TRUE(PanelControl<QLineEdit>(0, "FRuleStrEdit")->text().isEmpty());
    Page->show();
    EXPECT_FALSE(Page->LayoutPending());
    EXPECT_EQ(PanelControl<QLineEdit>(0, "FRuleStrEdit")->text(), "//a");
}

TEST_F(RulesPage, ClearAllAsksFirst)
{
    AddSaved("Main", {"//a", "//b"});
    Page->show();
    Page->ShowSavedSets(0);
    Settle();
    QTest::mouseClick(Button("btClearAllRules"), Qt::LeftButton);
    EXPECT_EQ(Page->RulePanels().Count(), 2);
    Dialogs.YesNoAnswers = {true};
    QTest::mouseClick(Button("btClearAllRules"), Qt::LeftButton);
    EXPECT_EQ(Page->RulePanels().Count(), 0);
    EXPECT_EQ(Current.Count(), 0);
    EXPECT_FALSE(Button("btClearAllRules")->isEnabled());
}

TEST_F(RulesPage, SaveSaveAsAndDeleteThroughTheBar)
{
    AddSaved("Main", {"//a"});
    Page->show();
    Page->ShowSavedSets(0);
    Settle();
    QTest::keyClick(PanelControl<QLineEdit>(0, "FRuleStrEdit"), Qt::Key_End);
    QTest::keyClicks(PanelControl<QLineEdit>(0, "FRuleStrEdit"), "[1]");
    QTest::mouseClick(Button("btSaveRuleSet"), Qt::LeftButton);
    EXPECT_EQ(Saved.At(0)->Rule(0)->Query, "//a[1]");
    TScrapRuleSets file;
    ASSERT_TRUE(file.LoadFromFile(Dir.filePath("Tollmarsh.json")));
    EXPECT_EQ(file.At(0)->Rule(0)->Query, "//a[1]");

    Dialogs.InputAnswers = {"main", "Copy"};
    QTest::mouseClick(Button("btSaveRuleSetAs"), Qt::LeftButton);
    EXPECT_EQ(Dialogs.Count(TKind::Warning), 1);
    EXPECT_EQ(Page->RuleSetsBox()->currentText(), "Copy");
    EXPECT_EQ(Page->RuleSetsBox()->count(), 2);
    Settle();
    // the panels now edit the new private copy
    QTest::keyClicks(PanelControl<QLineEdit>(0, "FNameEdit"), "T");
    EXPECT_EQ(Current.Rule(0)->Name, "T");
    EXPECT_TRUE(Saved.At(1)->Rule(0)->Name.isEmpty());
    EXPECT_EQ(Page->SelectedSavedIndex(), 1);

    Dialogs.YesNoAnswers = {true};
    QTest::mouseClick(Button("btDelRuleSet"), Qt::LeftButton);
    EXPECT_EQ(Saved.Count(), 1);
    EXPECT_EQ(Page->RuleSetsBox()->currentText(), "Main");
    Settle();
    EXPECT_EQ(PanelControl<QLineEdit>(0, "FRuleStrEdit")->text(), "//a[1]");
}

TEST_F(RulesPage, CheckRulesValidNamesTheFirstBadRule)
{
    AddSaved("Main", {"//a", "", "//c["});
    Page->show();
    Page->ShowSavedSets(0);
    Settle();
    EXPECT_FALSE(Page->CheckRulesValid(true));
    EXPECT_EQ(Dialogs.Texts(TKind::Warning),
              QStringList{"Ошибка в правиле #2\nЗначение запроса пусто. Вы не сможете запустить проверку"});
}

TEST_F(RulesPage, ThePanelsTestButtonOpensTheTesterOnACopyOfItsRule)
{
    AddSaved("Main", {"div.a"});
    Saved.At(0)->Rule(0)->QueryType = qtCssPath;
    Saved.At(0)->Rule(0)->Attribute = "href";
    Saved.At(0)->Rule(0)->ExtractType = etInnerHTML;
    Page->show();
    Page->ShowSavedSets(0);
    Settle();

    bool inspected = false;
    // the click only posts WM_TEST_RULE: the timer comes after it in the queue
    QTest::mouseClick(PanelControl<QToolButton>(0, "FTestButton"), Qt::LeftButton);
    EXPECT_EQ(Page->RuleTester(), nullptr);
    QTimer::singleShot(0, [&] {
        TfmReqTest* tester = Page->RuleTester();
        ASSERT_NE(tester, nullptr);
        EXPECT_TRUE(tester->isModal());
        EXPECT_TRUE(tester->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(tester->findChild<QPlainTextEdit*>("edQuery")->toPlainText(), "div.a");
        EXPECT_TRUE(tester->findChild<QRadioButton*>("rbCSSPath")->isChecked());
        EXPECT_TRUE(tester->findChild<QRadioButton*>("rgInnerHTML")->isChecked());
        auto* attribute = tester->findChild<QLineEdit*>("edAttribute");
        EXPECT_EQ(attribute->text(), "href");
        EXPECT_TRUE(attribute->isEnabled());
        auto* urls = tester->findChild<QComboBox*>("edURLs");
        EXPECT_EQ(urls->count(), 2);
        // changes in the tester stay there
        tester->findChild<QPlainTextEdit*>("edQuery")->setPlainText("p");
        attribute->setText("src");
        tester->findChild<QRadioButton*>("rbXPath")->click();
        inspected = true;
        tester->reject();
    });
    Settle();  // WM_TEST_RULE opens the tester, which runs until the timer closes it
    EXPECT_TRUE(inspected);
    EXPECT_EQ(Current.Rule(0)->Query, "div.a");
    EXPECT_EQ(Current.Rule(0)->Attribute, "href");
    EXPECT_EQ(Current.Rule(0)->QueryType, qtCssPath);
    EXPECT_EQ(PanelControl<QLineEdit>(0, "FRuleStrEdit")->text(), "div.a");

    // the bar's button keeps the texts but selects XPath
    inspected = false;
    TfmReqTest* first = Page->RuleTester();
    QTimer::singleShot(0, [&] {
        TfmReqTest* tester = Page->RuleTester();
        EXPECT_EQ(tester, first);  // created once and kept
        EXPECT_EQ(tester->findChild<QPlainTextEdit*>("edQuery")->toPlainText(), "p");
        EXPECT_EQ(tester->findChild<QLineEdit*>("edAttribute")->text(), "src");
        EXPECT_TRUE(tester->findChild<QRadioButton*>("rbXPath")->isChecked());
        EXPECT_FALSE(tester->findChild<QLineEdit*>("edAttribute")->isEnabled());
        inspected = true;
        tester->reject();
    });
    QTest::mouseClick(Button("btReqTest"), Qt::LeftButton);
    EXPECT_TRUE(inspected);
}

TEST_F(RulesPage, TheTextsFollowALanguageSwitch)
{
    InitTranslation(CatalogueDir());
    AddSaved("Main", {"//a"});
    Page->show();
    Page->ShowSavedSets(0);
    Settle();
    EXPECT_EQ(Button("btAddRule")->text(), "Добавить");
    SetTranslationLanguage("en");
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(Page.get(), &change);
    QCoreApplication::sendEvent(Page->RulePanels().At(0), &change);
    EXPECT_EQ(Button("btAddRule")->text(), "Add");
    EXPECT_EQ(PanelControl<QComboBox>(0, "FExtractCombo")->currentText(), "Plain text");
    SetTranslationLanguage("ru");
    QCoreApplication::sendEvent(Page.get(), &change);
    EXPECT_EQ(Button("btAddRule")->text(), "Добавить");
}
