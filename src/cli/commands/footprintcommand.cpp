#include "footprintcommand.h"

#include "pointschedule.h"

#include "planplacement.h"
#include "streams.h"
#include "vectorfilesmodule.h"
#include "wholefile.h"

#include <QDir>
#include <QFileInfo>

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
                    "document, for QGIS, geojson.io or Google Earth; or with --output into a\n"
                    "file that GIS and CAD programs open, in the format its extension names."))
    , m_site([this](InputSpec input) { return addInput(std::move(input)); },
             [this](ResultSpec result) { return addResult(std::move(result)); })
    , m_output(addInput(commandLineOnly(
              {QStringLiteral("output"), QStringLiteral("FILE"),
               QStringLiteral("Write the map into FILE instead, as its extension says: %1.")
                       .arg(outputExtensions())})))
{
    setFormats({{"geojson", "RFC 7946, the default", nullptr}, {"kml", "KML 2.2", nullptr}});
}

QStringList FootprintCommand::ownFieldNames() const
{
    return {QString::fromLatin1(kindProperty)};
}

std::variant<UsageError, FootprintPlan> FootprintCommand::prepare(const GivenInputs &given) const
{
    FootprintPlan plan;
    auto site = m_site.prepare(
            given, SiteInputReader::Area::optional, [&]() -> std::optional<QString> {
                plan.output = given.commandLine[m_output];
                if (!plan.output)
                    return std::nullopt;
                const OutputFormatFile *format = outputFormatOf(*plan.output);
                if (!format)
                    return QStringLiteral("--output %1: name the file .%2")
                            .arg(*plan.output,
                                 outputExtensions().replace(QStringLiteral(", "),
                                                            QStringLiteral(", .")));
                return std::nullopt;
            });
    if (auto *error = std::get_if<UsageError>(&site))
        return std::move(*error);
    plan.site = std::get<SiteInputs>(std::move(site));
    if (const auto problem
        = refusesWrittenAs(plan.site,
                           plan.output ? QStringLiteral("--output %1").arg(*plan.output)
                                       : QStringLiteral("the map on standard output"),
                           plan.output ? outputFormatOf(*plan.output) : nullptr))
        return UsageError{*problem};
    return plan;
}

std::optional<QString> FootprintCommand::refusesOutput(const FootprintPlan &plan) const
{
    return m_site.refusesOutput(plan.site, outputFiles(plan), false);
}

QStringList FootprintCommand::outputFiles(const FootprintPlan &plan) const
{
    // Each layer of a file of one layer each beside the first.
    return plan.output ? filesOf(*plan.output, {QStringLiteral("views"), QStringLiteral("cameras")})
                       : QStringList();
}

std::optional<QString> FootprintCommand::calculate(const FootprintPlan &plan,
                                                   const InputValues &values, Results &results,
                                                   PlacedFootprint &product) const
{
    if (const auto problem = m_site.place(plan.site, values, false, results, product.placed))
        return problem;
    if (const auto problem = nonFiniteResult(results, values))
        return problem;
    auto footprint = plan.site.site->footprint(product.placed.camera, plan.site.levels);
    if (const auto *problem = std::get_if<QString>(&footprint))
        return *problem;
    product.footprint = std::get<CameraFootprint>(std::move(footprint));
    if (product.footprint.crossesAntimeridian)
        return QStringLiteral("the camera's view crosses the antimeridian");
    return std::nullopt;
}

std::unique_ptr<RecordSink> FootprintCommand::makeSink(const FootprintPlan &plan, FootprintRun &run,
                                                       const OutputFormat &format,
                                                       const QStringList &passThroughNames,
                                                       const Streams &streams) const
{
    run.nameColumn = nameColumnOf(passThroughNames);
    std::unique_ptr<MapSink> map;
    if (plan.output) {
        const double perUnit = plan.site.plan.metresPerUnit.value_or(1.0);
        OutputRequest request = mapFileRequest(*plan.output, resultTable(), passThroughNames,
                                               plan.site.levels, drawingUnitCode(perUnit));
        request.onEarth = plan.site.frame == SiteFrame::earth;
        auto file = startOutputFile(request);
        if (auto *problem = std::get_if<ModuleProblem>(&file))
            run.fileProblem = problem->message;
        else if (auto *problem = std::get_if<QString>(&file))
            run.fileProblem = *problem;
        else
            run.file = std::get<std::unique_ptr<OutputFile>>(std::move(file));
    }
    if (run.file) {
        ToDrawing toDrawing;
        if (writtenInPlanUnits(plan.site, *outputFormatOf(*plan.output)))
            toDrawing = [&site = plan.site](GeoPoint point) { return inDrawing(site, point); };
        map = makeFileMapSink(*run.file, std::move(toDrawing), resultTable(), passThroughNames,
                              plan.site.levels, streams, messagePrefix());
    } else
        map = makeMapSink(
                std::strcmp(format.name, "kml") == 0 ? MapFormat::kml : MapFormat::geoJson,
                resultTable(), passThroughNames, plan.site.levels, streams, messagePrefix());
    run.map = map.get();
    return map;
}

std::optional<QString> FootprintCommand::write(const FootprintPlan & /*plan*/, FootprintRun &run,
                                               PlacedFootprint &&product, RecordSink & /*sink*/,
                                               const Results &results,
                                               const RecordAnswer &answer) const
{
    run.map->camera(cameraName(answer.passThrough, run.nameColumn, answer.line), answer.passThrough,
                    results, product.placed.camera.at, product.footprint);
    return std::nullopt;
}

RunEnd FootprintCommand::endRun(const FootprintPlan &plan, FootprintRun &&run,
                                RecordSink & /*sink*/, const Streams &streams) const
{
    if (!plan.output)
        return {};
    if (run.fileProblem)
        return {ExitStatus::outputFailed, run.fileProblem};
    if (const auto problem = run.map->problem())
        return {ExitStatus::outputFailed, problem};
    auto made = run.file->finish();
    if (const auto *problem = std::get_if<QString>(&made))
        return {ExitStatus::outputFailed, *problem};
    for (const QString &warning : run.file->warnings())
        printLine(streams,
                  messagePrefix() + QStringLiteral("warning: %1: %2").arg(*plan.output, warning));
    // Every file of it, or none.
    WholeFiles files;
    const QDir folder = QFileInfo(*plan.output).dir();
    for (const MadeFile &file : std::get<std::vector<MadeFile>>(made)) {
        if (const auto problem = files.add(folder.filePath(file.name), file.bytes))
            return {ExitStatus::outputFailed, problem};
    }
    if (const auto problem = files.put())
        return {ExitStatus::outputFailed, problem};
    return {};
}

QStringList FootprintCommand::warnings(const FootprintPlan &plan) const
{
    return plan.site.warnings;
}

std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
FootprintCommand::otherBatch(const QString &path, const InputValues &commandLine) const
{
    return pointSchedule(path, m_site.bearingGiven(commandLine));
}
