#pragma once

#include "mounting.h"

#include <QString>

#include <optional>
#include <variant>
#include <vector>

// site/: cameras placed on the earth and what they see of a site: a local
// plane about the site (GeographicLib's azimuthal equidistant projection),
// each camera's view and bands as exact polygons, the shadows of obstacles
// and the coverage of each level (GEOS). It links both libraries, which
// would slow the start of every other run, so it is a module that the
// program loads for the site commands; this header is what crosses.

// WGS84 degrees.
struct GeoPoint
{
    double lat;
    double lon;
};

// A ring as RFC 7946 has it: closed (the last point repeats the first),
// the exterior counter-clockwise and holes clockwise in lon/lat.
using GeoRing = std::vector<GeoPoint>;

struct GeoPolygon
{
    GeoRing exterior;
    std::vector<GeoRing> holes;
};

// A Polygon when it has one part, else a MultiPolygon; empty when nothing.
using GeoArea = std::vector<GeoPolygon>;

struct SiteFeature
{
    enum class Role { area, obstacle, privacy };
    Role role = Role::area;
    int number = 0; // from 1, in the file's order
    QString name; // may be empty
    std::optional<double> height; // of an obstacle; none blocks at every height
    GeoArea polygons;
    std::vector<std::vector<GeoPoint>> lines; // walls and fences without thickness
};

struct Site
{
    std::vector<SiteFeature> features;
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

// A polygon's outline with its area in square metres.
struct MeasuredArea
{
    GeoArea area;
    double squareMetres = 0.0;
};

struct CameraFootprint
{
    // The ground in view, with the shadows cut out.
    std::optional<double> viewNear;
    std::optional<double> viewFar;
    MeasuredArea view;
    // Per level, loosest first: where it is the strictest met on the
    // target's plane, its edges before the shadows and its area after.
    struct Band
    {
        double near;
        double far;
        MeasuredArea area;
    };
    std::vector<std::optional<Band>> bands;
    // RFC 7946 would have such polygons cut in two; they are refused.
    bool crossesAntimeridian = false;
};

// The site seen from above, in metres east (x) and north (y) of its
// centre, for a picture of it: what the coverage was worked out on.
struct PlanPoint
{
    double x;
    double y;
};
struct PlanPolygon
{
    std::vector<PlanPoint> exterior; // open: the first point is not repeated
    std::vector<std::vector<PlanPoint>> holes;
};

// One level's coverage of the site, or one privacy zone's exposure.
struct CoverageRow
{
    QString name; // of a privacy zone, if it has one
    double area = 0.0; // to cover, m^2
    double covered = 0.0;
    double redundant = 0.0; // met by two or more cameras
    int gaps = 0;
    double largestGap = 0.0;
    MeasuredArea uncovered;
    std::vector<PlanPolygon> uncoveredPlan; // the same, on the site's plan
};

struct CoverageReport
{
    std::vector<CoverageRow> levels; // loosest first
    std::vector<CoverageRow> privacy; // in the site's order
};

struct SitePlanDrawing
{
    struct Feature
    {
        QString name;
        std::optional<double> height;
        std::vector<PlanPolygon> polygons;
        std::vector<std::vector<PlanPoint>> lines;
    };
    std::vector<Feature> areas;
    std::vector<Feature> obstacles;
    std::vector<Feature> privacy;
    struct Camera
    {
        QString name;
        PlanPoint at;
        double bearingDegrees; // clockwise from the plan's north
        std::vector<std::vector<PlanPolygon>> bands; // per level, loosest first
    };
    std::vector<Camera> cameras;
    std::vector<SiteLevel> levels;
};

// The geometry behind the site commands. Cameras are placed, then measured
// alone (footprint) or together (coverage).
class SiteEngine
{
public:
    virtual ~SiteEngine() = default;

    // Why the site cannot be used: a polygon that crosses itself, a site
    // across the antimeridian. Obstacles are used for shadows; areas and
    // privacy zones for coverage.
    virtual std::optional<QString> setSite(const Site &site) = 0;
    // Where the site's centre is, for the distance to a camera.
    virtual std::optional<GeoPoint> siteCentre() const = 0;
    virtual double distance(GeoPoint from, GeoPoint to) const = 0;
    // The point x metres east and y north of the origin in its azimuthal
    // equidistant plane; nothing when that is not on the earth.
    virtual std::optional<GeoPoint> fromPlane(GeoPoint origin, double x, double y) const = 0;

    // These give why GEOS could not work the polygons out, rather than
    // throw across the module's edge.
    virtual std::variant<QString, CameraFootprint> footprint(const PlacedCamera &camera,
                                                             const std::vector<SiteLevel> &levels)
            = 0;
    // For coverage: each camera's bands join the site's levels.
    virtual std::optional<QString> addToCoverage(const PlacedCamera &camera,
                                                 const std::vector<SiteLevel> &levels)
            = 0;
    virtual std::variant<QString, CoverageReport> coverage(const std::vector<SiteLevel> &levels)
            = 0;
    // The site and the cameras added to its coverage, with their bands, to
    // be drawn, before coverage() takes the cameras' regions; cameras are
    // named by the caller.
    virtual std::variant<QString, SitePlanDrawing>
    drawing(const std::vector<SiteLevel> &levels) const = 0;
};
