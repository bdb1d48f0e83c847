#include "placedsite.h"

#include "geoboxbounds.h"
#include "visibility.h"

#include "angles.h"

#include <GeographicLib/Geodesic.hpp>

#include <algorithm>
#include <cmath>

namespace {

struct SiteBox
{
    double minLat = 90.0, maxLat = -90.0, minLon = 180.0, maxLon = -180.0;
    void add(GeoPoint point)
    {
        minLat = std::min(minLat, point.lat);
        maxLat = std::max(maxLat, point.lat);
        minLon = std::min(minLon, point.lon);
        maxLon = std::max(maxLon, point.lon);
    }
    bool empty() const { return minLat > maxLat; }
};

void addToBox(const SiteFeature &feature, SiteBox &box)
{
    for (const GeoPolygon &polygon : feature.polygons)
        for (const GeoPoint &point : polygon.exterior)
            box.add(point);
    for (const auto &line : feature.lines)
        for (const GeoPoint &point : line)
            box.add(point);
}

// Degrees of latitude are at least 110.5 km; of longitude, that times the
// cosine of the widest latitude within reach. A plan's units are metres.
constexpr double leastMetresPerDegree = 110000.0;

double latitudeMargin(SiteFrame frame, double reach)
{
    return frame == SiteFrame::plan ? reach + 1e-6 : reach / leastMetresPerDegree + 1e-6;
}

double longitudeMargin(SiteFrame frame, double margin, double widestLatitude)
{
    if (frame == SiteFrame::plan)
        return margin;
    return margin / std::cos(std::min(89.99, widestLatitude + margin) * pi / 180.0);
}

} // namespace

PlaneRing projected(const LocalPlane &plane, const std::vector<GeoPoint> &points, bool closed)
{
    PlaneRing planar;
    for (std::size_t index = 0; index + (closed ? 1 : 0) < points.size(); ++index)
        planar.push_back(plane.forward(points[index]));
    return planar;
}

PlanePolygon projected(const LocalPlane &plane, const GeoPolygon &polygon)
{
    PlanePolygon planar{projected(plane, polygon.exterior, true), {}};
    for (const GeoRing &hole : polygon.holes)
        planar.holes.push_back(projected(plane, hole, true));
    return planar;
}

Geometry widenedArea(const PlaneGeometry &geometry, const LocalPlane &plane,
                     const SiteFeature &feature)
{
    std::vector<PlaneRing> lines;
    for (const auto &line : feature.lines)
        lines.push_back(projected(plane, line, false));
    return geometry.widened(*geometry.lines(lines), feature.width.value_or(0.0) / 2.0);
}

PlacedSite::PlacedSite(Key, Site site, SiteUse use)
    : m_geometry(m_context), m_site(std::move(site)), m_use(use), m_ground(m_geometry.empty())
{
}

std::variant<QString, std::shared_ptr<const PlacedSite>> PlacedSite::place(Site site, SiteUse use)
{
    auto placed
            = guarded([&] { return std::make_shared<PlacedSite>(Key{}, std::move(site), use); });
    if (const auto *problem = std::get_if<QString>(&placed))
        return *problem;
    std::shared_ptr<PlacedSite> made = std::get<std::shared_ptr<PlacedSite>>(std::move(placed));
    const auto features = guarded([&] { return made->placeFeatures(); });
    if (const auto *problem = std::get_if<QString>(&features))
        return *problem;
    if (const auto &problem = std::get<std::optional<QString>>(features))
        return *problem;
    return std::shared_ptr<const PlacedSite>(std::move(made));
}

