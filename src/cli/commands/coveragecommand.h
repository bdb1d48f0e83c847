#pragma once

#include "coveragetable.h"
#include "sitecommand.h"

// How much of a site each level covers, with the cameras of a schedule and
// the site's obstacles in the way: one row per level, loosest first, then
// one per privacy zone.
class CoverageCommand : public SiteCommand
{
public:
    CoverageCommand();

protected:
    bool needsArea() const override { return true; }
    std::optional<QString> prepareMore(const GivenInputs &given, SitePlan &plan) const override;
    bool draws(const SitePlan &plan) const override { return plan.plot.has_value(); }
    QStringList outputFiles(const SitePlan &plan) const override;
    std::optional<QString> place(const SitePlan &plan, PlacedRecord &record) const override;
    std::unique_ptr<RecordSink> makeSink(const SitePlan &plan, const PlacedRecord &record,
                                         const OutputFormat &format,
                                         const QStringList &passThroughNames,
                                         const Streams &streams) const override;

private:
    const InputId m_gaps;
    const InputId m_plot;
    const InputId m_require;
    const CoverageTable m_table;

    friend class CoverageSink;
};
