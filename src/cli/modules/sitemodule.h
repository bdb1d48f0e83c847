#pragma once

#include "loadablemodule.h"
#include "sitemodel.h"

#include <QString>

#include <memory>
#include <variant>

// The program's side of the site module.

// The site placed by the module; or why the module cannot place it; or why
// the site cannot be used.
std::variant<ModuleProblem, QString, std::shared_ptr<const SiteGeometry>> placeSite(Site site,
                                                                                    SiteUse use);

// A plan's loose lines joined by the module into the polygons they close.
std::variant<ModuleProblem, QString, JoinedRings>
joinRings(const std::vector<std::vector<PlanePoint>> &lines, double slip);
