#pragma once

#include "mounting.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// site/: cameras placed on the earth and what they see of a site: a local
// plane about the site (GeographicLib's azimuthal equidistant projection),
// each camera's view and bands as exact polygons, the shadows of obstacles
// and the coverage of each level (GEOS). It links both libraries, which
// would slow the start of every other run, so it is a module that the
// program loads for the site commands; this header is what crosses.
//
// The words used throughout:
// - plane: the local metric plane, metres east (x) and north (y) of a
//   centre, and its points (PlanePoint, PlanePolygon);
// - plan: a command's prepared options, what it knows before its first
//   camera (never a picture or a plane);
// - drawing: what is drawn of a site, in its plane (SiteDrawing);
// - span: a stretch of ground distances along a camera's bearing, from
//   near to far (Span); edges: a value at a span's near and far ends;
// - band: where a level is the strictest met, on the target's plane: a span
//   and the polygons of it left after the shadows.

// WGS84 degrees; in a site of SiteFrame::plan, metres instead (see there).
struct GeoPoint
{
    double lat;
    double lon;
};

// The least and greatest latitudes and longitudes of some points.
struct GeoBox
{
    double minLat, maxLat, minLon, maxLon;
};

// A ring as RFC 7946 has it: closed (the last point repeats the first),
// the exterior counter-clockwise and holes clockwise in lon/lat.
using GeoRing = std::vector<GeoPoint>;

// Longitudes and latitudes are written with this many decimals, a
// centimetre, as RFC 7946 advises; the polygons given out lie on that grid
// already, valid there, so that writing them changes nothing.
constexpr int degreeDecimals = 7;
// How far from its centre, in metres, a local plane holds the earth to the
// centimetre (it stretches across by 1e-5 there): cameras and views that
// reach farther are refused.
constexpr double localPlaneReach = 50000.0;
// The written grid's steps in a degree, 1e7, and its step. Its points are
// k / 1e7, not k * 1e-7: 1e7 is exact in a double and the division rounds
// once, so each is the double that a reader of the written decimals gets,
// and a polygon checked valid here is valid there. (1e-7 is not exact, and
// k * 1e-7 is a bit off in about a third of the points: enough for a vertex
// on another's edge to cross it in the reader's.)
constexpr double degreeSteps = [] {
    double steps = 1.0;
    for (int decimal = 0; decimal < degreeDecimals; ++decimal)
        steps *= 10.0;
    return steps;
}();
constexpr double degreeGrid = 1.0 / degreeSteps;

struct GeoPolygon
{
    GeoRing exterior;
    std::vector<GeoRing> holes;
};

// A Polygon when it has one part, else a MultiPolygon; empty when nothing.
using GeoArea = std::vector<GeoPolygon>;

struct SiteFeature
{
    // A background feature is only drawn, as the plan that it comes from
    // has it: it covers, hides and guards nothing.
    enum class Role { area, obstacle, privacy, background };
    Role role = Role::area;
    // Where it comes from, before its number in messages ("plan.dxf, layer
    // A-WALL, "): empty for the features of a lone GeoJSON file.
    QString source;
    int number = 0; // from 1, in its file's or layer's order
    QString name; // may be empty
    std::optional<double> height; // of an obstacle; none blocks at every height
    GeoArea polygons;
    std::vector<std::vector<GeoPoint>> lines; // walls and fences without thickness
    // An area drawn as its middle lines, as a street is mapped: it is the
    // ground within half of this of them (PlaneGeometry::widened).
    std::optional<double> width;
};

// "feature 3 (shed)"
inline QString featureName(const SiteFeature &feature)
{
    return feature.name.isEmpty()
            ? QStringLiteral("%1feature %2").arg(feature.source).arg(feature.number)
            : QStringLiteral("%1feature %2 (%3)")
                      .arg(feature.source)
                      .arg(feature.number)
                      .arg(feature.name);
}

// Where a site's points lie. A plan with no place on the earth (a CAD
// drawing without --origin) keeps one model with the earth's sites: its
// points are metres, x as lon and y as lat, about the plan's (0, 0) and
// turned so that y is north when north is known. Its geometry is then the
// plain plane's, with no projection, and nothing of it is written as
// longitude and latitude.
enum class SiteFrame { earth, plan };

struct Site
{
    std::vector<SiteFeature> features;
    SiteFrame frame = SiteFrame::earth;
    // Whether the plane's y is north, so that a drawing shows it: always
    // on the earth, and in a plan when --north says where north lies.
    bool northKnown = true;
};

// A level as a site is covered by it.
using SiteLevel = NamedLevel;

struct PlacedCamera
{
    GeoPoint at;
    double bearingDegrees; // clockwise from north, in [0, 360)
    MountedCamera camera;
    double targetHeight;
    std::optional<double> maxRange;
};

// A point of a plane: the site seen from above, in metres east (x) and
// north (y) of its centre.
struct PlanePoint
{
    double x;
    double y;
};
struct PlanePolygon
{
    std::vector<PlanePoint> exterior; // open: the first point is not repeated
    std::vector<std::vector<PlanePoint>> holes;
};

// A plan's loose lines joined into the polygons they close.
struct JoinedRings
{
    std::vector<PlanePolygon> polygons;
    // The lines, by index, of which no polygon's edge takes any part.
    std::vector<std::size_t> unused;
};

// A polygon's outline with its area in square metres.
struct MeasuredArea
{
    GeoArea area;
    double squareMetres = 0.0;
};

