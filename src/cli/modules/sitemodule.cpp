#include "sitemodule.h"

#include "loadablemodule.h"
#include "siteentry.h"

namespace {

LoadableModule &siteModule()
{
    static LoadableModule module("kavrelo-sites", siteModuleVersionSymbol,
                                 KAVRELO_VERSION "/" KAVRELO_SITE_INTERFACE, "place cameras");
    return module;
}

} // namespace

std::variant<ModuleProblem, QString, std::shared_ptr<const SiteGeometry>> placeSite(Site site,
                                                                                    SiteUse use)
{
    LoadableModule &module = siteModule();
    if (const auto problem = module.problem({placeSiteSymbol}))
        return ModuleProblem{*problem};
    const auto place = reinterpret_cast<PlaceSite>(module.resolve(placeSiteSymbol));
    std::shared_ptr<const SiteGeometry> placed;
    QString error;
    if (!place(std::move(site), use, &placed, &error))
        return error;
    return placed;
}

std::variant<ModuleProblem, QString, JoinedRings>
joinRings(const std::vector<std::vector<PlanePoint>> &lines, double slip)
{
    LoadableModule &module = siteModule();
    if (const auto problem = module.problem({joinRingsSymbol}))
        return ModuleProblem{*problem};
    const auto join = reinterpret_cast<JoinRings>(module.resolve(joinRingsSymbol));
    JoinedRings joined;
    QString error;
    if (!join(lines, slip, &joined, &error))
        return error;
    return joined;
}
