#pragma once

#include "recordsink.h"
#include "sitemodel.h"

#include <memory>
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

protected:
    virtual void writeCamera(const QString &name, const FieldList &passThrough,
                             const Results &results, GeoPoint at, const CameraFootprint &footprint)
            = 0;
};
std::unique_ptr<MapSink> makeMapSink(MapFormat format, const ResultTable &results,
                                     const QStringList &passThroughNames,
                                     const std::vector<SiteLevel> &levels, const Streams &streams,
                                     const QString &messagePrefix);

// A GeoJSON geometry of an area: a Polygon for one part, else a
// MultiPolygon.
void appendGeoJsonArea(OutputBuffer &out, const GeoArea &area);
