#pragma once

#include "inputs.h"
#include "sitemodel.h"

#include <QString>

#include <optional>
#include <variant>
#include <vector>

// The levels a site is measured by: the standard's six, or the user's own
// as "name=px,name=px", loosest first whatever the order given.
// --levels, as every command that counts levels takes it.
InputSpec levelsInput();
std::variant<QString, std::vector<SiteLevel>> parseLevels(const QString &text);

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
