#pragma once
// Qt's own texts (standard buttons, file dialogs, the menus of text fields) in
// the interface language, from Qt's translation catalogues (Debian's
// qt6-translations-l10n). English is Qt's source language and needs none.

#include <QTranslator>
#include <memory>

class TQtTranslations {
public:
    ~TQtTranslations();
    // Installs the catalogue of aCode ("ru") or removes the current one; false
    // when the language needs a catalogue that is not installed.
    bool Use(const QString& aCode);

private:
    std::unique_ptr<QTranslator> FTranslator;
};
