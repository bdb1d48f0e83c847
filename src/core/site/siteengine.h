#pragma once

#include "sitemodel.h"

#include <memory>

// The engine on GeographicLib and GEOS.
std::unique_ptr<SiteEngine> makeSiteEngine();
