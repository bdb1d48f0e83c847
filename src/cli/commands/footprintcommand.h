#pragma once

#include "mapsinks.h"
#include "plannedcommand.h"
#include "siteinputs.h"
#include "vectorfilesentry.h"

// A camera placed and its footprint, as each record leaves it to be
// written.
struct PlacedFootprint
{
    PlacedRecord placed;
    CameraFootprint footprint;
};

// What footprint knows before its first camera: the site, and the file
// of --output.
struct FootprintPlan
{
    SiteInputs site;
    std::optional<QString> output;
};

// The map that footprint writes its cameras to, as the run made it, and
// the file of --output that it goes into.
struct FootprintRun
{
    MapSink *map = nullptr;
    int nameColumn = 0; // of the pass-through fields
    std::unique_ptr<OutputFile> file;
    std::optional<QString> fileProblem; // why it could not be begun
};

// Every camera of a schedule on the map: where it stands, the ground in
// view and each level's band, as GeoJSON or KML, with shadows cut out when
// a site's obstacles are given; written as each is placed.
class FootprintCommand : public PlannedCommand<FootprintPlan, PlacedFootprint, FootprintRun>
{
public:
    FootprintCommand();

protected:
    QStringList ownFieldNames() const override;
    std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
    otherBatch(const QString &path, const InputValues &commandLine) const override;
    std::variant<UsageError, FootprintPlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> refusesOutput(const FootprintPlan &plan) const override;
    QStringList outputFiles(const FootprintPlan &plan) const override;
    int jobs(const FootprintPlan &plan) const override { return plan.site.jobs; }
    QStringList warnings(const FootprintPlan &plan) const override;
    std::optional<QString> calculate(const FootprintPlan &plan, const InputValues &values,
                                     Results &results, PlacedFootprint &product) const override;
    std::unique_ptr<RecordSink> makeSink(const FootprintPlan &plan, FootprintRun &run,
                                         const OutputFormat &format,
                                         const QStringList &passThroughNames,
                                         const Streams &streams) const override;
    std::optional<QString> write(const FootprintPlan &plan, FootprintRun &run,
                                 PlacedFootprint &&product, RecordSink &sink,
                                 const Results &results, const RecordAnswer &answer) const override;
    RunEnd endRun(const FootprintPlan &plan, FootprintRun &&run, RecordSink &sink,
                  const Streams &streams) const override;
    // A file of GIS or CAD programs is put in place whole, at the end.
    bool answersAtEnd(const FootprintPlan &plan) const override { return plan.output.has_value(); }

private:
    const SiteInputReader m_site;
    const InputId m_output;
};
