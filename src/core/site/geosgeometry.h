#pragma once

#include "sitemodel.h"

#include <geos_c.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// GEOS through its reentrant C API, which reports a failure by returning
// NULL or 0 and tells why only to the context's message handler. Each
// context keeps GEOS's last message, and every call here that GEOS refuses
// throws a GeosFailure carrying it; the module catches it at its edge.

class GeosFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One context, with its message handler installed. It must outlive every
// geometry made in it: whoever holds both declares the context first.
class GeosContext
{
public:
    GeosContext();
    ~GeosContext();
    GeosContext(const GeosContext &) = delete;
    GeosContext &operator=(const GeosContext &) = delete;

    GEOSContextHandle_t handle() const { return m_handle; }
    // "GEOS could not unite: TopologyException: ...", with GEOS's message,
    // which it takes: a later failure without one does not repeat it.
    [[noreturn]] void fail(const char *operation) const;

private:
    static void hear(const char *message, void *context);

    GEOSContextHandle_t m_handle;
    mutable std::string m_lastMessage;
};

// While it lives, GEOS asks stop() in its long operations and gives them
// up, failing as for any other reason. GEOS keeps one such hook for the
// whole process, so one lives at a time.
class GeosStopHook
{
public:
    explicit GeosStopHook(StopRequested stop);
    ~GeosStopHook();
    GeosStopHook(const GeosStopHook &) = delete;
    GeosStopHook &operator=(const GeosStopHook &) = delete;

    // Throws a GeosFailure once stop() says so, for work between GEOS's calls.
    void check() const;

private:
    GEOSInterruptCallback *m_previous;
};

struct GeometryDeleter
{
    GEOSContextHandle_t handle;
    void operator()(GEOSGeometry *geometry) const { GEOSGeom_destroy_r(handle, geometry); }
};
using Geometry = std::unique_ptr<GEOSGeometry, GeometryDeleter>;

using PlaneRing = std::vector<PlanePoint>; // open: the first point is not repeated

// Plane geometry as the site needs it. Every result is a new geometry; what
// GEOS refuses (which valid input does not cause), and a ring without
// points, throws a GeosFailure.
class PlaneGeometry
{
public:
    explicit PlaneGeometry(const GeosContext &context) : m_context(context) { }

    Geometry own(GEOSGeometry *geometry) const;
    Geometry empty() const;
    // A polygon from its exterior and holes, whatever their orientation.
    Geometry polygon(const PlaneRing &exterior, const std::vector<PlaneRing> &holes = {}) const;
    Geometry polygon(const PlanePolygon &polygon) const
    {
        return this->polygon(polygon.exterior, polygon.holes);
    }
    Geometry point(PlanePoint at) const;
    // Lines of two points or more, as one MultiLineString.
    Geometry lines(const std::vector<PlaneRing> &lines) const;
    // The lines split wherever they cross or touch, so that each piece
    // meets others only at its ends.
    Geometry noded(const GEOSGeometry &lines) const;
    // Every face that the noded lines close, as a polygon.
    Geometry polygonized(const GEOSGeometry &noded) const;
    Geometry boundary(const GEOSGeometry &geometry) const;
    // Lines widened by half on each side: ends cut square, bends mitred
    // (bevelled where the mitre would reach past twice the half), so that
    // the outline has only the lines' corners and no arcs.
    Geometry widened(const GEOSGeometry &lines, double half) const;
    double length(const GEOSGeometry &geometry) const;
    Geometry box(double minX, double minY, double maxX, double maxY) const;
    // The smallest convex polygon that holds all the points.
    Geometry convexHull(const PlaneRing &points) const;
    // Takes the geometries.
    Geometry collection(std::vector<Geometry> parts) const;
    Geometry multiPolygon(std::vector<Geometry> polygons) const;
    // The polygons of an overlay's result, without the lines and points
    // where its inputs only touched, which an intersection keeps: a
    // collection of mixed dimensions sends every later overlay with it
    // down GEOS's old and far slower path.
    Geometry polygonal(Geometry geometry) const;
    Geometry unite(std::vector<Geometry> parts) const;
    Geometry unite(const GEOSGeometry &a, const GEOSGeometry &b) const;
    Geometry intersect(const GEOSGeometry &a, const GEOSGeometry &b) const;
    Geometry subtract(const GEOSGeometry &a, const GEOSGeometry &b) const;
    // What of `from` none of the parts covers. Parts whose boxes meet no
    // other's go in one overlay together, as one valid MultiPolygon.
    Geometry subtractAll(const GEOSGeometry &from, const std::vector<Geometry> &parts) const;
    // What of the polygons lies from near to far along a unit direction
    // from the origin, or nothing when GEOS's clipping gives no valid
    // polygons there (an overlay then must).
    std::optional<Geometry> slab(const GEOSGeometry &polygons, PlanePoint origin, PlanePoint along,
                                 double near, double far) const;
    // The polygons of a geometry on a grid of that size, valid there, what
    // collapses dropped.
    Geometry onGrid(const GEOSGeometry &geometry, double size) const;
    // The same ground as a geometry that is not valid, made valid.
    Geometry mended(const GEOSGeometry &geometry) const;
    // A point inside the geometry.
    Geometry pointOnSurface(const GEOSGeometry &geometry) const;
    // As WKB, and back: every coordinate kept to the bit, so that a
    // geometry made on one thread's context is the same on another's.
    std::string wkb(const GEOSGeometry &geometry) const;
    Geometry fromWkb(const std::string &wkb) const;

