#pragma once

#include "recordsink.h"
#include "sitemodel.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct Streams;

// footprint's output: a map of every camera, written as it comes, so that
// memory stays flat. GeoJSON by RFC 7946 (lon/lat, counter-clockwise
// exteriors, at most 7 decimals, no crs) with simplestyle colours, or KML
// 2.2 with one shared style per level and a folder per camera. A record in
// error goes to standard error, prefixed as the command's messages are.
enum class MapFormat { geoJson, kml };
// The property that tells a camera's feature from its view's and bands'.
constexpr char kindProperty[] = "kind";
class MapSink : public RecordSink
{
public:
    using RecordSink::RecordSink;
    bool wrapsRecords() const override { return true; }
    // A camera where it stands, with its properties and its footprint.
    void camera(const QString &name, const FieldList &passThrough, const Results &results,
                GeoPoint at, const CameraFootprint &footprint)
    {
        writeCamera(name, passThrough, results, at, footprint);
        flushIfFull();
    }

    // Why the map's file cannot be written, once that is known.
    virtual std::optional<QString> problem() const { return std::nullopt; }

protected:
    virtual void writeCamera(const QString &name, const FieldList &passThrough,
                             const Results &results, GeoPoint at, const CameraFootprint &footprint)
            = 0;
};
std::unique_ptr<MapSink> makeMapSink(MapFormat format, const ResultTable &results,
                                     const QStringList &passThroughNames,
                                     const std::vector<SiteLevel> &levels, const Streams &streams,
                                     const QString &messagePrefix);

// The same map into a file of GIS or CAD programs, begun by the module of
// them: bands first, then the views and the cameras, as its layers; put in
// place by whoever finishes the file.
// A drawing takes its points in the plan's units, through toDrawing.
class OutputFile;
using ToDrawing = std::function<PlanePoint(GeoPoint)>;
std::unique_ptr<MapSink> makeFileMapSink(OutputFile &file, ToDrawing toDrawing,
                                         const ResultTable &results,
                                         const QStringList &passThroughNames,
                                         const std::vector<SiteLevel> &levels,
                                         const Streams &streams, const QString &messagePrefix);
// An area on the earth in a drawing's plane, its closed rings made open.
std::vector<PlanePolygon> drawnArea(const GeoArea &area, const ToDrawing &toDrawing);
// What such a file's layers are, for the module to begin it.
struct OutputRequest;
OutputRequest mapFileRequest(const QString &path, const ResultTable &results,
                             const QStringList &passThroughNames,
                             const std::vector<SiteLevel> &levels, int drawingUnits);

// A GeoJSON geometry of an area: a Polygon for one part, else a
// MultiPolygon.
void appendGeoJsonArea(OutputBuffer &out, const GeoArea &area);