std::optional<QString> PlacedSite::placeFeatures()
{
    SiteBox all;
    SiteBox areas;
    std::vector<PlaneGeometry::Bounds> boxes;
    for (std::size_t index = 0; index < m_site.features.size(); ++index) {
        const SiteFeature &feature = m_site.features[index];
        addToBox(feature, all);
        if (feature.role == SiteFeature::Role::area)
            addToBox(feature, areas);
        if (feature.role == SiteFeature::Role::obstacle) {
            SiteBox box;
            addToBox(feature, box);
            m_obstacleFeatures.push_back(index);
            m_obstacleBoxes.push_back({box.minLat, box.maxLat, box.minLon, box.maxLon});
            m_widestObstacleLatitude = std::max(
                    {m_widestObstacleLatitude, std::fabs(box.minLat), std::fabs(box.maxLat)});
            boxes.push_back({box.minLon, box.minLat, box.maxLon, box.maxLat});
        }
    }
    if (all.empty())
        return std::nullopt;
    // As RFC 7946 has a site split at the antimeridian: its parts lie near
    // -180 and near 180.
    if (m_site.frame == SiteFrame::earth && all.maxLon - all.minLon > 180.0)
        return QStringLiteral("the site lies on both sides of the antimeridian, and sites "
                              "across it are not supported");
    m_obstacleIndex = std::make_unique<BoxIndex>(m_geometry, boxes);
    const SiteBox &framed = areas.empty() ? all : areas;
    GeoPoint centre{(framed.minLat + framed.maxLat) / 2.0, (framed.minLon + framed.maxLon) / 2.0};
    // A plan's plane about a whole metre of it, so that the grids that the
    // gaps are joined on lie on the plan's own millimetres.
    if (m_site.frame == SiteFrame::plan)
        centre = {std::round(centre.lat), std::round(centre.lon)};
    m_plane.emplace(centre, m_site.frame);

    std::vector<Geometry> areaParts;
    std::vector<Geometry> obstacleParts;
    for (const SiteFeature &feature : m_site.features) {
        // Only drawn, and drawn as it is.
        if (feature.role == SiteFeature::Role::background)
            continue;
        std::vector<Geometry> parts;
        for (const GeoPolygon &polygon : feature.polygons) {
            Geometry shape = m_geometry.polygon(projected(*m_plane, polygon));
            if (const auto invalid = m_geometry.invalidity(*shape)) {
                // Where the file has it, not in the plane's metres.
                const GeoPoint at = m_plane->reverse(invalid->at);
                const QString where = m_site.frame == SiteFrame::plan
                        ? QStringLiteral("%1 m, %2 m from the plan's (0, 0)")
                                  .arg(at.lon, 0, 'f', 3)
                                  .arg(at.lat, 0, 'f', 3)
                        : QStringLiteral("[%1, %2]").arg(at.lon, 0, 'f', 7).arg(at.lat, 0, 'f', 7);
                return QStringLiteral("%1: its polygon is not valid: %2 at %3")
                        .arg(featureName(feature), QString::fromStdString(invalid->reason), where);
            }
            parts.push_back(std::move(shape));
        }
        if (feature.width && !feature.lines.empty())
            parts.push_back(widenedArea(m_geometry, *m_plane, feature));
        // Checked for every use, so that a site is refused alike by all.
        if (m_use == SiteUse::footprints)
            continue;
        // One polygon is already its own union.
        Geometry united
                = parts.size() == 1 ? std::move(parts.front()) : m_geometry.unite(std::move(parts));
        switch (feature.role) {
        case SiteFeature::Role::area:
            areaParts.push_back(std::move(united));
            break;
        case SiteFeature::Role::privacy:
            m_privacy.push_back({feature.name, std::move(united)});
            break;
        case SiteFeature::Role::obstacle:
            obstacleParts.push_back(std::move(united));
            break;
        case SiteFeature::Role::background:
            break;
        }
    }
    if (m_use == SiteUse::footprints)
        return std::nullopt;
    m_obstacles = obstaclesIn(*m_plane);
    std::vector<PlaneGeometry::Bounds> planeBoxes;
    planeBoxes.reserve(m_obstacles.size());
    for (const PlaneObstacle &obstacle : m_obstacles)
        planeBoxes.push_back(obstacle.bounds);
    m_planeIndex = std::make_unique<BoxIndex>(m_geometry, planeBoxes);
    // Only the obstacles that meet the areas take ground from them: a
    // town's thousands elsewhere are never united.
    const Geometry toCover = m_geometry.unite(std::move(areaParts));
    const PreparedGeometry prepared(m_geometry, *toCover);
    std::vector<Geometry> meeting;
    for (Geometry &part : obstacleParts) {
        if (!m_geometry.isEmpty(*part) && prepared.intersects(*part))
            meeting.push_back(std::move(part));
    }
    m_ground = m_geometry.subtract(*toCover, *m_geometry.unite(std::move(meeting)));
    return std::nullopt;
}

PlaneObstacle PlacedSite::obstacleIn(const LocalPlane &plane, std::size_t entry) const
{
    const SiteFeature &feature = m_site.features[m_obstacleFeatures[entry]];
    PlaneObstacle obstacle{{}, {}, feature.height, &feature, {0, 0, 0, 0}};
    for (const GeoPolygon &polygon : feature.polygons)
        obstacle.polygons.push_back(projected(plane, polygon));
    for (const auto &line : feature.lines)
        obstacle.lines.push_back(projected(plane, line, false));
    // Its box from its own points: GEOS would give the same, for a polygon
    // made per obstacle and camera.
    bool first = true;
    const auto take = [&](const PlaneRing &points) {
        for (const PlanePoint &point : points) {
            PlaneGeometry::Bounds &box = obstacle.bounds;
            box = first ? PlaneGeometry::Bounds{point.x, point.y, point.x, point.y}
                        : PlaneGeometry::Bounds{
                                std::min(box.minX, point.x), std::min(box.minY, point.y),
                                std::max(box.maxX, point.x), std::max(box.maxY, point.y)};
            first = false;
        }
    };
    for (const PlanePolygon &polygon : obstacle.polygons)
        take(polygon.exterior);
    for (const PlaneRing &line : obstacle.lines)
        take(line);
    return obstacle;
}

