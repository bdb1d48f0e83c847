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

// The ground to cover that an extract gives, beside its obstacles: none,
// its bounds (or the box around what it maps, when it declares none), or
// its street space. The site's obstacles are taken out of either.
enum class OsmGround { none, extent, streets };
// The grounds by their names on the command line.
struct NamedGround
{
    const char *name;
    OsmGround ground;
};
constexpr NamedGround osmGrounds[]
        = {{"extent", OsmGround::extent}, {"streets", OsmGround::streets}};
constexpr const char *osmGroundName(OsmGround ground)
{
    for (const NamedGround &named : osmGrounds) {
        if (named.ground == ground)
            return named.name;
    }
    return "none";
}

// How wide a street of each highway class is taken to be when its way has
// no width tag: a carriageway with its kerbs, or a path; a way of any other
// class (proposed, construction, raceway, ...) is no street space.
struct StreetClass
{
    const char *highway;
    double metres;
};
constexpr StreetClass streetClasses[]
        = {{"motorway", 11.0},    {"trunk", 10.0},         {"primary", 10.0},
           {"secondary", 8.0},    {"tertiary", 7.0},       {"unclassified", 6.0},
           {"residential", 6.0},  {"road", 6.0},           {"living_street", 5.0},
           {"pedestrian", 5.0},   {"motorway_link", 5.0},  {"trunk_link", 5.0},
           {"primary_link", 5.0}, {"secondary_link", 5.0}, {"tertiary_link", 5.0},
           {"service", 4.0},      {"busway", 4.0},         {"track", 3.0},
           {"footway", 2.0},      {"path", 2.0},           {"cycleway", 2.0},
           {"bridleway", 2.0},    {"steps", 2.0}};

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
                                                          const QString &source, OsmGround ground);

// The cameras of an extract as a schedule: nodes of man_made=surveillance
// whose surveillance:type is camera or not given, each a record of its
// name, bearing, tilt, height and position. A camera without a direction
// takes --bearing when bearingGiven, else is a record's error that says so;
// a range, or a height that cannot be read, is one too.
std::variant<ModuleProblem, QString, std::unique_ptr<RecordSource>>
osmCameraSchedule(const QString &path, bool bearingGiven);
