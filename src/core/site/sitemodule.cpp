#include "siteengine.h"
#include "siteentry.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const char *kavreloSiteModuleVersion()
{
    return KAVRELO_VERSION "/" KAVRELO_SITE_INTERFACE;
}

extern "C" Q_DECL_EXPORT SiteEngine *kavreloMakeSiteEngine()
{
    return makeSiteEngine().release();
}
