#include "shadows.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// An edge this near the pole is the wall the camera hangs on: it hides
// nothing of what the camera looks at. The rest of the obstacle still does.
constexpr double mountingDistance = 0.5;
// A camera on the very wall of an obstacle without a top would scale it
// without end; this keeps the scale finite.
constexpr double nearestForScale = 0.01;

// The distance from p to the segment ab, by projecting p onto it.
double distanceToSegment(PlanePoint p, PlanePoint a, PlanePoint b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double along = length2 > 0.0
            ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0)
            : 0.0;
    return std::hypot(p.x - (a.x + along * dx), p.y - (a.y + along * dy));
}

bool excused(PlanePoint camera, PlanePoint a, PlanePoint b)
{
    return distanceToSegment(camera, a, b) <= mountingDistance;
}

// At the scale 1 the point itself: c + (p - c) misses p by its last bits,
// and a shadow's foot that misses the obstacle's outline so sends every
// overlay with the ground, whose holes are those outlines, to GEOS's slow
// snapping.
PlanePoint scaled(PlanePoint centre, PlanePoint point, double factor)
{
    if (factor == 1.0)
        return point;
    return {centre.x + factor * (point.x - centre.x), centre.y + factor * (point.y - centre.y)};
}

PlaneRing scaled(PlanePoint centre, const PlaneRing &ring, double factor)
{
    PlaneRing copy;
    copy.reserve(ring.size());
    for (const PlanePoint &point : ring)
        copy.push_back(scaled(centre, point, factor));
    return copy;
}

// The trapezoid swept by the segment ab between two scales, unless a, b and
// the centre are in line and it has no area.
void addSweep(const PlaneGeometry &geometry, PlanePoint centre, PlanePoint a, PlanePoint b,
              double low, double high, std::vector<Geometry> &parts)
{
    const double cross = (a.x - centre.x) * (b.y - centre.y) - (a.y - centre.y) * (b.x - centre.x);
    if (cross == 0.0)
        return;
    parts.push_back(geometry.polygon({scaled(centre, a, low), scaled(centre, b, low),
                                      scaled(centre, b, high), scaled(centre, a, high)}));
}

// Whether a ring turns one way only, as most buildings do.
bool convex(const PlaneRing &ring)
{
    int turns = 0;
    for (std::size_t index = 0; index < ring.size(); ++index) {
        const PlanePoint &a = ring[index];
        const PlanePoint &b = ring[(index + 1) % ring.size()];
        const PlanePoint &c = ring[(index + 2) % ring.size()];
        const double cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
        if (cross != 0.0) {
            const int turn = cross > 0.0 ? 1 : -1;
            if (turns != 0 && turn != turns)
                return false;
            turns = turn;
        }
    }
    return true;
}

std::size_t edgeCount(const PlaneRing &points, bool closed)
{
    return closed ? points.size() : points.size() - 1;
}

// The sweeps of every edge but those the camera hangs on.
void addSweeps(const PlaneGeometry &geometry, PlanePoint centre, const PlaneRing &points,
               bool closed, double low, double high, std::vector<Geometry> &parts)
{
    for (std::size_t edge = 0; edge < edgeCount(points, closed); ++edge) {
        const PlanePoint &a = points[edge];
        const PlanePoint &b = points[(edge + 1) % points.size()];
        if (!excused(centre, a, b))
            addSweep(geometry, centre, a, b, low, high, parts);
    }
}

// How many of a polygon's edges the camera hangs on, of how many.
std::pair<std::size_t, std::size_t> excusedEdges(PlanePoint camera, const PlanePolygon &polygon)
{
    std::size_t excusedCount = 0;
    std::size_t all = 0;
    const auto count = [&](const PlaneRing &ring) {
        for (std::size_t edge = 0; edge < ring.size(); ++edge) {
            ++all;
            if (excused(camera, ring[edge], ring[(edge + 1) % ring.size()]))
                ++excusedCount;
        }
    };
    count(polygon.exterior);
    for (const PlaneRing &hole : polygon.holes)
        count(hole);
    return {excusedCount, all};
}

