#include "sightpolygon.h"

#include "angles.h"

#include <algorithm>
#include <cmath>

namespace {

struct Edge
{
    PlanePoint a, b;
    double from, to; // the directions to a and b from the point
};

double cross(PlanePoint u, PlanePoint v)
{
    return u.x * v.y - u.y * v.x;
}

PlanePoint minus(PlanePoint p, PlanePoint q)
{
    return {p.x - q.x, p.y - q.y};
}

// A corner of an outline or of the ring about the foot, or where two edges
// cross (those two).
struct Corner
{
    double angle;
    PlanePoint at;
    std::size_t crossing[2];
};

constexpr std::size_t noEdge = static_cast<std::size_t>(-1);

// Where the ray from the foot through a corner meets an edge's line: the
// corner itself when it is on the edge by making, so that the ring runs
// through it from the one edge to the other without a step between.
std::optional<PlanePoint> onRay(PlanePoint foot, const Corner &at, std::size_t index,
                                const Edge &edge)
{
    const PlanePoint corner = at.at;
    if (index == at.crossing[0] || index == at.crossing[1])
        return corner;
    if (corner.x == edge.a.x && corner.y == edge.a.y)
        return edge.a;
    if (corner.x == edge.b.x && corner.y == edge.b.y)
        return edge.b;
    const PlanePoint direction = minus(corner, foot);
    const PlanePoint along = minus(edge.b, edge.a);
    const double denominator = cross(direction, along);
    if (denominator == 0.0)
        return std::nullopt;
    const double t = cross(minus(edge.a, foot), along) / denominator;
    return PlanePoint{foot.x + t * direction.x, foot.y + t * direction.y};
}

} // namespace

