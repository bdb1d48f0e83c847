#pragma once

#include "vectorfilesentry.h"

#include <variant>

// A file of GIS or CAD programs written through OGR into memory (GDAL's
// /vsimem/), so that the program can put its files in place whole: a
// GeoPackage with a layer for each of the request's, a Shapefile or a
// FlatGeobuf for each, or a DXF whose layers are the features' own.
std::variant<QString, std::unique_ptr<OutputFile>> startOutputFile(const OutputRequest &request);
