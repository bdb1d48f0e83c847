#pragma once

#include "geosgeometry.h"
#include "sitemodel.h"

#include <optional>

// A box in the plane about `centre` (LocalPlane's) that holds every point
// of a box of latitudes and longitudes, found without projecting any of
// them: a camera need only project the obstacles whose box this meets its
// view's. Nothing where the bound below is not known to hold: more than
// 10 km from the centre, beyond 80 degrees of latitude, or across half the
// earth's longitudes.
//
// Near the centre the azimuthal equidistant plane is, to first order in
// s / R (s the distance from the centre, R the earth's radius), the plane
// of the meridian and prime vertical radii at the centre, M0 and N0:
//   x ~ N0 cos(lat) dlon,  y ~ M0 dlat.
// What that leaves out is of second order: the parallels bend polewards by
// x^2 tan(lat) / (2 N), and M and N change across the box by e^2 dlat.
// Both stay under s^2 (1 + |tan(lat)|) / R, which within 10 km and 80
// degrees is below 105 m, and below 1.1 m within 1 km. The box is widened
// by 1 m and s / 50: 201 m at 10 km, 21 m at 1 km, so twice the error at
// least. Over a box, x is the product of dlon and cos(lat), each in an
// interval, so its extremes are at the products of their ends.
std::optional<PlaneGeometry::Bounds> planeBoundsOf(GeoPoint centre, SiteFrame frame,
                                                   const GeoBox &box);
