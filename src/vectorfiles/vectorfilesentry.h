#pragma once

// vectorfiles/: the files of GIS and CAD programs (GeoPackage, Shapefile,
// KML, FlatGeobuf, GML, DXF and the rest of what OGR opens), read through
// GDAL/OGR with PROJ behind it. GDAL and its drivers would slow the start
// of every run several times over, so this is a module that the site
// commands load for the first such file; this header is what crosses.

#include "levelcolours.h"
#include "sitemodel.h"

#include <QByteArray>

#include <QString>
#include <QStringList>

#include <array>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
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
    // Layers without a coordinate system, a plan's, and with one.
    QStringList planLayers;
    QStringList earthLayers;
    // A drawing's $INSUNITS, when it has one: 1 inches, 2 feet, 4
    // millimetres, 5 centimetres, 6 metres and others that plans never use.
    std::optional<int> drawingUnits;
    // GDAL's own warnings, each once, in its words.
    QStringList warnings;
};

// A schedule of cameras from a layer of points: its fields as text, then
// the point as lat and lon (on the earth) or x and y (a plan, in its units),
// in their shortest digits; a feature without a point has them empty.
struct PointTable
{
    QStringList header;
    std::vector<std::vector<std::string>> rows;
};

// An OpenStreetMap extract (.osm, .osm.pbf) as elements with their tags,
// before any tag is read for what it means: the keys below alone, each
// value as the mapper wrote it.
constexpr const char *osmKeys[] = {"building",
                                   "building:part",
                                   "building:levels",
                                   "roof:height",
                                   "height",
                                   "barrier",
                                   "highway",
                                   "width",
                                   "area",
                                   "man_made",
                                   "surveillance:type",
                                   "camera:direction",
                                   "direction",
                                   "camera:angle",
                                   "ref",
                                   "name"};
constexpr int osmKeyCount = static_cast<int>(std::size(osmKeys));
struct OsmElement
{
    enum class Kind { node, way, relation };
    Kind kind = Kind::node;
    qint64 id = 0;
    // By the index of its key in osmKeys; only the keys it has.
    std::vector<std::pair<int, QString>> tags;
    // A node's point, a way's line, or the polygons of a closed way that
    // is an area or of a multipolygon relation, on the earth.
    std::optional<GeoPoint> point;
    std::vector<GeoPoint> line;
    GeoArea polygons;
    // Whether its polygons are valid, as OGR finds them: an outline that
    // crosses itself is a slip that mappers leave and others mend.
    bool valid = true;

    const QString *tag(int key) const
    {
        for (const auto &[index, value] : tags) {
            if (index == key)
                return &value;
        }
        return nullptr;
    }
};
// What a run wants of an extract: its cameras, which are nodes, or the
// ways and relations of a site; the rest is never built.
enum class OsmInterest { cameras, site };
struct OsmContents
{
    std::vector<OsmElement> elements; // in the file's order, nodes first
    // The extract's bounds as it declares them, when it does: west, south,
    // east and north.
    std::optional<std::array<double, 4>> bounds;
    // GDAL's own warnings, each once, in its words.
    QStringList warnings;
};

using VectorFilesVersion = const char *(*)();
constexpr char vectorFilesVersionSymbol[] = "kavreloVectorFilesVersion";
// Bump with any change to the entry points or to what they take.
#define KAVRELO_VECTOR_FILES_INTERFACE "7"

// Reads every layer of a file: true with its contents in *read, else
// false with why in *error, GDAL's reason included.
using ReadVectorFile = bool (*)(const QString &path, FileContents *read, QString *error);
constexpr char readVectorFileSymbol[] = "kavreloReadVectorFile";
// Reads a file's one layer of points: true with it in *table, else false
// with why, naming the file, the layer and a feature that is not a point.
using ReadPointTable = bool (*)(const QString &path, PointTable *table, QString *error);
constexpr char readPointTableSymbol[] = "kavreloReadPointTable";
// Reads an OpenStreetMap extract for what the run wants of it: true with
// its elements in *read, else false with why.
using ReadOsmFile
        = bool (*)(const QString &path, OsmInterest interest, OsmContents *read, QString *error);
constexpr char readOsmFileSymbol[] = "kavreloReadOsmFile";

// The formats written through OGR, by the extension of the file's name.
struct OutputFormatFile
{
    const char *extension;
    const char *driver; // GDAL's short name
    const char *description;
    bool layersInOneFile;
    bool drawing; // CAD's layers, colours and units
    // Longitude and latitude only, as RFC 7946 and KML 2.2 have them; the
    // others hold a plan's own units too, with no coordinate system.
    bool earthOnly;
};
constexpr OutputFormatFile outputFormatFiles[] = {
        {"gpkg", "GPKG", "GeoPackage, a layer of each kind", true, false, false},
        {"shp", "ESRI Shapefile", "Shapefile, beside it one for each other layer", false, false,
         false},
        {"fgb", "FlatGeobuf", "FlatGeobuf, beside it one for each other layer", false, false,
         false},
        {"dxf", "DXF", "DXF drawing, a CAD layer of each kind", true, true, false},
        {"geojson", "GeoJSON", "GeoJSON, beside it one for each other layer", false, false, true},
        {"kml", "LIBKML", "KML, a folder of each kind", true, false, true}};

