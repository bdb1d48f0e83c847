#pragma once

#include "geosgeometry.h"

// A circle as a polygon for GEOS, which has no curves: a regular polygon
// whose every edge stays within `tolerance` of the circle and whose area is
// the circle's own, counter-clockwise.
PlaneRing circleRing(PlanePoint centre, double radius, double tolerance);
