#pragma once

#include "vectorfilesentry.h"

#include <variant>

// An OpenStreetMap extract through GDAL's OSM driver, told by a
// configuration of its own to give each key of osmKeys as a field under
// its own name and to build only the layers that the run wants.
std::variant<QString, OsmContents> readOsmFile(const QString &path, OsmInterest interest);
