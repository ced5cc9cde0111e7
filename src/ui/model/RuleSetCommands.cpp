#include "ui/model/AppSettings.h"
#include "ui/model/RuleSetCommands.h"

#include "core/Translate.h"

#include <QDir>

namespace {

QString Quoted(const QString& aName)
{
    return u'"' + aName + u'"';
}

}  // namespace

TRuleSetCommands::TRuleSetCommands(TScrapRuleSet& aCurrentRuleSet, TScrapRuleSets& aSavedRuleSets,
                                   const QString& aRuleSetFileName, IDialogs& aDialogs, IRuleSetView& aView)
    : FCurrent(aCurrentRuleSet), FSaved(aSavedRuleSets), FFileName(aRuleSetFileName), FDialogs(aDialogs),
      FView(aView)
{
}

QString TRuleSetCommands::DefaultSetName()
{
    return Tr("По-умолчанию");
}

void TRuleSetCommands::ShowSavedSets(int aIndex)
{
    for (int i = 0; i < FSaved.Count(); ++i)
        FView.AppendSetName(FSaved.At(i)->Name);
    if (FSaved.Count() == 0) {
        FCurrent.Clear();
        FCurrent.Name = DefaultSetName();
        FView.AppendSetName(FCurrent.Name);
        FView.SelectSetName(0);
        FView.RecreateRulesPanels();
        FView.PostRebuildRulePanels();
        return;
    }
    const int index = ChooseRuleSetIndex(aIndex, FSaved.Count());
    FView.SelectSetName(index);
    FCurrent.Name = FSaved.At(index)->Name;
    FCurrent.AssignFrom(*FSaved.At(index));
    FView.RecreateRulesPanels();
}

int TRuleSetCommands::SelectedSavedIndex() const
{
    return FView.SetNameCount() == 0 ? -1 : FSaved.GetNdxByName(FView.SelectedSetName());
}

void TRuleSetCommands::ChooseSet()
{
    const TScrapRuleSet* saved = FSaved.GetByName(FView.SelectedSetName());
    if (!saved) {
        FDialogs.ShowError(Tr("Невозможно загрузить сохраненный набор правил!"));
        return;
    }
    // unsaved edits are dropped, also when the same set is picked again
    FCurrent.Name = saved->Name;
    FCurrent.AssignFrom(*saved);
    FView.RecreateRulesPanels();
}

void TRuleSetCommands::SaveSet()
{
    if (!FView.CheckRulesValid(true))
        return;
    const QString name = FView.SelectedSetName();
    TScrapRuleSet* saved = FSaved.GetByName(name);
    if (!saved) {
        auto created = std::make_unique<TScrapRuleSet>();
        created->Name = name;
        saved = FSaved.Add(std::move(created));
        // the name comes from the list, so it is normally there already
        if (!FView.HasSetName(name))
            FView.AppendSetName(name);
    }
    saved->AssignFrom(FCurrent);
    // the file is replaced through a temporary copy, so a failure keeps the old one
    if (!FSaved.SaveToFile(FFileName))
        FDialogs.ShowError(FormatText(Tr("Не удалось записать файл наборов правил: %s"),
                                      {QDir::toNativeSeparators(FFileName)}));
}

void TRuleSetCommands::SaveSetAs()
{
    QString name;
    for (;;) {
        name = FDialogs.InputText(Tr("Сохранить набор правил как"), Tr("Название"), QString());
        if (name.isEmpty())
            return;
        if (!FSaved.GetByName(name))
            break;
        FDialogs.ShowWarning(Tr("Набор правил с именем ") + u'"' + name +
                             Tr("\" уже существует, выберите другое имя"));
    }
    std::unique_ptr<TScrapRuleSet> copy = FCurrent.Clone();
    copy->Name = name;
    const TScrapRuleSet* saved = FSaved.Add(std::move(copy));
    // the current set stays a private copy of the new saved one
    FCurrent.Name = saved->Name;
    FCurrent.AssignFrom(*saved);
    FView.RepointRulePanels();
    FView.AppendSetName(name);
    FView.SelectSetName(FView.SetNameCount() - 1);
    FView.PostRebuildRulePanels();
}

void TRuleSetCommands::DeleteSet()
{
    const QString name = FView.SelectedSetName();
    if (!FDialogs.AskYesNo(Tr("Подтвердите"), Tr("Удалить набор правил ") + Quoted(name) + u'?'))
        return;
    const int index = FSaved.GetNdxByName(name);
    if (index < 0) {
        FDialogs.ShowInformation(Tr("Нет сохраненного набора правил с именем: ") + name);
        return;
    }
    FSaved.Take(index);  // freed here
    FView.RemoveSelectedSetName();
    if (FView.SetNameCount() == 0) {
        FCurrent.Clear();
        FCurrent.Name = DefaultSetName();
        FSaved.Add(FCurrent.Clone());
        FView.AppendSetName(FCurrent.Name);
    }
    FView.SelectSetName(0);
    ChooseSet();
    FView.UpdateRuleSetButtons();
}

void TRuleSetCommands::AddRule()
{
    TScrapRule* rule = FCurrent.Add(std::make_unique<TScrapRule>());
    FView.AppendRulePanel(*rule);
    FView.PostRebuildRulePanels();
}

void TRuleSetCommands::ClearAllRules()
{
    if (!FDialogs.AskYesNo(Tr("Подтвердите"), Tr("Удалить все правила?")))
        return;
    FView.DropAllRulePanels();
    FCurrent.Clear();
    FView.LayoutRulePanels();
}

void TRuleSetCommands::DeleteRule(int aIndex)
{
    if (aIndex < 0 || aIndex >= FCurrent.Count())
        return;
    FCurrent.Delete(aIndex);
}
