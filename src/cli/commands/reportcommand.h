#pragma once

#include "coveragetable.h"
#include "mountcommand.h"
#include "sitecommand.h"

// A site's report for the client as one PDF: the plan, the coverage of each
// level, the schedule with a bill of materials, a page per camera with
// mount's views and figures, and the assumptions behind them.
class ReportCommand : public SiteCommand
{
public:
    ReportCommand();

protected:
    bool needsArea() const override { return false; }
    bool measuresSite(const SitePlan &plan) const override { return plan.siteGiven; }
    std::optional<QString> prepareMore(const GivenInputs &given, SitePlan &plan) const override;
    bool draws(const SitePlan & /*plan*/) const override { return true; }
    QStringList outputFiles(const SitePlan &plan) const override { return {*plan.output}; }
    std::optional<QString> place(const SitePlan &plan, PlacedRecord &record) const override;
    std::unique_ptr<RecordSink> makeSink(const SitePlan &plan, const PlacedRecord &record,
                                         const OutputFormat &format,
                                         const QStringList &passThroughNames,
                                         const Streams &streams) const override;

private:
    const InputId m_output;
    const InputId m_paper;
    const InputId m_orientation;
    const InputId m_title;
    const CoverageTable m_coverage;
    const MountCommand m_mount; // whose figures each camera's page shows

    friend class ReportSink;
};
