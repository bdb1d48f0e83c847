#include "geosgeometry.h"

#include <algorithm>
#include <atomic>
#include <functional>

namespace {

std::atomic<StopRequested> stopRequested{nullptr};

void askToStop()
{
    const StopRequested stop = stopRequested.load();
    if (stop && stop())
        GEOS_interruptRequest();
}

} // namespace

GeosStopHook::GeosStopHook(StopRequested stop)
{
    stopRequested.store(stop);
    m_previous = GEOS_interruptRegisterCallback(&askToStop);
}

GeosStopHook::~GeosStopHook()
{
    GEOS_interruptRegisterCallback(m_previous);
    stopRequested.store(nullptr);
    GEOS_interruptCancel();
}

void GeosStopHook::check() const
{
    const StopRequested stop = stopRequested.load();
    if (stop && stop())
        throw GeosFailure("stopped");
}

GeosContext::GeosContext() : m_handle(GEOS_init_r())
{
    GEOSContext_setErrorMessageHandler_r(m_handle, &GeosContext::hear, this);
}

GeosContext::~GeosContext()
{
    GEOS_finish_r(m_handle);
}

void GeosContext::hear(const char *message, void *context)
{
    static_cast<GeosContext *>(context)->m_lastMessage = message ? message : "";
}

void GeosContext::fail(const char *operation) const
{
    std::string reason = std::string("GEOS could not ") + operation;
    if (!m_lastMessage.empty())
        reason += ": " + m_lastMessage;
    m_lastMessage.clear();
    throw GeosFailure(reason);
}

Geometry PlaneGeometry::own(GEOSGeometry *geometry) const
{
    return Geometry(geometry, GeometryDeleter{m_context.handle()});
}

Geometry PlaneGeometry::checked(GEOSGeometry *geometry, const char *operation) const
{
    if (!geometry)
        m_context.fail(operation);
    return own(geometry);
}

void PlaneGeometry::checked(int status, const char *operation) const
{
    if (status == 0 || status == 2)
        m_context.fail(operation);
}

Geometry PlaneGeometry::empty() const
{
    return checked(GEOSGeom_createEmptyPolygon_r(m_context.handle()), "make an empty polygon");
}

GEOSCoordSequence *PlaneGeometry::closedSequence(const PlaneRing &ring) const
{
    // A ring of no points has no first point to close it with.
    if (ring.empty())
        throw GeosFailure("a ring or line without points");
    const GEOSContextHandle_t handle = m_context.handle();
    const auto size = static_cast<unsigned>(ring.size() + 1);
    GEOSCoordSequence *points = GEOSCoordSeq_create_r(handle, size, 2);
    if (!points)
        m_context.fail("make a sequence of points");
    for (unsigned index = 0; index < size; ++index) {
        const PlanePoint &at = ring[index < ring.size() ? index : 0];
        if (GEOSCoordSeq_setXY_r(handle, points, index, at.x, at.y) == 0) {
            GEOSCoordSeq_destroy_r(handle, points);
            m_context.fail("set a point of a sequence");
        }
    }
    return points;
}

GEOSGeometry *PlaneGeometry::linearRing(const PlaneRing &ring) const
{
    GEOSGeometry *made = GEOSGeom_createLinearRing_r(m_context.handle(), closedSequence(ring));
    if (!made)
        m_context.fail("make a ring");
    return made;
}

Geometry PlaneGeometry::polygon(const PlaneRing &exterior,
                                const std::vector<PlaneRing> &holes) const
{
    Geometry shell = own(linearRing(exterior));
    std::vector<Geometry> inner;
    for (const PlaneRing &hole : holes)
        inner.push_back(own(linearRing(hole)));
    std::vector<GEOSGeometry *> raw;
    for (Geometry &hole : inner)
        raw.push_back(hole.get());
    GEOSGeometry *made = GEOSGeom_createPolygon_r(m_context.handle(), shell.get(), raw.data(),
                                                  static_cast<unsigned>(raw.size()));
    if (!made)
        m_context.fail("make a polygon");
    // The polygon owns its rings now.
    shell.release();
    for (Geometry &hole : inner)
        hole.release();
    return own(made);
}

Geometry PlaneGeometry::point(PlanePoint at) const
{
    return checked(GEOSGeom_createPointFromXY_r(m_context.handle(), at.x, at.y), "make a point");
}

