#pragma once

#include "loadablemodule.h"
#include "vectorfilesentry.h"

#include <variant>

// The program's side of the module of GIS and CAD files.

// Every layer of the file, read by the module; or why the module cannot
// be used; or why the file cannot be read.
std::variant<ModuleProblem, QString, FileContents> readVectorFile(const QString &path);

// A file's one layer of points, read by the module as a schedule.
std::variant<ModuleProblem, QString, PointTable> readPointTable(const QString &path);

// An OpenStreetMap extract, read by the module for what the run wants.
std::variant<ModuleProblem, QString, OsmContents> readOsmFile(const QString &path,
                                                              OsmInterest interest);

// A file of GIS or CAD programs begun by the module, for features to go
// into; or why the module cannot be used; or why the file cannot be made.
std::variant<ModuleProblem, QString, std::unique_ptr<OutputFile>>
startOutputFile(const OutputRequest &request);
