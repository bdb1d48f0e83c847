#include "viewcone.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Twice the signed area of the triangle o, a, b: positive when b lies to
// the left of o→a.
double turn(PlanePoint o, PlanePoint a, PlanePoint b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Andrew's monotone chain: the points sorted by x (then y), the lower hull
// left to right and the upper right to left, each point that makes no
// left turn dropped; counter-clockwise, without repeated or collinear
// points.
PlaneRing convexHull(PlaneRing points)
{
    std::sort(points.begin(), points.end(),
              [](PlanePoint a, PlanePoint b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (points.size() < 3)
        return points;
    PlaneRing hull(2 * points.size());
    std::size_t count = 0;
    for (const PlanePoint &point : points) {
        while (count >= 2 && turn(hull[count - 2], hull[count - 1], point) <= 0.0)
            --count;
        hull[count++] = point;
    }
    const std::size_t lower = count + 1;
    for (std::size_t index = points.size() - 1; index-- > 0;) {
        while (count >= lower && turn(hull[count - 2], hull[count - 1], points[index]) <= 0.0)
            --count;
        hull[count++] = points[index];
    }
    hull.resize(count - 1); // the last is the first again
    return hull;
}

} // namespace

ViewCone::ViewCone(PlanePoint foot, const std::vector<PlaneRing> &trapezoids)
    : m_bounds{foot.x, foot.y, foot.x, foot.y}
{
    PlaneRing points{foot};
    for (const PlaneRing &trapezoid : trapezoids) {
        for (const PlanePoint &point : trapezoid) {
            points.push_back(point);
            m_bounds = {std::min(m_bounds.minX, point.x), std::min(m_bounds.minY, point.y),
                        std::max(m_bounds.maxX, point.x), std::max(m_bounds.maxY, point.y)};
        }
    }
    m_hull = convexHull(std::move(points));
    for (std::size_t index = 0; index < m_hull.size(); ++index) {
        const PlanePoint &a = m_hull[index];
        const PlanePoint &b = m_hull[(index + 1) % m_hull.size()];
        m_edgeLengths.push_back(std::hypot(b.x - a.x, b.y - a.y));
    }
}

bool ViewCone::meets(const PlaneGeometry::Bounds &box) const
{
    constexpr double slack = 1e-9;
    if (box.minX > m_bounds.maxX + slack || box.maxX < m_bounds.minX - slack
        || box.minY > m_bounds.maxY + slack || box.maxY < m_bounds.minY - slack)
        return false;
    if (m_hull.size() < 3)
        return true; // a line or a point: its bounds said enough
    const std::array<PlanePoint, 4> corners{
            PlanePoint{box.minX, box.minY}, PlanePoint{box.maxX, box.minY},
            PlanePoint{box.maxX, box.maxY}, PlanePoint{box.minX, box.maxY}};
    for (std::size_t index = 0; index < m_hull.size(); ++index) {
        const PlanePoint &a = m_hull[index];
        const PlanePoint &b = m_hull[(index + 1) % m_hull.size()];
        // Right of a counter-clockwise edge is outside; by more than the
        // slack, as a distance, for every corner.
        const double margin = -slack * m_edgeLengths[index];
        if (std::all_of(corners.cbegin(), corners.cend(),
                        [&](PlanePoint corner) { return turn(a, b, corner) < margin; }))
            return false;
    }
    return true;
}