Geometry PlaneGeometry::lines(const std::vector<PlaneRing> &lines) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    std::vector<Geometry> parts;
    for (const PlaneRing &line : lines) {
        if (line.size() < 2)
            throw GeosFailure("a line of fewer than two points");
        GEOSCoordSequence *points
                = GEOSCoordSeq_create_r(handle, static_cast<unsigned>(line.size()), 2);
        if (!points)
            m_context.fail("make a sequence of points");
        for (unsigned index = 0; index < line.size(); ++index) {
            if (GEOSCoordSeq_setXY_r(handle, points, index, line[index].x, line[index].y) == 0) {
                GEOSCoordSeq_destroy_r(handle, points);
                m_context.fail("set a point of a sequence");
            }
        }
        parts.push_back(checked(GEOSGeom_createLineString_r(handle, points), "make a line"));
    }
    return collected(std::move(parts), GEOS_MULTILINESTRING);
}

Geometry PlaneGeometry::noded(const GEOSGeometry &lines) const
{
    return checked(GEOSNode_r(m_context.handle(), &lines), "node lines");
}

Geometry PlaneGeometry::polygonized(const GEOSGeometry &noded) const
{
    const GEOSGeometry *const all[] = {&noded};
    return checked(GEOSPolygonize_r(m_context.handle(), all, 1), "join lines into polygons");
}

Geometry PlaneGeometry::boundary(const GEOSGeometry &geometry) const
{
    return checked(GEOSBoundary_r(m_context.handle(), &geometry), "find a boundary");
}

Geometry PlaneGeometry::widened(const GEOSGeometry &lines, double half) const
{
    return checked(GEOSBufferWithStyle_r(m_context.handle(), &lines, half, 1, GEOSBUF_CAP_FLAT,
                                         GEOSBUF_JOIN_MITRE, 2.0),
                   "widen lines");
}

double PlaneGeometry::length(const GEOSGeometry &geometry) const
{
    double metres = 0.0;
    checked(GEOSLength_r(m_context.handle(), &geometry, &metres), "measure a length");
    return metres;
}

Geometry PlaneGeometry::box(double minX, double minY, double maxX, double maxY) const
{
    return checked(GEOSGeom_createRectangle_r(m_context.handle(), minX, minY, maxX, maxY),
                   "make a box");
}

Geometry PlaneGeometry::convexHull(const PlaneRing &points) const
{
    std::vector<Geometry> parts;
    for (const PlanePoint &at : points)
        parts.push_back(point(at));
    const Geometry all = collection(std::move(parts));
    return checked(GEOSConvexHull_r(m_context.handle(), all.get()), "find a convex hull");
}

Geometry PlaneGeometry::collection(std::vector<Geometry> parts) const
{
    return collected(std::move(parts), GEOS_GEOMETRYCOLLECTION);
}

Geometry PlaneGeometry::multiPolygon(std::vector<Geometry> polygons) const
{
    return collected(std::move(polygons), GEOS_MULTIPOLYGON);
}

Geometry PlaneGeometry::collected(std::vector<Geometry> parts, int type) const
{
    std::vector<GEOSGeometry *> raw;
    for (Geometry &part : parts)
        raw.push_back(part.get());
    GEOSGeometry *made = GEOSGeom_createCollection_r(m_context.handle(), type, raw.data(),
                                                     static_cast<unsigned>(raw.size()));
    if (!made)
        m_context.fail("make a collection");
    for (Geometry &part : parts)
        part.release();
    return own(made);
}

Geometry PlaneGeometry::polygonal(Geometry geometry) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    const int type = GEOSGeomTypeId_r(handle, geometry.get());
    if (type == GEOS_POLYGON || type == GEOS_MULTIPOLYGON)
        return geometry;
    std::vector<Geometry> polygons;
    eachPolygon(*geometry, [&](const GEOSGeometry &each) {
        polygons.push_back(checked(GEOSGeom_clone_r(handle, &each), "copy a polygon"));
    });
    return multiPolygon(std::move(polygons));
}

Geometry PlaneGeometry::unite(std::vector<Geometry> parts) const
{
    if (parts.empty())
        return empty();
    const Geometry all = collection(std::move(parts));
    return checked(GEOSUnaryUnion_r(m_context.handle(), all.get()), "unite");
}

