#include "geosgeometry.h"

#include <stdexcept>

GeosContext::GeosContext() : m_handle(GEOS_init_r())
{
}

GeosContext::~GeosContext()
{
    GEOS_finish_r(m_handle);
}

Geometry PlaneGeometry::own(GEOSGeometry *geometry) const
{
    return Geometry(geometry, GeometryDeleter{m_handle});
}

Geometry PlaneGeometry::checked(GEOSGeometry *geometry, const char *operation) const
{
    if (!geometry)
        throw std::runtime_error(std::string("GEOS could not ") + operation);
    return own(geometry);
}

Geometry PlaneGeometry::empty() const
{
    return checked(GEOSGeom_createEmptyPolygon_r(m_handle), "make an empty polygon");
}

GEOSCoordSequence *PlaneGeometry::sequence(const PlaneRing &ring, bool closed) const
{
    const auto size = static_cast<unsigned>(ring.size() + (closed ? 1 : 0));
    GEOSCoordSequence *points = GEOSCoordSeq_create_r(m_handle, size, 2);
    for (unsigned index = 0; index < size; ++index) {
        const PlanePoint &at = ring[index % ring.size()];
        GEOSCoordSeq_setXY_r(m_handle, points, index, at.x, at.y);
    }
    return points;
}

Geometry PlaneGeometry::polygon(const PlaneRing &exterior,
                                const std::vector<PlaneRing> &holes) const
{
    GEOSGeometry *shell = GEOSGeom_createLinearRing_r(m_handle, sequence(exterior, true));
    std::vector<GEOSGeometry *> inner;
    for (const PlaneRing &hole : holes)
        inner.push_back(GEOSGeom_createLinearRing_r(m_handle, sequence(hole, true)));
    return checked(GEOSGeom_createPolygon_r(m_handle, shell, inner.data(),
                                            static_cast<unsigned>(inner.size())),
                   "make a polygon");
}

Geometry PlaneGeometry::point(PlanePoint at) const
{
    return checked(GEOSGeom_createPointFromXY_r(m_handle, at.x, at.y), "make a point");
}

Geometry PlaneGeometry::lines(const std::vector<PlaneRing> &lines) const
{
    std::vector<Geometry> parts;
    for (const PlaneRing &line : lines)
        parts.push_back(checked(GEOSGeom_createLineString_r(m_handle, sequence(line, false)),
                                "make a line"));
    return collection(std::move(parts));
}

Geometry PlaneGeometry::convexHull(const PlaneRing &points) const
{
    std::vector<Geometry> parts;
    for (const PlanePoint &at : points)
        parts.push_back(point(at));
    const Geometry all = collection(std::move(parts));
    return checked(GEOSConvexHull_r(m_handle, all.get()), "find a convex hull");
}

Geometry PlaneGeometry::collection(std::vector<Geometry> parts) const
{
    std::vector<GEOSGeometry *> raw;
    for (Geometry &part : parts)
        raw.push_back(part.release());
    return checked(GEOSGeom_createCollection_r(m_handle, GEOS_GEOMETRYCOLLECTION, raw.data(),
                                               static_cast<unsigned>(raw.size())),
                   "make a collection");
}

Geometry PlaneGeometry::unite(std::vector<Geometry> parts) const
{
    if (parts.empty())
        return empty();
    const Geometry all = collection(std::move(parts));
    return checked(GEOSUnaryUnion_r(m_handle, all.get()), "unite");
}

Geometry PlaneGeometry::unite(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    return checked(GEOSUnion_r(m_handle, &a, &b), "unite");
}

Geometry PlaneGeometry::intersect(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    return checked(GEOSIntersection_r(m_handle, &a, &b), "intersect");
}

Geometry PlaneGeometry::subtract(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    return checked(GEOSDifference_r(m_handle, &a, &b), "subtract");
}

Geometry PlaneGeometry::onGrid(const GEOSGeometry &geometry, double size) const
{
    return checked(GEOSGeom_setPrecision_r(m_handle, &geometry, size, 0), "snap to a grid");
}

double PlaneGeometry::area(const GEOSGeometry &geometry) const
{
    double value = 0.0;
    GEOSArea_r(m_handle, &geometry, &value);
    return value;
}

double PlaneGeometry::distance(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    double value = 0.0;
    GEOSDistance_r(m_handle, &a, &b, &value);
    return value;
}

bool PlaneGeometry::isEmpty(const GEOSGeometry &geometry) const
{
    return GEOSisEmpty_r(m_handle, &geometry) == 1;
}

std::optional<std::string> PlaneGeometry::invalidity(const GEOSGeometry &geometry) const
{
    if (GEOSisValid_r(m_handle, &geometry) == 1)
        return std::nullopt;
    char *reason = GEOSisValidReason_r(m_handle, &geometry);
    std::string text = reason ? reason : "invalid";
    GEOSFree_r(m_handle, reason);
    return text;
}

PlaneRing PlaneGeometry::ring(const GEOSGeometry &ring) const
{
    const GEOSCoordSequence *points = GEOSGeom_getCoordSeq_r(m_handle, &ring);
    unsigned size = 0;
    GEOSCoordSeq_getSize_r(m_handle, points, &size);
    PlaneRing open;
    for (unsigned index = 0; index + 1 < size; ++index) {
        PlanePoint at{0.0, 0.0};
        GEOSCoordSeq_getXY_r(m_handle, points, index, &at.x, &at.y);
        open.push_back(at);
    }
    return open;
}

std::vector<PlaneGeometry::Polygon> PlaneGeometry::polygons(const GEOSGeometry &geometry) const
{
    std::vector<Polygon> found;
    const int type = GEOSGeomTypeId_r(m_handle, &geometry);
    if (type == GEOS_POLYGON) {
        if (GEOSisEmpty_r(m_handle, &geometry) == 1)
            return found;
        Polygon polygon{ring(*GEOSGetExteriorRing_r(m_handle, &geometry)), {}};
        const int holes = GEOSGetNumInteriorRings_r(m_handle, &geometry);
        for (int hole = 0; hole < holes; ++hole)
            polygon.holes.push_back(ring(*GEOSGetInteriorRingN_r(m_handle, &geometry, hole)));
        found.push_back(std::move(polygon));
    } else if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
        const int parts = GEOSGetNumGeometries_r(m_handle, &geometry);
        for (int part = 0; part < parts; ++part) {
            auto more = polygons(*GEOSGetGeometryN_r(m_handle, &geometry, part));
            found.insert(found.end(), std::make_move_iterator(more.begin()),
                         std::make_move_iterator(more.end()));
        }
    }
    return found;
}

std::optional<PlaneGeometry::Bounds> PlaneGeometry::bounds(const GEOSGeometry &geometry) const
{
    if (isEmpty(geometry))
        return std::nullopt;
    Bounds box{0, 0, 0, 0};
    GEOSGeom_getXMin_r(m_handle, &geometry, &box.minX);
    GEOSGeom_getYMin_r(m_handle, &geometry, &box.minY);
    GEOSGeom_getXMax_r(m_handle, &geometry, &box.maxX);
    GEOSGeom_getYMax_r(m_handle, &geometry, &box.maxY);
    return box;
}
