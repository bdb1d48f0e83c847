#pragma once

#include "inputs.h"
#include "sitemodel.h"

#include <QString>

#include <variant>
#include <vector>

// The levels a site is measured by: the standard's six, or the user's own
// as "name=px,name=px", loosest first whatever the order given.
// --levels, as every command that counts levels takes it.
InputSpec levelsInput();
std::variant<QString, std::vector<SiteLevel>> parseLevels(const QString &text);

// What --require asks of a level's coverage: "detect=95", in percent.
struct Requirement
{
    std::size_t level;
    double percent;
};
std::variant<QString, std::vector<Requirement>>
parseRequirements(const QString &text, const std::vector<SiteLevel> &levels);
