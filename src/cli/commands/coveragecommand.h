#pragma once

#include "coveragetable.h"
#include "plannedcommand.h"
#include "siteinputs.h"
#include "siterun.h"

struct CoveragePlan
{
    SiteInputs site;
    std::optional<QString> gaps; // GeoJSON of the uncovered ground
    std::optional<QString> plot; // SVG of the site
    std::vector<Requirement> requirements;
};

// How much of a site each level covers, with the cameras of a schedule and
// the site's obstacles in the way: one row per level, loosest first, then
// one per privacy zone, worked out at the end of the run.
class CoverageCommand : public PlannedCommand<CoveragePlan, PlacedRecord, SiteRun>
{
public:
    CoverageCommand();

protected:
    std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
    otherBatch(const QString &path, const InputValues &commandLine) const override;
    std::variant<UsageError, CoveragePlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> refusesOutput(const CoveragePlan &plan) const override;
    int jobs(const CoveragePlan &plan) const override { return plan.site.jobs; }
    QStringList warnings(const CoveragePlan &plan) const override;
    QStringList outputFiles(const CoveragePlan &plan) const override;
    std::optional<QString> calculate(const CoveragePlan &plan, const InputValues &values,
                                     Results &results, PlacedRecord &product) const override;
    std::unique_ptr<RecordSink> makeSink(const CoveragePlan &plan, SiteRun &run,
                                         const OutputFormat &format,
                                         const QStringList &passThroughNames,
                                         const Streams &streams) const override;
    std::optional<QString> write(const CoveragePlan &plan, SiteRun &run, PlacedRecord &&product,
                                 RecordSink &sink, const Results &results,
                                 const RecordAnswer &answer) const override;
    void writeError(const CoveragePlan &plan, SiteRun &run, RecordSink &sink,
                    const QString &message, const RecordAnswer &answer,
                    const Streams &streams) const override;
    RunEnd endRun(const CoveragePlan &plan, SiteRun &&run, RecordSink &sink,
                  const Streams &streams) const override;
    bool answersAtEnd(const CoveragePlan & /*plan*/) const override { return true; }

private:
    const SiteInputReader m_site;
    const InputId m_gaps;
    const InputId m_plot;
    const InputId m_require;
    const CoverageTable m_table;
};
