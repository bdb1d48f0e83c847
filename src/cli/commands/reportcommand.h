#pragma once

#include "coveragetable.h"
#include "mountfigures.h"
#include "plannedcommand.h"
#include "siteinputs.h"
#include "siterun.h"

// How a report lays out its pages.
struct PageSetup
{
    std::size_t paper = 0; // in the report's list of papers
    bool landscape = true;
    QString title;
    std::optional<qint64> date; // seconds since 1970
};

struct ReportPlan
{
    SiteInputs site;
    QString output; // the PDF
    PageSetup pages;
    std::optional<std::size_t> gapsLevel; // whose gaps the coverage page shows
};

// The cameras of a report's run, and the schedule's own columns.
struct ReportRun
{
    SiteRun site;
    QStringList passThroughNames;
};

// A site's report for the client as one PDF: the plan, the coverage of each
// level, the schedule with a bill of materials, a page per camera with
// mount's views and figures, and the assumptions behind them; made at the
// end of the run.
class ReportCommand : public PlannedCommand<ReportPlan, PlacedRecord, ReportRun>
{
public:
    ReportCommand();

protected:
    std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
    otherBatch(const QString &path, const InputValues &commandLine) const override;
    std::variant<UsageError, ReportPlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> refusesOutput(const ReportPlan &plan) const override;
    int jobs(const ReportPlan &plan) const override { return plan.site.jobs; }
    QStringList warnings(const ReportPlan &plan) const override;
    QStringList outputFiles(const ReportPlan &plan) const override { return {plan.output}; }
    std::optional<QString> calculate(const ReportPlan &plan, const InputValues &values,
                                     Results &results, PlacedRecord &product) const override;
    std::unique_ptr<RecordSink> makeSink(const ReportPlan &plan, ReportRun &run,
                                         const OutputFormat &format,
                                         const QStringList &passThroughNames,
                                         const Streams &streams) const override;
    std::optional<QString> write(const ReportPlan &plan, ReportRun &run, PlacedRecord &&product,
                                 RecordSink &sink, const Results &results,
                                 const RecordAnswer &answer) const override;
    void writeError(const ReportPlan &plan, ReportRun &run, RecordSink &sink,
                    const QString &message, const RecordAnswer &answer,
                    const Streams &streams) const override;
    RunEnd endRun(const ReportPlan &plan, ReportRun &&run, RecordSink &sink,
                  const Streams &streams) const override;
    bool answersAtEnd(const ReportPlan & /*plan*/) const override { return true; }

private:
    // Checks the report's own options into the plan.
    std::optional<QString> pagesProblem(const GivenInputs &given, ReportPlan &plan) const;

    const SiteInputReader m_site;
    const InputId m_output;
    const InputId m_paper;
    const InputId m_orientation;
    const InputId m_title;
    const InputId m_gapsLevel;
    const CoverageTable m_coverage;
};
