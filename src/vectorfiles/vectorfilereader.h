#pragma once

#include "vectorfilesentry.h"

#include <gdal_priv.h>

#include <memory>
#include <variant>

class GdalMessages;

// Every layer of a file that OGR opens, on the earth in WGS84 longitude
// and latitude through the layer's own coordinate system, its axis order
// as the layer declares it. A layer without a coordinate system is named
// in the contents instead, its features left for a plan.
std::variant<QString, FileContents> readVectorFile(const QString &path);
// A schedule from a file's one layer of points.
std::variant<QString, PointTable> readPointTable(const QString &path);

// The file opened for reading with the driver's options, if any, GDAL's
// drivers registered once; or why not, GDAL's reason included.
std::variant<QString, std::unique_ptr<GDALDataset>>
openForReading(const QString &path, const GdalMessages &messages,
               const char *const *options = nullptr);