std::vector<std::size_t> PlacedSite::obstacleEntriesNear(GeoPoint near, double reach) const
{
    std::vector<std::size_t> candidates;
    if (reach < 0.0) {
        for (std::size_t entry = 0; entry < m_obstacleFeatures.size(); ++entry)
            candidates.push_back(entry);
    } else if (m_obstacleIndex) {
        // Wide enough for every box, whose own margin below is the test.
        const double margin = latitudeMargin(m_site.frame, reach);
        const double lonMargin = longitudeMargin(m_site.frame, margin, m_widestObstacleLatitude);
        candidates = m_obstacleIndex->overlapping(
                {near.lon - lonMargin, near.lat - margin, near.lon + lonMargin, near.lat + margin});
    }
    std::vector<std::size_t> found;
    for (const std::size_t entry : candidates) {
        if (reach >= 0.0) {
            const GeoBox &box = m_obstacleBoxes[entry];
            const double margin = latitudeMargin(m_site.frame, reach);
            const double lonMargin = longitudeMargin(
                    m_site.frame, margin, std::max(std::fabs(box.minLat), std::fabs(box.maxLat)));
            if (near.lat < box.minLat - margin || near.lat > box.maxLat + margin
                || near.lon < box.minLon - lonMargin || near.lon > box.maxLon + lonMargin)
                continue;
        }
        found.push_back(entry);
    }
    return found;
}

std::vector<PlaneObstacle> PlacedSite::obstaclesIn(const LocalPlane &plane) const
{
    std::vector<PlaneObstacle> found;
    for (const std::size_t entry : obstacleEntriesNear({}, -1.0))
        found.push_back(obstacleIn(plane, entry));
    return found;
}

NearObstacles PlacedSite::obstaclesAbout(const LocalPlane &plane, GeoPoint near, double reach,
                                         const ViewCone &cone) const
{
    NearObstacles found([this, &plane](std::size_t entry) { return obstacleIn(plane, entry); });
    for (const std::size_t entry : obstacleEntriesNear(near, reach)) {
        // Most of a circle about the cone lies beside it, and most of what
        // is in it lies behind nearer obstacles: a box that surely holds
        // each is enough to pass those over without projecting them.
        if (const auto rough
            = planeBoundsOf(plane.centre(), m_site.frame, m_obstacleBoxes[entry])) {
            if (cone.meets(*rough))
                found.add(*rough, entry);
        } else {
            found.add(obstacleIn(plane, entry));
        }
    }
    return found;
}

std::vector<const PlaneObstacle *> PlacedSite::obstaclesMeeting(const ViewCone &cone) const
{
    std::vector<const PlaneObstacle *> found;
    if (!m_planeIndex)
        return found;
    for (const std::size_t index : m_planeIndex->overlapping(cone.bounds())) {
        if (cone.meets(m_obstacles[index].bounds))
            found.push_back(&m_obstacles[index]);
    }
    return found;
}

std::optional<GeoPoint> PlacedSite::centre() const
{
    return m_plane ? std::optional<GeoPoint>(m_plane->centre()) : std::nullopt;
}

SiteFrame PlacedSite::frame() const
{
    return m_site.frame;
}

double PlacedSite::distance(GeoPoint from, GeoPoint to) const
{
    if (m_site.frame == SiteFrame::plan)
        return std::hypot(to.lon - from.lon, to.lat - from.lat);
    double metres = 0.0;
    GeographicLib::Geodesic::WGS84().Inverse(from.lat, from.lon, to.lat, to.lon, metres);
    return metres;
}

std::optional<GeoPoint> PlacedSite::fromPlane(GeoPoint origin, double x, double y) const
{
    const GeoPoint point = LocalPlane(origin, m_site.frame).reverse({x, y});
    if (!std::isfinite(point.lat) || !std::isfinite(point.lon))
        return std::nullopt;
    return point;
}

PlanePoint PlacedSite::toPlane(GeoPoint origin, GeoPoint point) const
{
    return LocalPlane(origin, m_site.frame).forward(point);
}

