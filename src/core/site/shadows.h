#pragma once

#include "geosgeometry.h"
#include "sitemodel.h"

#include <optional>
#include <vector>

// An obstacle on the plane: a building's or hedge's outline, or walls and
// fences without thickness, up to a height (none: at every height).
struct PlaneObstacle
{
    std::vector<PlanePolygon> polygons;
    std::vector<PlaneRing> lines;
    std::optional<double> height;
    // Named only in messages, so its name is made only for one: a camera
    // places about a hundred obstacles and names none.
    const SiteFeature *feature = nullptr;
    PlaneGeometry::Bounds bounds;
};

// The part of the horizontal plane `planeHeight` above the ground that the
// obstacle hides from a lens `lensHeight` above `camera`, as far as `reach`
// from the camera. An edge within 0.5 m of the pole is the wall the camera
// hangs on and hides nothing; the obstacle's other edges still hide, so one
// obstacle drawn as one feature or as several hides alike. A camera inside
// an obstacle that rises above its lens is refused before this (see
// standsInside).
//
// A sight line from the lens to a point P of the plane at distance d passes
// over a point q of the obstacle at distance s = u d, at the height
// g(u) = h + (t - h) u (lens h, plane t), and is stopped there when
// g(u) <= H, the obstacle's height. With P = C + lambda (q - C), lambda =
// 1 / u >= 1, the points that q hides are those of one interval of lambda:
//   t < h: u >= (h - H) / (h - t), so lambda up to (h - t) / (h - H), or
//          without end when H >= h; nothing when H < t;
//   t > h: u <= (H - h) / (t - h), so lambda from (t - h) / (H - h), or
//          from 1 when H >= t; nothing when H < h;
//   t = h: every lambda when H >= h.
// The union over q of {C + lambda (q - C), lambda in [lo, hi]} is lo F and
// hi F (F the outline) and, for each edge ab, the trapezoid lo a, lo b,
// hi b, hi a: a point between the two copies reaches the boundary of F
// when scaled back towards C. An interval without end stops at a lambda
// that takes the whole obstacle beyond reach.
Geometry shadow(const PlaneGeometry &geometry, PlanePoint camera, double lensHeight,
                double planeHeight, const PlaneObstacle &obstacle, double reach);

// The outlines of the obstacle that hide, on the plane, every point beyond
// a point of theirs to past reach: with the plane below the lens and the
// obstacle rising to it or above, each one that the camera does not hang
// on (its shadow then sweeps every edge, from the outline outwards).
std::vector<const PlaneRing *> hidingOutlines(PlanePoint camera, double lensHeight,
                                              double planeHeight, const PlaneObstacle &obstacle);

// The outlines that stand for the obstacle's whole shadow on the plane, as
// everything behind them seen from the camera: those of hidingOutlines,
// where the obstacle has no lines, every outline of it hides, and the
// camera stands in none of them (a courtyard's). Else nothing.
std::optional<std::vector<const PlaneRing *>> blockingOutlines(PlanePoint camera, double lensHeight,
                                                               double planeHeight,
                                                               const PlaneObstacle &obstacle);
