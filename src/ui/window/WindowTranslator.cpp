#include "WindowTranslator.h"

#include "core/Translate.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

// A text with something to translate: not empty, not a bare number.
bool Translatable(const QString& aText)
{
    const QString trimmed = aText.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool number = false;
    trimmed.toDouble(&number);
    return !number;
}

QTableWidgetItem* TableHeader(QTableWidget* aTable, int aIndex)
{
    return aTable->horizontalHeaderItem(aIndex);
}

}  // namespace

void TWindowTranslator::Exclude(const QString& aObjectName)
{
    FExcluded.insert(aObjectName);
}

void TWindowTranslator::TranslateTree(QObject* aRoot)
{
    if (aRoot)
        Visit(aRoot);
}

void TWindowTranslator::Retranslate()
{
    for (TEntry& entry : FEntries) {
        QObject* object = entry.Object.data();
        // Gone, or changed by program code since: not ours any more.
        if (!object || Get(object, entry.Slot, entry.Index) != entry.Shown)
            continue;
        entry.Shown = Tr(entry.Source);
        Set(object, entry.Slot, entry.Index, entry.Shown);
    }
}

void TWindowTranslator::Visit(QObject* aObject)
{
    if (!aObject->objectName().isEmpty() && FExcluded.contains(aObject->objectName()))
        return;
    if (qobject_cast<QWidget*>(aObject)) {
        for (TSlot slot : {TSlot::WindowTitle, TSlot::ToolTip, TSlot::StatusTip, TSlot::WhatsThis,
                           TSlot::AccessibleName, TSlot::AccessibleDescription})
            Remember(aObject, slot, 0);
    }
    if (qobject_cast<QAbstractButton*>(aObject) || qobject_cast<QLabel*>(aObject))
        Remember(aObject, TSlot::Text, 0);
    if (qobject_cast<QGroupBox*>(aObject) || qobject_cast<QMenu*>(aObject))
        Remember(aObject, TSlot::Title, 0);
    if (qobject_cast<QLineEdit*>(aObject))
        Remember(aObject, TSlot::PlaceholderText, 0);
    if (auto* action = qobject_cast<QAction*>(aObject)) {
        Remember(action, TSlot::Text, 0);
        Remember(action, TSlot::ToolTip, 0);
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(aObject))
        for (int i = 0; i < tabs->count(); ++i) {
            Remember(tabs, TSlot::TabText, i);
            Remember(tabs, TSlot::TabToolTip, i);
        }
    if (auto* combo = qobject_cast<QComboBox*>(aObject))
        for (int i = 0; i < combo->count(); ++i)
            Remember(combo, TSlot::ItemText, i);
    if (auto* tree = qobject_cast<QTreeWidget*>(aObject))
        for (int i = 0; i < tree->columnCount(); ++i)
            Remember(tree, TSlot::HeaderText, i);
    if (auto* table = qobject_cast<QTableWidget*>(aObject))
        for (int i = 0; i < table->columnCount(); ++i)
            Remember(table, TSlot::HeaderText, i);
    // A tab bar's texts belong to its tab widget, which was handled above.
    if (qobject_cast<QTabBar*>(aObject) && qobject_cast<QTabWidget*>(aObject->parent()))
        return;
    for (QObject* child : aObject->children())
        Visit(child);
}

void TWindowTranslator::Remember(QObject* aObject, TSlot aSlot, int aIndex)
{
    const QString key = QStringLiteral("%1/%2/%3")
                            .arg(quintptr(aObject), 0, 16)
                            .arg(int(aSlot))
                            .arg(aIndex);
    // An address seen before belongs to a new object when the old one is gone.
    const auto seen = FSeen.constFind(key);
    if (seen != FSeen.constEnd() && FEntries[*seen].Object)
        return;
    const QString source = Get(aObject, aSlot, aIndex);
    if (!Translatable(source))
        return;
    FSeen.insert(key, FEntries.size());
    TEntry entry{aObject, aSlot, aIndex, source, Tr(source)};
    Set(aObject, aSlot, aIndex, entry.Shown);
    FEntries.push_back(std::move(entry));
}

