#pragma once
// The real dialogs: Qt's message boxes, file dialogs and input box, each
// modal to the given parent window.

#include "core/Dialogs.h"

class QWidget;

class TQtDialogs : public IDialogs {
public:
    explicit TQtDialogs(QWidget* aParent) : FParent(aParent) {}

    void ShowWarning(const QString& aText) override;
    void ShowInformation(const QString& aText) override;
    void ShowError(const QString& aText) override;
    bool AskYesNo(const QString& aCaption, const QString& aText) override;
    QString OpenFileName(const TFileDialogRequest& aRequest) override;
    QString SaveFileName(const TFileDialogRequest& aRequest) override;
    QString InputText(const QString& aCaption, const QString& aPrompt,
                      const QString& aInitialText) override;

    // "Текстовые файлы|*.txt|Все файлы|*" as Qt's "Текстовые файлы (*.txt);;Все файлы (*)".
    static QString QtFilter(const QString& aFilter);

private:
    QWidget* FParent;
};
