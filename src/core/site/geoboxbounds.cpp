#include "geoboxbounds.h"

#include "angles.h"

#include <GeographicLib/Constants.hpp>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double farthestMetres = 10000.0;
constexpr double steepestLatitude = 80.0;

} // namespace

std::optional<PlaneGeometry::Bounds> planeBoundsOf(GeoPoint centre, SiteFrame frame,
                                                   const GeoBox &box)
{
    // A plan's plane only moves its points to the centre, and rounding
    // keeps their order.
    if (frame == SiteFrame::plan)
        return PlaneGeometry::Bounds{box.minLon - centre.lon, box.minLat - centre.lat,
                                     box.maxLon - centre.lon, box.maxLat - centre.lat};
    // Written so that a NaN anywhere fails them.
    if (!(std::fabs(centre.lat) <= steepestLatitude && std::fabs(box.minLat) <= steepestLatitude
          && std::fabs(box.maxLat) <= steepestLatitude && box.maxLon - box.minLon < 180.0))
        return std::nullopt;
    const double flattening = GeographicLib::Constants::WGS84_f();
    const double eccentricity2 = flattening * (2.0 - flattening);
    const double sine = std::sin(centre.lat * pi / 180.0);
    const double w = 1.0 - eccentricity2 * sine * sine;
    const double perDegree = GeographicLib::Constants::WGS84_a() * pi / 180.0;
    const double acrossPerDegree = perDegree / std::sqrt(w);
    const double alongPerDegree = perDegree * (1.0 - eccentricity2) / (w * std::sqrt(w));

    // East of the centre by the shorter way round.
    const double west = std::remainder(box.minLon - centre.lon, 360.0);
    const double east = west + (box.maxLon - box.minLon);
    const double nearestLatitude = box.minLat <= 0.0 && box.maxLat >= 0.0
            ? 0.0
            : std::min(std::fabs(box.minLat), std::fabs(box.maxLat));
    const double farthestLatitude = std::max(std::fabs(box.minLat), std::fabs(box.maxLat));
    const double widest = std::cos(nearestLatitude * pi / 180.0);
    const double narrowest = std::cos(farthestLatitude * pi / 180.0);
    const std::array<double, 4> products{west * widest, west * narrowest, east * widest,
                                         east * narrowest};
    const auto [least, most] = std::minmax_element(products.begin(), products.end());
    const PlaneGeometry::Bounds rough{
            *least * acrossPerDegree, (box.minLat - centre.lat) * alongPerDegree,
            *most * acrossPerDegree, (box.maxLat - centre.lat) * alongPerDegree};
    const double reach = std::hypot(std::max(std::fabs(rough.minX), std::fabs(rough.maxX)),
                                    std::max(std::fabs(rough.minY), std::fabs(rough.maxY)));
    if (!(reach <= farthestMetres))
        return std::nullopt;
    const double margin = 1.0 + reach / 50.0;
    return PlaneGeometry::Bounds{rough.minX - margin, rough.minY - margin, rough.maxX + margin,
                                 rough.maxY + margin};
}
