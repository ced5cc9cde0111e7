#pragma once
// Every modal interaction a command needs: message boxes, the Yes/No question,
// the open and save file dialogs and the text input box. The window implements
// it once with real dialogs; tests drive commands through a recording fake.
// Every call comes on the window thread and returns when the box is closed.

#include <QString>

// An open or save dialog. Filter pairs a caption with a pattern and may hold
// several pairs: "Текстовые файлы|*.txt" or "CSV|*.csv|Все файлы|*".
struct TFileDialogRequest {
    QString Title;
    QString Filter;
    QString InitialDir;
    QString FileName;    // proposed name (save dialogs)
    QString DefaultExt;  // added when the user types a name without one (save dialogs)
};

class IDialogs {
public:
    virtual ~IDialogs() = default;

    // Message boxes with an OK button.
    virtual void ShowWarning(const QString& aText) = 0;
    virtual void ShowInformation(const QString& aText) = 0;
    virtual void ShowError(const QString& aText) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(const QString& aCaption, const QString& aText) = 0;
    // The chosen file's full name, or empty when the dialog was cancelled.
    virtual QString OpenFileName(const TFileDialogRequest& aRequest) = 0;
    virtual QString SaveFileName(const TFileDialogRequest& aRequest) = 0;
    // A text input box; a cancelled box returns the initial text unchanged.
    virtual QString InputText(const QString& aCaption, const QString& aPrompt,
                              const QString& aInitialText) = 0;
};