// By the rays to the right of the point that cross the ring's edges; the
// point is never on one here, being off every edge by the mounting distance.
bool inside(PlanePoint point, const PlaneRing &ring)
{
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const PlanePoint &a = ring[i];
        const PlanePoint &b = ring[j];
        if ((a.y > point.y) != (b.y > point.y)
            && point.x < (b.x - a.x) * (point.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

double nearestEdge(PlanePoint camera, const PlaneObstacle &obstacle)
{
    double nearest = std::numeric_limits<double>::infinity();
    const auto consider = [&](const PlaneRing &points, bool closed) {
        for (std::size_t edge = 0; edge < edgeCount(points, closed); ++edge)
            nearest = std::min(
                    nearest,
                    distanceToSegment(camera, points[edge], points[(edge + 1) % points.size()]));
    };
    for (const PlanePolygon &polygon : obstacle.polygons) {
        consider(polygon.exterior, true);
        for (const PlaneRing &hole : polygon.holes)
            consider(hole, true);
    }
    for (const PlaneRing &line : obstacle.lines)
        consider(line, false);
    return nearest;
}

} // namespace

Geometry shadow(const PlaneGeometry &geometry, PlanePoint camera, double lensHeight,
                double planeHeight, const PlaneObstacle &obstacle, double reach)
{
    const double h = lensHeight;
    const double t = planeHeight;
    const double top = obstacle.height.value_or(std::numeric_limits<double>::infinity());
    // Far enough that the whole obstacle, scaled, lies beyond reach. A
    // camera inside an obstacle is within its edges' distance of all of it.
    const double nearest = std::max(nearestForScale, nearestEdge(camera, obstacle));
    const double endless = std::max(1.0, reach / nearest) * 2.0;
    double low = 1.0;
    double high = endless;
    if (t < h) {
        if (top < t)
            return geometry.empty();
        if (top < h)
            high = std::min(endless, (h - t) / (h - top));
    } else if (t > h) {
        if (top < h)
            return geometry.empty();
        if (top < t)
            low = (t - h) / (top - h);
        if (low >= endless)
            return geometry.empty();
    } else if (top < h) {
        return geometry.empty();
    }

    std::vector<Geometry> parts;
    for (const PlanePolygon &polygon : obstacle.polygons) {
        const auto [excusedCount, edges] = excusedEdges(camera, polygon);
        // A post or a pillar the camera hangs on hides nothing.
        if (excusedCount == edges)
            continue;
        // Of a convex outline the union is convex too (a mean of two of its
        // points is a point of the outline scaled between the two scales),
        // so it is the hull of the two copies.
        if (excusedCount == 0 && polygon.holes.empty() && convex(polygon.exterior)) {
            PlaneRing corners = scaled(camera, polygon.exterior, low);
            const PlaneRing far = scaled(camera, polygon.exterior, high);
            corners.insert(corners.end(), far.begin(), far.end());
            parts.push_back(geometry.convexHull(corners));
            continue;
        }
        std::vector<PlaneRing> lowHoles;
        std::vector<PlaneRing> highHoles;
        for (const PlaneRing &hole : polygon.holes) {
            lowHoles.push_back(scaled(camera, hole, low));
            highHoles.push_back(scaled(camera, hole, high));
            addSweeps(geometry, camera, hole, true, low, high, parts);
        }
        parts.push_back(geometry.polygon(scaled(camera, polygon.exterior, low), lowHoles));
        parts.push_back(geometry.polygon(scaled(camera, polygon.exterior, high), highHoles));
        addSweeps(geometry, camera, polygon.exterior, true, low, high, parts);
    }
    for (const PlaneRing &line : obstacle.lines)
        addSweeps(geometry, camera, line, false, low, high, parts);
    return geometry.unite(std::move(parts));
}

std::vector<const PlaneRing *> hidingOutlines(PlanePoint camera, double lensHeight,
                                              double planeHeight, const PlaneObstacle &obstacle)
{
    std::vector<const PlaneRing *> outlines;
    if (planeHeight >= lensHeight || (obstacle.height && *obstacle.height < lensHeight))
        return outlines;
    for (const PlanePolygon &polygon : obstacle.polygons) {
        if (excusedEdges(camera, polygon).first == 0)
            outlines.push_back(&polygon.exterior);
    }
    return outlines;
}

std::optional<std::vector<const PlaneRing *>> blockingOutlines(PlanePoint camera, double lensHeight,
                                                               double planeHeight,
                                                               const PlaneObstacle &obstacle)
{
    if (!obstacle.lines.empty() || obstacle.polygons.empty())
        return std::nullopt;
    std::vector<const PlaneRing *> outlines
            = hidingOutlines(camera, lensHeight, planeHeight, obstacle);
    if (outlines.size() != obstacle.polygons.size())
        return std::nullopt;
    for (const PlaneRing *outline : outlines) {
        if (inside(camera, *outline))
            return std::nullopt;
    }
    return outlines;
}