Geometry PlaneGeometry::unite(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    return checked(GEOSUnion_r(m_context.handle(), &a, &b), "unite");
}

Geometry PlaneGeometry::intersect(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    return checked(GEOSIntersection_r(m_context.handle(), &a, &b), "intersect");
}

Geometry PlaneGeometry::subtract(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    return checked(GEOSDifference_r(m_context.handle(), &a, &b), "subtract");
}

Geometry PlaneGeometry::subtractAll(const GEOSGeometry &from,
                                    const std::vector<Geometry> &parts) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    // Each part in the first group whose boxes all keep off its own.
    struct Group
    {
        std::vector<Bounds> boxes;
        std::vector<const GEOSGeometry *> parts;
    };
    std::vector<Group> groups;
    for (const Geometry &part : parts) {
        if (isEmpty(*part))
            continue;
        const Bounds box = bounds(*part);
        const auto apart = [&](const Bounds &other) {
            return box.maxX < other.minX || other.maxX < box.minX || box.maxY < other.minY
                    || other.maxY < box.minY;
        };
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group &each) {
            return std::all_of(each.boxes.begin(), each.boxes.end(), apart);
        });
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{});
        group->boxes.push_back(box);
        group->parts.push_back(part.get());
    }
    Geometry left = checked(GEOSGeom_clone_r(handle, &from), "copy a geometry");
    for (const Group &group : groups) {
        if (group.parts.size() == 1) {
            left = subtract(*left, *group.parts.front());
            continue;
        }
        std::vector<Geometry> polygons;
        for (const GEOSGeometry *part : group.parts)
            eachPolygon(*part, [&](const GEOSGeometry &each) {
                polygons.push_back(checked(GEOSGeom_clone_r(handle, &each), "copy a polygon"));
            });
        left = subtract(*left, *multiPolygon(std::move(polygons)));
    }
    return left;
}

PlaneGeometry::Bounds PlaneGeometry::bounds(const GEOSGeometry &geometry) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    Bounds box{0.0, 0.0, 0.0, 0.0};
    checked(GEOSGeom_getXMin_r(handle, &geometry, &box.minX), "read a box");
    checked(GEOSGeom_getYMin_r(handle, &geometry, &box.minY), "read a box");
    checked(GEOSGeom_getXMax_r(handle, &geometry, &box.maxX), "read a box");
    checked(GEOSGeom_getYMax_r(handle, &geometry, &box.maxY), "read a box");
    return box;
}

std::optional<Geometry> PlaneGeometry::slab(const GEOSGeometry &polygons, PlanePoint origin,
                                            PlanePoint along, double near, double far) const
{
    // Turned so that the direction is the y axis, where GEOS clips to a
    // box: a point's (across, along) is (d x ay - d y ax, d x ax + d y ay).
    struct Turn
    {
        PlanePoint origin;
        PlanePoint along;
    } turn{origin, along};
    const auto into = [](double *x, double *y, void *data) {
        const Turn &t = *static_cast<const Turn *>(data);
        const double dx = *x - t.origin.x;
        const double dy = *y - t.origin.y;
        *x = dx * t.along.y - dy * t.along.x;
        *y = dx * t.along.x + dy * t.along.y;
        return 1;
    };
    const auto back = [](double *x, double *y, void *data) {
        const Turn &t = *static_cast<const Turn *>(data);
        const double across = *x;
        const double ahead = *y;
        *x = t.origin.x + across * t.along.y + ahead * t.along.x;
        *y = t.origin.y - across * t.along.x + ahead * t.along.y;
        return 1;
    };
    const GEOSContextHandle_t handle = m_context.handle();
    const Geometry turned = checked(GEOSGeom_transformXY_r(handle, &polygons, into, &turn), "turn");
    if (isEmpty(*turned))
        return empty();
    const Bounds box = bounds(*turned);
    const Geometry clipped = polygonal(checked(
            GEOSClipByRect_r(handle, turned.get(), box.minX - 1.0, near, box.maxX + 1.0, far),
            "clip to a box"));
    Geometry result = checked(GEOSGeom_transformXY_r(handle, clipped.get(), back, &turn), "turn");
    if (invalidity(*result))
        return std::nullopt;
    return result;
}

