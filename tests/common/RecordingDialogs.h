#pragma once
// A scripted stand-in for the window's dialogs: every call is recorded in
// order, and answers (question replies, file names, input texts) are taken
// from queues the test fills. An empty queue answers No, cancel, or the
// initial text, as a user who closes the box would.

#include "core/Dialogs.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class TRecordingDialogs : public IDialogs {
public:
    enum class TKind { Warning, Information, Error, Question, OpenFile, SaveFile, Input };

    struct TCall {
        TKind Kind;
        QString Caption;  // question and input caption, file dialog title
        QString Text;     // message, question or prompt text
        TFileDialogRequest File;  // file dialogs only
        QString InitialText;      // input box only
    };

    std::vector<TCall> Calls;
    std::deque<bool> YesNoAnswers;
    std::deque<QString> FileAnswers;   // for open and save dialogs alike
    std::deque<QString> InputAnswers;

    void ShowWarning(const QString& aText) override { Record(TKind::Warning, {}, aText); }
    void ShowInformation(const QString& aText) override { Record(TKind::Information, {}, aText); }
    void ShowError(const QString& aText) override { Record(TKind::Error, {}, aText); }

    bool AskYesNo(const QString& aCaption, const QString& aText) override
    {
        Record(TKind::Question, aCaption, aText);
        return Take(YesNoAnswers, false);
    }
    QString OpenFileName(const TFileDialogRequest& aRequest) override
    {
        return FileDialog(TKind::OpenFile, aRequest);
    }
    QString SaveFileName(const TFileDialogRequest& aRequest) override
    {
        return FileDialog(TKind::SaveFile, aRequest);
    }
    QString InputText(const QString& aCaption, const QString& aPrompt,
                      const QString& aInitialText) override
    {
        TCall call{TKind::Input, aCaption, aPrompt, {}, aInitialText};
        Calls.push_back(call);
        return Take(InputAnswers, aInitialText);
    }

    // The texts of the recorded calls of one kind, in order.
    QStringList Texts(TKind aKind) const
    {
        QStringList texts;
        for (const TCall& call : Calls)
            if (call.Kind == aKind)
                texts.append(call.Text);
        return texts;
    }
    int Count(TKind aKind) const { return int(Texts(aKind).size()); }
    void Clear() { Calls.clear(); }

private:
    void Record(TKind aKind, const QString& aCaption, const QString& aText)
    {
        Calls.push_back(TCall{aKind, aCaption, aText, {}, {}});
    }
    QString FileDialog(TKind aKind, const TFileDialogRequest& aRequest)
    {
        Calls.push_back(TCall{aKind, aRequest.Title, {}, aRequest, {}});
        return Take(FileAnswers, QString());
    }
    template <class T>
    static T Take(std::deque<T>& aQueue, T aDefault)
    {
        if (aQueue.empty())
            return aDefault;
        T value = aQueue.front();
        aQueue.pop_front();
        return value;
    }
};
