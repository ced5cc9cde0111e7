#include "cli/CliArgs.h"
#include "core/Translate.h"

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

int EditDistance(const QString& a, const QString& b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            const int cost = a.at(i - 1).toLower() == b.at(j - 1).toLower() ? 0 : 1;
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + cost});
            diagonal = above;
        }
    }
    return row.back();
}

// The known option a mistyped name most likely means, or empty when none is close.
QString NearestOption(const std::vector<TCliOption>& aOptions, const QString& aName)
{
    QString best;
    int bestDistance = std::max<int>(2, int(aName.size()) / 3) + 1;
    for (const TCliOption& option : aOptions) {
        const QString known = QLatin1String(option.Name);
        const int distance = known.startsWith(aName) && aName.size() >= 2 ? 1 : EditDistance(aName, known);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = known;
        }
    }
    return best;
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
            FError = Tr("unexpected argument \"%1\"").arg(arg);
            QString word = arg;
            while (word.startsWith(u'-'))
                word.remove(0, 1);
            word = word.section(u'=', 0, 0);
            if (FindOption(aOptions, word))
                FError += Tr("; options start with two dashes: --%1").arg(word);
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
            FValues.insert(name, {QString()});
            continue;
        }
        const TCliOption* option = FindOption(aOptions, name);
        if (!option) {
            FError = Tr("unknown option --%1").arg(name);
            const QString nearest = NearestOption(aOptions, name);
            if (!nearest.isEmpty())
                FError += Tr("; did you mean --%1?").arg(nearest);
            return;
        }
        if (FValues.contains(name) && !option->Repeatable) {
            FError = Tr("--%1 is given more than once").arg(name);
            return;
        }
        if (!option->ValueName) {
            if (inlineValue) {
                FError = Tr("--%1 takes no value").arg(name);
                return;
            }
            FValues.insert(name, {QString()});
            continue;
        }
        if (!inlineValue) {
            // The next word is the value, even when it starts with dashes
            // (a query or a pattern may).
            if (i + 1 >= aArgs.size()) {
                FError = Tr("--%1 needs a value (%2)")
                             .arg(name, QLatin1String(option->ValueName));
                return;
            }
            value = aArgs.at(++i);
        }
        FValues[name].append(value);
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
