#include "sitelevels.h"

#include "pixeldensity.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// "name=number" split at its equals sign, the number finite.
std::optional<std::pair<QString, double>> namedNumber(const QString &item)
{
    const int equals = item.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    bool ok = false;
    const double number = item.mid(equals + 1).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return std::make_pair(item.left(equals).trimmed(), number);
}

// The edition that an item of --levels names by its year, if it does.
const LevelEdition *editionNamed(const QString &item)
{
    for (const LevelEdition &edition : levelEditions) {
        if (item.trimmed() == QLatin1String(edition.year))
            return &edition;
    }
    return nullptr;
}

} // namespace

QString levelEditionYears()
{
    QStringList years;
    for (const LevelEdition &edition : levelEditions)
        years << QLatin1String(edition.year);
    return years.join(QStringLiteral(" or "));
}

InputSpec levelsInput()
{
    return commandLineOnly(
            {QStringLiteral("levels"), QStringLiteral("NAME=PX,..."),
             QStringLiteral("Levels of one's own, or the standard's of a year, %1 (%2 by "
                            "default), or both.")
                     .arg(levelEditionYears(), QLatin1String(levelEditions.front().year))});
}

QStringList levelEditionsIn(const QString &text)
{
    QStringList years;
    for (const QString &item : text.split(QLatin1Char(','))) {
        if (const LevelEdition *edition = editionNamed(item))
            years << QLatin1String(edition->year);
    }
    return years;
}

std::variant<QString, std::vector<SiteLevel>> parseLevels(const QString &text)
{
    static const QRegularExpression nameShape(QStringLiteral("^[a-z0-9-]+$"));
    const QStringList items = text.split(QLatin1Char(','));
    if (items.size() > int(mostLevels))
        return QStringLiteral("--levels takes 1 to %1 levels, not %2")
                .arg(mostLevels)
                .arg(items.size());
    std::vector<SiteLevel> levels;
    QSet<QString> names;
    for (const QString &item : items) {
        if (const LevelEdition *edition = editionNamed(item)) {
            for (const NamedLevel &level : editionLevels(*edition)) {
                if (names.contains(level.name))
                    return QStringLiteral("--levels: \"%1\" is named twice").arg(level.name);
                names << level.name;
                levels.push_back(level);
            }
            continue;
        }
        const auto pair = namedNumber(item);
        if (!pair || !(pair->second > 0.0))
            return QStringLiteral("--levels: \"%1\" is neither a year of the standard's levels "
                                  "(%2) nor NAME=PX with PX a finite number above 0")
                    .arg(item, levelEditionYears());
        if (!nameShape.match(pair->first).hasMatch())
            return QStringLiteral("--levels: the name \"%1\" must be lowercase letters, digits "
                                  "and -")
                    .arg(pair->first);
        if (names.contains(pair->first))
            return QStringLiteral("--levels: \"%1\" is named twice").arg(pair->first);
        names << pair->first;
        levels.push_back({pair->first, pair->second});
    }
    if (levels.size() > mostLevels)
        return QStringLiteral("--levels takes 1 to %1 levels, not %2")
                .arg(mostLevels)
                .arg(levels.size());
    std::sort(levels.begin(), levels.end(), [](const SiteLevel &a, const SiteLevel &b) {
        return a.pixelsPerMetre < b.pixelsPerMetre;
    });
    for (std::size_t index = 1; index < levels.size(); ++index) {
        if (levels[index].pixelsPerMetre == levels[index - 1].pixelsPerMetre)
            return QStringLiteral("--levels: %1 and %2 have the same density")
                    .arg(levels[index - 1].name, levels[index].name);
    }
    return levels;
}

InputSpec maxAnglesInput()
{
    InputSpec input = commandLineOnly(
            {QStringLiteral("max-angle"), QStringLiteral("LEVEL=deg"),
             QStringLiteral("The level counts only where the line of sight to the target is at "
                            "most this steep below the horizontal; repeatable.")});
    input.repeatable = true;
    input.joinedBy = wholeValuesSeparator;
    return input;
}

namespace {

// An item of --option as LEVEL=NUMBER, the level one of them: where it is,
// and the number; else why not, in words of the option's own.
struct LevelNumber
{
    std::size_t level;
    double number;
};
std::variant<QString, LevelNumber> levelNumber(const QString &option, const QString &numberName,
                                               const QString &item,
                                               const std::vector<SiteLevel> &levels)
{
    const auto pair = namedNumber(item);
    if (!pair)
        return QStringLiteral("%1: \"%2\" is not LEVEL=%3").arg(option, item, numberName);
    const auto level = levelNamed(pair->first, levels);
    if (!level)
        return QStringLiteral("%1: no level is named \"%2\"").arg(option, pair->first);
    return LevelNumber{*level, pair->second};
}

} // namespace

std::optional<QString> applyMaxAngles(const QStringList &items, std::vector<SiteLevel> &levels)
{
    for (const QString &item : items) {
        const auto found = levelNumber(QStringLiteral("--max-angle"), QStringLiteral("DEGREES"),
                                       item, levels);
        if (const auto *problem = std::get_if<QString>(&found))
            return *problem;
        const auto [level, degrees] = std::get<LevelNumber>(found);
        if (!(degrees > 0.0 && degrees < 90.0))
            return QStringLiteral("--max-angle: %1 must be above 0 and below 90 degrees").arg(item);
        if (levels[level].maxAngleDegrees)
            return QStringLiteral("--max-angle: %1 is limited twice").arg(levels[level].name);
        levels[level].maxAngleDegrees = degrees;
    }
    return std::nullopt;
}

std::optional<std::size_t> levelNamed(const QString &name, const std::vector<SiteLevel> &levels)
{
    const auto level = std::find_if(levels.cbegin(), levels.cend(),
                                    [&](const SiteLevel &known) { return known.name == name; });
    if (level == levels.cend())
        return std::nullopt;
    return static_cast<std::size_t>(level - levels.cbegin());
}

std::variant<QString, std::vector<Requirement>>
parseRequirements(const QString &text, const std::vector<SiteLevel> &levels)
{
    std::vector<Requirement> requirements;
    for (const QString &item : text.split(QLatin1Char(','))) {
        const auto found
                = levelNumber(QStringLiteral("--require"), QStringLiteral("PERCENT"), item, levels);
        if (const auto *problem = std::get_if<QString>(&found))
            return *problem;
        const auto [level, percent] = std::get<LevelNumber>(found);
        if (!(percent >= 0.0 && percent <= 100.0))
            return QStringLiteral("--require: %1 must be a percentage from 0 to 100").arg(item);
        requirements.push_back({level, percent});
    }
    return requirements;
}
