#pragma once

#include "sitemodel.h"

// The site module's entry points, resolved by name. A module from another
// build may lay out the model otherwise, so the program checks the version
// first and calls nothing else of a module that differs.
using SiteModuleVersion = const char *(*)();
constexpr char siteModuleVersionSymbol[] = "kavreloSiteModuleVersion";
// Bump with any change to the entry points or to the model they take.
#define KAVRELO_SITE_INTERFACE "3"

// A new engine, which the caller owns.
using MakeSiteEngine = SiteEngine *(*)();
constexpr char makeSiteEngineSymbol[] = "kavreloMakeSiteEngine";
