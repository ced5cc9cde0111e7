#pragma once
// The language of the command line's translated texts: the option when given,
// else "lang" of Tollmarsh.ini beside the program (codes compared ignoring
// case), else the system language: Russian on a Russian system, English elsewhere.

#include <QString>
#include <QStringList>

QString ChooseCliLanguage(const QString& aOption, const QString& aIniFile);

// The value of "--lang VALUE" or "--lang=VALUE" among the arguments, so that
// even a refusal of the other arguments is said in that language; empty if none.
QString LangOption(const QStringList& aArgs);

// Binds the catalogues beside the program and switches to the language.
void ApplyCliLanguage(const QString& aOption);