struct CameraFootprint
{
    // The ground in view, with the shadows cut out.
    std::optional<Span> viewSpan;
    MeasuredArea view;
    // Per level, loosest first: where it is the strictest met on the
    // target's plane, its span before the shadows and its area after.
    struct Band
    {
        Span span;
        MeasuredArea area;
    };
    std::vector<std::optional<Band>> bands;
    // RFC 7946 would have such polygons cut in two; they are refused.
    bool crossesAntimeridian = false;
};

// One level's coverage of the site, or one privacy zone's exposure.
struct CoverageRow
{
    QString name; // of a privacy zone, if it has one
    double area = 0.0; // to cover, m^2
    double covered = 0.0;
    double redundant = 0.0; // met by two or more cameras
    // The separate parts of the uncovered ground, largest first: each with
    // its exact area and its outline as written, which may be empty for a
    // part too thin to draw at the written grid.
    std::vector<MeasuredArea> gaps;
    std::vector<PlanePolygon> uncoveredInPlane; // all of it, in the site's plane
};

struct CoverageReport
{
    std::vector<CoverageRow> levels; // loosest first
    std::vector<CoverageRow> privacy; // in the site's order
};

struct SiteDrawing
{
    struct Feature
    {
        QString name;
        std::optional<double> height;
        std::vector<PlanePolygon> polygons;
        std::vector<std::vector<PlanePoint>> lines;
    };
    std::vector<Feature> areas;
    std::vector<Feature> obstacles;
    std::vector<Feature> privacy;
    std::vector<Feature> background; // drawn thin, as the plan has it
    struct Camera
    {
        QString name;
        PlanePoint at;
        double bearingDegrees; // clockwise from the plan's north
        std::vector<std::vector<PlanePolygon>> bands; // per level, loosest first
    };
    std::vector<Camera> cameras;
    std::vector<SiteLevel> levels;
    bool northKnown = true; // else bearings are from the plan's +y, and no arrow says north
};

// One camera's share of a coverage, worked out apart from the coverage so
// that cameras can be worked out on several threads at once: where it
// stands in the site's plane and where each level holds, as WKB, which
// keeps every coordinate to the bit.
struct CameraShare
{
    PlanePoint foot;
    double bearingDegrees; // in the site's plane, clockwise from its +y
    std::vector<std::string> held; // per level, loosest first
};

// A camera as the coverage takes it: placed, and named for the drawing;
// with its share when that was worked out already.
struct NamedCamera
{
    QString name;
    PlacedCamera placed;
    std::optional<CameraShare> share = {};
};

// What a coverage run ends with: the report, the drawing of the same
// cameras, or both, as asked; each takes GEOS work that the other does not.
struct CoverageWanted
{
    bool report;
    bool drawing;
    int jobs = 1; // levels worked out at once, on threads of their own
};
// Asked now and then during long work, from any thread: true gives the
// work up, as a signal asks. A plain function, so that it crosses the
// module's edge as it is.
using StopRequested = bool (*)();

struct SiteCoverage
{
    std::optional<CoverageReport> report;
    std::optional<SiteDrawing> drawing;
};

// A coverage of one site by cameras added one at a time, used up by its
// result: finish() && takes it, and a second finish() is refused with a
// message. Every error is why GEOS could not work the polygons out, with
// GEOS's own words; none is thrown across the module's edge.
class CoverageBuilder
{
public:
    virtual ~CoverageBuilder() = default;
    // The camera's bands join the site's levels; nothing after finish().
    virtual std::optional<QString> add(const NamedCamera &camera) = 0;
    // Once stop() says so, even in the middle of GEOS's work, it gives up
    // with a message and makes nothing.
    virtual std::variant<QString, SiteCoverage> finish(CoverageWanted wanted,
                                                       StopRequested stop) && = 0;
};

// What a site is placed for: cameras' footprints alone, or a coverage too,
// which needs the ground to cover (areas less every obstacle, a union that
// takes seconds for a town) and every obstacle in the site's plane.
enum class SiteUse { footprints, coverage };

// A site placed once on its plane and kept unchanged: its features by
// value, its obstacles in a spatial index. Built by the module's
// placeSite(); whatever is asked of it, in any order, leaves it as it was.
class SiteGeometry
{
public:
    virtual ~SiteGeometry() = default;

    // Where the site's centre is, for the distance to a camera; nothing for
    // a site without features.
    virtual std::optional<GeoPoint> centre() const = 0;
    virtual SiteFrame frame() const = 0;
    virtual double distance(GeoPoint from, GeoPoint to) const = 0;
    // The point x metres east and y north of the origin in its azimuthal
    // equidistant plane, or in a plan plainly; nothing when that is not on
    // the earth.
    virtual std::optional<GeoPoint> fromPlane(GeoPoint origin, double x, double y) const = 0;
    // The other way: a point's metres east (x) and north (y) of the origin.
    virtual PlanePoint toPlane(GeoPoint origin, GeoPoint point) const = 0;

    // One camera alone, in a plane of its own, with the site's obstacles.
    // Threads may ask at once: each works in a GEOS context of its own.
    virtual std::variant<QString, CameraFootprint>
    footprint(const PlacedCamera &camera, const std::vector<SiteLevel> &levels) const = 0;
    // A camera's share of a coverage of this site, worked out on the calling
    // thread, which may be one of several at once; nothing when the
    // coverage works it out itself: a site without features lies in its
    // first camera's plane, and a site placed for footprints has no
    // coverage.
    virtual std::variant<QString, std::optional<CameraShare>>
    coverageShare(const PlacedCamera &camera, const std::vector<SiteLevel> &levels) const = 0;
    // A coverage of this site by these levels. It keeps the site alive.
    // Only of a site placed for a coverage: else nothing.
    virtual std::unique_ptr<CoverageBuilder>
    startCoverage(const std::vector<SiteLevel> &levels) const = 0;
};
