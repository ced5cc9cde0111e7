#include "ui/window/ScrapRulePanel.h"

#include "RecordingDialogs.h"
#include "core/RunModel.h"
#include "ui/model/QueryCheckQueue.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

namespace {

// A panel on its own, with the rule it edits and the query checks it uses.
class ScrapRulePanel : public ::testing::Test {
protected:
    TScrapRule Rule;
    TQueryCheckQueue Checks;
    QWidget Host;
    TScrapRulePanel Panel{&Host, Checks};

    void SetUp() override
    {
        Host.resize(1100, 60);
        Panel.Rule = &Rule;
        Panel.UpdateControls(true);
        Host.show();
    }
    template <class T>
    T* Control(const char* aName)
    {
        T* control = Panel.findChild<T*>(QLatin1String(aName));
        EXPECT_NE(control, nullptr) << aName;
        return control;
    }
    QStringList ExtractItems()
    {
        QComboBox* combo = Control<QComboBox>("FExtractCombo");
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }
    void TypeInto(const char* aName, const QString& aText)
    {
        QLineEdit* edit = Control<QLineEdit>(aName);
        edit->clear();
        QTest::keyClicks(edit, aText);
    }
    void WaitForChecks()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!Panel.QueryCheckPending(), 20000);
    }
};

}  // namespace

TEST_F(ScrapRulePanel, ANewRuleOffersTheThreeExtractModesAndIsNotValid)
{
    EXPECT_EQ(ExtractItems(), (QStringList{"Просто текст", "Внешний HTML", "Внутренний HTML"}));
    EXPECT_EQ(Control<QComboBox>("FExtractCombo")->currentIndex(), 0);
    EXPECT_TRUE(Control<QComboBox>("FExtractCombo")->isEnabled());
    EXPECT_FALSE(Control<QLineEdit>("FAttrEdit")->isVisible());
    EXPECT_EQ(Control<QComboBox>("FExtractCombo")->width(), 234);
    EXPECT_FALSE(Panel.QueryValidMarkShown());
    EXPECT_EQ(Panel.height(), 50);
    EXPECT_FALSE(Control<QToolButton>("FQueryValid")->isEnabled());
    EXPECT_EQ(Control<QToolButton>("FTestButton")->toolTip(), "Тестировать правило...");
    EXPECT_EQ(Control<QToolButton>("FDelButton")->toolTip(), "Удалить правило");
}

TEST_F(ScrapRulePanel, RegExShowsTheFixedChoiceAndKeepsTheStoredExtractType)
{
    Control<QComboBox>("FExtractCombo")->setCurrentIndex(1);
    EXPECT_EQ(Rule.ExtractType, etOuterHTML);
    Control<QComboBox>("FTypeCombo")->setCurrentIndex(qtRegEx);
    EXPECT_EQ(Rule.QueryType, qtRegEx);
    EXPECT_EQ(ExtractItems(), QStringList{"Любой код страницы"});
    EXPECT_FALSE(Control<QComboBox>("FExtractCombo")->isEnabled());
    EXPECT_EQ(Control<QComboBox>("FExtractCombo")->width(), 230);
    EXPECT_EQ(Rule.ExtractType, etOuterHTML);

    Control<QComboBox>("FTypeCombo")->setCurrentIndex(qtXPath);
    EXPECT_EQ(Control<QComboBox>("FExtractCombo")->currentText(), "Внешний HTML");
    EXPECT_TRUE(Control<QComboBox>("FExtractCombo")->isEnabled());
}

TEST_F(ScrapRulePanel, CssPathOffersTheAttributeWhichStaysInTheRuleWhenHidden)
{
    Control<QComboBox>("FTypeCombo")->setCurrentIndex(qtCssPath);
    EXPECT_TRUE(Control<QLineEdit>("FAttrEdit")->isVisible());
    // 100 pixels, or what its longest choice needs in this font
    const int cssWidth = Control<QComboBox>("FExtractCombo")->width();
    EXPECT_GE(cssWidth, 100);
    EXPECT_LT(cssWidth, 234);
    EXPECT_GT(Control<QLineEdit>("FAttrEdit")->x(), Control<QComboBox>("FExtractCombo")->geometry().right());
    TypeInto("FAttrEdit", "href");
    EXPECT_EQ(Rule.Attribute, "href");
    Control<QComboBox>("FTypeCombo")->setCurrentIndex(qtTemplate);
    EXPECT_FALSE(Control<QLineEdit>("FAttrEdit")->isVisible());
    EXPECT_EQ(Control<QComboBox>("FExtractCombo")->width(), 234);
    EXPECT_EQ(Rule.Attribute, "href");
}

TEST_F(ScrapRulePanel, TheMarkFollowsEveryKeystrokeForEachType)
{
    const struct {
        TScrapQueryType type;
        const char* query;
        bool valid;
    } cases[] = {
        {qtXPath, "//div[@id='a']", true},
        {qtXPath, "//div[", false},
        {qtCssPath, "div.item > a", true},
        {qtCssPath, "div[", false},
        {qtRegEx, "<h1>(.*?)</h1>", true},
        {qtRegEx, "(a", false},
        {qtTemplate, "<h1>{.}</h1>", true},
        {qtTemplate, "<h1>{.}", false},
        {qtTemplate, "", false},
        {qtXQuery, "for $a in //a return string($a/@href)", true},
        {qtXQuery, "for $a in", false},
        {qtXPath, "//a[lower-case(@id) = 'x']", true},  // an XPath 3.1 query
    };
    for (const auto& c : cases) {
        Control<QComboBox>("FTypeCombo")->setCurrentIndex(c.type);
        TypeInto("FRuleStrEdit", QString::fromUtf8(c.query));
        EXPECT_EQ(Rule.Query.toStdString(), c.query);
        if (!TQueryCheckQueue::MayBeSlow(c.type)) {
            EXPECT_FALSE(Panel.QueryCheckPending()) << c.query;
        }
        WaitForChecks();
        EXPECT_EQ(Panel.QueryValidMarkShown(), c.valid) << c.query;
    }
}

