#include "ui/model/RuleSetCommands.h"

#include "RecordingDialogs.h"
#include "core/RuleSets.h"
#include "ui/model/RuleListCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TKind = TRecordingDialogs::TKind;

namespace {

// The rules page as the commands see it: a list of names and a record of
// what was asked of the panels.
struct TFakeRuleSetView : IRuleSetView {
    TFakeRuleSetView(TScrapRuleSet& aCurrent, IDialogs& aDialogs) : Current(aCurrent), Dialogs(aDialogs) {}

    TScrapRuleSet& Current;
    IDialogs& Dialogs;
    QStringList Names;
    int Selected = -1;
    QStringList Calls;
    std::vector<TScrapRule*> PanelRules;  // what each panel edits

    QString SelectedSetName() const override { return Selected < 0 ? QString() : Names.at(Selected); }
    int SetNameCount() const override { return int(Names.size()); }
    bool HasSetName(const QString& aName) const override { return Names.contains(aName); }
    void AppendSetName(const QString& aName) override
    {
        Names.append(aName);
        if (Selected < 0)
            Selected = 0;
    }
    void RemoveSelectedSetName() override
    {
        Names.removeAt(Selected);
        Selected = Names.isEmpty() ? -1 : 0;
    }
    void SelectSetName(int aIndex) override { Selected = aIndex; }
    bool CheckRulesValid(bool bShowMsg) override { return ::CheckRulesValid(Current, Dialogs, bShowMsg); }
    void RecreateRulesPanels() override
    {
        Calls << "recreate";
        PanelRules.clear();
        for (int i = 0; i < Current.Count(); ++i)
            PanelRules.push_back(Current.Rule(i));
    }
    void RepointRulePanels() override
    {
        Calls << "repoint";
        for (size_t i = 0; i < PanelRules.size(); ++i)
            PanelRules[i] = Current.Rule(int(i));
    }
    void AppendRulePanel(TScrapRule& aRule) override
    {
        Calls << "panel";
        PanelRules.push_back(&aRule);
    }
    void DropAllRulePanels() override
    {
        Calls << "drop";
        PanelRules.clear();
    }
    void LayoutRulePanels() override { Calls << "layout"; }
    void PostRebuildRulePanels() override { Calls << "post rebuild"; }
    void UpdateRuleSetButtons() override { Calls << "buttons"; }
};

std::unique_ptr<TScrapRuleSet> NewSet(const QString& aName, std::initializer_list<const char*> aQueries)
{
    auto set = std::make_unique<TScrapRuleSet>();
    set->Name = aName;
    for (const char* query : aQueries) {
        auto rule = std::make_unique<TScrapRule>();
        rule->Name = QStringLiteral("r");
        rule->Query = QString::fromUtf8(query);
        set->Add(std::move(rule));
    }
    return set;
}

class RuleSetCommands : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString FileName = Dir.filePath(QStringLiteral("Tollmarsh.json"));
    TScrapRuleSet Current;
    TScrapRuleSets Saved;
    TRecordingDialogs Dialogs;
    TFakeRuleSetView View{Current, Dialogs};
    TRuleSetCommands Commands{Current, Saved, FileName, Dialogs, View};

    QStringList SavedNames() const
    {
        QStringList names;
        for (int i = 0; i < Saved.Count(); ++i)
            names << Saved.At(i)->Name;
        return names;
    }
    QStringList FileSetNames() const
    {
        TScrapRuleSets loaded;
        EXPECT_TRUE(loaded.LoadFromFile(FileName));
        QStringList names;
        for (int i = 0; i < loaded.Count(); ++i)
            names << loaded.At(i)->Name;
        return names;
    }
};

}  // namespace

