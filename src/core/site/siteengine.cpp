#include "siteengine.h"

#include "placedsite.h"

std::variant<QString, std::shared_ptr<const SiteGeometry>> placeSite(Site site, SiteUse use)
{
    auto placed = PlacedSite::place(std::move(site), use);
    if (auto *problem = std::get_if<QString>(&placed))
        return std::move(*problem);
    return std::shared_ptr<const SiteGeometry>(
            std::get<std::shared_ptr<const PlacedSite>>(std::move(placed)));
}
