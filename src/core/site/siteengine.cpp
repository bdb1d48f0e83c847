#include "siteengine.h"

#include "shadows.h"
#include "siteview.h"

#include "angles.h"

#include <GeographicLib/Geodesic.hpp>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double gapGrid = 0.001;
constexpr double smallestGap = 0.01;

// A camera in a plane: where its pole stands and where the plane's angle of
// its bearing, clockwise from the y axis, points.
struct CameraInPlane
{
    PlanePoint foot;
    double bearingRadians;

    // D forward along the bearing, X across to the right.
    PlanePoint at(double forward, double across) const
    {
        const double s = std::sin(bearingRadians);
        const double c = std::cos(bearingRadians);
        return {foot.x + forward * s + across * c, foot.y + forward * c - across * s};
    }
};

// A strip of the plane `drop` below the lens, as the trapezoid of its four
// corners.
PlaneRing trapezoid(const CameraInPlane &camera, const MountedCamera &mounted, const Strip &strip,
                    double drop)
{
    const double nearHalf = halfWidthAcross(mounted, strip.near, drop);
    const double farHalf = halfWidthAcross(mounted, strip.far, drop);
    return {camera.at(strip.near, -nearHalf), camera.at(strip.near, nearHalf),
            camera.at(strip.far, farHalf), camera.at(strip.far, -farHalf)};
}

