#pragma once

#include "mapsinks.h"
#include "plannedcommand.h"
#include "siteinputs.h"

// A camera placed and its footprint, as each record leaves it to be
// written.
struct PlacedFootprint
{
    PlacedRecord placed;
    CameraFootprint footprint;
};

// The map that footprint writes its cameras to, as the run made it.
struct FootprintRun
{
    MapSink *map = nullptr;
    int nameColumn = 0; // of the pass-through fields
};

// Every camera of a schedule on the map: where it stands, the ground in
// view and each level's band, as GeoJSON or KML, with shadows cut out when
// a site's obstacles are given; written as each is placed.
class FootprintCommand : public PlannedCommand<SiteInputs, PlacedFootprint, FootprintRun>
{
public:
    FootprintCommand();

protected:
    QStringList ownFieldNames() const override;
    std::variant<UsageError, SiteInputs> prepare(const GivenInputs &given) const override;
    std::optional<QString> refusesOutput(const SiteInputs &plan) const override;
    QStringList warnings(const SiteInputs &plan) const override;
    std::optional<QString> calculate(const SiteInputs &plan, const InputValues &values,
                                     Results &results, PlacedFootprint &product) const override;
    std::unique_ptr<RecordSink> makeSink(const SiteInputs &plan, FootprintRun &run,
                                         const OutputFormat &format,
                                         const QStringList &passThroughNames,
                                         const Streams &streams) const override;
    std::optional<QString> write(const SiteInputs &plan, FootprintRun &run,
                                 PlacedFootprint &&product, RecordSink &sink,
                                 const Results &results, const RecordAnswer &answer) const override;

private:
    const SiteInputReader m_site;
};
