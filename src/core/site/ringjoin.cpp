#include "ringjoin.h"

#include <cmath>
#include <numeric>

namespace {

// Endpoints nearer than the slip are one point, by chains: a cluster takes
// the place of its first endpoint. Union-find over an R-tree's candidates.
class EndpointClusters
{
public:
    EndpointClusters(const PlaneGeometry &geometry, const std::vector<PlanePoint> &ends,
                     double slip)
        : m_parent(ends.size())
    {
        std::iota(m_parent.begin(), m_parent.end(), std::size_t{0});
        std::vector<PlaneGeometry::Bounds> boxes;
        for (const PlanePoint &end : ends)
            boxes.push_back({end.x - slip, end.y - slip, end.x + slip, end.y + slip});
        const BoxIndex index(geometry, boxes);
        for (std::size_t end = 0; end < ends.size(); ++end) {
            for (const std::size_t near : index.overlapping(boxes[end])) {
                if (std::hypot(ends[near].x - ends[end].x, ends[near].y - ends[end].y) < slip)
                    join(end, near);
            }
        }
    }

    std::size_t root(std::size_t end)
    {
        while (m_parent[end] != end)
            end = m_parent[end] = m_parent[m_parent[end]];
        return end;
    }

private:
    void join(std::size_t a, std::size_t b)
    {
        a = root(a);
        b = root(b);
        // The lower index leads, so that a cluster sits on its first end.
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

    std::vector<std::size_t> m_parent;
};

} // namespace

JoinedRings joinRings(const PlaneGeometry &geometry, std::vector<PlaneRing> lines, double slip)
{
    JoinedRings joined;
    if (lines.empty())
        return joined;
    std::vector<PlanePoint> ends;
    for (const PlaneRing &line : lines) {
        ends.push_back(line.front());
        ends.push_back(line.back());
    }
    EndpointClusters clusters(geometry, ends, slip);
    for (std::size_t line = 0; line < lines.size(); ++line) {
        lines[line].front() = ends[clusters.root(2 * line)];
        lines[line].back() = ends[clusters.root(2 * line + 1)];
    }
    joined.polygons
            = geometry.polygons(*geometry.polygonized(*geometry.noded(*geometry.lines(lines))));
    std::vector<Geometry> faces;
    for (const PlanePolygon &polygon : joined.polygons)
        faces.push_back(geometry.polygon(polygon));
    const Geometry edges = geometry.boundary(*geometry.multiPolygon(std::move(faces)));
    for (std::size_t line = 0; line < lines.size(); ++line) {
        const Geometry alone = geometry.lines({lines[line]});
        // A line that closes nothing lies off every face's edge, but for
        // where it meets one.
        const double outside = geometry.length(*geometry.subtract(*alone, *edges));
        if (outside > geometry.length(*alone) - slip)
            joined.unused.push_back(line);
    }
    return joined;
}
