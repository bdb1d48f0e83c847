#pragma once

#include "geosgeometry.h"

#include <vector>

// Rooms drawn as loose lines, as architects draw them, joined into the
// polygons they close (GEOS's polygonize), the way GIS programs join them.
// Ends that miss each other by less than the slip meet first: drawings
// carry such slips. What no polygon takes is counted, not guessed at.
JoinedRings joinRings(const PlaneGeometry &geometry, std::vector<PlaneRing> lines, double slip);
