#include "horizon.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int binCount = 3600;
constexpr double fullTurn = 6.283185307179586;
constexpr double binWidth = fullTurn / binCount;
// atan2 and hypot are within an ulp or two; these are millions of times
// that, and only ever shrink what counts as hidden.
constexpr double angleMargin = 1e-9;
constexpr double distanceMargin = 1e-9;

} // namespace

Horizon::Horizon(PlanePoint foot, PlanePoint forward)
    : m_foot(foot)
    , m_forward(forward)
    , m_hiddenBeyond(binCount, std::numeric_limits<double>::infinity())
{
}

std::optional<Horizon::Extent> Horizon::extent(const std::vector<const PlaneRing *> &rings) const
{
    Extent found{std::numeric_limits<double>::infinity(), -1.0, 0.0};
    for (const PlaneRing *ring : rings) {
        for (const PlanePoint &point : *ring) {
            const double dx = point.x - m_foot.x;
            const double dy = point.y - m_foot.y;
            // 0 and a full turn straight behind the camera, a half turn
            // straight ahead.
            const double along = dx * m_forward.x + dy * m_forward.y;
            const double across = dx * m_forward.y - dy * m_forward.x;
            const double angle = std::atan2(across, along) + fullTurn / 2.0;
            found.from = std::min(found.from, angle);
            found.to = std::max(found.to, angle);
            found.farthest = std::max(found.farthest, std::hypot(dx, dy));
        }
    }
    if (found.to < found.from || found.to - found.from >= fullTurn / 2.0)
        return std::nullopt;
    return found;
}

bool Horizon::hides(const PlaneObstacle &obstacle, double nearest) const
{
    std::vector<const PlaneRing *> rings;
    for (const PlanePolygon &polygon : obstacle.polygons)
        rings.push_back(&polygon.exterior);
    for (const PlaneRing &line : obstacle.lines)
        rings.push_back(&line);
    return hidden(rings, nearest);
}

bool Horizon::hidesBox(const PlaneGeometry::Bounds &box, double nearest) const
{
    const PlaneRing corners = cornersOf(box);
    return hidden({&corners}, nearest);
}

bool Horizon::hidden(const std::vector<const PlaneRing *> &rings, double nearest) const
{
    const auto spanned = extent(rings);
    if (!spanned)
        return false;
    const int first = std::max(0, static_cast<int>((spanned->from - angleMargin) / binWidth));
    const int last
            = std::min(binCount - 1, static_cast<int>((spanned->to + angleMargin) / binWidth));
    for (int bin = first; bin <= last; ++bin) {
        if (!(m_hiddenBeyond[bin] < nearest))
            return false;
    }
    return true;
}

void Horizon::add(const PlaneRing &outline)
{
    const auto spanned = extent({&outline});
    if (!spanned)
        return;
    // Bin k holds the angles [k w, (k + 1) w): only bins wholly between
    // the outermost corners.
    const int first = static_cast<int>(std::ceil((spanned->from + angleMargin) / binWidth));
    const int last = static_cast<int>(std::floor((spanned->to - angleMargin) / binWidth)) - 1;
    const double beyond = spanned->farthest * (1.0 + distanceMargin);
    for (int bin = std::max(0, first); bin <= std::min(binCount - 1, last); ++bin)
        m_hiddenBeyond[bin] = std::min(m_hiddenBeyond[bin], beyond);
}
