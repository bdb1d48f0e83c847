#pragma once

#include "sitemodel.h"

#include <memory>

// The site module's entry points, resolved by name. A module from another
// build may lay out the model otherwise, so the program checks the version
// first and calls nothing else of a module that differs.
using SiteModuleVersion = const char *(*)();
constexpr char siteModuleVersionSymbol[] = "kavreloSiteModuleVersion";
// Bump with any change to the entry points or to the model they take.
#define KAVRELO_SITE_INTERFACE "16"

// Places a site: true with the site in *placed, else false with why in
// *error.
// The site is taken, not copied: a town's is large.
using PlaceSite = bool (*)(Site &&site, SiteUse use, std::shared_ptr<const SiteGeometry> *placed,
                           QString *error);
constexpr char placeSiteSymbol[] = "kavreloPlaceSite";

// Joins a plan's loose lines into the polygons they close, ends nearer
// than slip meeting: true with them in *joined, else false with why.
using JoinRings = bool (*)(const std::vector<std::vector<PlanePoint>> &lines, double slip,
                           JoinedRings *joined, QString *error);
constexpr char joinRingsSymbol[] = "kavreloJoinRings";
