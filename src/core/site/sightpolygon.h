#pragma once

#include "geosgeometry.h"

#include <optional>
#include <vector>

// The part of a convex ring about a point that the point sees past
// outlines that hide everything behind them, as one ring, counter-clockwise:
// the outlines of obstacles that rise to the lens or above, seen on a
// plane below it, so that one pass stands for all their shadows.
//
// Sorted by direction from the point, the corners of the outlines and the
// ring about it, and the points where two of their edges cross, cut the turn into
// wedges. Within a wedge the edges that a ray meets are the same on every
// ray (an edge starts and ends only at a corner) and in the same order
// along it (two change places only where they cross), so the ray through
// the wedge's middle finds the nearest, and the wedge's part of the ring
// runs along that edge from one bounding ray to the other. Between wedges
// the ring steps along a ray from one edge to the next. Where the ring
// meets a corner of an outline it takes the corner as it is, not worked
// out again, so that the ring and the outline share it to the bit. A
// middle ray tries only the edges whose directions hold it, and a crossing
// is sought only where two edges' boxes meet, so that the work grows
// little faster than the corners.
//
// Nothing when rounding has left no edge on a wedge's middle ray, or an
// edge along a bounding ray. Rounding can also leave two nearly equal
// directions out of order; the caller checks that the ring is a valid
// polygon, and where one is not, casts the shadows one by one.
//
// Nothing, too, unless `around` is counter-clockwise with the point
// strictly inside each of its edges.
std::optional<PlaneRing> sightPolygon(PlanePoint foot, const PlaneRing &around,
                                      const std::vector<const PlaneRing *> &outlines);
