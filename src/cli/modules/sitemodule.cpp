#include "sitemodule.h"

#include "loadablemodule.h"
#include "siteentry.h"

std::variant<ModuleProblem, QString, std::shared_ptr<const SiteGeometry>>
placeSite(const Site &site)
{
    static LoadableModule module("kavrelo-sites", siteModuleVersionSymbol,
                                 KAVRELO_VERSION "/" KAVRELO_SITE_INTERFACE, "place cameras");
    if (const auto problem = module.problem({placeSiteSymbol}))
        return ModuleProblem{*problem};
    const auto place = reinterpret_cast<PlaceSite>(module.resolve(placeSiteSymbol));
    std::shared_ptr<const SiteGeometry> placed;
    QString error;
    if (!place(site, &placed, &error))
        return error;
    return placed;
}
