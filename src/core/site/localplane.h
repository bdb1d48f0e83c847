#pragma once

#include "sitemodel.h"

#include <GeographicLib/AzimuthalEquidistant.hpp>

#include <unordered_map>
#include <utility>

// The azimuthal equidistant plane about a centre on the WGS84 ellipsoid:
// a point hypot(x, y) metres along the geodesic that leaves the centre at
// azimuth atan2(x, y). Distances and azimuths from the centre are exact;
// elsewhere the plane stretches across by (s / R) / sin(s / R), 4e-11 at
// 100 m and 1e-5 at 50 km from the centre. A plan's points are in a plane
// already: it only moves them to the centre.
class LocalPlane
{
public:
    explicit LocalPlane(GeoPoint centre, SiteFrame frame = SiteFrame::earth);

    GeoPoint centre() const { return m_centre; }
    PlanePoint forward(GeoPoint point) const;
    // Also, unless northDegrees is null, the plane's angle, clockwise from
    // its y axis, of true north at the point, in degrees: the geodesic from
    // the centre crosses the point at azimuth azi and runs there at
    // atan2(x, y) in the plane, so a bearing b shows as b + atan2(x, y) - azi.
    PlanePoint forward(GeoPoint point, double *northDegrees) const;
    GeoPoint reverse(PlanePoint point) const;

private:
    GeoPoint m_centre;
    SiteFrame m_frame;
    GeographicLib::AzimuthalEquidistant m_projection;
};

// A plane's points taken back to the earth, each worked out once however
// often it is asked for: neighbouring regions share their edges' ends.
class ReversedPoints
{
public:
    explicit ReversedPoints(const LocalPlane &plane) : m_plane(plane) { }

    GeoPoint operator()(PlanePoint point);

private:
    struct Hash
    {
        std::size_t operator()(const std::pair<double, double> &point) const;
    };

    const LocalPlane &m_plane;
    std::unordered_map<std::pair<double, double>, GeoPoint, Hash> m_known;
};
