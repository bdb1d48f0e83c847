#pragma once

#include "loadablemodule.h"
#include "recordsource.h"
#include "sitemodel.h"

#include <QStringList>

#include <memory>
#include <variant>

// A site and its cameras from an OpenStreetMap extract (.osm, .osm.pbf),
// its tags read as mappers write them.

// Whether a file is an extract, by its name, as GDAL's driver knows one.
bool isOsmExtract(const QString &path);

// The obstacles of an extract: buildings and building parts; walls and
// hedges, up to their height or else 2 m; fences only with a height.
struct OsmSite
{
    std::vector<SiteFeature> features;
    // Values that could not be read, each kind once with its count.
    QStringList warnings;
    // How many obstacles took each rule for their height, for the report:
    // sentences to follow "In FILE, ".
    QStringList heightRules;
};
// source: put before each feature's name in messages, as "town.osm, ".
std::variant<ModuleProblem, QString, OsmSite> readOsmSite(const QString &path,
                                                          const QString &source);

// The cameras of an extract as a schedule: nodes of man_made=surveillance
// whose surveillance:type is camera or not given, each a record of its
// name, bearing, tilt, height and position. A camera without a direction
// takes --bearing when bearingGiven, else is a record's error that says so;
// a range, or a height that cannot be read, is one too.
std::variant<ModuleProblem, QString, std::unique_ptr<RecordSource>>
osmCameraSchedule(const QString &path, bool bearingGiven);
