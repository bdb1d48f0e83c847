#include "footprintcommand.h"

#include "mapsinks.h"

#include <cstring>

FootprintCommand::FootprintCommand()
    : SiteCommand(
            QStringLiteral("footprint"),
            QStringLiteral("Cameras on the map: the ground each sees and each level's band."),
            QStringLiteral(
                    "Each camera of the schedule is placed at --lat and --lon (or --x and --y\n"
                    "metres about --origin), looking along --bearing, on a pole as mount takes\n"
                    "it. The ground in view and the band where each level is the strictest met,\n"
                    "on the target's plane, are exact trapezoids; the obstacles of --site cut\n"
                    "out what they hide. Written as one GeoJSON FeatureCollection or one KML\n"
                    "document, for QGIS, geojson.io or Google Earth."))
{
    setFormats({{"geojson", "RFC 7946, the default", nullptr}, {"kml", "KML 2.2", nullptr}});
}

QStringList FootprintCommand::ownFieldNames() const
{
    return {QString::fromLatin1(kindProperty)};
}

std::optional<QString> FootprintCommand::place(const SitePlan &plan, PlacedRecord &record) const
{
    auto footprint = plan.engine->footprint(record.camera, plan.levels);
    if (const auto *problem = std::get_if<QString>(&footprint))
        return *problem;
    record.footprint = std::move(std::get<CameraFootprint>(footprint));
    if (record.footprint.crossesAntimeridian)
        return QStringLiteral("the camera's view crosses the antimeridian");
    return std::nullopt;
}

std::unique_ptr<RecordSink> FootprintCommand::makeSink(const SitePlan &plan,
                                                       const PlacedRecord &record,
                                                       const OutputFormat &format,
                                                       const QStringList &passThroughNames,
                                                       const Streams &streams) const
{
    return makeMapSink(std::strcmp(format.name, "kml") == 0 ? MapFormat::kml : MapFormat::geoJson,
                       resultTable(), passThroughNames, record, plan.levels, streams,
                       messagePrefix());
}