    // Whether b lies in a's interior, off its boundary.
    bool contains(const GEOSGeometry &a, const GEOSGeometry &b) const;
    double area(const GEOSGeometry &geometry) const;
    double distance(const GEOSGeometry &a, const GEOSGeometry &b) const;
    bool isEmpty(const GEOSGeometry &geometry) const;
    // Why it is not a valid geometry, if it is not: GEOS's reason, and the
    // point where it found the fault.
    struct Invalidity
    {
        std::string reason;
        PlanePoint at;
    };
    std::optional<Invalidity> invalidity(const GEOSGeometry &geometry) const;
    // Its polygons, each as an exterior and holes.
    std::vector<PlanePolygon> polygons(const GEOSGeometry &geometry) const;
    struct Bounds
    {
        double minX, minY, maxX, maxY;
    };
    // The box about a geometry that is not empty.
    Bounds bounds(const GEOSGeometry &geometry) const;

    const GeosContext &context() const { return m_context; }

private:
    // The ring's points and its first again.
    // Each polygon of the geometry, however deep in its collections.
    void eachPolygon(const GEOSGeometry &geometry,
                     const std::function<void(const GEOSGeometry &)> &take) const;
    GEOSCoordSequence *closedSequence(const PlaneRing &ring) const;
    GEOSGeometry *linearRing(const PlaneRing &ring) const;
    PlaneRing ring(const GEOSGeometry &ring) const;
    Geometry collected(std::vector<Geometry> parts, int type) const;
    Geometry checked(GEOSGeometry *geometry, const char *operation) const;
    // GEOS's 0 for failure, and 2 for an exception in its predicates.
    void checked(int status, const char *operation) const;

    const GeosContext &m_context;
};

// A box's corners, counter-clockwise from its least x and y.
inline PlaneRing cornersOf(const PlaneGeometry::Bounds &box)
{
    return {{box.minX, box.minY}, {box.maxX, box.minY}, {box.maxX, box.maxY}, {box.minX, box.maxY}};
}

// The calling thread's own context: GEOS's contexts, and the geometries
// made in them, are each for one thread at a time.
const PlaneGeometry &threadGeometry();

// A geometry prepared for many tests against it (GEOS indexes its edges
// once); it must outlive none of what it was made from.
class PreparedGeometry
{
public:
    PreparedGeometry(const PlaneGeometry &geometry, const GEOSGeometry &prepared);
    ~PreparedGeometry();
    PreparedGeometry(const PreparedGeometry &) = delete;
    PreparedGeometry &operator=(const PreparedGeometry &) = delete;

    bool intersects(const GEOSGeometry &other) const;

private:
    const PlaneGeometry &m_geometry;
    const GEOSPreparedGeometry *m_prepared;
};

// An R-tree of boxes in some plane (GEOS's STRtree), each standing for the
// index of what it bounds; a query gives the indices in ascending order.
// Threads may query it at once: one at a time works in its context.
class BoxIndex
{
public:
    BoxIndex(const PlaneGeometry &geometry, const std::vector<PlaneGeometry::Bounds> &boxes);
    ~BoxIndex();
    BoxIndex(const BoxIndex &) = delete;
    BoxIndex &operator=(const BoxIndex &) = delete;

    std::vector<std::size_t> overlapping(const PlaneGeometry::Bounds &box) const;

private:
    const PlaneGeometry &m_geometry;
    std::vector<std::size_t> m_items; // what each entry's pointer points at
    GEOSSTRtree *m_tree;
    mutable std::mutex m_lock;
};