Geometry PlaneGeometry::onGrid(const GEOSGeometry &geometry, double size) const
{
    return checked(GEOSGeom_setPrecision_r(m_context.handle(), &geometry, size, 0),
                   "snap to a grid");
}

Geometry PlaneGeometry::mended(const GEOSGeometry &geometry) const
{
    return checked(GEOSMakeValid_r(m_context.handle(), &geometry), "mend a geometry");
}

Geometry PlaneGeometry::pointOnSurface(const GEOSGeometry &geometry) const
{
    return checked(GEOSPointOnSurface_r(m_context.handle(), &geometry), "find a point inside");
}

bool PlaneGeometry::contains(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    const char contained = GEOSContains_r(m_context.handle(), &a, &b);
    if (contained == 2)
        m_context.fail("tell whether one geometry holds another");
    return contained == 1;
}

double PlaneGeometry::area(const GEOSGeometry &geometry) const
{
    double value = 0.0;
    checked(GEOSArea_r(m_context.handle(), &geometry, &value), "measure an area");
    return value;
}

double PlaneGeometry::distance(const GEOSGeometry &a, const GEOSGeometry &b) const
{
    double value = 0.0;
    checked(GEOSDistance_r(m_context.handle(), &a, &b, &value), "measure a distance");
    return value;
}

bool PlaneGeometry::isEmpty(const GEOSGeometry &geometry) const
{
    const char empty = GEOSisEmpty_r(m_context.handle(), &geometry);
    if (empty == 2)
        m_context.fail("tell whether a geometry is empty");
    return empty == 1;
}

std::optional<PlaneGeometry::Invalidity>
PlaneGeometry::invalidity(const GEOSGeometry &geometry) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    char *reason = nullptr;
    GEOSGeometry *location = nullptr;
    const char valid = GEOSisValidDetail_r(handle, &geometry, 0, &reason, &location);
    if (valid == 2)
        m_context.fail("check a polygon");
    if (valid == 1)
        return std::nullopt;
    Invalidity found{reason ? reason : "invalid", {0.0, 0.0}};
    GEOSFree_r(handle, reason);
    if (location) {
        const Geometry owned = own(location);
        checked(GEOSGeomGetX_r(handle, location, &found.at.x), "read where a fault is");
        checked(GEOSGeomGetY_r(handle, location, &found.at.y), "read where a fault is");
    }
    return found;
}

PlaneRing PlaneGeometry::ring(const GEOSGeometry &ring) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    const GEOSCoordSequence *points = GEOSGeom_getCoordSeq_r(handle, &ring);
    if (!points)
        m_context.fail("read a ring");
    unsigned size = 0;
    checked(GEOSCoordSeq_getSize_r(handle, points, &size), "read a ring's size");
    PlaneRing open;
    for (unsigned index = 0; index + 1 < size; ++index) {
        PlanePoint at{0.0, 0.0};
        checked(GEOSCoordSeq_getXY_r(handle, points, index, &at.x, &at.y), "read a point");
        open.push_back(at);
    }
    return open;
}

void PlaneGeometry::eachPolygon(const GEOSGeometry &geometry,
                                const std::function<void(const GEOSGeometry &)> &take) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    const int type = GEOSGeomTypeId_r(handle, &geometry);
    if (type == -1)
        m_context.fail("read a geometry's type");
    if (type == GEOS_POLYGON) {
        take(geometry);
    } else if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
        const int parts = GEOSGetNumGeometries_r(handle, &geometry);
        if (parts < 0)
            m_context.fail("count the parts");
        for (int part = 0; part < parts; ++part) {
            const GEOSGeometry *each = GEOSGetGeometryN_r(handle, &geometry, part);
            if (!each)
                m_context.fail("read a part");
            eachPolygon(*each, take);
        }
    }
}

std::vector<PlanePolygon> PlaneGeometry::polygons(const GEOSGeometry &geometry) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    std::vector<PlanePolygon> found;
    eachPolygon(geometry, [&](const GEOSGeometry &each) {
        if (isEmpty(each))
            return;
        const GEOSGeometry *exterior = GEOSGetExteriorRing_r(handle, &each);
        if (!exterior)
            m_context.fail("read an exterior ring");
        PlanePolygon polygon{ring(*exterior), {}};
        const int holes = GEOSGetNumInteriorRings_r(handle, &each);
        if (holes < 0)
            m_context.fail("count the holes");
        for (int hole = 0; hole < holes; ++hole) {
            const GEOSGeometry *inner = GEOSGetInteriorRingN_r(handle, &each, hole);
            if (!inner)
                m_context.fail("read a hole");
            polygon.holes.push_back(ring(*inner));
        }
        found.push_back(std::move(polygon));
    });
    return found;
}

