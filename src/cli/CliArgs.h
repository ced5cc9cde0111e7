#pragma once
// Options of one command: "--name value", "--name=value" and "--flag".
// Every command declares its options in a table; the parser refuses unknown
// options, missing values, repeats and stray words, and the same table prints
// the options part of the command's help.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct TCliOption {
    const char* Name;       // without the dashes: "query"
    const char* ValueName;  // "TEXT" for an option with a value; nullptr for a flag
    const char* Help;       // one line or more; later lines are indented
    bool Repeatable = false;  // may be given more than once; Values() lists them in order
};

class TCliArgs {
public:
    // Parses aArgs against aOptions. "--help" is always understood as a flag.
    TCliArgs(const QStringList& aArgs, const std::vector<TCliOption>& aOptions);

    bool Ok() const { return FError.isEmpty(); }
    const QString& Error() const { return FError; }  // the first problem met
    bool HelpRequested() const { return Has(QStringLiteral("help")); }

    bool Has(const QString& aName) const { return FValues.contains(aName); }
    QString Value(const QString& aName, const QString& aDefault = {}) const
    {
        const auto it = FValues.constFind(aName);
        return it == FValues.constEnd() ? aDefault : it->first();
    }
    QStringList Values(const QString& aName) const { return FValues.value(aName); }

    // The option lines of a help text, aligned in two columns.
    static QString OptionsHelp(const std::vector<TCliOption>& aOptions);

private:
    QHash<QString, QStringList> FValues;  // flags map to one empty value
    QString FError;
};