TEST_F(ScrapRulePanel, TypingTheNameRefreshesTheMark)
{
    EXPECT_FALSE(Panel.QueryValidMarkShown());
    Rule.Query = "//h1";  // changed behind the panel's back
    TypeInto("FNameEdit", "Title");
    EXPECT_EQ(Rule.Name, "Title");
    WaitForChecks();
    EXPECT_TRUE(Panel.QueryValidMarkShown());
}

TEST_F(ScrapRulePanel, EditsReachTheLiveRuleAndNeverARunningTasksCopy)
{
    TScrapRuleSet current;
    current.Add(std::make_unique<TScrapRule>())->Query = "//a";
    Panel.Rule = current.Rule(0);
    Panel.UpdateControls(true);
    TURLTaskInfo entry(QStringLiteral("http://example.com/"), 1);
    TURLTaskInfo task(entry, current.Clone());  // what a run gives each task

    TypeInto("FRuleStrEdit", "//b");
    TypeInto("FNameEdit", "Changed");
    Control<QComboBox>("FTypeCombo")->setCurrentIndex(qtCssPath);
    EXPECT_EQ(current.Rule(0)->Query, "//b");
    EXPECT_EQ(current.Rule(0)->Name, "Changed");
    EXPECT_EQ(current.Rule(0)->QueryType, qtCssPath);
    EXPECT_EQ(task.Rules->Rule(0)->Query, "//a");
    EXPECT_TRUE(task.Rules->Rule(0)->Name.isEmpty());
    EXPECT_EQ(task.Rules->Rule(0)->QueryType, qtXPath);
}

namespace {

// A check that hangs until the test lets it go, as the first XQuery check of
// the program does while the script engine starts.
struct TSlowCheck {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Open = false;
    int Started = 0;
    bool operator()(const QString& aQuery)
    {
        std::unique_lock<std::mutex> lock(Lock);
        ++Started;
        Changed.wait(lock, [&] { return Open; });
        return aQuery.endsWith(u')');
    }
    void Release()
    {
        {
            std::lock_guard<std::mutex> lock(Lock);
            Open = true;
        }
        Changed.notify_all();
    }
};

}  // namespace

TEST(ScrapRulePanelSlowCheck, TypingGoesOnWhileTheCheckHangsAndTheNewestTextDecides)
{
    TSlowCheck slow;
    TQueryCheckQueue checks([&](const QString& q, TScrapQueryType) { return slow(q); });
    TScrapRule rule;
    rule.QueryType = qtXQuery;
    QWidget host;
    TScrapRulePanel panel(&host, checks);
    panel.Rule = &rule;
    panel.UpdateControls(true);
    host.show();

    auto* edit = panel.findChild<QLineEdit*>("FRuleStrEdit");
    // every keystroke returns although no check can finish
    QTest::keyClicks(edit, "count(//a)");
    EXPECT_EQ(rule.Query, "count(//a)");
    EXPECT_TRUE(panel.QueryCheckPending());
    EXPECT_FALSE(panel.QueryValidMarkShown());

    slow.Release();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.QueryCheckPending(), 5000);
    EXPECT_TRUE(panel.QueryValidMarkShown());  // the answer for the whole text, not for "c"
    QTRY_VERIFY(checks.Idle());
    EXPECT_LT(slow.Started, 4);  // the texts typed meanwhile replaced each other

    // typing the name keeps the answer for the unchanged query
    const int started = slow.Started;
    QTest::keyClicks(panel.findChild<QLineEdit*>("FNameEdit"), "Links");
    EXPECT_FALSE(panel.QueryCheckPending());
    EXPECT_TRUE(panel.QueryValidMarkShown());
    QTRY_VERIFY(checks.Idle());
    EXPECT_EQ(slow.Started, started);
}

TEST(ScrapRulePanels, CheckRulesValidShowsOneBoxForTheFirstInvalidPanel)
{
    TRecordingDialogs dialogs;
    TQueryCheckQueue checks;
    QWidget host;
    TScrapRuleSet set;
    TScrapRulePanels panels(dialogs);
    EXPECT_TRUE(panels.CheckRulesValid(true));
    EXPECT_EQ(dialogs.Count(TRecordingDialogs::TKind::Warning), 1);
    dialogs.Clear();

    for (const char* query : {"//a", "//b[", "("}) {
        TScrapRule* rule = set.Add(std::make_unique<TScrapRule>());
        rule->Query = query;
        rule->Name = query;
        TScrapRulePanel* panel = panels.Add(std::make_unique<TScrapRulePanel>(&host, checks));
        panel->Rule = rule;
    }
    EXPECT_FALSE(panels.CheckRulesValid(false));
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_FALSE(panels.CheckRulesValid(true));
    EXPECT_EQ(dialogs.Texts(TRecordingDialogs::TKind::Warning),
              QStringList{"Ошибка в правиле #2 \"//b[\"\nЗапрос некорректен. Вы не сможете запустить проверку"});
}
