#include "QtDialogs.h"

#include "core/Translate.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void TQtDialogs::ShowWarning(const QString& aText)
{
    QMessageBox::warning(FParent, Tr("Предупреждение"), aText);
}

void TQtDialogs::ShowInformation(const QString& aText)
{
    QMessageBox::information(FParent, Tr("Информация"), aText);
}

void TQtDialogs::ShowError(const QString& aText)
{
    QMessageBox::critical(FParent, Tr("Ошибка"), aText);
}

bool TQtDialogs::AskYesNo(const QString& aCaption, const QString& aText)
{
    return QMessageBox::question(FParent, aCaption, aText, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QString TQtDialogs::QtFilter(const QString& aFilter)
{
    const QStringList parts = aFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') +
                       u')');
    return filters.join(QStringLiteral(";;"));
}

QString TQtDialogs::OpenFileName(const TFileDialogRequest& aRequest)
{
    return QFileDialog::getOpenFileName(FParent, aRequest.Title, aRequest.InitialDir,
                                        QtFilter(aRequest.Filter));
}

QString TQtDialogs::SaveFileName(const TFileDialogRequest& aRequest)
{
    QFileDialog dialog(FParent, aRequest.Title, aRequest.InitialDir, QtFilter(aRequest.Filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!aRequest.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(aRequest.DefaultExt);
    if (!aRequest.FileName.isEmpty())
        dialog.selectFile(aRequest.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString TQtDialogs::InputText(const QString& aCaption, const QString& aPrompt,
                              const QString& aInitialText)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(FParent, aCaption, aPrompt, QLineEdit::Normal,
                                               aInitialText, &accepted);
    return accepted ? text : aInitialText;
}
