#pragma once

#include "geosgeometry.h"
#include "localplane.h"
#include "nearobstacles.h"
#include "shadows.h"
#include "viewcone.h"
#include "viewspans.h"

#include <vector>

// What one camera sees of a plane: its view and its levels' regions as exact
// trapezoids (viewspans.h), less the shadows of the obstacles (shadows.h).

// A camera in a plane: where its pole stands and where the plane's angle of
// its bearing, clockwise from the y axis, points.
struct CameraInPlane
{
    PlanePoint foot;
    double bearingRadians;

    // D forward along the bearing, X across to the right.
    PlanePoint at(double forward, double across) const;
    // The bearing's direction, a unit vector.
    PlanePoint ahead() const;
};

// How far a circle's polygon may leave the circle, in metres.
constexpr double circleTolerance = 0.001;

struct Regions
{
    Geometry view; // on the ground
    // Per level, on the target's plane. With the bands, the held regions
    // only where a level's steepest angle needs them.
    std::vector<Geometry> held;
    std::vector<Geometry> bands;
};

ViewSpans viewSpansOf(const PlacedCamera &camera, const std::vector<SiteLevel> &levels);

// Why the view cannot be drawn, if it cannot: an edge or a width that is
// not a finite number, as for a level so loose that it holds to the horizon
// and no range ends it, or a view that reaches past where a local plane
// holds it to the centimetre.
std::optional<QString> unboundedView(const PlacedCamera &camera, const ViewSpans &spans);

// Why the camera cannot see out, if it cannot: it stands inside an
// obstacle that rises above its lens (one without a height does).
std::optional<QString> standsInside(const PlaneGeometry &geometry, const CameraInPlane &where,
                                    double lensHeight, const NearObstacles &obstacles);

// Where an obstacle must stand to hide anything of the camera's view or
// its levels' regions (viewcone.h).
ViewCone viewConeOf(const CameraInPlane &where, const PlacedCamera &camera, const ViewSpans &spans);

// The camera's view and its levels' regions with the obstacles' shadows cut
// out; the bands only when asked for. The obstacles may be any that the
// cone meets, and more: those it does not meet are passed over.
Regions regions(const PlaneGeometry &geometry, const CameraInPlane &where,
                const PlacedCamera &camera, const ViewSpans &spans, const ViewCone &cone,
                const NearObstacles &obstacles, bool withBands);

// A region of a plane on the earth, with its area: counter-clockwise
// exteriors and clockwise holes, as RFC 7946 has them.
MeasuredArea measured(const PlaneGeometry &geometry, ReversedPoints &reversed,
                      const GEOSGeometry &area);

// Where each level is the strictest met, of where each is met, loosest
// first: a level cut by its steepest angle no longer lies inside the
// looser ones' regions, so each stricter one is taken out whole.
std::vector<Geometry> strictestMet(const PlaneGeometry &geometry,
                                   const std::vector<const GEOSGeometry *> &held);
