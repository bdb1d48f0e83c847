#include "footprintcommand.h"

#include <cstring>

FootprintCommand::FootprintCommand()
    : PlannedCommand(
            QStringLiteral("footprint"),
            QStringLiteral("Cameras on the map: the ground each sees and each level's band."),
            QStringLiteral(
                    "Each camera of the schedule is placed at --lat and --lon (or -x and -y\n"
                    "metres about --origin), looking along --bearing, on a pole as mount takes\n"
                    "it. The ground in view and the band where each level is the strictest met,\n"
                    "on the target's plane, are exact trapezoids; the obstacles of --site cut\n"
                    "out what they hide. Written as one GeoJSON FeatureCollection or one KML\n"
                    "document, for QGIS, geojson.io or Google Earth."))
    , m_site([this](InputSpec input) { return addInput(std::move(input)); },
             [this](ResultSpec result) { return addResult(std::move(result)); })
{
    setFormats({{"geojson", "RFC 7946, the default", nullptr}, {"kml", "KML 2.2", nullptr}});
}

QStringList FootprintCommand::ownFieldNames() const
{
    return {QString::fromLatin1(kindProperty)};
}

std::variant<UsageError, SiteInputs> FootprintCommand::prepare(const GivenInputs &given) const
{
    return m_site.prepare(given, SiteInputReader::Area::optional, [] { return std::nullopt; });
}

std::optional<QString> FootprintCommand::refusesOutput(const SiteInputs &plan) const
{
    return m_site.refusesOutput(plan, {}, false);
}

std::optional<QString> FootprintCommand::calculate(const SiteInputs &plan,
                                                   const InputValues &values, Results &results,
                                                   PlacedFootprint &product) const
{
    if (const auto problem = m_site.place(plan, values, false, results, product.placed))
        return problem;
    if (const auto problem = nonFiniteResult(results, values))
        return problem;
    auto footprint = plan.site->footprint(product.placed.camera, plan.levels);
    if (const auto *problem = std::get_if<QString>(&footprint))
        return *problem;
    product.footprint = std::get<CameraFootprint>(std::move(footprint));
    if (product.footprint.crossesAntimeridian)
        return QStringLiteral("the camera's view crosses the antimeridian");
    return std::nullopt;
}

std::unique_ptr<RecordSink> FootprintCommand::makeSink(const SiteInputs &plan, FootprintRun &run,
                                                       const OutputFormat &format,
                                                       const QStringList &passThroughNames,
                                                       const Streams &streams) const
{
    auto map = makeMapSink(std::strcmp(format.name, "kml") == 0 ? MapFormat::kml
                                                                : MapFormat::geoJson,
                           resultTable(), passThroughNames, plan.levels, streams, messagePrefix());
    run.map = map.get();
    run.nameColumn = nameColumnOf(passThroughNames);
    return map;
}

std::optional<QString> FootprintCommand::write(const SiteInputs & /*plan*/, FootprintRun &run,
                                               PlacedFootprint &&product, RecordSink & /*sink*/,
                                               const Results &results,
                                               const RecordAnswer &answer) const
{
    run.map->camera(cameraName(answer.passThrough, run.nameColumn, answer.line), answer.passThrough,
                    results, product.placed.camera.at, product.footprint);
    return std::nullopt;
}

QStringList FootprintCommand::warnings(const SiteInputs &plan) const
{
    return plan.warnings;
}
