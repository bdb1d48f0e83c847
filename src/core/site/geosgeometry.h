#pragma once

#include "localplane.h"

#include <geos_c.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// GEOS through its reentrant C API: one context per engine, and geometries
// owned by a unique_ptr whose deleter knows that context.
class GeosContext
{
public:
    GeosContext();
    ~GeosContext();
    GeosContext(const GeosContext &) = delete;
    GeosContext &operator=(const GeosContext &) = delete;

    GEOSContextHandle_t handle() const { return m_handle; }

private:
    GEOSContextHandle_t m_handle;
};

struct GeometryDeleter
{
    GEOSContextHandle_t handle;
    void operator()(GEOSGeometry *geometry) const { GEOSGeom_destroy_r(handle, geometry); }
};
using Geometry = std::unique_ptr<GEOSGeometry, GeometryDeleter>;

using PlaneRing = std::vector<PlanePoint>; // open: the first point is not repeated

// Plane geometry as the site needs it. Every result is a new geometry;
// operations that GEOS refuses (which valid input does not cause) throw.
class PlaneGeometry
{
public:
    explicit PlaneGeometry(const GeosContext &context) : m_handle(context.handle()) { }

    Geometry own(GEOSGeometry *geometry) const;
    Geometry empty() const;
    // A polygon from its exterior and holes, whatever their orientation.
    Geometry polygon(const PlaneRing &exterior, const std::vector<PlaneRing> &holes = {}) const;
    Geometry point(PlanePoint at) const;
    Geometry lines(const std::vector<PlaneRing> &lines) const;
    // The smallest convex polygon that holds all the points.
    Geometry convexHull(const PlaneRing &points) const;
    // Takes the geometries.
    Geometry collection(std::vector<Geometry> parts) const;
    Geometry unite(std::vector<Geometry> parts) const;
    Geometry unite(const GEOSGeometry &a, const GEOSGeometry &b) const;
    Geometry intersect(const GEOSGeometry &a, const GEOSGeometry &b) const;
    Geometry subtract(const GEOSGeometry &a, const GEOSGeometry &b) const;
    // The polygons of a geometry on a grid of that size, slivers dropped.
    Geometry onGrid(const GEOSGeometry &geometry, double size) const;

    double area(const GEOSGeometry &geometry) const;
    double distance(const GEOSGeometry &a, const GEOSGeometry &b) const;
    bool isEmpty(const GEOSGeometry &geometry) const;
    // Why it is not a valid geometry, if it is not.
    std::optional<std::string> invalidity(const GEOSGeometry &geometry) const;
    // Its polygons, each as an exterior and holes.
    using Polygon = PlanPolygon;
    std::vector<Polygon> polygons(const GEOSGeometry &geometry) const;
    struct Bounds
    {
        double minX, minY, maxX, maxY;
    };
    std::optional<Bounds> bounds(const GEOSGeometry &geometry) const;

private:
    GEOSCoordSequence *sequence(const PlaneRing &ring, bool closed) const;
    PlaneRing ring(const GEOSGeometry &ring) const;
    Geometry checked(GEOSGeometry *geometry, const char *operation) const;

    GEOSContextHandle_t m_handle;
};