// "gpkg, shp, fgb, dxf, geojson, kml", or only those that hold a plan.
inline QString outputExtensions(bool inPlan = false)
{
    QStringList extensions;
    for (const OutputFormatFile &format : outputFormatFiles) {
        if (!inPlan || !format.earthOnly)
            extensions << QLatin1String(format.extension);
    }
    return extensions.join(QStringLiteral(", "));
}
// The format that a file's name asks for, if any.
inline const OutputFormatFile *outputFormatOf(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : path.mid(dot + 1).toLower();
    for (const OutputFormatFile &format : outputFormatFiles) {
        if (suffix == QLatin1String(format.extension))
            return &format;
    }
    return nullptr;
}

// Every file that a file of this name is, or will be, in a format of one
// layer to a file: a Shapefile's own beside it (.shx, .dbf, .prj, .cpg),
// and with the layers beyond the first as FILE_LAYER, each the same way.
inline QStringList filesOf(const QString &path, const QStringList &laterLayers = {})
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot <= slash + 1)
        return {path};
    const QString stem = path.left(dot);
    const QString suffix = path.mid(dot + 1);
    const OutputFormatFile *format = outputFormatOf(path);
    QStringList stems{stem};
    if (format && !format->layersInOneFile) {
        for (const QString &layer : laterLayers)
            stems << QStringLiteral("%1_%2").arg(stem, layer);
    }
    QStringList files;
    for (const QString &each : stems) {
        files << QStringLiteral("%1.%2").arg(each, suffix);
        if (suffix.compare(QLatin1String("shp"), Qt::CaseInsensitive) == 0) {
            for (const char *companion : {"shx", "dbf", "prj", "cpg"})
                files << QStringLiteral("%1.%2").arg(each, QLatin1String(companion));
        }
    }
    return files;
}

// A file to write, through OGR, in the format that its name's extension
// names (outputFormats()): its layers, each of points or of polygons with
// fields of text or reals, on the earth in WGS84 or in a plan.
struct OutputField
{
    QString name;
    bool real = false; // else text
};
struct OutputLayer
{
    QString name;
    bool points = false; // else polygons
    std::vector<OutputField> fields;
};
// A drawing's layer, which CAD colours its features by: the writer puts
// them in the drawing's layer table with their true colour.
struct CadLayer
{
    QString name;
    Rgb colour;
};
struct OutputRequest
{
    QString path;
    // The first is the file itself; in a format of one layer to a file
    // (Shapefile, FlatGeobuf) each other goes beside it, as FILE_LAYER.
    std::vector<OutputLayer> layers;
    std::vector<CadLayer> cadLayers;
    // A drawing's $INSUNITS: 6, metres, unless the plan read had others.
    int cadUnits = 6;
    // In WGS84; else in a plan's own units, with no coordinate system.
    bool onEarth = true;
};
// A value of a field: none, text or a real.
using OutputValue = std::variant<std::monostate, QString, double>;
struct OutputFeature
{
    std::size_t layer = 0;
    std::vector<OutputValue> values; // one per field
    std::optional<GeoPoint> point; // of a layer of points
    GeoArea area; // of a layer of polygons; may be empty
    QString cadLayer; // in a drawing
    QString label; // in a drawing, written beside a point
    // In a drawing, or a plan with no place on the earth, instead of point
    // and area: the plan's own units, its rings open.
    std::optional<PlanePoint> planPoint;
    std::vector<PlanePolygon> planArea;
};
// A file that OGR made, named as it goes beside the path asked for.
struct MadeFile
{
    QString name;
    QByteArray bytes;
};
// The features go into memory, as they come; finish() gives the files,
// for the program to put in place whole.
class OutputFile
{
public:
    virtual ~OutputFile() = default;
    virtual std::optional<QString> add(const OutputFeature &feature) = 0;
    virtual std::variant<QString, std::vector<MadeFile>> finish() = 0;
    // GDAL's warnings while it wrote, each once, in its words.
    virtual QStringList warnings() const = 0;
};

// Starts a file: true with it in *file, else false with why in *error.
using StartOutputFile
        = bool (*)(const OutputRequest &request, std::unique_ptr<OutputFile> *file, QString *error);
constexpr char startOutputFileSymbol[] = "kavreloStartOutputFile";
