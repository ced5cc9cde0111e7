#include "cli/CliArgs.h"

#include <algorithm>

namespace {

const TCliOption* FindOption(const std::vector<TCliOption>& aOptions, const QString& aName)
{
    for (const TCliOption& option : aOptions) {
        if (aName == QLatin1String(option.Name))
            return &option;
    }
    return nullptr;
}

QString OptionSynopsis(const TCliOption& aOption)
{
    QString text = QStringLiteral("--") + QLatin1String(aOption.Name);
    if (aOption.ValueName)
        text += u' ' + QLatin1String(aOption.ValueName);
    return text;
}

}  // namespace

TCliArgs::TCliArgs(const QStringList& aArgs, const std::vector<TCliOption>& aOptions)
{
    for (qsizetype i = 0; i < aArgs.size(); ++i) {
        const QString& arg = aArgs.at(i);
        if (!arg.startsWith(QLatin1String("--")) || arg.size() == 2) {
            FError = QStringLiteral("unexpected argument \"%1\"").arg(arg);
            return;
        }
        QString name = arg.mid(2);
        QString value;
        bool inlineValue = false;
        const qsizetype equals = name.indexOf(u'=');
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
            inlineValue = true;
        }
        if (name == QLatin1String("help") && !inlineValue) {
            FValues.insert(name, QString());
            continue;
        }
        const TCliOption* option = FindOption(aOptions, name);
        if (!option) {
            FError = QStringLiteral("unknown option --%1").arg(name);
            return;
        }
        if (FValues.contains(name)) {
            FError = QStringLiteral("--%1 is given more than once").arg(name);
            return;
        }
        if (!option->ValueName) {
            if (inlineValue) {
                FError = QStringLiteral("--%1 takes no value").arg(name);
                return;
            }
            FValues.insert(name, QString());
            continue;
        }
        if (!inlineValue) {
            // The next word is the value, even when it starts with dashes
            // (a query or a pattern may).
            if (i + 1 >= aArgs.size()) {
                FError = QStringLiteral("--%1 needs a value (%2)")
                             .arg(name, QLatin1String(option->ValueName));
                return;
            }
            value = aArgs.at(++i);
        }
        FValues.insert(name, value);
    }
}

QString TCliArgs::OptionsHelp(const std::vector<TCliOption>& aOptions)
{
    qsizetype width = QStringLiteral("--help").size();
    for (const TCliOption& option : aOptions)
        width = std::max(width, OptionSynopsis(option).size());
    const QString indent(width + 4, u' ');
    QString text;
    auto addLine = [&](const QString& aSynopsis, const QString& aHelp) {
        const QStringList lines = aHelp.split(u'\n');
        text += QStringLiteral("  ") + aSynopsis.leftJustified(width + 2) + lines.first() + u'\n';
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += indent + lines.at(i) + u'\n';
    };
    for (const TCliOption& option : aOptions)
        addLine(OptionSynopsis(option), QString::fromUtf8(option.Help));
    addLine(QStringLiteral("--help"), QStringLiteral("show this help and exit"));
    return text;
}
