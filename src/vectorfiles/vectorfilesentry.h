#pragma once

// vectorfiles/: the files of GIS and CAD programs (GeoPackage, Shapefile,
// KML, FlatGeobuf, GML, DXF and the rest of what OGR opens), read through
// GDAL/OGR with PROJ behind it. GDAL and its drivers would slow the start
// of every run several times over, so this is a module that the site
// commands load for the first such file; this header is what crosses.

#include "sitemodel.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// An attribute as the file holds it: a number field, or text to be read.
struct FileAttribute
{
    std::optional<double> number;
    std::optional<QString> text;
    bool given() const { return number || text; }
};

// A feature as its file holds it, before its role is settled: points on
// the earth, every curve made lines, collections flattened.
struct FileFeature
{
    QString layer; // the OGR layer, or the DXF Layer field
    int number = 0; // from 1, in its layer's order
    QString name;
    FileAttribute role;
    FileAttribute height;
    // As GeoJSON names it ("LineString"), else as WKT does; empty for none.
    QString geometryType;
    // On the earth, for a layer with a coordinate system.
    GeoArea polygons;
    std::vector<std::vector<GeoPoint>> lines;
    // In a plan's own units, x right and y up, for a layer without one. A
    // drawing's closed polylines are polygons already.
    std::vector<PlanePolygon> planPolygons;
    std::vector<std::vector<PlanePoint>> planLines;
};

struct FileContents
{
    QStringList layers; // in the file's order, each once
    std::vector<FileFeature> features;
    // Layers without a coordinate system: a plan's.
    QStringList planLayers;
    // A drawing's $INSUNITS, when it has one: 1 inches, 2 feet, 4
    // millimetres, 5 centimetres, 6 metres and others that plans never use.
    std::optional<int> drawingUnits;
    // GDAL's own warnings, each once, in its words.
    QStringList warnings;
};

using VectorFilesVersion = const char *(*)();
constexpr char vectorFilesVersionSymbol[] = "kavreloVectorFilesVersion";
// Bump with any change to the entry points or to what they take.
#define KAVRELO_VECTOR_FILES_INTERFACE "2"

// Reads every layer of a file: true with its contents in *read, else
// false with why in *error, GDAL's reason included.
using ReadVectorFile = bool (*)(const QString &path, FileContents *read, QString *error);
constexpr char readVectorFileSymbol[] = "kavreloReadVectorFile";
