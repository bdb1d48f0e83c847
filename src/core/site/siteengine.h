#pragma once

#include "sitemodel.h"

#include <memory>
#include <variant>

// A site placed on its plane, or why it cannot be: a polygon that crosses
// itself, a site across the antimeridian, or what GEOS could not work out.
// A site without features places cameras on their own.
std::variant<QString, std::shared_ptr<const SiteGeometry>> placeSite(Site site, SiteUse use);
