#include "coveragebuilder.h"

#include "visibility.h"

#include "angles.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <thread>
#include <utility>

namespace {

// Parts of the uncovered ground that meet on a grid of 1 mm are one gap,
// and gaps under 0.01 m^2 none.
constexpr double gapGrid = 0.001;
constexpr double hairlineGrid = 1e-6;
constexpr double smallestGap = 0.01;

const QString finishedAlready
        = QStringLiteral("the coverage was already worked out; start another to add cameras");

// The cameras in Z-order of where they stand (their feet on a grid of
// 65536 steps across all of them, the bits of x and y interleaved), so
// that the halves merged lie apart and their intersections are cheap: in
// a town, cameras given in any order would make every merge meet the
// whole town. The union is the same in any order.
std::vector<std::size_t> spatialOrder(const std::vector<SiteDrawing::Camera> &cameras)
{
    std::vector<std::size_t> order(cameras.size());
    for (std::size_t index = 0; index < order.size(); ++index)
        order[index] = index;
    if (cameras.size() < 3)
        return order;
    double minX = cameras.front().at.x;
    double minY = cameras.front().at.y;
    double maxX = minX;
    double maxY = minY;
    for (const SiteDrawing::Camera &camera : cameras) {
        minX = std::min(minX, camera.at.x);
        minY = std::min(minY, camera.at.y);
        maxX = std::max(maxX, camera.at.x);
        maxY = std::max(maxY, camera.at.y);
    }
    const double span = std::max({maxX - minX, maxY - minY, 1e-9});
    std::vector<std::uint32_t> keys(cameras.size());
    for (std::size_t index = 0; index < cameras.size(); ++index) {
        const auto step = [&](double value, double from) {
            return static_cast<std::uint32_t>(std::min(65535.0, (value - from) / span * 65535.0));
        };
        const std::uint32_t x = step(cameras[index].at.x, minX);
        const std::uint32_t y = step(cameras[index].at.y, minY);
        std::uint32_t key = 0;
        for (int bit = 0; bit < 16; ++bit)
            key |= ((x >> bit) & 1u) << (2 * bit) | ((y >> bit) & 1u) << (2 * bit + 1);
        keys[index] = key;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

// A camera's share in a geometry's context: its view's regions per level in
// the plane, with the shadows of the site's obstacles cut out.
struct Share
{
    PlanePoint foot;
    double bearingDegrees;
    std::vector<Geometry> held;
};

std::variant<QString, Share> shareOf(const PlaneGeometry &geometry, const PlacedSite &site,
                                     const LocalPlane &plane, const PlacedCamera &camera,
                                     const std::vector<SiteLevel> &levels)
{
    const ViewSpans spans = viewSpansOf(camera, levels);
    if (const auto problem = unboundedView(camera, spans))
        return *problem;
    auto found = guarded([&]() -> std::variant<QString, Share> {
        double north = 0.0;
        const PlanePoint foot = plane.forward(camera.at, &north);
        const CameraInPlane where{foot, (camera.bearingDegrees + north) * pi / 180.0};
        const ViewCone cone = viewConeOf(where, camera, spans);
        const std::vector<const PlaneObstacle *> near = site.obstaclesMeeting(cone);
        if (const auto problem = standsInside(geometry, where, camera.camera.height, near))
            return *problem;
        // The bands are drawn only: they come from the held regions.
        Regions regions = ::regions(geometry, where, camera, spans, cone, near, false);
        return Share{foot, camera.bearingDegrees + north, std::move(regions.held)};
    });
    if (auto *problem = std::get_if<QString>(&found))
        return std::move(*problem);
    return std::get<std::variant<QString, Share>>(std::move(found));
}

} // namespace

// The site's own entry to its coverage, here where the coverage is.
std::unique_ptr<CoverageBuilder>
PlacedSite::startCoverage(const std::vector<SiteLevel> &levels) const
{
    if (m_use != SiteUse::coverage)
        return nullptr;
    return std::make_unique<GeosCoverageBuilder>(shared_from_this(), levels);
}

std::variant<QString, std::optional<CameraShare>>
PlacedSite::coverageShare(const PlacedCamera &camera, const std::vector<SiteLevel> &levels) const
{
    if (m_use != SiteUse::coverage || !m_plane)
        return std::nullopt;
    const PlaneGeometry &geometry = threadGeometry();
    auto share = shareOf(geometry, *this, *m_plane, camera, levels);
    if (auto *problem = std::get_if<QString>(&share))
        return std::move(*problem);
    auto written = guarded([&] {
        const Share &found = std::get<Share>(share);
        CameraShare made{found.foot, found.bearingDegrees, {}};
        for (const Geometry &held : found.held)
            made.held.push_back(geometry.wkb(*held));
        return made;
    });
    if (auto *problem = std::get_if<QString>(&written))
        return std::move(*problem);
    return std::optional<CameraShare>(std::get<CameraShare>(std::move(written)));
}

GeosCoverageBuilder::GeosCoverageBuilder(std::shared_ptr<const PlacedSite> site,
                                         std::vector<SiteLevel> levels)
    : m_site(std::move(site))
    , m_geometry(m_site->geometry())
    , m_levels(std::move(levels))
    , m_plane(m_site->plane())
    , m_held(m_levels.size())
{
}

std::optional<QString> GeosCoverageBuilder::add(const NamedCamera &named)
{
    if (m_finished)
        return finishedAlready;
    if (named.share && named.share->held.size() != m_levels.size())
        return QStringLiteral("the camera's share is of %1 levels, not %2")
                .arg(named.share->held.size())
                .arg(m_levels.size());
    // Without a site, the cameras are drawn about the first of them.
    auto share = named.share
            ? guarded([&] {
                  Share taken{named.share->foot, named.share->bearingDegrees, {}};
                  for (const std::string &held : named.share->held)
                      taken.held.push_back(m_geometry.fromWkb(held));
                  return taken;
              })
            : shareOf(m_geometry, *m_site,
                      m_plane ? *m_plane : LocalPlane(named.placed.at, m_site->frame()),
                      named.placed, m_levels);
    if (auto *problem = std::get_if<QString>(&share))
        return std::move(*problem);
    Share &taken = std::get<Share>(share);
    // Nothing is kept of a camera until all of it is worked out.
    if (!m_plane)
        m_plane = LocalPlane(named.placed.at, m_site->frame());
    m_cameras.push_back({named.name, taken.foot, taken.bearingDegrees, {}});
    for (std::size_t level = 0; level < m_levels.size(); ++level)
        m_held[level].push_back(std::move(taken.held[level]));
    return std::nullopt;
}

std::variant<QString, SiteCoverage> GeosCoverageBuilder::finish(CoverageWanted wanted,
                                                                StopRequested stop) &&
{
    if (m_finished)
        return finishedAlready;
    m_finished = true;
    const GeosStopHook hook(stop);
    return guarded([&] {
        SiteCoverage coverage;
        // The drawing reads each camera's regions, which the report's union
        // then takes.
        if (wanted.drawing)
            coverage.drawing = drawing(hook);
        if (wanted.report)
            coverage.report = report(hook, wanted.jobs);
        return coverage;
    });
}

// Over a range of the regions: halves merged, so that the work grows as
// n log n.
GeosCoverageBuilder::Layers GeosCoverageBuilder::merged(const PlaneGeometry &geometry,
                                                        std::vector<Geometry> &regions,
                                                        std::size_t from, std::size_t to,
                                                        const GeosStopHook &stop) const
{
    stop.check();
    if (to - from == 0)
        return {geometry.empty(), geometry.empty()};
    if (to - from == 1)
        return {std::move(regions[from]), geometry.empty()};
    const std::size_t middle = from + (to - from) / 2;
    Layers left = merged(geometry, regions, from, middle, stop);
    Layers right = merged(geometry, regions, middle, to, stop);
    const Geometry both = geometry.polygonal(geometry.intersect(*left.once, *right.once));
    const Geometry twice = geometry.unite(*left.twice, *right.twice);
    // A union that GEOS had to snap may keep a collapsed edge as a line.
    return {geometry.polygonal(geometry.unite(*left.once, *right.once)),
            geometry.polygonal(geometry.unite(*twice, *both))};
}

SiteDrawing GeosCoverageBuilder::drawing(const GeosStopHook &stop) const
{
    SiteDrawing drawn;
    drawn.levels = m_levels;
    drawn.cameras = m_cameras;
    drawn.northKnown = m_site->site().northKnown;
    // Where a level holds and the next stricter does not; with a steepest
    // angle, where no stricter one holds.
    const bool anyLimit
            = std::any_of(m_levels.cbegin(), m_levels.cend(),
                          [](const SiteLevel &level) { return level.maxAngleDegrees.has_value(); });
    for (std::size_t camera = 0; camera < drawn.cameras.size(); ++camera) {
        stop.check();
        if (anyLimit) {
            std::vector<const GEOSGeometry *> held;
            for (std::size_t level = 0; level < m_held.size(); ++level)
                held.push_back(m_held[level][camera].get());
            for (const Geometry &band : strictestMet(m_geometry, held))
                drawn.cameras[camera].bands.push_back(m_geometry.polygons(*band));
            continue;
        }
        for (std::size_t level = 0; level < m_held.size(); ++level) {
            const GEOSGeometry &held = *m_held[level][camera];
            if (level + 1 < m_held.size())
                drawn.cameras[camera].bands.push_back(m_geometry.polygons(
                        *m_geometry.subtract(held, *m_held[level + 1][camera])));
            else
                drawn.cameras[camera].bands.push_back(m_geometry.polygons(held));
        }
    }
    for (const SiteFeature &feature : m_site->site().features) {
        SiteDrawing::Feature shown{feature.name, feature.height, {}, {}};
        for (const GeoPolygon &polygon : feature.polygons)
            shown.polygons.push_back(projected(*m_plane, polygon));
        if (feature.width && !feature.lines.empty()) {
            for (PlanePolygon &polygon :
                 m_geometry.polygons(*widenedArea(m_geometry, *m_plane, feature)))
                shown.polygons.push_back(std::move(polygon));
        } else {
            for (const auto &line : feature.lines)
                shown.lines.push_back(projected(*m_plane, line, false));
        }
        switch (feature.role) {
        case SiteFeature::Role::area:
            drawn.areas.push_back(std::move(shown));
            break;
        case SiteFeature::Role::obstacle:
            drawn.obstacles.push_back(std::move(shown));
            break;
        case SiteFeature::Role::privacy:
            drawn.privacy.push_back(std::move(shown));
            break;
        case SiteFeature::Role::background:
            drawn.background.push_back(std::move(shown));
            break;
        }
    }
    return drawn;
}

// The separate parts of the uncovered ground, with their exact areas,
// largest first. Two cameras' edges along one line, such as a fence, miss
// each other by the last bits and leave a hairline between them; it takes
// no ground, so a micrometre's grid takes it away before it could join the
// ground on either side of the line. Parts that then meet on the coarser
// grid are one gap, and gaps too small to matter none.
std::vector<MeasuredArea> GeosCoverageBuilder::gaps(const PlaneGeometry &geometry,
                                                    const GEOSGeometry &uncovered) const
{
    const Geometry cleaned = geometry.onGrid(uncovered, hairlineGrid);
    const std::vector<PlanePolygon> joined = geometry.polygons(*geometry.onGrid(*cleaned, gapGrid));
    std::vector<Geometry> outlines;
    for (const PlanePolygon &part : joined)
        outlines.push_back(geometry.polygon(part));
    std::vector<double> areas(joined.size(), 0.0);
    for (const PlanePolygon &part : geometry.polygons(*cleaned)) {
        const Geometry exact = geometry.polygon(part);
        const Geometry inside = geometry.pointOnSurface(*exact);
        for (std::size_t gap = 0; gap < outlines.size(); ++gap) {
            if (geometry.distance(*outlines[gap], *inside) <= gapGrid) {
                areas[gap] += geometry.area(*exact);
                break;
            }
        }
    }
    std::vector<MeasuredArea> found;
    ReversedPoints reversed(*m_plane);
    for (std::size_t gap = 0; gap < outlines.size(); ++gap) {
        if (areas[gap] < smallestGap)
            continue;
        MeasuredArea shown = measured(geometry, reversed, *outlines[gap]);
        shown.squareMetres = areas[gap];
        found.push_back(std::move(shown));
    }
    // Equal areas keep the order GEOS gave, which the same input repeats.
    std::stable_sort(found.begin(), found.end(), [](const MeasuredArea &a, const MeasuredArea &b) {
        return a.squareMetres > b.squareMetres;
    });
    return found;
}

GeosCoverageBuilder::LevelRow GeosCoverageBuilder::levelRow(const PlaneGeometry &geometry,
                                                            const std::vector<std::string> &wkb,
                                                            const std::string &groundWkb,
                                                            bool keepLayers,
                                                            const GeosStopHook &stop) const
{
    const Geometry ground = geometry.fromWkb(groundWkb);
    std::vector<Geometry> regions;
    regions.reserve(wkb.size());
    for (const std::string &region : wkb)
        regions.push_back(geometry.fromWkb(region));
    const Layers layers = merged(geometry, regions, 0, regions.size(), stop);
    LevelRow made;
    CoverageRow &row = made.row;
    row.area = geometry.area(*ground);
    // The covered ground is the ground less what is uncovered, which the
    // gaps need anyway: their intersection, a second overlay of a town's
    // streets with every camera, falls back on GEOS's slow snapping. A
    // difference near nothing is no less than nothing.
    const Geometry uncovered = geometry.subtract(*ground, *layers.once);
    row.covered = std::max(0.0, row.area - geometry.area(*uncovered));
    row.redundant = geometry.area(*geometry.intersect(*layers.twice, *ground));
    if (m_plane)
        row.gaps = gaps(geometry, *uncovered);
    row.uncoveredInPlane = geometry.polygons(*uncovered);
    if (keepLayers) {
        made.once = geometry.wkb(*layers.once);
        made.twice = geometry.wkb(*layers.twice);
    }
    return made;
}

CoverageReport GeosCoverageBuilder::report(const GeosStopHook &stop, int jobs)
{
    // Each level is worked out on a thread, in the thread's own context:
    // the regions and the ground go to it as WKB, which keeps every
    // coordinate to the bit, and GEOS geometries never cross threads.
    const std::vector<std::size_t> order = spatialOrder(m_cameras);
    const std::string ground = m_geometry.wkb(m_site->ground());
    std::vector<std::vector<std::string>> regions(m_levels.size());
    for (std::size_t level = 0; level < m_levels.size(); ++level) {
        for (const std::size_t camera : order)
            regions[level].push_back(m_geometry.wkb(*std::exchange(m_held[level][camera], {})));
    }
    const bool keepLayers = !m_site->privacy().empty();
    std::vector<LevelRow> rows(m_levels.size());
    std::vector<std::exception_ptr> failed(m_levels.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        const PlaneGeometry &geometry = threadGeometry();
        for (std::size_t level = next++; level < rows.size(); level = next++) {
            try {
                rows[level] = levelRow(geometry, regions[level], ground, level == 0 && keepLayers,
                                       stop);
            } catch (...) {
                failed[level] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> threads;
    const std::size_t more = std::min<std::size_t>(std::max(jobs, 1), rows.size());
    for (std::size_t thread = 1; thread < more; ++thread)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    // The first level's failure, whichever thread came to its own first.
    for (const std::exception_ptr &failure : failed) {
        if (failure)
            std::rethrow_exception(failure);
    }

    CoverageReport report;
    for (LevelRow &row : rows)
        report.levels.push_back(std::move(row.row));
    for (const PlacedSite::Zone &zone : m_site->privacy()) {
        CoverageRow row;
        row.name = zone.name;
        row.area = m_geometry.area(*zone.shape);
        if (!rows.empty()) {
            const Geometry once = m_geometry.fromWkb(rows.front().once);
            const Geometry twice = m_geometry.fromWkb(rows.front().twice);
            row.covered = m_geometry.area(*m_geometry.intersect(*zone.shape, *once));
            row.redundant = m_geometry.area(*m_geometry.intersect(*zone.shape, *twice));
        }
        report.privacy.push_back(std::move(row));
    }
    return report;
}
