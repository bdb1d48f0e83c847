#include "sitemodule.h"

#include "loadablemodule.h"
#include "siteentry.h"

std::variant<QString, std::shared_ptr<SiteEngine>> loadSiteEngine()
{
    static LoadableModule module("kavrelo-sites", siteModuleVersionSymbol,
                                 KAVRELO_VERSION "/" KAVRELO_SITE_INTERFACE, "place cameras");
    if (const auto problem = module.problem({makeSiteEngineSymbol}))
        return *problem;
    const auto make = reinterpret_cast<MakeSiteEngine>(module.resolve(makeSiteEngineSymbol));
    return std::shared_ptr<SiteEngine>(make());
}
