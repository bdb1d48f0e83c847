#pragma once

#include "inputs.h"
#include "sitemodel.h"

#include <QString>

#include <optional>
#include <variant>
#include <vector>

// The levels a site is measured by: the standard's of an edition by its
// year ("2025"), or the user's own as "name=px,name=px", or both, loosest
// first whatever the order given.
// --levels, as every command that counts levels takes it.
InputSpec levelsInput();
std::variant<QString, std::vector<SiteLevel>> parseLevels(const QString &text);
// The editions that --levels names, by their years, in its order.
QStringList levelEditionsIn(const QString &text);
// "2014 or 2025"
QString levelEditionYears();

// --max-angle's LEVEL=DEGREES, each once, set on the levels they name.
InputSpec maxAnglesInput();
std::optional<QString> applyMaxAngles(const QStringList &items, std::vector<SiteLevel> &levels);

// Where the level of that name is among them, if it is.
std::optional<std::size_t> levelNamed(const QString &name, const std::vector<SiteLevel> &levels);

// What --require asks of a level's coverage: "detect=95", in percent.
struct Requirement
{
    std::size_t level;
    double percent;
};
std::variant<QString, std::vector<Requirement>>
parseRequirements(const QString &text, const std::vector<SiteLevel> &levels);
