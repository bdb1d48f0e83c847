#include "optionspelling.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// The edit distance between two names, for suggesting what was meant.
int editDistance(const QString &from, const QString &to)
{
    std::vector<int> previous(static_cast<std::size_t>(to.size()) + 1);
    std::vector<int> current(previous.size());
    for (std::size_t j = 0; j < previous.size(); ++j)
        previous[j] = static_cast<int>(j);
    for (int i = 1; i <= from.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= to.size(); ++j) {
            const auto at = static_cast<std::size_t>(j);
            const int substitution = previous[at - 1] + (from.at(i - 1) == to.at(j - 1) ? 0 : 1);
            current[at] = std::min({previous[at] + 1, current[at - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous.back();
}

} // namespace

// Qt reads -resolution as the short options r, e, s, ...; whoever typed it
// meant --resolution, or an option that does not exist.
std::optional<QString> singleDashWord(const QStringList &arguments,
                                      const QList<QCommandLineOption> &options)
{
    const auto find = [&](const QString &name) {
        return std::find_if(options.cbegin(), options.cend(),
                            [&](const QCommandLineOption &o) { return o.names().contains(name); });
    };
    for (int index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        if (argument == QLatin1String("--"))
            break;
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (argument.startsWith(QLatin1String("--"))) {
            const auto option = find(name.mid(2));
            if (option != options.cend() && !option->valueName().isEmpty()
                && !argument.contains(QLatin1Char('=')))
                ++index; // its value, which may well start with a dash
            continue;
        }
        if (argument.size() > 2 && argument.startsWith(QLatin1Char('-'))) {
            if (find(name.mid(1)) != options.cend())
                return QStringLiteral("unknown option '%1'; did you mean '-%1'?").arg(argument);
            return QStringLiteral("unknown option '%1'").arg(argument);
        }
    }
    return std::nullopt;
}

// The option someone who typed name most likely meant: the only one it
// begins, or else the closest within a third of its letters.
std::optional<QString> nearestOption(const QString &name, const QList<QCommandLineOption> &options)
{
    QStringList longNames;
    for (const QCommandLineOption &option : options) {
        for (const QString &known : option.names()) {
            if (known.size() > 1)
                longNames << known;
        }
    }
    const QStringList begun = longNames.filter(
            QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(name)));
    if (begun.size() == 1)
        return begun.first();
    std::optional<QString> nearest;
    int nearestDistance = std::max(1, static_cast<int>(name.size()) / 3) + 1;
    for (const QString &known : longNames) {
        const int distance = editDistance(name, known);
        if (distance < nearestDistance) {
            nearest = known;
            nearestDistance = distance;
        }
    }
    return nearest;
}
