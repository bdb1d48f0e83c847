#include "localplane.h"

#include "angles.h"

#include <GeographicLib/Geodesic.hpp>

#include <cmath>

LocalPlane::LocalPlane(GeoPoint centre, SiteFrame frame)
    : m_centre(centre), m_frame(frame), m_projection(GeographicLib::Geodesic::WGS84())
{
}

PlanePoint LocalPlane::forward(GeoPoint point) const
{
    return forward(point, nullptr);
}

PlanePoint LocalPlane::forward(GeoPoint point, double *northDegrees) const
{
    if (m_frame == SiteFrame::plan) {
        if (northDegrees)
            *northDegrees = 0.0;
        return {point.lon - m_centre.lon, point.lat - m_centre.lat};
    }
    PlanePoint planar{0.0, 0.0};
    double azimuth = 0.0;
    double scale = 0.0;
    m_projection.Forward(m_centre.lat, m_centre.lon, point.lat, point.lon, planar.x, planar.y,
                         azimuth, scale);
    // At the centre every azimuth leaves it, and the plane's y axis is north.
    if (northDegrees)
        *northDegrees = planar.x == 0.0 && planar.y == 0.0
                ? 0.0
                : std::atan2(planar.x, planar.y) * 180.0 / pi - azimuth;
    return planar;
}

GeoPoint LocalPlane::reverse(PlanePoint point) const
{
    if (m_frame == SiteFrame::plan)
        return {m_centre.lat + point.y, m_centre.lon + point.x};
    GeoPoint geographic{0.0, 0.0};
    double azimuth = 0.0;
    double scale = 0.0;
    m_projection.Reverse(m_centre.lat, m_centre.lon, point.x, point.y, geographic.lat,
                         geographic.lon, azimuth, scale);
    return geographic;
}

std::size_t ReversedPoints::Hash::operator()(const std::pair<double, double> &point) const
{
    const std::size_t x = std::hash<double>()(point.first);
    return x ^ (std::hash<double>()(point.second) + 0x9e3779b97f4a7c15 + (x << 6) + (x >> 2));
}

GeoPoint ReversedPoints::operator()(PlanePoint point)
{
    const auto [at, added] = m_known.try_emplace({point.x, point.y}, GeoPoint{0.0, 0.0});
    if (added)
        at->second = m_plane.reverse(point);
    return at->second;
}