double signedArea(const PlaneRing &ring)
{
    double twice = 0.0;
    for (std::size_t index = 0; index < ring.size(); ++index) {
        const PlanePoint &a = ring[index];
        const PlanePoint &b = ring[(index + 1) % ring.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2.0;
}

// East and north keep their senses from the plane to lon/lat, so a ring
// turns the same way in both.
GeoRing geographicRing(const LocalPlane &plane, PlaneRing ring, bool counterClockwise)
{
    if ((signedArea(ring) > 0.0) != counterClockwise)
        std::reverse(ring.begin(), ring.end());
    GeoRing points;
    points.reserve(ring.size() + 1);
    for (const PlanePoint &point : ring)
        points.push_back(plane.reverse(point));
    points.push_back(points.front());
    return points;
}

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

// Open rings in a plane: a closed ring's last point, the first again, left
// out.
PlaneRing projected(const LocalPlane &plane, const std::vector<GeoPoint> &points, bool closed)
{
    PlaneRing planar;
    for (std::size_t index = 0; index + (closed ? 1 : 0) < points.size(); ++index)
        planar.push_back(plane.forward(points[index]));
    return planar;
}

PlaneGeometry::Polygon projected(const LocalPlane &plane, const GeoPolygon &polygon)
{
    PlaneGeometry::Polygon planar{projected(plane, polygon.exterior, true), {}};
    for (const GeoRing &hole : polygon.holes)
        planar.holes.push_back(projected(plane, hole, true));
    return planar;
}

ViewPlan viewPlan(const PlacedCamera &camera, const std::vector<SiteLevel> &levels)
{
    std::vector<double> densities;
    for (const SiteLevel &level : levels)
        densities.push_back(level.pixelsPerMetre);
    return planView(camera.camera, camera.targetHeight, camera.maxRange, densities);
}

// "feature 3 (shed)"
QString featureName(const SiteFeature &feature)
{
    return feature.name.isEmpty()
            ? QStringLiteral("feature %1").arg(feature.number)
            : QStringLiteral("feature %1 (%2)").arg(feature.number).arg(feature.name);
}

struct Regions
{
    Geometry view; // on the ground
    std::vector<Geometry> held; // per level, on the target's plane
    std::vector<Geometry> bands;
};

// What both the view and the bands are cut by, on one plane.
struct Layers
{
    Geometry once;
    Geometry twice;
};

class GeosSiteEngine final : public SiteEngine
{
public:
    GeosSiteEngine() : m_geometry(m_context) { }

    std::optional<QString> setSite(const Site &site) override;
    std::optional<GeoPoint> siteCentre() const override
    {
        return m_plane ? std::optional<GeoPoint>(m_plane->centre()) : std::nullopt;
    }
    double distance(GeoPoint from, GeoPoint to) const override;
    std::optional<GeoPoint> fromPlane(GeoPoint origin, double x, double y) const override;
    std::variant<QString, CameraFootprint> footprint(const PlacedCamera &camera,
                                                     const std::vector<SiteLevel> &levels) override
    {
        return guarded([&] { return footprintOf(camera, levels); });
    }
    std::optional<QString> addToCoverage(const PlacedCamera &camera,
                                         const std::vector<SiteLevel> &levels) override
    {
        const auto added = guarded([&] {
            add(camera, levels);
            return true;
        });
        if (const auto *problem = std::get_if<QString>(&added))
            return *problem;
        return std::nullopt;
    }
    std::variant<QString, CoverageReport> coverage(const std::vector<SiteLevel> &levels) override
    {
        return guarded([&] { return coverageOf(levels); });
    }
    std::variant<QString, SitePlanDrawing>
    drawing(const std::vector<SiteLevel> &levels) const override
    {
        return guarded([&] { return drawingOf(levels); });
    }

private:
    // GEOS throws on what it cannot work out (which valid input does not
    // cause); the program hears why.
    template <typename Work>
    static auto guarded(Work work) -> std::variant<QString, decltype(work())>
    {
        try {
            return work();
        } catch (const std::exception &failure) {
            return QStringLiteral("the polygons could not be worked out: %1")
                    .arg(QString::fromUtf8(failure.what()));
        }
    }
    std::optional<QString> placeSite(const Site &site);
    CameraFootprint footprintOf(const PlacedCamera &camera, const std::vector<SiteLevel> &levels);
    void add(const PlacedCamera &camera, const std::vector<SiteLevel> &levels);
    CoverageReport coverageOf(const std::vector<SiteLevel> &levels);
    SitePlanDrawing drawingOf(const std::vector<SiteLevel> &levels) const;
    std::vector<PlaneObstacle> obstaclesIn(const LocalPlane &plane, GeoPoint near,
                                           double reach) const;
    Regions regions(const CameraInPlane &where, const PlacedCamera &camera, const ViewPlan &plan,
                    const std::vector<PlaneObstacle> &obstacles, bool withBands = true) const;
    Geometry hidden(const CameraInPlane &where, const PlacedCamera &camera,
                    const std::vector<PlaneObstacle> &obstacles, double planeHeight,
                    double reach) const;
    MeasuredArea measured(const LocalPlane &plane, const GEOSGeometry &area) const;
    std::vector<double> gapAreas(const GEOSGeometry &uncovered) const;
    Layers merged(std::vector<Geometry> &regions, std::size_t from, std::size_t to) const;

    GeosContext m_context;
    PlaneGeometry m_geometry;
    Site m_site;
    struct ObstacleBox
    {
        const SiteFeature *feature;
        SiteBox box;
    };
    std::vector<ObstacleBox> m_obstacleBoxes;
    // The site's own plane, for coverage.
    std::optional<LocalPlane> m_plane;
    std::vector<PlaneObstacle> m_obstacles;
    Geometry m_ground;
    std::vector<Geometry> m_privacy;
    std::vector<QString> m_privacyNames;
    std::vector<std::vector<Geometry>> m_held; // per level, per camera
    std::vector<SitePlanDrawing::Camera> m_drawnCameras;
};

std::optional<QString> GeosSiteEngine::setSite(const Site &site)
{
    const auto set = guarded([&] { return placeSite(site); });
    if (const auto *problem = std::get_if<QString>(&set))
        return *problem;
    return std::get<std::optional<QString>>(set);
}

std::optional<QString> GeosSiteEngine::placeSite(const Site &site)
{
    m_site = site;
    SiteBox all;
    SiteBox areas;
    for (const SiteFeature &feature : m_site.features) {
        addToBox(feature, all);
        if (feature.role == SiteFeature::Role::area)
            addToBox(feature, areas);
        if (feature.role == SiteFeature::Role::obstacle) {
            SiteBox box;
            addToBox(feature, box);
            m_obstacleBoxes.push_back({&feature, box});
        }
    }
    if (all.empty())
        return std::nullopt;
    if (all.maxLon - all.minLon > 180.0)
        return QStringLiteral("the site crosses the antimeridian");
    const SiteBox &framed = areas.empty() ? all : areas;
    m_plane.emplace(
            GeoPoint{(framed.minLat + framed.maxLat) / 2.0, (framed.minLon + framed.maxLon) / 2.0});

    std::vector<Geometry> areaParts;
    std::vector<Geometry> obstacleParts;
    for (const SiteFeature &feature : m_site.features) {
        std::vector<Geometry> parts;
        for (const GeoPolygon &polygon : feature.polygons) {
            const PlaneGeometry::Polygon planar = projected(*m_plane, polygon);
            Geometry shape = m_geometry.polygon(planar.exterior, planar.holes);
            if (const auto reason = m_geometry.invalidity(*shape))
                return QStringLiteral("%1: its polygon is not valid: %2")
                        .arg(featureName(feature), QString::fromStdString(*reason));
            parts.push_back(std::move(shape));
        }
        Geometry united = m_geometry.unite(std::move(parts));
        switch (feature.role) {
        case SiteFeature::Role::area:
            areaParts.push_back(std::move(united));
            break;
        case SiteFeature::Role::privacy:
            m_privacy.push_back(std::move(united));
            m_privacyNames.push_back(feature.name);
            break;
        case SiteFeature::Role::obstacle: {
            obstacleParts.push_back(std::move(united));
            break;
        }
        }
    }
    m_obstacles = obstaclesIn(*m_plane, {}, -1.0);
    m_ground = m_geometry.subtract(*m_geometry.unite(std::move(areaParts)),
                                   *m_geometry.unite(std::move(obstacleParts)));
    return std::nullopt;
}

// The obstacles in a plane: those whose box comes within reach of a point,
// or all of them for a negative reach.
std::vector<PlaneObstacle> GeosSiteEngine::obstaclesIn(const LocalPlane &plane, GeoPoint near,
                                                       double reach) const
{
    std::vector<PlaneObstacle> found;
    for (const ObstacleBox &entry : m_obstacleBoxes) {
        if (reach >= 0.0) {
            // Degrees of latitude are at least 110.5 km; of longitude, that
            // times the cosine of the box's widest latitude.
            const double margin = reach / 110000.0 + 1e-6;
            const double widest
                    = std::max(std::fabs(entry.box.minLat), std::fabs(entry.box.maxLat));
            const double cosine = std::cos(std::min(89.99, widest + margin) * pi / 180.0);
            const double lonMargin = margin / cosine;
            if (near.lat < entry.box.minLat - margin || near.lat > entry.box.maxLat + margin
                || near.lon < entry.box.minLon - lonMargin
                || near.lon > entry.box.maxLon + lonMargin)
                continue;
        }
        const SiteFeature &feature = *entry.feature;
        PlaneObstacle obstacle{{}, {}, feature.height, nullptr, {0, 0, 0, 0}};
        std::vector<Geometry> parts;
        for (const GeoPolygon &polygon : feature.polygons) {
            PlaneGeometry::Polygon planar = projected(plane, polygon);
            parts.push_back(m_geometry.polygon(planar.exterior, planar.holes));
            obstacle.polygons.push_back(std::move(planar));
        }
        for (const auto &line : feature.lines)
            obstacle.lines.push_back(projected(plane, line, false));
        if (!obstacle.lines.empty())
            parts.push_back(m_geometry.lines(obstacle.lines));
        obstacle.shape = m_geometry.collection(std::move(parts));
        obstacle.bounds = m_geometry.bounds(*obstacle.shape).value_or(PlaneGeometry::Bounds{});
        found.push_back(std::move(obstacle));
    }
    return found;
}

double GeosSiteEngine::distance(GeoPoint from, GeoPoint to) const
{
    double metres = 0.0;
    GeographicLib::Geodesic::WGS84().Inverse(from.lat, from.lon, to.lat, to.lon, metres);
    return metres;
}

std::optional<GeoPoint> GeosSiteEngine::fromPlane(GeoPoint origin, double x, double y) const
{
    const GeoPoint point = LocalPlane(origin).reverse({x, y});
    if (!std::isfinite(point.lat) || !std::isfinite(point.lon))
        return std::nullopt;
    return point;
}

Geometry GeosSiteEngine::hidden(const CameraInPlane &where, const PlacedCamera &camera,
                                const std::vector<PlaneObstacle> &obstacles, double planeHeight,
                                double reach) const
{
    std::vector<Geometry> shadows;
    for (const PlaneObstacle &obstacle : obstacles) {
        // Nothing of an obstacle out of reach is in view, nor behind it.
        const PlaneGeometry::Bounds &box = obstacle.bounds;
        if (box.minX > where.foot.x + reach || box.maxX < where.foot.x - reach
            || box.minY > where.foot.y + reach || box.maxY < where.foot.y - reach)
            continue;
        Geometry cast = shadow(m_geometry, where.foot, camera.camera.height, planeHeight, obstacle,
                               reach);
        if (!m_geometry.isEmpty(*cast))
            shadows.push_back(std::move(cast));
    }
    return m_geometry.unite(std::move(shadows));
}

Regions GeosSiteEngine::regions(const CameraInPlane &where, const PlacedCamera &camera,
                                const ViewPlan &plan, const std::vector<PlaneObstacle> &obstacles,
                                bool withBands) const
{
    const MountedCamera &mounted = camera.camera;
    const double drop = mounted.height - camera.targetHeight;
    const auto reachOf = [&](const Strip &strip, double plane) {
        return std::hypot(std::max(std::fabs(strip.near), std::fabs(strip.far)),
                          halfWidthAcross(mounted, strip.far, plane))
                + 1.0;
    };

    Regions found{m_geometry.empty(), {}, {}};
    if (plan.ground) {
        const Geometry whole
                = m_geometry.polygon(trapezoid(where, mounted, *plan.ground, mounted.height));
        const Geometry shade
                = hidden(where, camera, obstacles, 0.0, reachOf(*plan.ground, mounted.height));
        found.view = m_geometry.subtract(*whole, *shade);
    }
    const Geometry shade = plan.target
            ? hidden(where, camera, obstacles, camera.targetHeight, reachOf(*plan.target, drop))
            : m_geometry.empty();
    const auto cut = [&](const std::optional<Strip> &strip) {
        if (!strip)
            return m_geometry.empty();
        const Geometry whole = m_geometry.polygon(trapezoid(where, mounted, *strip, drop));
        return m_geometry.subtract(*whole, *shade);
    };
    for (std::size_t level = 0; level < plan.held.size(); ++level) {
        found.held.push_back(cut(plan.held[level]));
        if (withBands)
            found.bands.push_back(cut(plan.bands[level]));
    }
    return found;
}

MeasuredArea GeosSiteEngine::measured(const LocalPlane &plane, const GEOSGeometry &area) const
{
    MeasuredArea result;
    result.squareMetres = m_geometry.area(area);
    for (const PlaneGeometry::Polygon &polygon : m_geometry.polygons(area)) {
        GeoPolygon geographic{geographicRing(plane, polygon.exterior, true), {}};
        for (const PlaneRing &hole : polygon.holes)
            geographic.holes.push_back(geographicRing(plane, hole, false));
        result.area.push_back(std::move(geographic));
    }
    return result;
}

CameraFootprint GeosSiteEngine::footprintOf(const PlacedCamera &camera,
                                            const std::vector<SiteLevel> &levels)
{
    // Each camera in a plane of its own, where its view is exact.
    const LocalPlane plane(camera.at);
    const CameraInPlane where{{0.0, 0.0}, camera.bearingDegrees * pi / 180.0};
    const ViewPlan plan = viewPlan(camera, levels);
    // Every point in view is within (|D| + height) (1 + tan(hfov / 2)) of
    // the pole.
    double farthest = 0.0;
    for (const auto &strip : {plan.ground, plan.target}) {
        if (strip)
            farthest = std::max({farthest, std::fabs(strip->near), std::fabs(strip->far)});
    }
    const double reach = (farthest + camera.camera.height)
                    * (1.0 + camera.camera.view.horizontal.halfFovTangent)
            + 1.0;
    const std::vector<PlaneObstacle> obstacles = obstaclesIn(plane, camera.at, reach);
    const Regions found = regions(where, camera, plan, obstacles);

    CameraFootprint footprint;
    if (plan.ground) {
        footprint.viewNear = plan.ground->near;
        footprint.viewFar = plan.ground->far;
    }
    footprint.view = measured(plane, *found.view);
    for (std::size_t level = 0; level < levels.size(); ++level) {
        if (!plan.bands[level] || m_geometry.isEmpty(*found.bands[level])) {
            footprint.bands.emplace_back();
            continue;
        }
        footprint.bands.push_back(CameraFootprint::Band{plan.bands[level]->near,
                                                        plan.bands[level]->far,
                                                        measured(plane, *found.bands[level])});
    }
    double west = 180.0;
    double east = -180.0;
    const auto span = [&](const MeasuredArea &area) {
        for (const GeoPolygon &polygon : area.area) {
            for (const GeoPoint &point : polygon.exterior) {
                west = std::min(west, point.lon);
                east = std::max(east, point.lon);
            }
        }
    };
    span(footprint.view);
    for (const auto &band : footprint.bands) {
        if (band)
            span(band->area);
    }
    footprint.crossesAntimeridian = east - west > 180.0;
    return footprint;
}

void GeosSiteEngine::add(const PlacedCamera &camera, const std::vector<SiteLevel> &levels)
{
    // Without a site, the cameras are drawn about the first of them.
    if (!m_plane)
        m_plane.emplace(camera.at);
    double north = 0.0;
    const PlanePoint foot = m_plane->forward(camera.at, &north);
    const CameraInPlane where{foot, (camera.bearingDegrees + north) * pi / 180.0};
    // The bands are drawn only: they come from the held regions if asked.
    Regions found = regions(where, camera, viewPlan(camera, levels), m_obstacles, false);
    m_drawnCameras.push_back({{}, {foot.x, foot.y}, camera.bearingDegrees + north, {}});
    m_held.resize(levels.size());
    for (std::size_t level = 0; level < levels.size(); ++level)
        m_held[level].push_back(std::move(found.held[level]));
}

// Where one region or more holds, and where two or more do, over a range of
// the regions: halves merged, so that the work grows as n log n.
Layers GeosSiteEngine::merged(std::vector<Geometry> &regions, std::size_t from,
                              std::size_t to) const
{
    if (to - from == 0)
        return {m_geometry.empty(), m_geometry.empty()};
    if (to - from == 1)
        return {std::move(regions[from]), m_geometry.empty()};
    const std::size_t middle = from + (to - from) / 2;
    Layers left = merged(regions, from, middle);
    Layers right = merged(regions, middle, to);
    const Geometry both = m_geometry.intersect(*left.once, *right.once);
    const Geometry twice = m_geometry.unite(*left.twice, *right.twice);
    return {m_geometry.unite(*left.once, *right.once), m_geometry.unite(*twice, *both)};
}

SitePlanDrawing GeosSiteEngine::drawingOf(const std::vector<SiteLevel> &levels) const
{
    SitePlanDrawing plan;
    plan.levels = levels;
    plan.cameras = m_drawnCameras;
    // Where a level holds and the next stricter does not.
    for (std::size_t camera = 0; camera < plan.cameras.size(); ++camera) {
        for (std::size_t level = 0; level < m_held.size(); ++level) {
            const GEOSGeometry &held = *m_held[level][camera];
            if (level + 1 < m_held.size())
                plan.cameras[camera].bands.push_back(m_geometry.polygons(
                        *m_geometry.subtract(held, *m_held[level + 1][camera])));
            else
                plan.cameras[camera].bands.push_back(m_geometry.polygons(held));
        }
    }
    for (const SiteFeature &feature : m_site.features) {
        SitePlanDrawing::Feature drawn{feature.name, feature.height, {}, {}};
        for (const GeoPolygon &polygon : feature.polygons)
            drawn.polygons.push_back(projected(*m_plane, polygon));
        for (const auto &line : feature.lines)
            drawn.lines.push_back(projected(*m_plane, line, false));
        switch (feature.role) {
        case SiteFeature::Role::area:
            plan.areas.push_back(std::move(drawn));
            break;
        case SiteFeature::Role::obstacle:
            plan.obstacles.push_back(std::move(drawn));
            break;
        case SiteFeature::Role::privacy:
            plan.privacy.push_back(std::move(drawn));
            break;
        }
    }
    return plan;
}

// The separate parts of the uncovered ground, with their exact areas: parts
// that meet on a 1 mm grid are one gap, and gaps under 0.01 m^2 none.
std::vector<double> GeosSiteEngine::gapAreas(const GEOSGeometry &uncovered) const
{
    const Geometry gridded = m_geometry.onGrid(uncovered, gapGrid);
    std::vector<Geometry> joined;
    for (const PlaneGeometry::Polygon &part : m_geometry.polygons(*gridded))
        joined.push_back(m_geometry.polygon(part.exterior, part.holes));
    std::vector<double> areas(joined.size(), 0.0);
    for (const PlaneGeometry::Polygon &part : m_geometry.polygons(uncovered)) {
        const Geometry exact = m_geometry.polygon(part.exterior, part.holes);
        const Geometry inside
                = m_geometry.own(GEOSPointOnSurface_r(m_context.handle(), exact.get()));
        for (std::size_t gap = 0; gap < joined.size(); ++gap) {
            if (m_geometry.distance(*joined[gap], *inside) <= gapGrid) {
                areas[gap] += m_geometry.area(*exact);
                break;
            }
        }
    }
    areas.erase(std::remove_if(areas.begin(), areas.end(),
                               [](double area) { return area < smallestGap; }),
                areas.end());
    return areas;
}

CoverageReport GeosSiteEngine::coverageOf(const std::vector<SiteLevel> &levels)
{
    CoverageReport report;
    m_held.resize(levels.size());
    const double groundArea = m_geometry.area(*m_ground);
    std::optional<Layers> loosest;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        Layers layers = merged(m_held[level], 0, m_held[level].size());
        CoverageRow row;
        row.area = groundArea;
        row.covered = m_geometry.area(*m_geometry.intersect(*layers.once, *m_ground));
        row.redundant = m_geometry.area(*m_geometry.intersect(*layers.twice, *m_ground));
        const Geometry uncovered = m_geometry.subtract(*m_ground, *layers.once);
        const std::vector<double> gaps = gapAreas(*uncovered);
        row.gaps = static_cast<int>(gaps.size());
        row.largestGap = gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end());
        row.uncovered = measured(*m_plane, *uncovered);
        row.uncoveredPlan = m_geometry.polygons(*uncovered);
        report.levels.push_back(std::move(row));
        if (level == 0)
            loosest = std::move(layers);
    }
    for (std::size_t index = 0; index < m_privacy.size(); ++index) {
        const Geometry &zone = m_privacy[index];
        CoverageRow row;
        row.name = m_privacyNames[index];
        row.area = m_geometry.area(*zone);
        if (loosest) {
            row.covered = m_geometry.area(*m_geometry.intersect(*zone, *loosest->once));
            row.redundant = m_geometry.area(*m_geometry.intersect(*zone, *loosest->twice));
        }
        report.privacy.push_back(std::move(row));
    }
    return report;
}

} // namespace

std::unique_ptr<SiteEngine> makeSiteEngine()
{
    return std::make_unique<GeosSiteEngine>();
}