PreparedGeometry::PreparedGeometry(const PlaneGeometry &geometry, const GEOSGeometry &prepared)
    : m_geometry(geometry), m_prepared(GEOSPrepare_r(geometry.context().handle(), &prepared))
{
    if (!m_prepared)
        geometry.context().fail("prepare a geometry");
}

PreparedGeometry::~PreparedGeometry()
{
    GEOSPreparedGeom_destroy_r(m_geometry.context().handle(), m_prepared);
}

bool PreparedGeometry::intersects(const GEOSGeometry &other) const
{
    const char answer = GEOSPreparedIntersects_r(m_geometry.context().handle(), m_prepared, &other);
    if (answer == 2)
        m_geometry.context().fail("test an intersection");
    return answer == 1;
}

std::string PlaneGeometry::wkb(const GEOSGeometry &geometry) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    GEOSWKBWriter *writer = GEOSWKBWriter_create_r(handle);
    if (!writer)
        m_context.fail("make a WKB writer");
    std::size_t size = 0;
    unsigned char *bytes = GEOSWKBWriter_write_r(handle, writer, &geometry, &size);
    GEOSWKBWriter_destroy_r(handle, writer);
    if (!bytes)
        m_context.fail("write WKB");
    std::string written(reinterpret_cast<const char *>(bytes), size);
    GEOSFree_r(handle, bytes);
    return written;
}

Geometry PlaneGeometry::fromWkb(const std::string &wkb) const
{
    const GEOSContextHandle_t handle = m_context.handle();
    GEOSWKBReader *reader = GEOSWKBReader_create_r(handle);
    if (!reader)
        m_context.fail("make a WKB reader");
    GEOSGeometry *read = GEOSWKBReader_read_r(
            handle, reader, reinterpret_cast<const unsigned char *>(wkb.data()), wkb.size());
    GEOSWKBReader_destroy_r(handle, reader);
    return checked(read, "read WKB");
}

const PlaneGeometry &threadGeometry()
{
    // Destroyed in the reverse order, the context last.
    thread_local const GeosContext context;
    thread_local const PlaneGeometry geometry(context);
    return geometry;
}

BoxIndex::BoxIndex(const PlaneGeometry &geometry, const std::vector<PlaneGeometry::Bounds> &boxes)
    : m_geometry(geometry), m_items(boxes.size())
{
    const GEOSContextHandle_t handle = geometry.context().handle();
    // Ten to a node, as GEOS's own examples have it.
    m_tree = GEOSSTRtree_create_r(handle, 10);
    if (!m_tree)
        geometry.context().fail("make a spatial index");
    for (std::size_t index = 0; index < boxes.size(); ++index) {
        m_items[index] = index;
        const PlaneGeometry::Bounds &box = boxes[index];
        // The tree keeps the box's envelope, not the geometry.
        const Geometry envelope = geometry.box(box.minX, box.minY, box.maxX, box.maxY);
        GEOSSTRtree_insert_r(handle, m_tree, envelope.get(), &m_items[index]);
    }
}

BoxIndex::~BoxIndex()
{
    GEOSSTRtree_destroy_r(m_geometry.context().handle(), m_tree);
}

std::vector<std::size_t> BoxIndex::overlapping(const PlaneGeometry::Bounds &box) const
{
    std::vector<std::size_t> found;
    const std::lock_guard<std::mutex> locked(m_lock);
    const Geometry query = m_geometry.box(box.minX, box.minY, box.maxX, box.maxY);
    GEOSSTRtree_query_r(
            m_geometry.context().handle(), m_tree, query.get(),
            [](void *item, void *found) {
                static_cast<std::vector<std::size_t> *>(found)->push_back(
                        *static_cast<std::size_t *>(item));
            },
            &found);
    std::sort(found.begin(), found.end());
    return found;
}
