#pragma once

#include "sitemodel.h"

#include <ogr_geometry.h>

#include <QString>

#include <memory>
#include <vector>

// OGR's geometries as the program holds them, for every reader of files.

// GeoJSON's names for the geometries it has, which messages use for every
// format; the rest keep their WKT names.
inline QString geometryTypeName(const OGRGeometry &geometry)
{
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPoint:
        return QStringLiteral("Point");
    case wkbMultiPoint:
        return QStringLiteral("MultiPoint");
    case wkbLineString:
        return QStringLiteral("LineString");
    case wkbMultiLineString:
        return QStringLiteral("MultiLineString");
    case wkbPolygon:
        return QStringLiteral("Polygon");
    case wkbMultiPolygon:
        return QStringLiteral("MultiPolygon");
    case wkbGeometryCollection:
        return QStringLiteral("GeometryCollection");
    default:
        return QString::fromLatin1(geometry.getGeometryName());
    }
}

// On the earth, longitude is x; in a plan, x is x.
template <typename Point>
Point pointOf(const OGRSimpleCurve &curve, int index);
template <>
inline GeoPoint pointOf<GeoPoint>(const OGRSimpleCurve &curve, int index)
{
    return {curve.getY(index), curve.getX(index)};
}
template <>
inline PlanePoint pointOf<PlanePoint>(const OGRSimpleCurve &curve, int index)
{
    return {curve.getX(index), curve.getY(index)};
}

template <typename Point>
std::vector<Point> pointsOf(const OGRSimpleCurve &curve)
{
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(curve.getNumPoints()));
    for (int index = 0; index < curve.getNumPoints(); ++index)
        points.push_back(pointOf<Point>(curve, index));
    return points;
}

// A plan's rings are open, as the rest of the program has them.
inline void open(std::vector<GeoPoint> & /*ring*/)
{
}
inline void open(std::vector<PlanePoint> &ring)
{
    if (ring.size() > 1 && ring.front().x == ring.back().x && ring.front().y == ring.back().y)
        ring.pop_back();
}

// Polygons and lines, whatever collections hold them; points hold neither.
template <typename Polygon, typename Line>
void flatten(const OGRGeometry &geometry, std::vector<Polygon> &polygons, std::vector<Line> &lines)
{
    using Point = typename Line::value_type;
    const OGRwkbGeometryType type = wkbFlatten(geometry.getGeometryType());
    if ((OGR_GT_IsCurve(type) || OGR_GT_IsSurface(type)) && geometry.hasCurveGeometry()) {
        const std::unique_ptr<OGRGeometry> linear(geometry.getLinearGeometry());
        flatten(*linear, polygons, lines);
        return;
    }
    if (type == wkbLineString || type == wkbLinearRing) {
        auto points = pointsOf<Point>(*geometry.toSimpleCurve());
        if (!points.empty())
            lines.push_back(std::move(points));
    } else if (type == wkbPolygon) {
        const OGRPolygon &polygon = *geometry.toPolygon();
        if (polygon.IsEmpty())
            return;
        Polygon made{pointsOf<Point>(*polygon.getExteriorRing()), {}};
        open(made.exterior);
        for (int hole = 0; hole < polygon.getNumInteriorRings(); ++hole) {
            made.holes.push_back(pointsOf<Point>(*polygon.getInteriorRing(hole)));
            open(made.holes.back());
        }
        polygons.push_back(std::move(made));
    } else if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
        for (const OGRGeometry *part : *geometry.toGeometryCollection())
            flatten(*part, polygons, lines);
    }
}
