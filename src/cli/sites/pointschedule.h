#pragma once

#include "recordsource.h"

#include <QString>

#include <memory>
#include <optional>
#include <variant>

// A schedule of cameras from a layer of points in a file of GIS programs,
// named by its extension (.gpkg, .shp, .fgb, .geojson, .kml, .gml, ...):
// each feature a record, its fields the columns, its point lat and lon (or
// x and y in a plan). An OpenStreetMap extract gives its mapped cameras
// (osmsite.h), bearingGiven saying whether --bearing stands in for a
// direction not mapped. Nothing for any other batch, which is CSV; else
// the records, or why the file is no schedule.
std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
pointSchedule(const QString &path, bool bearingGiven);