TEST_F(RuleSetCommands, StartWithoutSavedSetsOffersTheDefaultNameWithNoSetBehindIt)
{
    Commands.ShowSavedSets(0);
    EXPECT_EQ(View.Names, QStringList{"По-умолчанию"});
    EXPECT_EQ(Current.Name, "По-умолчанию");
    EXPECT_EQ(Saved.Count(), 0);
    EXPECT_TRUE(View.Calls.contains("post rebuild"));

    Commands.ChooseSet();
    EXPECT_EQ(Dialogs.Texts(TKind::Error), QStringList{"Невозможно загрузить сохраненный набор правил!"});

    Dialogs.YesNoAnswers = {true};
    Commands.DeleteSet();
    EXPECT_EQ(Dialogs.Texts(TKind::Information),
              QStringList{"Нет сохраненного набора правил с именем: По-умолчанию"});
    EXPECT_EQ(View.Names, QStringList{"По-умолчанию"});

    // saving creates the set and writes the file, and the name is not listed twice
    Current.Add(std::make_unique<TScrapRule>())->Query = "//h1";
    Commands.SaveSet();
    EXPECT_EQ(SavedNames(), QStringList{"По-умолчанию"});
    EXPECT_EQ(View.Names, QStringList{"По-умолчанию"});
    EXPECT_EQ(FileSetNames(), QStringList{"По-умолчанию"});
}

TEST_F(RuleSetCommands, StartChoosesTheStoredIndexAsAPrivateCopy)
{
    Saved.Add(NewSet("A", {"//a"}));
    Saved.Add(NewSet("B", {"//b", "//c"}));
    Commands.ShowSavedSets(1);
    EXPECT_EQ(View.Names, (QStringList{"A", "B"}));
    EXPECT_EQ(View.SelectedSetName(), "B");
    ASSERT_EQ(Current.Count(), 2);
    EXPECT_NE(Current.Rule(0), Saved.At(1)->Rule(0));
    Current.Rule(0)->Query = "//changed";
    EXPECT_EQ(Saved.At(1)->Rule(0)->Query, "//b");
    EXPECT_EQ(Commands.SelectedSavedIndex(), 1);

    // a stored index beyond the list, or a negative one, takes the first set
    for (int stored : {7, 2, -1}) {
        TFakeRuleSetView other(Current, Dialogs);
        TRuleSetCommands(Current, Saved, FileName, Dialogs, other).ShowSavedSets(stored);
        EXPECT_EQ(other.SelectedSetName(), "A") << stored;
    }
}

TEST_F(RuleSetCommands, PickingTheShownSetAgainDropsUnsavedEdits)
{
    Saved.Add(NewSet("Main", {"//h1"}));
    Commands.ShowSavedSets(0);
    Current.Rule(0)->Query = "//edited";
    Current.Add(std::make_unique<TScrapRule>());
    View.Calls.clear();
    Commands.ChooseSet();
    ASSERT_EQ(Current.Count(), 1);
    EXPECT_EQ(Current.Rule(0)->Query, "//h1");
    EXPECT_EQ(View.Calls, QStringList{"recreate"});
    EXPECT_EQ(View.PanelRules, std::vector<TScrapRule*>{Current.Rule(0)});
}

