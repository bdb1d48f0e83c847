#include "coveragetable.h"

#include <cmath>

namespace {

const QString squareMetres = QStringLiteral("m\u00B2");
const QString percent = QStringLiteral("%");

} // namespace

double shownPercent(double part, double whole)
{
    return whole > 0.0 ? std::round(part / whole * 10000.0) / 100.0 : 0.0;
}

CoverageTable::CoverageTable()
    : m_density(m_rows.add(
            {QStringLiteral("px_per_m"), QStringLiteral("Density"), 1, QStringLiteral("px/m")}))
    , m_area(m_rows.add({QStringLiteral("area_m2"), QStringLiteral("Area"), 2, squareMetres}))
    , m_covered(m_rows.add(
              {QStringLiteral("covered_m2"), QStringLiteral("Covered"), 2, squareMetres}))
    , m_coveredShare(m_rows.add(
              {QStringLiteral("covered_pct"), QStringLiteral("Covered share"), 2, percent}))
    , m_redundantShare(m_rows.add(
              {QStringLiteral("redundant_pct"), QStringLiteral("Seen twice or more"), 2, percent}))
    , m_gapCount(m_rows.add({QStringLiteral("gaps"), QStringLiteral("Gaps"), 0, QString()}))
    , m_largestGap(m_rows.add(
              {QStringLiteral("largest_gap_m2"), QStringLiteral("Largest gap"), 2, squareMetres}))
{
}

QStringList CoverageTable::rowNames()
{
    return {QStringLiteral("kind"), QStringLiteral("name")};
}

void CoverageTable::writeRow(RecordSink &rows, const char *kind, const QString &name,
                             const CoverageRow &row, std::optional<double> density,
                             bool withGaps) const
{
    Results results(m_rows);
    if (density)
        results.set(m_density, *density);
    results.set(m_area, row.area);
    results.set(m_covered, row.covered);
    results.set(m_coveredShare, shownPercent(row.covered, row.area));
    results.set(m_redundantShare, shownPercent(row.redundant, row.area));
    if (withGaps) {
        results.set(m_gapCount, static_cast<double>(row.gaps.size()));
        results.set(m_largestGap, row.gaps.empty() ? 0.0 : row.gaps.front().squareMetres);
    }
    const std::string kindText(kind);
    const std::string nameText = name.toStdString();
    rows.record({kindText, nameText}, results);
}

void CoverageTable::write(const CoverageReport &report, const std::vector<SiteLevel> &levels,
                          RecordSink &rows) const
{
    for (std::size_t level = 0; level < report.levels.size(); ++level)
        writeRow(rows, "level", levels[level].name, report.levels[level],
                 levels[level].pixelsPerMetre, true);
    for (std::size_t zone = 0; zone < report.privacy.size(); ++zone) {
        const QString &name = report.privacy[zone].name;
        writeRow(rows, "privacy",
                 name.isEmpty() ? QStringLiteral("privacy-%1").arg(zone + 1) : name,
                 report.privacy[zone], std::nullopt, false);
    }
}