std::optional<PlaneRing> sightPolygon(PlanePoint foot, const PlaneRing &around,
                                      const std::vector<const PlaneRing *> &outlines)
{
    if (around.size() < 3)
        return std::nullopt;
    for (std::size_t index = 0; index < around.size(); ++index) {
        const PlanePoint &a = around[index];
        const PlanePoint &b = around[(index + 1) % around.size()];
        if (!(cross(minus(b, a), minus(foot, a)) > 0.0))
            return std::nullopt;
    }
    std::vector<Edge> edges;
    std::vector<Corner> corners;
    const auto take = [&](const PlaneRing &ring) {
        const std::size_t first = corners.size();
        for (const PlanePoint &a : ring)
            corners.push_back({std::atan2(a.y - foot.y, a.x - foot.x), a, {noEdge, noEdge}});
        for (std::size_t index = 0; index < ring.size(); ++index) {
            const std::size_t next = (index + 1) % ring.size();
            edges.push_back({ring[index], ring[next], corners[first + index].angle,
                             corners[first + next].angle});
        }
    };
    for (const PlaneRing *ring : outlines)
        take(*ring);
    take(around);
    // Where two edges cross within both, each strictly across the other:
    // buildings drawn over each other, and the ring's edges across them.
    // Only edges whose boxes meet can, found by a sweep along x; the pairs
    // then in the order that testing every pair would find them.
    const auto apart
            = [](double c, double d) { return (c < 0.0 && d > 0.0) || (c > 0.0 && d < 0.0); };
    std::vector<std::size_t> byLeft(edges.size());
    for (std::size_t index = 0; index < edges.size(); ++index)
        byLeft[index] = index;
    const auto left = [&](std::size_t e) { return std::min(edges[e].a.x, edges[e].b.x); };
    std::sort(byLeft.begin(), byLeft.end(),
              [&](std::size_t p, std::size_t q) { return left(p) < left(q); });
    std::vector<std::pair<std::size_t, std::size_t>> meeting;
    for (std::size_t k = 0; k < byLeft.size(); ++k) {
        const Edge &p = edges[byLeft[k]];
        const double right = std::max(p.a.x, p.b.x);
        const double low = std::min(p.a.y, p.b.y);
        const double high = std::max(p.a.y, p.b.y);
        for (std::size_t m = k + 1; m < byLeft.size() && left(byLeft[m]) <= right; ++m) {
            const Edge &q = edges[byLeft[m]];
            if (std::max(q.a.y, q.b.y) < low || std::min(q.a.y, q.b.y) > high)
                continue;
            meeting.emplace_back(std::min(byLeft[k], byLeft[m]), std::max(byLeft[k], byLeft[m]));
        }
    }
    std::sort(meeting.begin(), meeting.end());
    for (const auto &[i, j] : meeting) {
        const PlanePoint along = minus(edges[i].b, edges[i].a);
        if (!apart(cross(along, minus(edges[j].a, edges[i].a)),
                   cross(along, minus(edges[j].b, edges[i].a))))
            continue;
        const PlanePoint other = minus(edges[j].b, edges[j].a);
        const double e = cross(other, minus(edges[i].a, edges[j].a));
        const double f = cross(other, minus(edges[i].b, edges[j].a));
        if (!apart(e, f))
            continue;
        const double s = e / (e - f);
        const PlanePoint at{edges[i].a.x + s * along.x, edges[i].a.y + s * along.y};
        corners.push_back({std::atan2(at.y - foot.y, at.x - foot.x), at, {i, j}});
    }
    // Each edge's directions, between its ends' (less than half a turn:
    // the point is off every edge), with a margin far above atan2's error,
    // in bins, so that a middle ray tests only the edges of its bin.
    constexpr int binCount = 256;
    constexpr double margin = 1e-9;
    const auto binOf = [](double angle) {
        return std::clamp(static_cast<int>((angle + pi) / (2.0 * pi) * binCount), 0, binCount - 1);
    };
    std::vector<std::vector<std::size_t>> bins(binCount);
    const auto fill = [&](std::size_t edge, double from, double to) {
        for (int bin = binOf(from); bin <= binOf(to); ++bin)
            bins[bin].push_back(edge);
    };
    for (std::size_t edge = 0; edge < edges.size(); ++edge) {
        const double from = std::min(edges[edge].from, edges[edge].to);
        const double to = std::max(edges[edge].from, edges[edge].to);
        if (to - from < pi) {
            fill(edge, from - margin, to + margin);
        } else {
            fill(edge, to - margin, pi);
            fill(edge, -pi, from + margin);
        }
    }
    std::stable_sort(corners.begin(), corners.end(),
                     [](const Corner &p, const Corner &q) { return p.angle < q.angle; });

    // Each wedge's nearest edge and where the ring enters and leaves it.
    struct Run
    {
        std::size_t edge;
        PlanePoint from, to;
    };
    std::vector<Run> runs;
    for (std::size_t index = 0; index < corners.size(); ++index) {
        const Corner &first = corners[index];
        const Corner &second = corners[(index + 1) % corners.size()];
        const PlanePoint u = minus(first.at, foot);
        const PlanePoint v = minus(second.at, foot);
        const double turn = cross(u, v);
        const double ahead = u.x * v.x + u.y * v.y;
        // Both on one ray, or rounding put them out of order: no wedge.
        if (turn <= 0.0 && ahead > 0.0)
            continue;
        // The ring's corners about the foot leave no wedge of half a turn.
        if (turn <= 0.0)
            return std::nullopt;
        const double lu = std::hypot(u.x, u.y);
        const double lv = std::hypot(v.x, v.y);
        const PlanePoint middle{u.x / lu + v.x / lv, u.y / lu + v.y / lv};
        std::size_t nearest = edges.size();
        double nearestT = INFINITY;
        const double end = second.angle < first.angle ? second.angle + 2.0 * pi : second.angle;
        const double mid = (first.angle + end) / 2.0;
        for (const std::size_t edge : bins[binOf(mid > pi ? mid - 2.0 * pi : mid)]) {
            const PlanePoint along = minus(edges[edge].b, edges[edge].a);
            const double denominator = cross(middle, along);
            if (denominator == 0.0)
                continue;
            const PlanePoint toA = minus(edges[edge].a, foot);
            const double t = cross(toA, along) / denominator;
            const double s = cross(toA, middle) / denominator;
            if (t > 0.0 && s >= 0.0 && s <= 1.0 && t < nearestT) {
                nearestT = t;
                nearest = edge;
            }
        }
        if (nearest == edges.size())
            return std::nullopt;
        const auto from = onRay(foot, first, nearest, edges[nearest]);
        const auto to = onRay(foot, second, nearest, edges[nearest]);
        if (!from || !to)
            return std::nullopt;
        if (!runs.empty() && runs.back().edge == nearest)
            runs.back().to = *to; // the same edge on: no corner between
        else
            runs.push_back({nearest, *from, *to});
    }
    if (runs.size() > 1 && runs.front().edge == runs.back().edge) {
        runs.front().from = runs.back().from;
        runs.pop_back();
    }
    PlaneRing ring;
    const auto add = [&](PlanePoint point) {
        if (ring.empty() || ring.back().x != point.x || ring.back().y != point.y)
            ring.push_back(point);
    };
    for (const Run &run : runs) {
        add(run.from);
        add(run.to);
    }
    while (ring.size() > 1 && ring.back().x == ring.front().x && ring.back().y == ring.front().y)
        ring.pop_back();
    if (ring.size() < 3)
        return std::nullopt;
    return ring;
}
