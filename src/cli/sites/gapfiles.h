#pragma once

#include "siteinputs.h"
#include "wholefile.h"

#include <optional>

// coverage's --gaps: one feature per gap, largest first in each level,
// with its level, its number and its exact area, so that a GIS program
// counts as the table does. GeoJSON (RFC 7946), as always, unless the
// file's name asks for a format of GIS and CAD programs (a GeoPackage, a
// Shapefile, FlatGeobuf, KML or a drawing with a layer for each level's
// gaps), which the module of them writes. Added to files, to be put in
// place with the rest of the run's.
// GDAL's warnings while it wrote, if any, go into warnings.
std::optional<QString> addGapsFile(const QString &path, const CoverageReport &report,
                                   const SiteInputs &site, WholeFiles &files,
                                   QStringList &warnings);
// Why such a file cannot be asked for: a drawing without --origin.
std::optional<QString> refusesGapsFile(const QString &path, const SiteInputs &site);