std::variant<QString, CameraFootprint>
PlacedSite::footprint(const PlacedCamera &camera, const std::vector<SiteLevel> &levels) const
{
    const ViewSpans spans = viewSpansOf(camera, levels);
    if (const auto problem = unboundedView(camera, spans))
        return *problem;
    auto found = guarded([&] { return footprintOf(camera, spans); });
    if (auto *problem = std::get_if<QString>(&found))
        return std::move(*problem);
    return std::get<std::variant<QString, CameraFootprint>>(std::move(found));
}

std::variant<QString, CameraFootprint> PlacedSite::footprintOf(const PlacedCamera &camera,
                                                               const ViewSpans &spans) const
{
    // Each camera in a plane of its own, where its view is exact; each
    // thread in a context of its own.
    const PlaneGeometry &geometry = threadGeometry();
    const LocalPlane plane(camera.at, m_site.frame);
    const CameraInPlane where{{0.0, 0.0}, camera.bearingDegrees * pi / 180.0};
    // Every point in view is within (|D| + height) (1 + tan(hfov / 2)) of
    // the pole.
    double farthest = 0.0;
    for (const auto &span : {spans.ground, spans.target}) {
        if (span)
            farthest = std::max({farthest, std::fabs(span->near), std::fabs(span->far)});
    }
    const double reach = (farthest + camera.camera.height)
                    * (1.0 + camera.camera.view.horizontal.halfFovTangent)
            + 1.0;
    // Only the obstacles about the view: its cone's box, as a circle about
    // its middle with a metre to spare, within the reach.
    const ViewCone cone = viewConeOf(where, camera, spans);
    const PlaneGeometry::Bounds &box = cone.bounds();
    const PlanePoint middle{(box.minX + box.maxX) / 2.0, (box.minY + box.maxY) / 2.0};
    const double halfDiagonal = std::hypot(box.maxX - box.minX, box.maxY - box.minY) / 2.0;
    const NearObstacles near = halfDiagonal + 1.0 < reach
            ? obstaclesAbout(plane, plane.reverse(middle), halfDiagonal + 1.0, cone)
            : obstaclesAbout(plane, camera.at, reach, cone);
    if (const auto problem = standsInside(geometry, where, camera.camera.height, near))
        return *problem;
    const Regions found = regions(geometry, where, camera, spans, cone, near, true);
    // Around a pole every longitude is in view, and no local plane draws
    // that as lon/lat; elsewhere an edge that jumps half the earth's
    // longitudes crosses the antimeridian.
    for (const double pole : {90.0, -90.0}) {
        if (m_site.frame == SiteFrame::plan)
            break;
        const PlanePoint at = plane.forward({pole, 0.0});
        if (std::hypot(at.x, at.y) <= localPlaneReach
            && geometry.contains(*found.view, *geometry.point(at)))
            return QStringLiteral("the camera's view reaches over the %1 pole")
                    .arg(pole > 0.0 ? QStringLiteral("north") : QStringLiteral("south"));
    }

    CameraFootprint footprint;
    if (spans.ground)
        footprint.viewSpan = Span{spans.ground->near, spans.ground->far};
    ReversedPoints reversed(plane);
    footprint.view = measured(geometry, reversed, *found.view);
    for (std::size_t level = 0; level < spans.bands.size(); ++level) {
        if (!spans.bands[level] || geometry.isEmpty(*found.bands[level])) {
            footprint.bands.emplace_back();
            continue;
        }
        MeasuredArea area = measured(geometry, reversed, *found.bands[level]);
        // A sliver that the written grid collapses is no band, as one that
        // the shadows took is none: a band without a polygon is not a file's.
        if (area.area.empty()) {
            footprint.bands.emplace_back();
            continue;
        }
        footprint.bands.push_back(CameraFootprint::Band{*spans.bands[level], std::move(area)});
    }
    const auto crosses = [](const MeasuredArea &area) {
        for (const GeoPolygon &polygon : area.area) {
            for (std::size_t index = 0; index + 1 < polygon.exterior.size(); ++index) {
                if (std::fabs(polygon.exterior[index + 1].lon - polygon.exterior[index].lon)
                    > 180.0)
                    return true;
            }
        }
        return false;
    };
    if (m_site.frame == SiteFrame::plan)
        return footprint;
    footprint.crossesAntimeridian = crosses(footprint.view);
    for (const auto &band : footprint.bands)
        footprint.crossesAntimeridian
                = footprint.crossesAntimeridian || (band && crosses(band->area));
    return footprint;
}