QString TWindowTranslator::Get(QObject* aObject, TSlot aSlot, int aIndex)
{
    auto* widget = qobject_cast<QWidget*>(aObject);
    auto* action = qobject_cast<QAction*>(aObject);
    switch (aSlot) {
    case TSlot::WindowTitle:
        return widget ? widget->windowTitle() : QString();
    case TSlot::ToolTip:
        return widget ? widget->toolTip() : action ? action->toolTip() : QString();
    case TSlot::StatusTip:
        return widget ? widget->statusTip() : QString();
    case TSlot::WhatsThis:
        return widget ? widget->whatsThis() : QString();
    case TSlot::AccessibleName:
        return widget ? widget->accessibleName() : QString();
    case TSlot::AccessibleDescription:
        return widget ? widget->accessibleDescription() : QString();
    case TSlot::Text:
        if (auto* button = qobject_cast<QAbstractButton*>(aObject))
            return button->text();
        if (auto* label = qobject_cast<QLabel*>(aObject))
            return label->text();
        return action ? action->text() : QString();
    case TSlot::Title:
        if (auto* group = qobject_cast<QGroupBox*>(aObject))
            return group->title();
        if (auto* menu = qobject_cast<QMenu*>(aObject))
            return menu->title();
        return QString();
    case TSlot::PlaceholderText:
        return static_cast<QLineEdit*>(aObject)->placeholderText();
    case TSlot::TabText:
        return static_cast<QTabWidget*>(aObject)->tabText(aIndex);
    case TSlot::TabToolTip:
        return static_cast<QTabWidget*>(aObject)->tabToolTip(aIndex);
    case TSlot::ItemText: {
        auto* combo = static_cast<QComboBox*>(aObject);
        return aIndex < combo->count() ? combo->itemText(aIndex) : QString();
    }
    case TSlot::HeaderText:
        if (auto* tree = qobject_cast<QTreeWidget*>(aObject))
            return aIndex < tree->columnCount() ? tree->headerItem()->text(aIndex) : QString();
        if (auto* table = qobject_cast<QTableWidget*>(aObject)) {
            QTableWidgetItem* item = aIndex < table->columnCount() ? TableHeader(table, aIndex) : nullptr;
            return item ? item->text() : QString();
        }
        return QString();
    }
    return QString();
}

void TWindowTranslator::Set(QObject* aObject, TSlot aSlot, int aIndex, const QString& aText)
{
    auto* widget = qobject_cast<QWidget*>(aObject);
    auto* action = qobject_cast<QAction*>(aObject);
    switch (aSlot) {
    case TSlot::WindowTitle:
        widget->setWindowTitle(aText);
        break;
    case TSlot::ToolTip:
        if (widget)
            widget->setToolTip(aText);
        else
            action->setToolTip(aText);
        break;
    case TSlot::StatusTip:
        widget->setStatusTip(aText);
        break;
    case TSlot::WhatsThis:
        widget->setWhatsThis(aText);
        break;
    case TSlot::AccessibleName:
        widget->setAccessibleName(aText);
        break;
    case TSlot::AccessibleDescription:
        widget->setAccessibleDescription(aText);
        break;
    case TSlot::Text:
        if (auto* button = qobject_cast<QAbstractButton*>(aObject))
            button->setText(aText);
        else if (auto* label = qobject_cast<QLabel*>(aObject))
            label->setText(aText);
        else
            action->setText(aText);
        break;
    case TSlot::Title:
        if (auto* group = qobject_cast<QGroupBox*>(aObject))
            group->setTitle(aText);
        else
            static_cast<QMenu*>(aObject)->setTitle(aText);
        break;
    case TSlot::PlaceholderText:
        static_cast<QLineEdit*>(aObject)->setPlaceholderText(aText);
        break;
    case TSlot::TabText:
        static_cast<QTabWidget*>(aObject)->setTabText(aIndex, aText);
        break;
    case TSlot::TabToolTip:
        static_cast<QTabWidget*>(aObject)->setTabToolTip(aIndex, aText);
        break;
    case TSlot::ItemText:
        static_cast<QComboBox*>(aObject)->setItemText(aIndex, aText);
        break;
    case TSlot::HeaderText:
        if (auto* tree = qobject_cast<QTreeWidget*>(aObject))
            tree->headerItem()->setText(aIndex, aText);
        else if (QTableWidgetItem* item = TableHeader(static_cast<QTableWidget*>(aObject), aIndex))
            item->setText(aText);
        break;
    }
}