TEST_F(RuleSetCommands, SaveCopiesIntoTheSavedSetAndWritesTheFile)
{
    Saved.Add(NewSet("One", {"//a"}));
    Saved.Add(NewSet("Two", {"//b"}));
    Commands.ShowSavedSets(1);
    Current.Rule(0)->Query = "//new";
    Commands.SaveSet();
    EXPECT_EQ(Saved.At(1)->Rule(0)->Query, "//new");
    EXPECT_NE(Saved.At(1)->Rule(0), Current.Rule(0));
    EXPECT_EQ(FileSetNames(), (QStringList{"One", "Two"}));
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_F(RuleSetCommands, SaveIsRefusedForAnInvalidRuleAndWritesNothing)
{
    Saved.Add(NewSet("Main", {"//a", "//b["}));
    Commands.ShowSavedSets(0);
    Commands.SaveSet();
    ASSERT_EQ(Dialogs.Count(TKind::Warning), 1);
    EXPECT_EQ(Dialogs.Texts(TKind::Warning).first(),
              "Ошибка в правиле #2 \"r\"\nЗапрос некорректен. Вы не сможете запустить проверку");
    EXPECT_FALSE(QFile::exists(FileName));
}

TEST_F(RuleSetCommands, SaveOfAnEmptySetWarnsAndSaves)
{
    Saved.Add(NewSet("Main", {"//a"}));
    Commands.ShowSavedSets(0);
    Current.Clear();  // as after deleting the last panel, with stale buttons
    Commands.SaveSet();
    EXPECT_EQ(Dialogs.Texts(TKind::Warning),
              QStringList{"Набор правил пуст. Вы не сможете запустить проверку"});
    EXPECT_EQ(Saved.At(0)->Count(), 0);
    EXPECT_EQ(FileSetNames(), QStringList{"Main"});
}

TEST_F(RuleSetCommands, AFailedWriteIsReported)
{
    QFile blocker(Dir.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TRuleSetCommands commands(Current, Saved, Dir.filePath("not-a-folder/Tollmarsh.json"), Dialogs, View);
    Saved.Add(NewSet("Main", {"//a"}));
    commands.ShowSavedSets(0);
    commands.SaveSet();
    ASSERT_EQ(Dialogs.Count(TKind::Error), 1);
    EXPECT_TRUE(Dialogs.Texts(TKind::Error).first().startsWith("Не удалось записать файл наборов правил: "));
}

TEST_F(RuleSetCommands, SaveAsAsksAgainForANameInUseIgnoringOnlyLatinCase)
{
    Saved.Add(NewSet("Main", {"//a"}));
    Saved.Add(NewSet("Набор", {"//b"}));
    Commands.ShowSavedSets(0);
    Dialogs.InputAnswers = {"MAIN", "набор"};
    Commands.SaveSetAs();
    ASSERT_EQ(Dialogs.Count(TKind::Input), 2);
    EXPECT_EQ(Dialogs.Calls.front().Caption, "Сохранить набор правил как");
    EXPECT_EQ(Dialogs.Calls.front().Text, "Название");
    EXPECT_EQ(Dialogs.Texts(TKind::Warning),
              QStringList{"Набор правил с именем \"MAIN\" уже существует, выберите другое имя"});
    EXPECT_EQ(SavedNames(), (QStringList{"Main", "Набор", "набор"}));
    EXPECT_EQ(View.Names, (QStringList{"Main", "Набор", "набор"}));
    EXPECT_EQ(View.SelectedSetName(), "набор");
    EXPECT_EQ(Current.Name, "набор");
    EXPECT_FALSE(QFile::exists(FileName));  // reaches the file with the next save
    EXPECT_EQ(View.Calls.mid(View.Calls.indexOf("repoint")), (QStringList{"repoint", "post rebuild"}));

    // the current set stays a private copy and the panels edit it
    ASSERT_EQ(Current.Count(), 1);
    EXPECT_NE(Current.Rule(0), Saved.At(2)->Rule(0));
    EXPECT_EQ(View.PanelRules, std::vector<TScrapRule*>{Current.Rule(0)});
}

TEST_F(RuleSetCommands, SaveAsCancelledDoesNothing)
{
    Saved.Add(NewSet("Main", {"//a"}));
    Commands.ShowSavedSets(0);
    Commands.SaveSetAs();
    EXPECT_EQ(Saved.Count(), 1);
    EXPECT_EQ(View.Names, QStringList{"Main"});
}

TEST_F(RuleSetCommands, SaveAsKeepsAnInvalidQueryAndTheNextSaveRefusesIt)
{
    Saved.Add(NewSet("Main", {"//a"}));
    Commands.ShowSavedSets(0);
    Current.Rule(0)->Query = "//a[";
    Dialogs.InputAnswers = {"Copy"};
    Commands.SaveSetAs();
    EXPECT_EQ(SavedNames(), (QStringList{"Main", "Copy"}));
    EXPECT_EQ(Saved.At(1)->Rule(0)->Query, "//a[");
    Commands.SaveSet();
    EXPECT_EQ(Dialogs.Count(TKind::Warning), 1);
    EXPECT_FALSE(QFile::exists(FileName));
}

TEST_F(RuleSetCommands, DeleteAsksAndThenShowsTheFirstSet)
{
    Saved.Add(NewSet("A", {"//a"}));
    Saved.Add(NewSet("B", {"//b"}));
    Saved.Add(NewSet("C", {"//c"}));
    Commands.ShowSavedSets(1);

    Commands.DeleteSet();  // answered No
    EXPECT_EQ(Dialogs.Calls.back().Caption, "Подтвердите");
    EXPECT_EQ(Dialogs.Calls.back().Text, "Удалить набор правил \"B\"?");
    EXPECT_EQ(Saved.Count(), 3);

    Dialogs.YesNoAnswers = {true};
    Commands.DeleteSet();
    EXPECT_EQ(SavedNames(), (QStringList{"A", "C"}));
    EXPECT_EQ(View.Names, (QStringList{"A", "C"}));
    EXPECT_EQ(View.SelectedSetName(), "A");
    EXPECT_EQ(Current.Name, "A");
    EXPECT_EQ(Current.Rule(0)->Query, "//a");
    EXPECT_EQ(View.Calls.back(), "buttons");
    EXPECT_FALSE(QFile::exists(FileName));  // written at the next save or at close
}

TEST_F(RuleSetCommands, DeletingTheOnlySetLeavesAnEmptyDefaultSet)
{
    Saved.Add(NewSet("Only", {"//a", "//b"}));
    Commands.ShowSavedSets(0);
    Dialogs.YesNoAnswers = {true};
    Commands.DeleteSet();
    EXPECT_EQ(SavedNames(), QStringList{"По-умолчанию"});
    EXPECT_EQ(Saved.At(0)->Count(), 0);
    EXPECT_EQ(View.Names, QStringList{"По-умолчанию"});
    EXPECT_EQ(View.SelectedSetName(), "По-умолчанию");
    EXPECT_EQ(Current.Name, "По-умолчанию");
    EXPECT_EQ(Current.Count(), 0);
    EXPECT_TRUE(View.PanelRules.empty());
    EXPECT_TRUE(Dialogs.Texts(TKind::Error).isEmpty());
}

TEST_F(RuleSetCommands, AddAndClearRules)
{
    Saved.Add(NewSet("Main", {"//a"}));
    Commands.ShowSavedSets(0);
    View.Calls.clear();
    Commands.AddRule();
    ASSERT_EQ(Current.Count(), 2);
    const TScrapRule& added = *Current.Rule(1);
    EXPECT_TRUE(added.Name.isEmpty() && added.Query.isEmpty() && added.Attribute.isEmpty());
    EXPECT_EQ(added.QueryType, qtXPath);
    EXPECT_EQ(added.ExtractType, etTextContent);
    EXPECT_EQ(View.Calls, (QStringList{"panel", "post rebuild"}));
    EXPECT_EQ(View.PanelRules.back(), Current.Rule(1));

    Commands.ClearAllRules();  // No
    EXPECT_EQ(Dialogs.Calls.back().Text, "Удалить все правила?");
    EXPECT_EQ(Current.Count(), 2);
    Dialogs.YesNoAnswers = {true};
    Commands.ClearAllRules();
    EXPECT_EQ(Current.Count(), 0);
    EXPECT_EQ(Current.Name, "Main");
    EXPECT_EQ(View.Calls.mid(2), (QStringList{"drop", "layout"}));
    EXPECT_EQ(Saved.At(0)->Count(), 1);
}

TEST(RuleListCheck, ExplainsTheFirstFailingRuleOnly)
{
    TRecordingDialogs dialogs;
    const std::unique_ptr<TScrapRuleSet> set = NewSet("S", {"//a", "   ", "//b["});
    set->Rule(1)->Name = "Second";
    EXPECT_FALSE(CheckRulesValid(*set, dialogs, false));
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_FALSE(CheckRulesValid(*set, dialogs, true));
    EXPECT_EQ(dialogs.Texts(TKind::Warning),
              QStringList{"Ошибка в правиле #2 \"Second\"\nЗначение запроса пусто. Вы не сможете запустить проверку"});

    // leading blanks stay part of a valid query; a rule without a name is named by its place
    const std::unique_ptr<TScrapRuleSet> other = NewSet("S", {"  //a", "//b["});
    other->Rule(1)->Name.clear();
    dialogs.Clear();
    EXPECT_FALSE(CheckRulesValid(*other, dialogs, true));
    EXPECT_EQ(dialogs.Texts(TKind::Warning),
              QStringList{"Ошибка в правиле #2\nЗапрос некорректен. Вы не сможете запустить проверку"});

    TScrapRuleSet empty;
    dialogs.Clear();
    EXPECT_TRUE(CheckRulesValid(empty, dialogs, false));
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_TRUE(CheckRulesValid(empty, dialogs, true));
    EXPECT_EQ(dialogs.Texts(TKind::Warning),
              QStringList{"Набор правил пуст. Вы не сможете запустить проверку"});
}
