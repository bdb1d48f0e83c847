#include "visibility.h"

#include "circlering.h"
#include "horizon.h"
#include "sightpolygon.h"

#include "angles.h"

#include <algorithm>
#include <cmath>

namespace {

// A span of the plane `drop` below the lens, as the trapezoid of its four
// corners.
PlaneRing trapezoid(const CameraInPlane &camera, const MountedCamera &mounted, const Span &span,
                    double drop)
{
    const double nearHalf = halfWidthAcross(mounted, span.near, drop);
    const double farHalf = halfWidthAcross(mounted, span.far, drop);
    return {camera.at(span.near, -nearHalf), camera.at(span.near, nearHalf),
            camera.at(span.far, farHalf), camera.at(span.far, -farHalf)};
}

// Where the ring of sight is worked out for a span, with the foot
// strictly inside each edge. Mostly its sides are the view's own, from
// between the foot and where they meet behind it to a metre past the span,
// so that the ring clipped to the span's slab is what the span sees past
// the obstacles, with no overlay. Where they meet too near the foot, or
// before it (a camera level or turned up), it is the span's trapezoid
// grown by a metre off each edge, or the box about the view where the
// sides meet before even that; the span is then cut from the ring by an
// overlay, and its edges are kept off the ring's, which the overlay would
// otherwise node where they nearly coincide.
struct AroundSpan
{
    PlaneRing ring;
    bool onSides;
};

AroundSpan aroundSpan(const CameraInPlane &camera, const MountedCamera &mounted, const Span &span,
                      double drop, const PlaneGeometry::Bounds &box)
{
    constexpr double margin = 1.0;
    // Nearer the foot than this, a side is too near to work out the ring on.
    constexpr double clearance = 0.1;
    const double from = std::min(span.near, 0.0);
    const double ahead = span.far + margin;
    const double aheadHalf = halfWidthAcross(mounted, ahead, drop);
    // The half width is linear along the view: nothing at the sides' meeting.
    const double fromHalf = halfWidthAcross(mounted, from, drop);
    const double meeting = from - fromHalf * (ahead - from) / (aheadHalf - fromHalf);
    if (aheadHalf > fromHalf && std::isfinite(meeting) && from - meeting >= clearance) {
        const double back = std::max(from - margin, (meeting + from) / 2.0);
        const double backHalf = halfWidthAcross(mounted, back, drop);
        return {{camera.at(back, -backHalf), camera.at(back, backHalf), camera.at(ahead, aheadHalf),
                 camera.at(ahead, -aheadHalf)},
                true};
    }
    const double back = from - margin;
    const double backHalf = halfWidthAcross(mounted, back, drop);
    // A side moved out by w across is moved by w / hypot(1, slope) off itself.
    const double wider = margin * std::hypot(1.0, (aheadHalf - backHalf) / (ahead - back));
    if (backHalf + wider > margin && aheadHalf + wider > margin && std::isfinite(wider))
        return {{camera.at(back, -backHalf - wider), camera.at(back, backHalf + wider),
                 camera.at(ahead, aheadHalf + wider), camera.at(ahead, -aheadHalf - wider)},
                false};
    return {cornersOf({box.minX - margin, box.minY - margin, box.maxX + margin, box.maxY + margin}),
            false};
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

// What of the span no obstacle's shadow hides, or nothing when no obstacle
// took any of it. Those that hide everything behind them are taken at
// once, by the ring that the foot sees past their outlines; then those
// lower than the lens cast their shadows, those apart from each other in
// one overlay. An obstacle that lies behind nearer ones that hide it casts
// nothing (the horizon).
std::optional<Geometry> unhidden(const PlaneGeometry &geometry, const CameraInPlane &where,
                                 const PlacedCamera &camera, const ViewCone &cone,
                                 const NearObstacles &obstacles, double planeHeight,
                                 const Span &span)
{
    const MountedCamera &mounted = camera.camera;
    const double drop = mounted.height - planeHeight;
    const double reach = std::hypot(std::max(std::fabs(span.near), std::fabs(span.far)),
                                    halfWidthAcross(mounted, span.far, drop))
            + 1.0;
    // Nothing of an obstacle out of reach is in view, nor behind it.
    const auto inView = [&](const PlaneGeometry::Bounds &box) {
        return !(box.minX > where.foot.x + reach || box.maxX < where.foot.x - reach
                 || box.minY > where.foot.y + reach || box.maxY < where.foot.y - reach)
                && cone.meets(box);
    };
    const auto squaredDistance = [&](const PlaneGeometry::Bounds &box) {
        const double dx = std::max({box.minX - where.foot.x, 0.0, where.foot.x - box.maxX});
        const double dy = std::max({box.minY - where.foot.y, 0.0, where.foot.y - box.maxY});
        return dx * dx + dy * dy;
    };
    std::vector<std::pair<double, std::size_t>> nearest;
    for (std::size_t index = 0; index < obstacles.size(); ++index) {
        if (inView(obstacles.box(index)))
            nearest.emplace_back(squaredDistance(obstacles.box(index)), index);
    }
    // Stable, so that equally near obstacles keep the index's order.
    std::stable_sort(nearest.begin(), nearest.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    const double lens = mounted.height;
    const PlanePoint ahead = where.ahead();
    bool taken = false;
    std::vector<Geometry> shades;
    const auto cast = [&](const PlaneObstacle &obstacle) {
        Geometry shade = shadow(geometry, where.foot, lens, planeHeight, obstacle, reach);
        if (!geometry.isEmpty(*shade)) {
            shades.push_back(std::move(shade));
            taken = true;
        }
    };
    Horizon horizon(where.foot, ahead);
    std::vector<const PlaneRing *> blocking;
    std::vector<const PlaneObstacle *> blockers;
    for (const auto &[squared, index] : nearest) {
        // An obstacle whose box is hidden is hidden, and is never placed.
        const bool own = obstacles.boxIsOwn(index);
        if (!own && horizon.hidesBox(obstacles.box(index), std::sqrt(squared)))
            continue;
        const PlaneObstacle *each = &obstacles.placed(index);
        if (!own && !inView(each->bounds))
            continue;
        if (!horizon.hides(*each, std::sqrt(squaredDistance(each->bounds)))) {
            if (auto outlines = blockingOutlines(where.foot, lens, planeHeight, *each)) {
                blocking.insert(blocking.end(), outlines->begin(), outlines->end());
                blockers.push_back(each);
            } else {
                cast(*each);
            }
        }
        for (const PlaneRing *outline : hidingOutlines(where.foot, lens, planeHeight, *each))
            horizon.add(*outline);
    }
    Geometry whole = geometry.polygon(trapezoid(where, mounted, span, drop));
    if (!blockers.empty()) {
        const AroundSpan around = aroundSpan(where, mounted, span, drop, cone.bounds());
        const auto ring = sightPolygon(where.foot, around.ring, blocking);
        Geometry sight = ring ? geometry.polygon(*ring) : nullptr;
        // Only the slab need be valid: what rounding spoilt of the ring
        // beyond the span is cut away.
        std::optional<Geometry> seen;
        if (sight && around.onSides)
            seen = geometry.slab(*sight, where.foot, ahead, span.near, span.far);
        if (sight && !seen && !geometry.invalidity(*sight))
            seen = geometry.polygonal(geometry.intersect(*whole, *sight));
        if (seen) {
            whole = std::move(*seen);
            taken = true;
        } else {
            for (const PlaneObstacle *each : blockers)
                cast(*each);
        }
    }
    if (!shades.empty() && !geometry.isEmpty(*whole))
        whole = geometry.subtractAll(*whole, shades);
    return taken ? std::optional<Geometry>(std::move(whole)) : std::nullopt;
}

} // namespace

PlanePoint CameraInPlane::at(double forward, double across) const
{
    const PlanePoint along = ahead();
    return {foot.x + forward * along.x + across * along.y,
            foot.y + forward * along.y - across * along.x};
}

PlanePoint CameraInPlane::ahead() const
{
    return {std::sin(bearingRadians), std::cos(bearingRadians)};
}

ViewSpans viewSpansOf(const PlacedCamera &camera, const std::vector<SiteLevel> &levels)
{
    std::vector<double> densities;
    for (const SiteLevel &level : levels)
        densities.push_back(level.pixelsPerMetre);
    ViewSpans spans = viewSpans(camera.camera, camera.targetHeight, camera.maxRange, densities);
    const double drop = camera.camera.height - camera.targetHeight;
    for (const SiteLevel &level : levels)
        spans.cutRadius.push_back(level.maxAngleDegrees
                                          ? steepestRadius(drop, *level.maxAngleDegrees)
                                          : std::nullopt);
    return spans;
}

std::optional<QString> unboundedView(const PlacedCamera &camera, const ViewSpans &spans)
{
    const MountedCamera &mounted = camera.camera;
    const auto finite = [&](const std::optional<Span> &span, double drop) {
        return !span
                || (std::isfinite(span->near) && std::isfinite(span->far)
                    && std::isfinite(halfWidthAcross(mounted, span->near, drop))
                    && std::isfinite(halfWidthAcross(mounted, span->far, drop)));
    };
    const double drop = mounted.height - camera.targetHeight;
    bool all = finite(spans.ground, mounted.height) && finite(spans.target, drop);
    for (std::size_t level = 0; level < spans.held.size(); ++level)
        all = all && finite(spans.held[level], drop) && finite(spans.bands[level], drop);
    if (!all)
        return QStringLiteral("the view has no finite far edge; give --max-range");
    double farthest = 0.0;
    const auto reach = [&](const std::optional<Span> &span, double drop) {
        if (!span)
            return;
        for (const double along : {span->near, span->far})
            farthest = std::max(farthest, std::hypot(along, halfWidthAcross(mounted, along, drop)));
    };
    reach(spans.ground, mounted.height);
    reach(spans.target, drop);
    if (farthest > localPlaneReach)
        return QStringLiteral("the view reaches %1 km from the camera, more than the %2 km "
                              "that a local plane holds")
                .arg(farthest / 1000.0, 0, 'f', 1)
                .arg(localPlaneReach / 1000.0);
    return std::nullopt;
}

std::optional<QString> standsInside(const PlaneGeometry &geometry, const CameraInPlane &where,
                                    double lensHeight, const NearObstacles &obstacles)
{
    const Geometry foot = geometry.point(where.foot);
    const auto holdsFoot = [&](const PlaneGeometry::Bounds &box) {
        return where.foot.x >= box.minX && where.foot.x <= box.maxX && where.foot.y >= box.minY
                && where.foot.y <= box.maxY;
    };
    for (std::size_t index = 0; index < obstacles.size(); ++index) {
        if (!holdsFoot(obstacles.box(index)))
            continue;
        const PlaneObstacle &obstacle = obstacles.placed(index);
        if ((obstacle.height && *obstacle.height < lensHeight) || !holdsFoot(obstacle.bounds))
            continue;
        for (const PlanePolygon &polygon : obstacle.polygons) {
            if (geometry.contains(*geometry.polygon(polygon), *foot))
                return QStringLiteral("the camera stands inside %1, which rises above its lens")
                        .arg(obstacle.feature ? featureName(*obstacle.feature)
                                              : QStringLiteral("an obstacle"));
        }
    }
    return std::nullopt;
}

ViewCone viewConeOf(const CameraInPlane &where, const PlacedCamera &camera, const ViewSpans &spans)
{
    const MountedCamera &mounted = camera.camera;
    const double drop = mounted.height - camera.targetHeight;
    std::vector<PlaneRing> trapezoids;
    if (spans.ground)
        trapezoids.push_back(trapezoid(where, mounted, *spans.ground, mounted.height));
    for (const auto *levels : {&spans.held, &spans.bands}) {
        for (const auto &span : *levels) {
            if (span)
                trapezoids.push_back(trapezoid(where, mounted, *span, drop));
        }
    }
    if (spans.target)
        trapezoids.push_back(trapezoid(where, mounted, *spans.target, drop));
    return ViewCone(where.foot, trapezoids);
}

Regions regions(const PlaneGeometry &geometry, const CameraInPlane &where,
                const PlacedCamera &camera, const ViewSpans &spans, const ViewCone &cone,
                const NearObstacles &obstacles, bool withBands)
{
    const MountedCamera &mounted = camera.camera;
    const double drop = mounted.height - camera.targetHeight;

    Regions found{geometry.empty(), {}, {}};
    if (spans.ground) {
        auto left = unhidden(geometry, where, camera, cone, obstacles, 0.0, *spans.ground);
        found.view = left
                ? std::move(*left)
                : geometry.polygon(trapezoid(where, mounted, *spans.ground, mounted.height));
    }
    // What is seen in the target's span, which holds every level's: each
    // level's span is then the slab of it between that span's near and far
    // edges, which GEOS clips with no overlay. Where nothing hides any of
    // it, each span is whole.
    std::optional<Geometry> seen;
    if (spans.target)
        seen = unhidden(geometry, where, camera, cone, obstacles, camera.targetHeight,
                        *spans.target);
    const PlanePoint ahead = where.ahead();
    const auto cut = [&](const std::optional<Span> &span) {
        if (!span)
            return geometry.empty();
        if (!seen)
            return geometry.polygon(trapezoid(where, mounted, *span, drop));
        if (auto slab = geometry.slab(**seen, where.foot, ahead, span->near, span->far))
            return std::move(*slab);
        return geometry.polygonal(geometry.intersect(
                *geometry.polygon(trapezoid(where, mounted, *span, drop)), **seen));
    };
    const bool anyRadius = std::any_of(spans.cutRadius.begin(), spans.cutRadius.end(),
                                       [](const auto &radius) { return radius.has_value(); });
    // Without a steepest angle, a band is cut from its own span, and the
    // held regions are not needed for it.
    if (withBands && !anyRadius) {
        for (std::size_t level = 0; level < spans.held.size(); ++level)
            found.bands.push_back(cut(spans.bands[level]));
        return found;
    }
    bool anyCircle = false;
    for (std::size_t level = 0; level < spans.held.size(); ++level) {
        Geometry held = cut(spans.held[level]);
        const auto &radius
                = level < spans.cutRadius.size() ? spans.cutRadius[level] : std::optional<double>();
        if (radius && !geometry.isEmpty(*held)) {
            held = geometry.subtract(
                    *held, *geometry.polygon(circleRing(where.foot, *radius, circleTolerance)));
            anyCircle = true;
        }
        found.held.push_back(std::move(held));
    }
    if (!withBands)
        return found;
    if (!anyCircle) {
        for (std::size_t level = 0; level < spans.held.size(); ++level)
            found.bands.push_back(cut(spans.bands[level]));
        return found;
    }
    std::vector<const GEOSGeometry *> held;
    for (const Geometry &each : found.held)
        held.push_back(each.get());
    found.bands = strictestMet(geometry, held);
    return found;
}

std::vector<Geometry> strictestMet(const PlaneGeometry &geometry,
                                   const std::vector<const GEOSGeometry *> &held)
{
    std::vector<Geometry> bands(held.size());
    Geometry stricter = geometry.empty();
    for (std::size_t level = held.size(); level-- > 0;) {
        bands[level] = geometry.subtract(*held[level], *stricter);
        stricter = geometry.unite(*stricter, *held[level]);
    }
    return bands;
}

MeasuredArea measured(const PlaneGeometry &geometry, ReversedPoints &reversed,
                      const GEOSGeometry &area)
{
    MeasuredArea result;
    result.squareMetres = geometry.area(area);
    // In lon/lat, as x and y: snapped there to the written grid, so that a
    // sliver that rounding would collapse, or edges it would cross, are
    // mended before anything is written.
    const auto inDegrees = [&](const PlaneRing &ring, bool rounded) {
        PlaneRing degrees;
        degrees.reserve(ring.size());
        for (const PlanePoint &point : ring) {
            const GeoPoint on = reversed(point);
            if (rounded)
                degrees.push_back({std::round(on.lon * degreeSteps) / degreeSteps,
                                   std::round(on.lat * degreeSteps) / degreeSteps});
            else
                degrees.push_back({on.lon, on.lat});
        }
        return degrees;
    };
    const std::vector<PlanePolygon> polygons = geometry.polygons(area);
    if (polygons.empty())
        return result;
    const auto inDegreesAll = [&](bool rounded) {
        std::vector<Geometry> parts;
        for (const PlanePolygon &polygon : polygons) {
            std::vector<PlaneRing> holes;
            for (const PlaneRing &hole : polygon.holes)
                holes.push_back(inDegrees(hole, rounded));
            parts.push_back(geometry.polygon(inDegrees(polygon.exterior, rounded), holes));
        }
        return geometry.multiPolygon(std::move(parts));
    };
    // Mostly, rounding harms nothing; else GEOS snaps the exact points to
    // the grid, mending what rounding would collapse or cross.
    Geometry written = inDegreesAll(true);
    if (geometry.invalidity(*written)) {
        Geometry degrees = inDegreesAll(false);
        // The plane's valid polygons stay valid in lon/lat but for the last
        // bits, which the snapping may refuse.
        if (geometry.invalidity(*degrees))
            degrees = geometry.mended(*degrees);
        written = geometry.onGrid(*degrees, degreeGrid);
    }
    const auto geographic = [](PlaneRing ring, bool counterClockwise) {
        if ((signedArea(ring) > 0.0) != counterClockwise)
            std::reverse(ring.begin(), ring.end());
        GeoRing points;
        points.reserve(ring.size() + 1);
        for (const PlanePoint &point : ring)
            points.push_back({point.y, point.x});
        points.push_back(points.front());
        return points;
    };
    for (const PlanePolygon &polygon : geometry.polygons(*written)) {
        GeoPolygon shown{geographic(polygon.exterior, true), {}};
        for (const PlaneRing &hole : polygon.holes)
            shown.holes.push_back(geographic(hole, false));
        result.area.push_back(std::move(shown));
    }
    return result;
}
