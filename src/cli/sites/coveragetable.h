#pragma once

#include "recordsink.h"
#include "results.h"
#include "sitemodel.h"

#include <vector>

// A site's coverage as rows of results: one per level, loosest first, then
// one per privacy zone. coverage writes them in its format, and the report
// lays them out.
class CoverageTable
{
public:
    CoverageTable();

    const ResultTable &results() const { return m_rows; }
    // The names of the rows' own columns, before the results.
    static QStringList rowNames();
    void write(const CoverageReport &report, const std::vector<SiteLevel> &levels,
               RecordSink &rows) const;

private:
    void writeRow(RecordSink &rows, const char *kind, const QString &name, const CoverageRow &row,
                  std::optional<double> density, bool withGaps) const;

    ResultTable m_rows;
    const ResultId m_density;
    const ResultId m_area;
    const ResultId m_covered;
    const ResultId m_coveredShare;
    const ResultId m_redundantShare;
    const ResultId m_gapCount;
    const ResultId m_largestGap;
};

// A share in percent as the table shows it, to two decimals: what a
// requirement is held to.
double shownPercent(double part, double whole);
