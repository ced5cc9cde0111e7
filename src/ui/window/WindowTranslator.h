#pragma once
// Translation of the texts a window was built with. The widgets carry their
// Russian source texts; TranslateTree replaces each by its translation and
// remembers the source, Retranslate puts the translation of every remembered
// source in place after a language switch. A text that program code changed
// after it was translated is left alone, and so are excluded objects (with
// everything inside them). Object names are never touched.

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QString>
#include <vector>

class QObject;
class QWidget;

class TWindowTranslator {
public:
    void Exclude(const QString& aObjectName);
    // Translates every text of aRoot and its children not seen before.
    void TranslateTree(QObject* aRoot);
    void Retranslate();
    int RememberedCount() const { return int(FEntries.size()); }

private:
    // Where a text sits in its object.
    enum class TSlot {
        WindowTitle, ToolTip, StatusTip, WhatsThis, AccessibleName, AccessibleDescription,
        Text, Title, PlaceholderText, TabText, TabToolTip, ItemText, HeaderText
    };
    struct TEntry {
        QPointer<QObject> Object;
        TSlot Slot;
        int Index;
        QString Source;
        QString Shown;  // what was put there last
    };

    void Visit(QObject* aObject);
    void Remember(QObject* aObject, TSlot aSlot, int aIndex);
    static QString Get(QObject* aObject, TSlot aSlot, int aIndex);
    static void Set(QObject* aObject, TSlot aSlot, int aIndex, const QString& aText);

    QSet<QString> FExcluded;
    std::vector<TEntry> FEntries;
    QHash<QString, size_t> FSeen;  // object address, slot and index -> entry
};
