#include "placedsite.h"
#include "ringjoin.h"
#include "siteengine.h"
#include "siteentry.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const char *kavreloSiteModuleVersion()
{
    return KAVRELO_VERSION "/" KAVRELO_SITE_INTERFACE;
}

extern "C" Q_DECL_EXPORT bool kavreloPlaceSite(Site &&site, SiteUse use,
                                               std::shared_ptr<const SiteGeometry> *placed,
                                               QString *error)
{
    auto made = placeSite(std::move(site), use);
    if (auto *problem = std::get_if<QString>(&made)) {
        *error = std::move(*problem);
        return false;
    }
    *placed = std::get<std::shared_ptr<const SiteGeometry>>(std::move(made));
    return true;
}

extern "C" Q_DECL_EXPORT bool kavreloJoinRings(const std::vector<std::vector<PlanePoint>> &lines,
                                               double slip, JoinedRings *joined, QString *error)
{
    auto made = guarded([&] {
        const GeosContext context;
        const PlaneGeometry geometry(context);
        return joinRings(geometry, lines, slip);
    });
    if (auto *problem = std::get_if<QString>(&made)) {
        *error = std::move(*problem);
        return false;
    }
    *joined = std::get<JoinedRings>(std::move(made));
    return true;
}
