#include "circlering.h"
#include "geoboxbounds.h"
#include "geosgeometry.h"
#include "horizon.h"
#include "shadows.h"
#include "sightpolygon.h"
#include "siteengine.h"
#include "viewcone.h"
#include "viewspans.h"
#include "visibility.h"

#include <GeographicLib/AzimuthalEquidistant.hpp>
#include <GeographicLib/Geodesic.hpp>

#include <QTest>

#include <algorithm>
#include <cmath>

// The site geometry against cases worked out on paper. A camera 4 m up,
// tilted 30 degrees, with 90 degrees across and 1000x1000 pixels (so 90
// degrees up and down too) sees the ground from 4 / tan 75 = 1.0718 m to
// where the loosest level ends, (500 / 12.5 - 4 sin 30) / cos 30 = 43.8786 m;
// the ground between D1 and D2 has the area
//   A(D1, D2) = cos 30 (D2^2 - D1^2) + 2 d sin 30 (D2 - D1)
// for the plane d below the lens (its width at D is 2 (D cos 30 + d sin 30)).
// A(1.0718, 43.8786, 4) = 1837.62 m^2. Obstacles are placed in metres east
// and north of the camera along geodesics, apart from the code under test.
// (Worked in a short Python model of these formulas.)

using Geo = GeoPoint;
Q_DECLARE_METATYPE(Site)
Q_DECLARE_METATYPE(GeoPoint)
Q_DECLARE_METATYPE(PlaneRing)
Q_DECLARE_METATYPE(std::vector<PlaneRing>)
Q_DECLARE_METATYPE(PlanePoint)
Q_DECLARE_METATYPE(PlaneGeometry::Bounds)
Q_DECLARE_METATYPE(Span)
Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(std::vector<std::optional<Span>>)

class SiteGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void circleWithinAMillimetre_data();
    void circleWithinAMillimetre();
    void obstacles_data();
    void obstacles();
    void bandsBehindAWall();
    void aMaximumRange();
    void aBandTheGridCollapses();
    void workedExampleS1();
    void twinCamerasAreRedundant();
    void positionsFromThePlane_data();
    void positionsFromThePlane();
    void cornersOnTheGeodesics();
    void validAfterRounding();
    void shadowFootOnTheOutline_data();
    void shadowFootOnTheOutline();
    void sightLines_data();
    void sightLines();
    void overlaps_data();
    void overlaps();
    void coverageInAnyOrder();
    void insideAnObstacle_data();
    void insideAnObstacle();
    void geosReasons_data();
    void geosReasons();
    void viewSpansWorked_data();
    void viewSpansWorked();
    void viewCone_data();
    void viewCone();
    void horizon_data();
    void horizon();
    void asEveryShadowUnited_data();
    void asEveryShadowUnited();
    void boxesBehindTheHorizon_data();
    void boxesBehindTheHorizon();
    void polygonalParts_data();
    void polygonalParts();
    void slabs_data();
    void slabs();
    void subtractedAtOnce_data();
    void subtractedAtOnce();
    void boxesBoundedUnprojected_data();
    void boxesBoundedUnprojected();
    void boxesNotBounded_data();
    void boxesNotBounded();
    void sightPastOutlines_data();
    void sightPastOutlines();
    void sightRefused();
    void writtenAsRead_data();
    void writtenAsRead();
};

namespace {

const Geo santiago{-33.45, -70.66}; // south and west, so that no sign hides

// The point x metres east and y north of `from`, along the geodesic.
Geo offset(Geo from, double x, double y)
{
    Geo to{0.0, 0.0};
    GeographicLib::Geodesic::WGS84().Direct(from.lat, from.lon,
                                            std::atan2(x, y) * 180.0 / 3.141592653589793,
                                            std::hypot(x, y), to.lat, to.lon);
    return to;
}

// A geometry from its WKT, made in the given context.
Geometry fromWkt(const PlaneGeometry &geometry, const QString &text)
{
    const GEOSContextHandle_t handle = geometry.context().handle();
    GEOSWKTReader *reader = GEOSWKTReader_create_r(handle);
    Geometry read = geometry.own(GEOSWKTReader_read_r(handle, reader, qPrintable(text)));
    GEOSWKTReader_destroy_r(handle, reader);
    return read;
}

GeoRing ring(Geo from, const std::vector<std::pair<double, double>> &corners)
{
    GeoRing points;
    for (const auto &[x, y] : corners)
        points.push_back(offset(from, x, y));
    points.push_back(points.front());
    return points;
}

// The site placed, or the test stops with why not.
std::shared_ptr<const SiteGeometry> placed(const Site &site = {})
{
    auto made = placeSite(site, SiteUse::coverage);
    if (const auto *problem = std::get_if<QString>(&made))
        qFatal("the site was not placed: %s", qPrintable(*problem));
    return std::get<std::shared_ptr<const SiteGeometry>>(std::move(made));
}

PlacedCamera testCamera(Geo at)
{
    return {at, 0.0, {viewFromFov(1000, 1000, 90, std::nullopt), 4.0, 30.0}, 1.6, std::nullopt};
}

std::vector<SiteLevel> standard()
{
    return {{QStringLiteral("monitor"), 12.5}, {QStringLiteral("detect"), 25},
            {QStringLiteral("observe"), 62.5}, {QStringLiteral("recognize"), 125},
            {QStringLiteral("identify"), 250}, {QStringLiteral("inspect"), 1000}};
}

// Twice the signed area of a ring in lon/lat: positive when it turns
// counter-clockwise.
double turning(const GeoRing &points)
{
    double twice = 0.0;
    for (std::size_t index = 0; index + 1 < points.size(); ++index)
        twice += points[index].lon * points[index + 1].lat
                - points[index + 1].lon * points[index].lat;
    return twice;
}

bool closed(const GeoRing &points)
{
    return points.size() >= 4 && points.front().lat == points.back().lat
            && points.front().lon == points.back().lon;
}

SiteFeature obstacle(std::optional<double> height, GeoArea polygons,
                     std::vector<std::vector<Geo>> lines = {})
{
    SiteFeature feature;
    feature.role = SiteFeature::Role::obstacle;
    feature.number = 1;
    feature.height = height;
    feature.polygons = std::move(polygons);
    feature.lines = std::move(lines);
    return feature;
}

} // namespace

void SiteGeometryTest::obstacles_data()
{
    QTest::addColumn<Site>("site");
    QTest::addColumn<double>("viewArea");
    QTest::addColumn<int>("holes");

    const Geo c = santiago;
    QTest::addRow("open ground") << Site{} << 1837.6200 << 0;
    // Seen from 4 m, a 2 m fence at 10 m hides the ground out to 20 m, all
    // across the view (the fence is 100 m long): 1837.62 - A(10, 20, 4).
    QTest::addRow("a 2 m fence line at 10 m")
            << Site{{obstacle(2.0, {}, {{offset(c, -50, 10), offset(c, 50, 10)}})}} << 1537.8124
            << 0;
    // A 4x4 m building without a height at 10 m hides the wedge |x| <= y / 5
    // behind its front: 0.2 (43.8786^2 - 10^2) = 365.07 m^2.
    QTest::addRow("a building of every height") << Site{{obstacle(
            std::nullopt, {{ring(c, {{-2, 10}, {2, 10}, {2, 14}, {-2, 14}}), {}}})}}
                                                << 1472.5534 << 0;
    // An L of the same front hides the same wedge: every ray in it meets
    // the front first.
    QTest::addRow("an L-shaped building of every height") << Site{{obstacle(
            std::nullopt,
            {{ring(c, {{-2, 10}, {2, 10}, {2, 11}, {-1, 11}, {-1, 14}, {-2, 14}}), {}}})}}
                                                          << 1472.5534 << 0;
    // Half a metre above a 3.5 m roof 10 m square: a sight line leaves the
    // roof's edge 3.5 m up at 4 / (4 - 3.5) = 8 times its distance, so the
    // roof hides the ground within 40 m (the view is 36.6 m across there):
    // what is seen is A(40, 43.8786, 4) = 297.2614 m^2.
    QTest::addRow("a camera above a roof")
            << Site{{obstacle(3.5, {{ring(c, {{-5, -5}, {5, -5}, {5, 5}, {-5, 5}}), {}}})}}
            << 297.2614 << 0;
    // A yard's 3 m wall around a camera 0.3 m inside its south-east
    // corner: the east and south walls are the ones it hangs on, and the
    // north wall, 20 m ahead and running 100 m west, hides the ground
    // behind it west of the ray x = 0.3 y / 20 to 4 / (4 - 3) = 4 times
    // 20 m, past the view. Seen: A(1.0718, 20, 4) + the integral from 20 to
    // 43.8786 of (0.8660 y + 2 - 0.015 y) dy = 1117.9341 m^2, drawn as one
    // closed line, four lines or four features alike.
    const std::vector<Geo> yard{offset(c, -100, -0.3), offset(c, 0.3, -0.3), offset(c, 0.3, 20),
                                offset(c, -100, 20), offset(c, -100, -0.3)};
    QTest::addRow("a yard's wall as one closed line")
            << Site{{obstacle(3.0, {}, {yard})}} << 1117.9341 << 0;
    std::vector<std::vector<Geo>> sides;
    for (std::size_t corner = 0; corner + 1 < yard.size(); ++corner)
        sides.push_back({yard[corner], yard[corner + 1]});
    QTest::addRow("a yard's wall as four lines")
            << Site{{obstacle(3.0, {}, sides)}} << 1117.9341 << 0;
    Site fourFeatures;
    for (const auto &side : sides)
        fourFeatures.features.push_back(obstacle(3.0, {}, {side}));
    QTest::addRow("a yard's wall as four features") << fourFeatures << 1117.9341 << 0;
    // An L of 8 m: the camera hangs 0.3 m north of its southern arm (x from
    // -20 to 6, y from -10 to -0.3), whose northern arm runs north from
    // x = 2 to 6 as far as y = 30. The wall it hangs on is excused; the arm
    // 2 m east is not, and, higher than the lens, hides all of the view
    // east of x = max(2, y / 15) (the ray past the arm's far corner). The
    // view's east edge is x = y cos 30 + 4 sin 30 (90 degrees across, 30
    // down, 4 m up), from 4 (2 - sqrt 3) = 1.0718 m out to F = 43.8786 m.
    // Hidden: the integral to 30 of y cos 30 dy = 389.2140, and from 30 to
    // F of ((cos 30 - 1/15) y + 2) dy = 437.5618; seen 1837.62 less both,
    // one polygon or two features alike.
    const GeoRing ell = ring(c, {{-20, -10}, {6, -10}, {6, 30}, {2, 30}, {2, -0.3}, {-20, -0.3}});
    QTest::addRow("an L it hangs on, as one polygon")
            << Site{{obstacle(8.0, {{ell, {}}})}} << 1010.8442 << 0;
    QTest::addRow("an L it hangs on, as two features")
            << Site{{obstacle(8.0, {{ring(c, {{-20, -10}, {6, -10}, {6, -0.3}, {-20, -0.3}}), {}}}),
                     obstacle(8.0, {{ring(c, {{2, -0.3}, {6, -0.3}, {6, 30}, {2, 30}}), {}}})}}
            << 1010.8442 << 0;
    // A camera 0.2 m from a shop's wall, facing into it: the wall it hangs
    // on lets it look in, but the shop is solid to its far wall 60 m on,
    // past the view, and the view is 80 m across there at most: it sees
    // nothing.
    QTest::addRow("facing the shop it hangs on") << Site{{obstacle(
            std::nullopt, {{ring(c, {{-50, 0.2}, {50, 0.2}, {50, 60}, {-50, 60}}), {}}})}}
                                                 << 0.0 << 0;
    // A 2 m post 1 m square at 10 m: its shadow runs to the post scaled by 2
    // about the camera, the hull of the two squares, 15 + 4 = 19 m^2, a hole
    // inside the view.
    QTest::addRow("a post casts a hole") << Site{{obstacle(
            2.0, {{ring(c, {{-0.5, 10}, {0.5, 10}, {0.5, 11}, {-0.5, 11}}), {}}})}}
                                         << 1818.6200 << 1;
    // Lower than the lens everywhere but still high enough to matter only on
    // the ground: a 1 m kerb behind the far edge hides nothing in view.
    QTest::addRow("a kerb beyond the view")
            << Site{{obstacle(1.0, {}, {{offset(c, -50, 60), offset(c, 50, 60)}})}} << 1837.6200
            << 0;
}

void SiteGeometryTest::obstacles()
{
    QFETCH(Site, site);
    QFETCH(double, viewArea);
    QFETCH(int, holes);
    const auto engine = placed(site);
    const CameraFootprint footprint
            = std::get<CameraFootprint>(engine->footprint(testCamera(santiago), standard()));
    QVERIFY(footprint.viewSpan);
    QCOMPARE(std::round(footprint.viewSpan->near * 1e4) / 1e4, 1.0718);
    QCOMPARE(std::round(footprint.viewSpan->far * 1e4) / 1e4, 43.8786);
    QVERIFY2(std::fabs(footprint.view.squareMetres - viewArea) < 5e-4,
             qPrintable(QString::number(footprint.view.squareMetres, 'f', 6)));
    int holesFound = 0;
    for (const GeoPolygon &polygon : footprint.view.area) {
        QVERIFY(closed(polygon.exterior));
        QVERIFY(turning(polygon.exterior) > 0.0);
        for (const GeoRing &hole : polygon.holes) {
            QVERIFY(closed(hole));
            QVERIFY(turning(hole) < 0.0);
            ++holesFound;
        }
    }
    QCOMPARE(holesFound, holes);
}

// On the target's plane, 2.4 m below the lens, the 2 m fence hides only
// from 10 m to 10 * 2.4 / 2 = 12 m, within detect's band, whose edges are
// where the density falls to 62.5 and 25 px/m: D = (500 / p - 2.4 sin 30) /
// cos 30, 7.8520 and 21.7084 m. A(7.8520, 21.7084, 2.4) = 387.98 m^2, less
// A(10, 12, 2.4) = 42.91 m^2; the other bands are whole.
void SiteGeometryTest::bandsBehindAWall()
{
    const Geo c = santiago;
    const auto engine
            = placed(Site{{obstacle(2.0, {}, {{offset(c, -50, 10), offset(c, 50, 10)}})}});
    const CameraFootprint footprint
            = std::get<CameraFootprint>(engine->footprint(testCamera(c), standard()));
    struct Expected
    {
        double near, far, area;
    };
    const std::vector<std::optional<Expected>> expected{
            Expected{21.7084, 44.8024, 1385.6406}, Expected{7.8520, 21.7084, 345.0743},
            Expected{3.2332, 7.8520, 55.4256},     Expected{0.9238, 3.2332, 13.8564},
            Expected{0.6431, 0.9238, 1.0545},      std::nullopt};
    QCOMPARE(footprint.bands.size(), expected.size());
    for (std::size_t level = 0; level < expected.size(); ++level) {
        const auto &band = footprint.bands[level];
        QCOMPARE(band.has_value(), expected[level].has_value());
        if (!band)
            continue;
        QCOMPARE(std::round(band->span.near * 1e4) / 1e4, expected[level]->near);
        QCOMPARE(std::round(band->span.far * 1e4) / 1e4, expected[level]->far);
        QVERIFY2(std::fabs(band->area.squareMetres - expected[level]->area) < 5e-4,
                 qPrintable(QString::number(band->area.squareMetres, 'f', 6)));
    }
}

// With --max-range 20 both planes end at 20 m along the bearing: the
// ground is A(1.0718, 20, 4) = 421.13 m^2, and on the target's plane detect
// (which holds to 21.71 m) is the loosest band, to 20 m; monitor has none.
void SiteGeometryTest::aMaximumRange()
{
    const auto engine = placed();
    PlacedCamera camera = testCamera(santiago);
    camera.maxRange = 20.0;
    const auto footprint = std::get<CameraFootprint>(engine->footprint(camera, standard()));
    QCOMPARE(footprint.viewSpan->far, 20.0);
    QVERIFY(std::fabs(footprint.view.squareMetres - 421.1281) < 5e-4);
    QVERIFY(!footprint.bands[0]);
    QVERIFY(footprint.bands[1]);
    QCOMPARE(std::round(footprint.bands[1]->span.near * 1e4) / 1e4, 7.8520);
    QCOMPARE(footprint.bands[1]->span.far, 20.0);
}

// Detect at 25 px/m and a level at 25.0001 px/m leave detect a band whose
// depth is four millionths of its distance, under a millimetre within
// 250 m: far less than the written grid's centimetre, so it is no band,
// and no feature of a map.
void SiteGeometryTest::aBandTheGridCollapses()
{
    const auto engine = placed();
    std::vector<SiteLevel> levels = standard();
    levels.insert(levels.begin() + 2, {QStringLiteral("nearly detect"), 25.0001});
    const auto footprint
            = std::get<CameraFootprint>(engine->footprint(testCamera(santiago), levels));
    QVERIFY(footprint.bands[0]);
    QVERIFY(!footprint.bands[1]);
    QVERIFY(footprint.bands[2]);
    QVERIFY(!footprint.bands[2]->area.area.empty());
}

namespace {

// The site of the worked example S1, 100 m east by 60 m north, and its gate
// camera at the middle of its west side, looking east.
Site siteS1()
{
    SiteFeature area;
    area.number = 1;
    area.polygons.push_back({{{52.5197304, 13.405},
                              {52.5197304, 13.4064732},
                              {52.5202696, 13.4064732},
                              {52.5202696, 13.405},
                              {52.5197304, 13.405}},
                             {}});
    return Site{{area}};
}

PlacedCamera gateS1()
{
    return {{52.52, 13.405},
            90.0,
            {viewFromFov(1920, 1080, 60, std::nullopt), 4.0, 20.0},
            1.6,
            std::nullopt};
}

double twoDecimals(double value)
{
    return std::round(value * 100.0) / 100.0;
}

} // namespace

// The worked example S1, computed independently of this code.
void SiteGeometryTest::workedExampleS1()
{
    const auto engine = placed(siteS1());
    const CameraFootprint footprint
            = std::get<CameraFootprint>(engine->footprint(gateS1(), standard()));
    QCOMPARE(twoDecimals(footprint.viewSpan->near), 5.12);
    QCOMPARE(twoDecimals(footprint.viewSpan->far), 114.07);
    QCOMPARE(twoDecimals(footprint.view.squareMetres), 7217.43);
    const double bands[6][3] = {{0, 0, 0},
                                {27.44, 68.44, 2171.86},
                                {13.28, 27.44, 326.15},
                                {6.20, 13.28, 81.54},
                                {3.07, 6.20, 18.73},
                                {0, 0, 0}};
    for (std::size_t level = 0; level < 6; ++level) {
        const auto &band = footprint.bands[level];
        QCOMPARE(band.has_value(), bands[level][2] > 0.0);
        if (!band)
            continue;
        QCOMPARE(twoDecimals(band->span.near), bands[level][0]);
        QCOMPARE(twoDecimals(band->span.far), bands[level][1]);
        QCOMPARE(twoDecimals(band->area.squareMetres), bands[level][2]);
    }

    const auto coverage = engine->startCoverage(standard());
    QVERIFY(!coverage->add({QStringLiteral("gate"), gateS1()}));
    const CoverageReport report
            = std::get<SiteCoverage>(std::move(*coverage).finish({true, true}, nullptr))
                      .report.value();
    // covered_pct, gaps, largest_gap_m2
    const double rows[6][3] = {{41.53, 2, 1893.46}, {41.53, 2, 1893.46}, {7.11, 1, 5573.65},
                               {1.67, 1, 5899.80},  {0.31, 1, 5981.33},  {0.00, 1, 6000.06}};
    QCOMPARE(report.levels.size(), std::size_t(6));
    for (std::size_t level = 0; level < 6; ++level) {
        const CoverageRow &row = report.levels[level];
        QCOMPARE(twoDecimals(row.area), 6000.06);
        QCOMPARE(twoDecimals(100.0 * row.covered / row.area), rows[level][0]);
        QCOMPARE(row.redundant, 0.0);
        QCOMPARE(int(row.gaps.size()), int(rows[level][1]));
        QCOMPARE(twoDecimals(row.gaps.front().squareMetres), rows[level][2]);
    }
}

// Two cameras in one place see everything twice; a privacy zone in view is
// seen by both.
void SiteGeometryTest::twinCamerasAreRedundant()
{
    Site site = siteS1();
    SiteFeature privacy;
    privacy.role = SiteFeature::Role::privacy;
    privacy.number = 2;
    privacy.name = QStringLiteral("garden");
    // 10 m square around the camera's axis from 20 to 30 m east, in the
    // detect band, which reaches 68.44 m: all of it is seen.
    privacy.polygons.push_back({ring({52.52, 13.405}, {{20, -5}, {30, -5}, {30, 5}, {20, 5}}), {}});
    site.features.push_back(privacy);
    const auto engine = placed(site);
    const auto coverage = engine->startCoverage(standard());
    QVERIFY(!coverage->add({QStringLiteral("one"), gateS1()}));
    QVERIFY(!coverage->add({QStringLiteral("two"), gateS1()}));
    const CoverageReport report
            = std::get<SiteCoverage>(std::move(*coverage).finish({true, true}, nullptr))
                      .report.value();
    for (const CoverageRow &row : report.levels)
        QCOMPARE(twoDecimals(row.redundant), twoDecimals(row.covered));
    QCOMPARE(report.privacy.size(), std::size_t(1));
    QCOMPARE(report.privacy[0].name, QStringLiteral("garden"));
    QCOMPARE(twoDecimals(report.privacy[0].area), 100.0);
    QCOMPARE(twoDecimals(report.privacy[0].covered), 100.0);
    QCOMPARE(twoDecimals(report.privacy[0].redundant), 100.0);
}

void SiteGeometryTest::positionsFromThePlane_data()
{
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addRow("far north") << 78.22 << 15.65 << 300.0 << -400.0;
    QTest::addRow("south and west") << -33.45 << -70.66 << -1200.0 << 50.0;
    QTest::addRow("the origin itself") << 52.52 << 13.405 << 0.0 << 0.0;
}

// x and y are the azimuthal equidistant plane's: hypot(x, y) metres along
// the geodesic leaving the origin at atan2(x, y).
void SiteGeometryTest::positionsFromThePlane()
{
    QFETCH(double, lat);
    QFETCH(double, lon);
    QFETCH(double, x);
    QFETCH(double, y);
    const auto engine = placed();
    const auto placed = engine->fromPlane({lat, lon}, x, y);
    QVERIFY(placed);
    const Geo expected = offset({lat, lon}, x, y);
    double apart = 0.0;
    GeographicLib::Geodesic::WGS84().Inverse(placed->lat, placed->lon, expected.lat, expected.lon,
                                             apart);
    QVERIFY(apart < 0.01);
}

// The view's far corners of S1 lie where the geodesics put them: at
// ground distance far along the bearing and half the width across, which
// in the camera's plane is hypot(far, w) metres at bearing -/+ atan(w / far).
// w = (114.07 cos 20 + 4 sin 20) tan 30 = 62.67 m. The corners are given on
// the written grid of 1e-7 degrees, 1.11 cm of latitude by 0.68 cm of
// longitude at 52.5 degrees, so within half its diagonal, 0.65 cm.
void SiteGeometryTest::cornersOnTheGeodesics()
{
    const auto engine = placed();
    const PlacedCamera camera = gateS1();
    const CameraFootprint footprint
            = std::get<CameraFootprint>(engine->footprint(camera, standard()));
    const double far = footprint.viewSpan->far;
    const double pi = 3.141592653589793;
    const double halfWidth = (far * std::cos(20 * pi / 180) + 4 * std::sin(20 * pi / 180))
            * std::tan(30 * pi / 180);
    int found = 0;
    for (const double side : {-1.0, 1.0}) {
        Geo corner{0.0, 0.0};
        GeographicLib::Geodesic::WGS84().Direct(
                camera.at.lat, camera.at.lon, 90.0 + side * std::atan(halfWidth / far) * 180.0 / pi,
                std::hypot(far, halfWidth), corner.lat, corner.lon);
        for (const Geo &point : footprint.view.area.at(0).exterior) {
            double apart = 0.0;
            GeographicLib::Geodesic::WGS84().Inverse(point.lat, point.lon, corner.lat, corner.lon,
                                                     apart);
            if (apart < 0.0066) {
                ++found;
                break;
            }
        }
    }
    QCOMPARE(found, 2);
}

// RFC 7946 wants every geometry valid as written, at 7 decimals: cameras
// that look past a hall and a fence give views with holes and notches, and
// each stays valid in lon/lat once rounded.
void SiteGeometryTest::validAfterRounding()
{
    const Geo c = santiago;
    Site site{{obstacle(8.0, {{ring(c, {{-6, 20}, {6, 20}, {6, 30}, {-6, 30}}), {}}}),
               obstacle(2.0, {}, {{offset(c, -30, 12), offset(c, -10, 12)}}),
               obstacle(2.0, {{ring(c, {{8, 9}, {9, 9}, {9, 10}, {8, 10}}), {}}})}};
    const auto engine = placed(site);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    const auto rounded = [](double degrees) { return std::round(degrees * 1e7) / 1e7; };
    const auto planar = [&](const GeoRing &points) {
        PlaneRing open;
        for (std::size_t index = 0; index + 1 < points.size(); ++index)
            open.push_back({rounded(points[index].lon), rounded(points[index].lat)});
        return open;
    };
    int polygons = 0;
    for (const double bearing : {0.0, 20.0, 300.0}) {
        PlacedCamera camera = testCamera(c);
        camera.bearingDegrees = bearing;
        const auto footprint = std::get<CameraFootprint>(engine->footprint(camera, standard()));
        std::vector<const MeasuredArea *> areas{&footprint.view};
        for (const auto &band : footprint.bands) {
            if (band)
                areas.push_back(&band->area);
        }
        for (const MeasuredArea *area : areas) {
            for (const GeoPolygon &polygon : area->area) {
                std::vector<PlaneRing> holes;
                for (const GeoRing &hole : polygon.holes)
                    holes.push_back(planar(hole));
                const Geometry shape = geometry.polygon(planar(polygon.exterior), holes);
                const auto invalid = geometry.invalidity(*shape);
                QVERIFY2(!invalid, invalid ? invalid->reason.c_str() : "");
                ++polygons;
            }
        }
    }
    QVERIFY(polygons > 10);
}

void SiteGeometryTest::shadowFootOnTheOutline_data()
{
    QTest::addColumn<PlanePoint>("camera");
    QTest::addColumn<PlaneRing>("outline");

    // Corners at which c + (p - c), worked in doubles, misses p by its last
    // bits (checked apart, in another language's doubles).
    const PlanePoint awkward{123.456789, -98.7654321};
    QTest::addRow("a turned block") << awkward
                                    << PlaneRing{{-2.7389477, -30.3053611},
                                                 {-37.2674438, -2.5126552},
                                                 {-65.1423011, -37.0411513},
                                                 {-30.6138050, -64.8338572}};
    QTest::addRow("a block across the view") << awkward
                                             << PlaneRing{{-162.7426672, 267.1624173},
                                                          {-126.1310312, 267.1624173},
                                                          {-126.1310312, 287.1061768},
                                                          {-162.7426672, 287.1061768}};
}

// A shadow starts on the obstacle's own outline, to the bit: the ground's
// holes are those outlines, and a foot a bit off them makes every overlay
// of the ground with the shadows fall back on GEOS's slow snapping. Each
// corner is the shadow's own corner, or lies inside it.
void SiteGeometryTest::shadowFootOnTheOutline()
{
    QFETCH(PlanePoint, camera);
    QFETCH(PlaneRing, outline);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    const PlaneObstacle building{{{outline, {}}}, {}, 6.0, nullptr, {}};
    const Geometry shade = shadow(geometry, camera, 4.0, 0.0, building, 1000.0);
    std::vector<PlanePoint> corners;
    for (const PlanePolygon &polygon : geometry.polygons(*shade))
        corners.insert(corners.end(), polygon.exterior.begin(), polygon.exterior.end());
    for (const PlanePoint &corner : outline) {
        const bool own = std::any_of(corners.cbegin(), corners.cend(), [&](PlanePoint point) {
            return point.x == corner.x && point.y == corner.y;
        });
        QVERIFY2(own || geometry.contains(*shade, *geometry.point(corner)),
                 qPrintable(QStringLiteral("%1, %2")
                                    .arg(corner.x, 0, 'g', 17)
                                    .arg(corner.y, 0, 'g', 17)));
    }
}

namespace {

// The faces' camera: 0.5 m up, level, 60 degrees across 1920 x 1080, so
// tan(vfov / 2) = 1080 / 1920 tan 30 = 0.3248; it sees the plane of faces
// 1.7 m up from 1.2 / 0.3248 = 3.69 m, and a face keeps observe's 62.5 px/m
// to 1920 / (2 tan 30) / 62.5 = 26.60 m.
PlacedCamera lowCamera(Geo at)
{
    return {at, 0.0, {viewFromFov(1920, 1080, 60, std::nullopt), 0.5, 0.0}, 1.7, std::nullopt};
}

// Whether any of the areas holds the point, its edges included.
bool holds(const std::vector<const MeasuredArea *> &areas, Geo point)
{
    const GeosContext context;
    const PlaneGeometry geometry(context);
    const Geometry at = geometry.point({point.lon, point.lat});
    for (const MeasuredArea *area : areas) {
        for (const GeoPolygon &polygon : area->area) {
            const auto open = [](const GeoRing &ring) {
                PlaneRing points;
                for (std::size_t index = 0; index + 1 < ring.size(); ++index)
                    points.push_back({ring[index].lon, ring[index].lat});
                return points;
            };
            std::vector<PlaneRing> holes;
            for (const GeoRing &hole : polygon.holes)
                holes.push_back(open(hole));
            if (geometry.distance(*geometry.polygon(open(polygon.exterior), holes), *at) == 0.0)
                return true;
        }
    }
    return false;
}

} // namespace

void SiteGeometryTest::sightLines_data()
{
    QTest::addColumn<bool>("lowLens"); // the faces' camera, else the test camera
    QTest::addColumn<double>("wallHeight");
    QTest::addColumn<double>("wallAhead"); // a wall 100 m long across the view
    QTest::addColumn<bool>("onTarget"); // the target's plane, else the ground
    QTest::addColumn<double>("ahead"); // the point looked at
    QTest::addColumn<bool>("seen");

    // A 2 m fence 3 m ahead of the 4 m camera: beyond the half metre that
    // excuses the wall a camera hangs on, so it hides. On the target's
    // plane (lens 4, target 1.6) a sight line passes over 2 m at
    // (4 - 1.6) / (4 - 2) = 1.2 times the fence's distance: 3 to 3.6 m is
    // hidden, inside observe's band (3.23 to 7.85 m). On the ground, 4 / 2
    // = 2 times: 3 to 6 m.
    QTest::addRow("behind a fence 3 m ahead, on the faces' plane")
            << false << 2.0 << 3.0 << true << 3.4 << false;
    QTest::addRow("past its shadow on the faces' plane")
            << false << 2.0 << 3.0 << true << 3.8 << true;
    QTest::addRow("behind a fence 3 m ahead, on the ground")
            << false << 2.0 << 3.0 << false << 5.0 << false;
    QTest::addRow("past its shadow on the ground") << false << 2.0 << 3.0 << false << 6.5 << true;
    // Faces above the lens: a line from 0.5 m up to 1.7 m passes over a 1 m
    // wall at 10 m only when it reaches 1 m within it, at (1.7 - 0.5) /
    // (1 - 0.5) = 2.4 times the wall's distance: faces are hidden from 24 m
    // on, and seen before (in observe's band, to 26.60 m).
    QTest::addRow("faces above the lens, short of the shadow")
            << true << 1.0 << 10.0 << true << 20.0 << true;
    QTest::addRow("faces above the lens, just short of it")
            << true << 1.0 << 10.0 << true << 23.5 << true;
    QTest::addRow("faces above the lens, in the shadow")
            << true << 1.0 << 10.0 << true << 25.0 << false;
}

// A point straight ahead, seen or hidden as worked by hand.
void SiteGeometryTest::sightLines()
{
    QFETCH(bool, lowLens);
    QFETCH(double, wallHeight);
    QFETCH(double, wallAhead);
    QFETCH(bool, onTarget);
    QFETCH(double, ahead);
    QFETCH(bool, seen);
    const Geo c = santiago;
    const auto site = placed(Site{
            {obstacle(wallHeight, {}, {{offset(c, -50, wallAhead), offset(c, 50, wallAhead)}})}});
    const PlacedCamera camera = lowLens ? lowCamera(c) : testCamera(c);
    const auto footprint = std::get<CameraFootprint>(site->footprint(camera, standard()));
    std::vector<const MeasuredArea *> areas;
    if (onTarget) {
        for (const auto &band : footprint.bands) {
            if (band)
                areas.push_back(&band->area);
        }
    } else {
        areas.push_back(&footprint.view);
    }
    QCOMPARE(holds(areas, offset(c, 0, ahead)), seen);
}

void SiteGeometryTest::overlaps_data()
{
    QTest::addColumn<int>("gates"); // S1's gate camera, so many times over
    QTest::addColumn<int>("away"); // at the gate, looking west, off the site
    QTest::addColumn<double>("covered"); // per cent, at monitor
    QTest::addColumn<double>("redundant");
    // One gate covers 41.53 % (S1); more at the same place cover the same
    // and all of it twice; cameras looking away add nothing. The halving
    // merge meets each count: odd, even, and a pair on one side only.
    QTest::addRow("one gate") << 1 << 0 << 41.53 << 0.0;
    QTest::addRow("one gate, two looking away") << 1 << 2 << 41.53 << 0.0;
    QTest::addRow("three gates over one spot") << 3 << 0 << 41.53 << 41.53;
    QTest::addRow("three gates, two looking away") << 3 << 2 << 41.53 << 41.53;
    QTest::addRow("two looking away, then a gate") << 1 << 2 << 41.53 << 0.0;
}

void SiteGeometryTest::overlaps()
{
    QFETCH(int, gates);
    QFETCH(int, away);
    QFETCH(double, covered);
    QFETCH(double, redundant);
    const auto site = placed(siteS1());
    const auto coverage = site->startCoverage(standard());
    PlacedCamera west = gateS1();
    west.bearingDegrees = 270.0;
    const bool awayFirst = QByteArray(QTest::currentDataTag()).startsWith("two looking away");
    for (int camera = 0; camera < gates + away; ++camera) {
        const bool gate = awayFirst ? camera >= away : camera < gates;
        QVERIFY(!coverage->add({QStringLiteral("camera-%1").arg(camera), gate ? gateS1() : west}));
    }
    const auto finished = std::move(*coverage).finish({true, true}, nullptr);
    QVERIFY(std::holds_alternative<SiteCoverage>(finished));
    const CoverageRow &monitor = std::get<SiteCoverage>(finished).report->levels.at(0);
    QCOMPARE(twoDecimals(100.0 * monitor.covered / monitor.area), covered);
    QCOMPARE(twoDecimals(100.0 * monitor.redundant / monitor.area), redundant);
    QCOMPARE(std::get<SiteCoverage>(finished).drawing->cameras.size(), std::size_t(gates + away));
}

// Whatever the order of the calls, each gives what it gives alone, or says
// why not.
void SiteGeometryTest::coverageInAnyOrder()
{
    auto site = placed(siteS1());
    const auto alone = std::get<CameraFootprint>(site->footprint(gateS1(), standard()));

    auto first = site->startCoverage(standard());
    auto second = site->startCoverage(standard());
    QVERIFY(!first->add({QStringLiteral("gate"), gateS1()}));
    QVERIFY(!second->add({QStringLiteral("gate"), gateS1()}));
    // The coverage keeps its site when the caller lets go of it.
    site.reset();
    const auto once = std::move(*first).finish({true, true}, nullptr);
    QVERIFY(std::holds_alternative<SiteCoverage>(once));
    const SiteCoverage &covered = std::get<SiteCoverage>(once);
    QCOMPARE(twoDecimals(covered.report->levels.at(0).covered), 2491.65);
    QCOMPARE(covered.drawing->cameras.at(0).name, QStringLiteral("gate"));
    // Used up: a second finish and a later camera are refused.
    const auto again = std::move(*first).finish({true, true}, nullptr);
    QVERIFY(std::holds_alternative<QString>(again));
    QVERIFY(std::get<QString>(again).startsWith("the coverage was already worked out"));
    QVERIFY(first->add({QStringLiteral("late"), gateS1()}));
    // Another coverage of the same site is untouched by the first.
    const auto other = std::move(*second).finish({true, true}, nullptr);
    QCOMPARE(twoDecimals(std::get<SiteCoverage>(other).report->levels.at(0).covered), 2491.65);

    // A footprint after the coverages is the footprint before them; placing
    // the site again places another, alike.
    const auto again2 = placed(siteS1());
    const auto later = std::get<CameraFootprint>(again2->footprint(gateS1(), standard()));
    QCOMPARE(later.view.squareMetres, alone.view.squareMetres);
    QCOMPARE(again2->centre()->lat, 52.52);
    // Without a site, a coverage measures no ground and draws the cameras
    // about the first.
    const auto bare = placed()->startCoverage(standard());
    QVERIFY(!bare->add({QStringLiteral("gate"), gateS1()}));
    const auto drawn = std::move(*bare).finish({true, true}, nullptr);
    QVERIFY(std::holds_alternative<SiteCoverage>(drawn));
    QCOMPARE(std::get<SiteCoverage>(drawn).report->levels.at(0).area, 0.0);
    QCOMPARE(std::get<SiteCoverage>(drawn).drawing->cameras.at(0).at.x, 0.0);
}

void SiteGeometryTest::insideAnObstacle_data()
{
    QTest::addColumn<std::optional<double>>("height");
    QTest::addColumn<bool>("refused");
    // The test camera's lens is 4 m up.
    QTest::addRow("a building of every height") << std::optional<double>() << true;
    QTest::addRow("a building as high as the lens") << std::optional<double>(4.0) << true;
    QTest::addRow("a roof below the lens") << std::optional<double>(3.5) << false;
}

// A camera cannot see out of a building that rises above its lens: the
// camera is refused, by its footprint and by a coverage alike.
void SiteGeometryTest::insideAnObstacle()
{
    QFETCH(std::optional<double>, height);
    QFETCH(bool, refused);
    SiteFeature shop
            = obstacle(height, {{ring(santiago, {{-5, -5}, {5, -5}, {5, 5}, {-5, 5}}), {}}});
    shop.name = QStringLiteral("shop");
    const auto site = placed(Site{{shop}});
    const QString message = "the camera stands inside feature 1 (shop), which rises above its lens";
    const auto footprint = site->footprint(testCamera(santiago), standard());
    QCOMPARE(std::holds_alternative<QString>(footprint), refused);
    const auto coverage = site->startCoverage(standard());
    const auto added = coverage->add({QStringLiteral("inside"), testCamera(santiago)});
    QCOMPARE(added.has_value(), refused);
    if (refused) {
        QCOMPARE(std::get<QString>(footprint), message);
        QCOMPARE(*added, message);
    }
}

void SiteGeometryTest::geosReasons_data()
{
    QTest::addColumn<PlaneRing>("ring");
    QTest::addColumn<QString>("reason");
    QTest::addRow("a ring of no points") << PlaneRing{} << "a ring or line without points";
    // A bow tie crosses itself at (5, 5), which GEOS's overlay refuses, and
    // says where.
    QTest::addRow("a bow tie met by a square")
            << PlaneRing{{0, 0}, {10, 10}, {10, 0}, {0, 10}}
            << "GEOS could not intersect: TopologyException: Input geom 0 is invalid: "
               "Self-intersection at 5 5";
}

// GEOS tells its context why, and the error says it.
void SiteGeometryTest::geosReasons()
{
    QFETCH(PlaneRing, ring);
    QFETCH(QString, reason);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    try {
        const Geometry shape = geometry.polygon(ring);
        const Geometry square = geometry.polygon({{1, 1}, {9, 1}, {9, 9}, {1, 9}});
        geometry.intersect(*shape, *square);
        QFAIL("GEOS worked it out");
    } catch (const GeosFailure &failure) {
        QCOMPARE(QString::fromUtf8(failure.what()), reason);
    }
}

void SiteGeometryTest::viewSpansWorked_data()
{
    QTest::addColumn<std::optional<double>>("maxRange");
    QTest::addColumn<Span>("ground");
    QTest::addColumn<std::vector<std::optional<Span>>>("bands");
    // The test camera's, worked at the top of this file: a level's band on
    // the faces' plane (2.4 m below the lens) ends where the density falls
    // to it, D = (500 / p - 2.4 sin 30) / cos 30, and begins where the next
    // stricter one ends, or at 2.4 / tan 75 = 0.6431 m; inspect's 1000 px/m
    // would end at 0.1918 m, short of that.
    QTest::addRow("unbounded") << std::optional<double>() << Span{1.0718, 43.8786}
                               << std::vector<std::optional<Span>>{
                                          Span{21.7084, 44.8024}, Span{7.8520, 21.7084},
                                          Span{3.2332, 7.8520},   Span{0.9238, 3.2332},
                                          Span{0.6431, 0.9238},   std::nullopt};
    // Ended at 20 m: monitor starts past it, detect ends at it.
    QTest::addRow("a range of 20 m")
            << std::optional<double>(20.0) << Span{1.0718, 20.0}
            << std::vector<std::optional<Span>>{std::nullopt,         Span{7.8520, 20.0},
                                                Span{3.2332, 7.8520}, Span{0.9238, 3.2332},
                                                Span{0.6431, 0.9238}, std::nullopt};
}

void SiteGeometryTest::viewSpansWorked()
{
    QFETCH(std::optional<double>, maxRange);
    QFETCH(Span, ground);
    QFETCH(std::vector<std::optional<Span>>, bands);
    const PlacedCamera camera = testCamera(santiago);
    std::vector<double> densities;
    for (const SiteLevel &level : standard())
        densities.push_back(level.pixelsPerMetre);
    const ViewSpans spans = viewSpans(camera.camera, camera.targetHeight, maxRange, densities);
    const auto fourDecimals = [](double value) { return std::round(value * 1e4) / 1e4; };
    QVERIFY(spans.ground);
    QCOMPARE(fourDecimals(spans.ground->near), ground.near);
    QCOMPARE(fourDecimals(spans.ground->far), ground.far);
    QCOMPARE(spans.bands.size(), bands.size());
    for (std::size_t level = 0; level < bands.size(); ++level) {
        QCOMPARE(spans.bands[level].has_value(), bands[level].has_value());
        if (!bands[level])
            continue;
        QCOMPARE(fourDecimals(spans.bands[level]->near), bands[level]->near);
        QCOMPARE(fourDecimals(spans.bands[level]->far), bands[level]->far);
    }
}

void SiteGeometryTest::circleWithinAMillimetre_data()
{
    QTest::addColumn<double>("radius");
    for (const double radius : {0.0005, 0.5, 7.6, 100.0, 5000.0, 50000.0})
        QTest::addRow("%g m", radius) << radius;
}

// The circle cut out of a level: every point of every edge within 1 mm of
// the circle (the corners the farthest out, the edges' middles the farthest
// in), and the circle's own area, at every radius.
void SiteGeometryTest::circleWithinAMillimetre()
{
    QFETCH(double, radius);
    const PlanePoint centre{123.0, -45.0};
    const PlaneRing ring = circleRing(centre, radius, 0.001);
    QVERIFY(ring.size() >= 8);
    double twiceArea = 0.0;
    for (std::size_t index = 0; index < ring.size(); ++index) {
        const PlanePoint &a = ring[index];
        const PlanePoint &b = ring[(index + 1) % ring.size()];
        const double corner = std::hypot(a.x - centre.x, a.y - centre.y);
        const double middle
                = std::hypot((a.x + b.x) / 2.0 - centre.x, (a.y + b.y) / 2.0 - centre.y);
        QVERIFY2(std::fabs(corner - radius) <= 0.001 + 1e-9, qPrintable(QString::number(corner)));
        QVERIFY2(std::fabs(middle - radius) <= 0.001 + 1e-9, qPrintable(QString::number(middle)));
        twiceArea += (a.x - centre.x) * (b.y - centre.y) - (b.x - centre.x) * (a.y - centre.y);
    }
    // Counter-clockwise, and as large as the circle.
    QVERIFY(twiceArea > 0.0);
    QVERIFY2(std::fabs(twiceArea / 2.0 - M_PI * radius * radius) <= 1e-9 * radius * radius + 1e-12,
             qPrintable(QString::number(twiceArea / 2.0 - M_PI * radius * radius)));
}

namespace {

// A point given across (right) and forward of a camera at the origin that
// faces `bearing` degrees, in the plane's east and north.
PlanePoint turned(double bearing, double across, double forward)
{
    const double b = bearing * 3.141592653589793 / 180.0;
    return {across * std::cos(b) + forward * std::sin(b),
            -across * std::sin(b) + forward * std::cos(b)};
}

PlaneRing box(double minX, double minY, double maxX, double maxY)
{
    return {{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}};
}

} // namespace

// Two blocks rising above the lens, 10 to 20 m ahead, with a metre's gap
// between them straight ahead: left [-5, -0.5], right [0.5, 5] across.
// Seen from the foot they span atan(5 / 10) = 26.57 degrees to
// atan(0.5 / 20) = 1.43 degrees each side, and their farthest corners are
// hypot(5, 20) = 20.6155 m away. Each obstacle is placed against those by
// hand, with its nearest distance worked out; hidden means that nothing of
// it can be seen, so a wrong "hidden" would lose a shadow.
void SiteGeometryTest::horizon_data()
{
    QTest::addColumn<PlaneRing>("points"); // across and forward
    QTest::addColumn<bool>("asLine");
    QTest::addColumn<double>("nearest");
    QTest::addColumn<bool>("hidden");

    QTest::addRow("behind the left block")
            << box(-3, 30, -2, 31) << false << std::hypot(2.0, 30.0) << true;
    QTest::addRow("in the gap between the blocks")
            << box(-0.2, 40, 0.2, 41) << false << 40.0 << false;
    QTest::addRow("across the gap") << box(-3, 40, 3, 41) << false << 40.0 << false;
    // Behind the block's near face, but within its far corner's distance.
    QTest::addRow("short of the far corner")
            << box(-3, 18, -2, 19) << false << std::hypot(2.0, 18.0) << false;
    QTest::addRow("just past the far corner")
            << box(-3, 20.7, -2, 21) << false << std::hypot(2.0, 20.7) << true;
    // From atan(11 / 21) = 27.65 degrees out: beside the block.
    QTest::addRow("just beside its side")
            << box(-12, 20, -11, 21) << false << std::hypot(11.0, 20.0) << false;
    // From atan(15.008 / 30.01) = 26.5696 to atan(15.013 / 30) = 26.5849
    // degrees: a hair beside it, in the tenth of a degree that holds its
    // side (26.5 to 26.6, counted from straight ahead).
    QTest::addRow("a hair beside its side")
            << box(-15.013, 30, -15.008, 30.01) << false << std::hypot(15.008, 30.0) << false;
    QTest::addRow("a wall behind the right block")
            << PlaneRing{{1, 35}, {4, 35}} << true << std::hypot(1.0, 35.0) << true;
    QTest::addRow("behind the camera") << box(-1, -41, 1, -40) << false << 40.0 << false;
    // Behind the blocks behind the camera, in 170.5 to 172.6 degrees of
    // the 141.3 to 174.3 that each spans either side, and beyond its far
    // corner, hypot(8, 20) = 21.5 m.
    QTest::addRow("behind the block behind on the right")
            << box(4, -31, 5, -30) << false << std::hypot(4.0, 30.0) << true;
    // Straight to the right, behind a block that reaches from ahead of the
    // camera to behind it (63.4 to 116.6 degrees, its far corner 15.8 m).
    QTest::addRow("abeam, behind a block abeam") << box(30, -1, 31, 1) << false << 30.0 << true;
}

void SiteGeometryTest::horizon()
{
    QFETCH(PlaneRing, points);
    QFETCH(bool, asLine);
    QFETCH(double, nearest);
    QFETCH(bool, hidden);
    // Facing any way: the angles must not wrap within the view.
    for (const double bearing : {0.0, 100.0, 179.0, 250.0}) {
        const auto inPlane = [&](const PlaneRing &ring) {
            PlaneRing placed;
            for (const PlanePoint &point : ring)
                placed.push_back(turned(bearing, point.x, point.y));
            return placed;
        };
        Horizon horizon({0.0, 0.0}, turned(bearing, 0.0, 1.0));
        horizon.add(inPlane(box(-5, 10, -0.5, 20)));
        horizon.add(inPlane(box(0.5, 10, 5, 20)));
        horizon.add(inPlane(box(2, -20, 8, -10)));
        horizon.add(inPlane(box(10, -5, 15, 5)));
        // The foot within an outline: it hides nothing by directions.
        horizon.add(inPlane(box(-1, -1, 1, 1)));
        PlaneObstacle obstacle{{}, {}, std::nullopt, nullptr, {}};
        if (asLine)
            obstacle.lines.push_back(inPlane(points));
        else
            obstacle.polygons.push_back({inPlane(points), {}});
        QVERIFY2(horizon.hides(obstacle, nearest) == hidden,
                 qPrintable(QStringLiteral("facing %1").arg(bearing)));
    }
}

void SiteGeometryTest::asEveryShadowUnited_data()
{
    QTest::addColumn<double>("bearing");
    QTest::addColumn<double>("tilt");

    QTest::addRow("north") << 0.0 << 30.0;
    QTest::addRow("east by north") << 77.0 << 30.0;
    QTest::addRow("south-west") << 215.0 << 30.0;
    // The cut of the angles straight behind, with the blocks' rows ahead.
    QTest::addRow("west") << 270.0 << 30.0;
    // The view's sides meet ahead of the foot, 0.42 m on the target's
    // plane (2.4 tan 10°), and the view starts at 2.4 / tan 35° = 3.4 m.
    QTest::addRow("turned up") << 0.0 << -10.0;
    // The sides meet at the foot: the ring about the span is worked out in
    // the span's trapezoid grown, and the span cut from it by an overlay.
    QTest::addRow("level") << 130.0 << 0.0;
    // They meet 2.4 tan 45° = 2.4 m behind the foot on the target's plane,
    // more than a metre.
    QTest::addRow("steeply down") << 300.0 << 45.0;
}

// A dense block of buildings of every height about the camera, with
// buildings that turn both ways, a courtyard, one the camera hangs on and
// walls, against a separate model: each region without obstacles, less the
// union of every obstacle's shadow. What the view casts one by one, and
// what it passes over as hidden already, must come to the same ground.
void SiteGeometryTest::asEveryShadowUnited()
{
    QFETCH(double, bearing);
    QFETCH(double, tilt);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    std::vector<PlaneObstacle> obstacles;
    const auto add = [&](std::vector<PlanePolygon> polygons, std::vector<PlaneRing> lines,
                         std::optional<double> height) {
        PlaneGeometry::Bounds bounds{1e9, 1e9, -1e9, -1e9};
        std::vector<const PlaneRing *> rings;
        for (const PlanePolygon &polygon : polygons)
            rings.push_back(&polygon.exterior);
        for (const PlaneRing &line : lines)
            rings.push_back(&line);
        for (const PlaneRing *ring : rings) {
            for (const PlanePoint &point : *ring)
                bounds = {std::min(bounds.minX, point.x), std::min(bounds.minY, point.y),
                          std::max(bounds.maxX, point.x), std::max(bounds.maxY, point.y)};
        }
        obstacles.push_back({std::move(polygons), std::move(lines), height, nullptr, bounds});
    };
    // Heights below the target's plane, between it and the lens (4 m), at
    // the lens and above, and none.
    const std::optional<double> heights[] = {std::nullopt, 6.0, 3.0, 1.0, 10.0, 2.5, 4.0};
    for (int i = 0; i < 11; ++i) {
        for (int j = 0; j < 11; ++j) {
            const double x = -47.5 + 9.0 * i;
            const double y = -47.5 + 9.0 * j;
            if (i == 5 && j == 5)
                continue; // where the camera stands
            add({{box(x, y, x + 4.0 + (j % 3), y + 4.0 + (i % 2)), {}}}, {},
                heights[(i * 3 + j * 5) % 7]);
        }
    }
    add({{{{6, 6}, {14, 6}, {14, 8}, {8, 8}, {8, 14}, {6, 14}}, {}}}, {}, 8.0); // an L
    add({{box(-20, 20, -10, 30), {box(-17, 23, -13, 27)}}}, {}, 12.0); // a courtyard
    add({{box(-2, -4, 2, -0.3), {}}}, {}, std::nullopt); // the wall it hangs on
    add({{box(20, -10, 22, -8), {}}, {box(24, -10, 26, -8), {}}}, {}, 7.0); // two parts
    add({}, {{{-30, 15}, {-10, 15}, {-10, 25}}}, 2.0); // walls
    add({}, {{{15, 20}, {25, 35}}}, std::nullopt);

    PlacedCamera camera = testCamera(santiago);
    camera.bearingDegrees = bearing;
    camera.camera.tiltDegrees = tilt;
    const ViewSpans spans = viewSpansOf(camera, standard());
    const CameraInPlane where{{0.0, 0.0}, bearing * 3.141592653589793 / 180.0};
    const ViewCone cone = viewConeOf(where, camera, spans);
    std::vector<const PlaneObstacle *> all;
    std::vector<Geometry> onGround;
    std::vector<Geometry> onTarget;
    for (const PlaneObstacle &obstacle : obstacles) {
        all.push_back(&obstacle);
        onGround.push_back(shadow(geometry, where.foot, 4.0, 0.0, obstacle, 1000.0));
        onTarget.push_back(shadow(geometry, where.foot, 4.0, 1.6, obstacle, 1000.0));
    }
    const Geometry groundShade = geometry.unite(std::move(onGround));
    const Geometry targetShade = geometry.unite(std::move(onTarget));
    const auto same = [&](const GEOSGeometry &found, const GEOSGeometry &bare,
                          const GEOSGeometry &shade, const QString &what) {
        const Geometry expected = geometry.subtract(bare, shade);
        const double apart = geometry.area(*geometry.subtract(found, *expected))
                + geometry.area(*geometry.subtract(*expected, found));
        QVERIFY2(apart < 1e-6,
                 qPrintable(QStringLiteral("%1: %2 m² apart, %3 m² found of %4 m²")
                                    .arg(what)
                                    .arg(apart)
                                    .arg(geometry.area(found))
                                    .arg(geometry.area(*expected))));
    };
    const Regions bare = regions(geometry, where, camera, spans, cone, {}, false);
    const Regions bareBands = regions(geometry, where, camera, spans, cone, {}, true);
    const Regions found = regions(geometry, where, camera, spans, cone, all, false);
    const Regions foundBands = regions(geometry, where, camera, spans, cone, all, true);
    same(*found.view, *bare.view, *groundShade, QStringLiteral("the view"));
    // Something is left to compare, and something was hidden.
    QVERIFY(geometry.area(*found.view) > 1.0);
    QVERIFY(geometry.area(*found.view) < geometry.area(*bare.view) / 2.0);
    QCOMPARE(found.held.size(), standard().size());
    QCOMPARE(foundBands.bands.size(), standard().size());
    for (std::size_t level = 0; level < standard().size(); ++level) {
        same(*found.held[level], *bare.held[level], *targetShade,
             QStringLiteral("held %1").arg(level));
        same(*foundBands.bands[level], *bareBands.bands[level], *targetShade,
             QStringLiteral("band %1").arg(level));
    }
    // The same obstacles placed only when first needed, known till then by
    // a box two metres wider on every side, as a footprint knows them.
    int placed = 0;
    NearObstacles lazy([&](std::size_t index) {
        ++placed;
        return obstacles[index];
    });
    for (std::size_t index = 0; index < obstacles.size(); ++index) {
        const PlaneGeometry::Bounds &own = obstacles[index].bounds;
        lazy.add({own.minX - 2.0, own.minY - 2.0, own.maxX + 2.0, own.maxY + 2.0}, index);
    }
    const Regions foundLazily = regions(geometry, where, camera, spans, cone, lazy, true);
    same(*foundLazily.view, *bare.view, *groundShade, QStringLiteral("the view, placed lazily"));
    for (std::size_t level = 0; level < standard().size(); ++level)
        same(*foundLazily.bands[level], *bareBands.bands[level], *targetShade,
             QStringLiteral("band %1, placed lazily").arg(level));
    QVERIFY(placed > 0);
    QVERIFY(placed < static_cast<int>(obstacles.size()));
}

void SiteGeometryTest::boxesBehindTheHorizon_data()
{
    QTest::addColumn<PlaneGeometry::Bounds>("box");
    QTest::addColumn<double>("nearest");
    QTest::addColumn<bool>("hidden");

    // A wall at the lens's height across the view at y = 10, x -10..10, its
    // ends 45 degrees either side of north: hidden beyond about 14.2 m (its
    // farthest corner) in every direction between.
    QTest::addRow("behind it") << PlaneGeometry::Bounds{-3, 20, 3, 25} << 20.0 << true;
    // Its corners at 45 degrees exactly: the bins at the ends do not count.
    QTest::addRow("as wide as it") << PlaneGeometry::Bounds{-20, 20, 20, 25} << 20.0 << false;
    QTest::addRow("beside it") << PlaneGeometry::Bounds{12, 10, 16, 14} << 15.0 << false;
    QTest::addRow("behind, nearer than its far corner")
            << PlaneGeometry::Bounds{-1, 12, 1, 13} << 12.0 << false;
    QTest::addRow("about the foot") << PlaneGeometry::Bounds{-1, -1, 1, 30} << 0.0 << false;
    QTest::addRow("straight behind the camera")
            << PlaneGeometry::Bounds{-1, -30, 1, -20} << 20.0 << false;
}

// A box that Horizon::hidesBox calls hidden holds only hidden ground: a
// box beyond what hides everything in its directions, and no other.
void SiteGeometryTest::boxesBehindTheHorizon()
{
    QFETCH(PlaneGeometry::Bounds, box);
    QFETCH(double, nearest);
    QFETCH(bool, hidden);
    Horizon horizon({0, 0}, {0, 1});
    horizon.add({{-10, 10}, {10, 10}, {10, 10.2}, {-10, 10.2}});
    QCOMPARE(horizon.hidesBox(box, nearest), hidden);
    // An obstacle drawn as the box itself is hidden alike.
    const PlaneObstacle same{{{{{box.minX, box.minY},
                                {box.maxX, box.minY},
                                {box.maxX, box.maxY},
                                {box.minX, box.maxY}},
                               {}}},
                             {},
                             std::nullopt,
                             nullptr,
                             box};
    QCOMPARE(horizon.hides(same, nearest), hidden);
}

void SiteGeometryTest::polygonalParts_data()
{
    QTest::addColumn<QString>("wkt");
    QTest::addColumn<QString>("meeting"); // intersected with it first, if given
    QTest::addColumn<int>("polygons");
    QTest::addColumn<double>("area");

    QTest::addRow("a polygon") << "POLYGON((0 0,2 0,2 1,0 1,0 0))" << QString() << 1 << 2.0;
    QTest::addRow("polygons, a line and a point")
            << "GEOMETRYCOLLECTION(POLYGON((0 0,1 0,1 1,0 1,0 0)),LINESTRING(3 0,3 1),"
               "POINT(5 5),POLYGON((6 0,8 0,8 2,6 2,6 0)))"
            << QString() << 2 << 5.0;
    QTest::addRow("a collection in a collection")
            << "GEOMETRYCOLLECTION(GEOMETRYCOLLECTION(MULTIPOLYGON(((0 0,1 0,1 1,0 1,0 0)),"
               "((2 0,3 0,3 1,2 1,2 0)))),LINESTRING(0 0,5 5))"
            << QString() << 2 << 2.0;
    QTest::addRow("only a line") << "LINESTRING(0 0,1 1)" << QString() << 0 << 0.0;
    // Overlapping from x = 1 to 2, touching along x = 3: GEOS keeps the
    // edge they share as a line beside the square.
    QTest::addRow("an intersection that also touches")
            << "MULTIPOLYGON(((0 0,2 0,2 1,0 1,0 0)),((3 0,4 0,4 1,3 1,3 0)))"
            << "POLYGON((1 0,3 0,3 1,1 1,1 0))" << 1 << 1.0;
}

// Only polygons are kept of an overlay's result, and all of them.
void SiteGeometryTest::polygonalParts()
{
    QFETCH(QString, wkt);
    QFETCH(QString, meeting);
    QFETCH(int, polygons);
    QFETCH(double, area);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    Geometry found = fromWkt(geometry, wkt);
    if (!meeting.isEmpty())
        found = geometry.intersect(*found, *fromWkt(geometry, meeting));
    const Geometry kept = geometry.polygonal(std::move(found));
    const int type = GEOSGeomTypeId_r(context.handle(), kept.get());
    QVERIFY(type == GEOS_POLYGON || type == GEOS_MULTIPOLYGON);
    QCOMPARE(static_cast<int>(geometry.polygons(*kept).size()), polygons);
    QCOMPARE(geometry.area(*kept), area);
}

void SiteGeometryTest::slabs_data()
{
    QTest::addColumn<QString>("wkt");
    QTest::addColumn<PlanePoint>("origin");
    QTest::addColumn<double>("bearing"); // degrees clockwise from the y axis
    QTest::addColumn<double>("near");
    QTest::addColumn<double>("far");
    QTest::addColumn<int>("polygons");
    QTest::addColumn<double>("area"); // by hand

    const QString square = "POLYGON((0 0,10 0,10 10,0 10,0 0))";
    QTest::addRow("north, across a square")
            << square << PlanePoint{0, 0} << 0.0 << 2.0 << 5.0 << 1 << 30.0;
    // x from -5 + 7 to -5 + 9.
    QTest::addRow("east, from off the square")
            << square << PlanePoint{-5, 3} << 90.0 << 7.0 << 9.0 << 1 << 20.0;
    // South from y = 10, so y from 8 down to 6: the U's two arms, 3 wide.
    QTest::addRow("south, across a U's arms")
            << "POLYGON((0 0,10 0,10 10,7 10,7 3,3 3,3 10,0 10,0 0))" << PlanePoint{0, 10} << 180.0
            << 2.0 << 4.0 << 2 << 12.0;
    // x + y from 5 to 10: 10^2 / 2 - 5^2 / 2.
    QTest::addRow("north-east, a corner's slab")
            << square << PlanePoint{0, 0} << 45.0 << 5.0 / std::sqrt(2.0) << 10.0 / std::sqrt(2.0)
            << 1 << 37.5;
    // y 3..7 less the hole's x 4..6 there: 40 - 8, cut in two by the hole.
    QTest::addRow("across a hole") << "POLYGON((0 0,10 0,10 10,0 10,0 0),(4 2,6 2,6 8,4 8,4 2))"
                                   << PlanePoint{0, 0} << 0.0 << 3.0 << 7.0 << 2 << 32.0;
    QTest::addRow("one of two squares")
            << "MULTIPOLYGON(((0 0,10 0,10 10,0 10,0 0)),((0 20,10 20,10 30,0 30,0 20)))"
            << PlanePoint{0, 0} << 0.0 << 25.0 << 40.0 << 1 << 50.0;
    QTest::addRow("past it") << square << PlanePoint{0, 0} << 0.0 << 11.0 << 12.0 << 0 << 0.0;
    QTest::addRow("all of it, and edges on the slab's")
            << square << PlanePoint{0, 0} << 0.0 << 0.0 << 10.0 << 1 << 100.0;
    QTest::addRow("nothing") << "POLYGON EMPTY" << PlanePoint{0, 0} << 0.0 << 0.0 << 10.0 << 0
                             << 0.0;
}

// A slab is what lies between its lines, turned to any bearing, as valid
// polygons.
void SiteGeometryTest::slabs()
{
    QFETCH(QString, wkt);
    QFETCH(PlanePoint, origin);
    QFETCH(double, bearing);
    QFETCH(double, near);
    QFETCH(double, far);
    QFETCH(int, polygons);
    QFETCH(double, area);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    const Geometry input = fromWkt(geometry, wkt);
    const double radians = bearing * 3.141592653589793 / 180.0;
    const auto slab
            = geometry.slab(*input, origin, {std::sin(radians), std::cos(radians)}, near, far);
    QVERIFY(slab);
    QVERIFY(!geometry.invalidity(**slab));
    QCOMPARE(static_cast<int>(geometry.polygons(**slab).size()), polygons);
    QVERIFY2(std::fabs(geometry.area(**slab) - area) < 1e-9,
             qPrintable(QString::number(geometry.area(**slab), 'g', 17)));
}

void SiteGeometryTest::subtractedAtOnce_data()
{
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<double>("area"); // left of the square 0..10 squared, by hand

    QTest::addRow("apart") << QStringList{"POLYGON((1 1,3 1,3 3,1 3,1 1))",
                                          "POLYGON((6 6,8 6,8 8,6 8,6 6))"}
                           << 92.0;
    // 4 + 4 less the unit square both hold.
    QTest::addRow("overlapping") << QStringList{"POLYGON((1 1,3 1,3 3,1 3,1 1))",
                                                "POLYGON((2 2,4 2,4 4,2 4,2 2))"}
                                 << 93.0;
    // Sharing an edge, the two would be no valid MultiPolygon.
    QTest::addRow("touching along an edge")
            << QStringList{"POLYGON((1 1,3 1,3 3,1 3,1 1))", "POLYGON((3 1,5 1,5 3,3 3,3 1))"}
            << 92.0;
    QTest::addRow("three, the last over the first")
            << QStringList{"POLYGON((1 1,3 1,3 3,1 3,1 1))", "POLYGON((6 6,8 6,8 8,6 8,6 6))",
                           "POLYGON((0 0,2 0,2 2,0 2,0 0))"}
            << 100.0 - 4.0 - 4.0 - 3.0;
    QTest::addRow("a MultiPolygon among them")
            << QStringList{"MULTIPOLYGON(((1 1,2 1,2 2,1 2,1 1)),((4 4,5 4,5 5,4 5,4 4)))",
                           "POLYGON((7 1,9 1,9 3,7 3,7 1))"}
            << 94.0;
    QTest::addRow("past it, and empty")
            << QStringList{"POLYGON((20 20,22 20,22 22,20 22,20 20))", "POLYGON EMPTY"} << 100.0;
    QTest::addRow("all of it") << QStringList{"POLYGON((-1 -1,11 -1,11 11,-1 11,-1 -1))",
                                              "POLYGON((1 1,3 1,3 3,1 3,1 1))"}
                               << 0.0;
}

// Shadows taken together leave what they leave one by one.
void SiteGeometryTest::subtractedAtOnce()
{
    QFETCH(QStringList, parts);
    QFETCH(double, area);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    std::vector<Geometry> shades;
    for (const QString &part : parts)
        shades.push_back(fromWkt(geometry, part));
    const Geometry square = geometry.box(0, 0, 10, 10);
    const Geometry left = geometry.subtractAll(*square, shades);
    QVERIFY(!geometry.invalidity(*left));
    QVERIFY2(std::fabs(geometry.area(*left) - area) < 1e-12,
             qPrintable(QString::number(geometry.area(*left), 'g', 17)));
}

void SiteGeometryTest::sightPastOutlines_data()
{
    QTest::addColumn<PlanePoint>("foot");
    QTest::addColumn<std::vector<PlaneRing>>("outlines");
    QTest::addColumn<double>("area"); // by hand; negative where not worked
    QTest::addColumn<PlaneRing>("around");

    // Unless a row says, the ring about the foot is the box [-10, 10]
    // squared. A square x 2..4, y -1..1 hides the wedge between the rays
    // through (2, -1) and (2, 1) from x = 2 to the box's edge, where it is
    // 10 wide: (2 + 10) / 2 * 8 = 48.
    const PlaneRing east{{2, -1}, {4, -1}, {4, 1}, {2, 1}};
    QTest::addRow("nothing in the way")
            << PlanePoint{0, 0} << std::vector<PlaneRing>{} << 400.0 << PlaneRing{};
    QTest::addRow("a square to the east")
            << PlanePoint{0, 0} << std::vector<PlaneRing>{east} << 352.0 << PlaneRing{};
    // x 8..10 of it, 2 wide at x = 8 and 2.5 at x = 10: 4.5.
    QTest::addRow("a square across the box's edge")
            << PlanePoint{0, 0} << std::vector<PlaneRing>{{{8, -1}, {12, -1}, {12, 1}, {8, 1}}}
            << 395.5 << PlaneRing{};
    QTest::addRow("two squares drawn over each other")
            << PlanePoint{0, 0} << std::vector<PlaneRing>{east, {{3, 0}, {5, 0}, {5, 2}, {3, 2}}}
            << -1.0 << PlaneRing{};
    // Their near edges cross at (4, 0): the nearer is one below it and
    // the other above.
    QTest::addRow("two buildings crossed as an X")
            << PlanePoint{0, 0}
            << std::vector<PlaneRing>{{{3, -2}, {4, -2}, {6, 2}, {5, 2}},
                                      {{5, -2}, {6, -2}, {4, 2}, {3, 2}}}
            << -1.0 << PlaneRing{};
    QTest::addRow("an L open to the foot")
            << PlanePoint{0, 0}
            << std::vector<PlaneRing>{{{2, -3}, {6, -3}, {6, 3}, {4, 3}, {4, -1}, {2, -1}}} << -1.0
            << PlaneRing{};
    QTest::addRow("corners in line with the foot")
            << PlanePoint{0, 0}
            << std::vector<PlaneRing>{{{2, 2}, {3, 2}, {3, 3}, {2, 3}},
                                      {{4, 4}, {5, 4}, {5, 5}, {4, 5}}}
            << -1.0 << PlaneRing{};
    QTest::addRow("a corner on another's edge")
            << PlanePoint{0, 0} << std::vector<PlaneRing>{east, {{4, 0}, {6, -2}, {8, 0}, {6, 2}}}
            << -1.0 << PlaneRing{};
    QTest::addRow("a terrace sharing walls")
            << PlanePoint{0, 0}
            << std::vector<PlaneRing>{east,
                                      {{4, -1}, {6, -1}, {6, 1}, {4, 1}},
                                      {{6, -1}, {9, -1}, {9, 1.5}, {6, 1.5}}}
            << -1.0 << PlaneRing{};
    QTest::addRow("all about the foot")
            << PlanePoint{0.3, -0.2}
            << std::vector<PlaneRing>{east,
                                      {{-1, 2}, {1, 2}, {1, 3}, {-1, 3}},
                                      {{-5, -1}, {-2, -1}, {-2, 4}, {-5, 4}},
                                      {{-1, -7}, {3, -7}, {3, -6}, {-1, -6}}}
            << -1.0 << PlaneRing{};
    QTest::addRow("the foot by the box's corner")
            << PlanePoint{9.9, 9.9} << std::vector<PlaneRing>{{{5, 5}, {7, 5}, {7, 7}, {5, 7}}}
            << -1.0 << PlaneRing{};
    // A view's trapezoid, its sides y = -1 - (x + 1) / 2 and its mirror, x
    // from -1 to 9: (2 + 12) / 2 * 10 = 70. The square's wedge |y| <= x / 2
    // lies within it from x = 2 to 9: 81 / 2 - 4 / 2 = 38.5 hidden.
    const PlaneRing view{{-1, -1}, {9, -6}, {9, 6}, {-1, 1}};
    QTest::addRow("a square within a view")
            << PlanePoint{0, 0} << std::vector<PlaneRing>{east} << 31.5 << view;
    QTest::addRow("buildings across a view's sides")
            << PlanePoint{0, 0}
            << std::vector<PlaneRing>{{{3, -5}, {5, -5}, {5, -2}, {3, -2}},
                                      {{4, 2}, {6, 2}, {7, 7}, {4, 6}},
                                      {{7, -1}, {10, -1}, {10, 1}, {7, 1}}}
            << -1.0 << view;
}

// Each point of a grid placed off every edge is seen, in the model, when
// the segment from the foot to it crosses no edge of an outline; the ring
// holds it exactly then. Where worked by hand, its area too.
void SiteGeometryTest::sightPastOutlines()
{
    QFETCH(PlanePoint, foot);
    QFETCH(std::vector<PlaneRing>, outlines);
    QFETCH(double, area);
    QFETCH(PlaneRing, around);
    std::vector<const PlaneRing *> given;
    for (const PlaneRing &outline : outlines)
        given.push_back(&outline);
    if (around.empty())
        around = {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};
    const auto ring = sightPolygon(foot, around, given);
    QVERIFY(ring);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    const Geometry sight = geometry.polygon(*ring);
    QVERIFY(!geometry.invalidity(*sight));
    if (area >= 0.0)
        QVERIFY(std::fabs(geometry.area(*sight) - area) < 1e-9);
    const auto crosses = [](PlanePoint p, PlanePoint q, PlanePoint a, PlanePoint b) {
        const auto side = [](PlanePoint o, PlanePoint u, PlanePoint v) {
            return (u.x - o.x) * (v.y - o.y) - (u.y - o.y) * (v.x - o.x);
        };
        return side(p, q, a) * side(p, q, b) < 0.0 && side(a, b, p) * side(a, b, q) < 0.0;
    };
    int seen = 0;
    for (double x = -9.9137; x < 10.0; x += 0.3371) {
        for (double y = -9.8711; y < 10.0; y += 0.3119) {
            bool hidden = false;
            for (std::size_t i = 0; i < around.size(); ++i) {
                const PlanePoint &a = around[i];
                const PlanePoint &b = around[(i + 1) % around.size()];
                hidden = hidden || (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x) < 0.0;
            }
            for (const PlaneRing &outline : outlines) {
                for (std::size_t i = 0; i < outline.size(); ++i)
                    hidden = hidden
                            || crosses(foot, {x, y}, outline[i], outline[(i + 1) % outline.size()]);
            }
            QCOMPARE(geometry.contains(*sight, *geometry.point({x, y})), !hidden);
            seen += hidden ? 0 : 1;
        }
    }
    QVERIFY(seen > 0);
}

void SiteGeometryTest::sightRefused()
{
    const PlaneRing east{{2, -1}, {4, -1}, {4, 1}, {2, 1}};
    // The foot on the ring's edge, or outside it, or a ring turned
    // clockwise, has no ring of sight.
    const PlaneRing box{{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};
    QVERIFY(!sightPolygon({10, 0}, box, {&east}));
    QVERIFY(!sightPolygon({11, 0}, box, {&east}));
    QVERIFY(!sightPolygon({0, 0}, {box.rbegin(), box.rend()}, {&east}));
    QVERIFY(!sightPolygon({0, 0}, {{-10, -10}, {10, -10}}, {&east}));
}

void SiteGeometryTest::writtenAsRead_data()
{
    QTest::addColumn<Geo>("centre");
    QTest::addColumn<PlaneRing>("outline");

    // A lot with a yard in it.
    const PlaneRing lot{{-31.7, -12.3}, {47.9, -11.1}, {52.3, 38.6}, {-29.4, 41.2}};
    QTest::addRow("a lot in Munich") << Geo{48.137154, 11.576124} << lot;
    QTest::addRow("a lot in Sydney") << Geo{-33.856784, 151.215297} << lot;
    QTest::addRow("a lot about 0, 0") << Geo{0.0000003, -0.0000002} << lot;
}

// Every point given out is the double that a reader of its seven written
// decimals gets, so that a polygon checked valid is valid in the reader's
// hands too.
void SiteGeometryTest::writtenAsRead()
{
    QFETCH(Geo, centre);
    QFETCH(PlaneRing, outline);
    const GeosContext context;
    const PlaneGeometry geometry(context);
    const Geometry yard = geometry.polygon({{-3.3, 1.7}, {9.1, 2.2}, {8.6, 13.9}, {-2.8, 12.4}});
    const Geometry area = geometry.subtract(*geometry.polygon(outline), *yard);
    const LocalPlane plane(centre);
    ReversedPoints reversed(plane);
    const MeasuredArea shown = measured(geometry, reversed, *area);
    QVERIFY(!shown.area.empty());
    int points = 0;
    for (const GeoPolygon &polygon : shown.area) {
        std::vector<GeoRing> rings{polygon.exterior};
        rings.insert(rings.end(), polygon.holes.begin(), polygon.holes.end());
        for (const GeoRing &ring : rings) {
            for (const GeoPoint &point : ring) {
                for (const double value : {point.lat, point.lon}) {
                    // To the bit: QCOMPARE would forgive the last ones.
                    const QByteArray written = QByteArray::number(value, 'f', 7);
                    QVERIFY2(written.toDouble() == value, written.constData());
                    ++points;
                }
            }
        }
    }
    QVERIFY(points >= 8);
}

QTEST_GUILESS_MAIN(SiteGeometryTest)
// The foot at (0, 0) and a trapezoid from (-1, 2), (1, 2) to (3, 6),
// (-3, 6): the near corners lie on the lines from the foot to the far ones,
// so the hull is the triangle (0, 0), (3, 6), (-3, 6), whose sides are
// y = 2x, y = -2x and y = 6. Each box below is placed against those lines
// by hand.
void SiteGeometryTest::viewCone_data()
{
    QTest::addColumn<double>("minX");
    QTest::addColumn<double>("minY");
    QTest::addColumn<double>("maxX");
    QTest::addColumn<double>("maxY");
    QTest::addColumn<bool>("meets");

    QTest::addRow("inside") << -0.5 << 3.0 << 0.5 << 4.0 << true;
    QTest::addRow("over the foot") << -0.5 << -0.5 << 0.5 << 0.5 << true;
    QTest::addRow("holding it all") << -10.0 << -10.0 << 10.0 << 10.0 << true;
    // Within the hull's bounds, but right of y = 2x at every corner.
    QTest::addRow("beside a side") << 1.5 << 1.0 << 2.0 << 1.5 << false;
    QTest::addRow("beside the other") << -2.0 << 1.0 << -1.5 << 1.5 << false;
    // A corner on y = 2x: touching is meeting.
    QTest::addRow("touching a side") << 1.0 << 1.5 << 1.5 << 2.0 << true;
    QTest::addRow("across a side") << 0.5 << 0.5 << 2.0 << 1.5 << true;
    QTest::addRow("behind the foot") << -1.0 << -3.0 << 1.0 << -1.0 << false;
    QTest::addRow("past the far edge") << -1.0 << 6.5 << 1.0 << 7.0 << false;
    QTest::addRow("on the far edge") << -1.0 << 6.0 << 1.0 << 7.0 << true;
}

void SiteGeometryTest::viewCone()
{
    QFETCH(double, minX);
    QFETCH(double, minY);
    QFETCH(double, maxX);
    QFETCH(double, maxY);
    QFETCH(bool, meets);
    // The corners in another order, with a repeat, change nothing.
    const ViewCone cone(
            {0.0, 0.0},
            {{{1.0, 2.0}, {-1.0, 2.0}, {-3.0, 6.0}, {3.0, 6.0}}, {{3.0, 6.0}, {1.0, 2.0}}});
    QCOMPARE(cone.meets({minX, minY, maxX, maxY}), meets);
    QCOMPARE(cone.bounds().minX, -3.0);
    QCOMPARE(cone.bounds().maxY, 6.0);
}

void SiteGeometryTest::boxesBoundedUnprojected_data()
{
    QTest::addColumn<Geo>("centre");
    QTest::addRow("Munich") << Geo{48.137, 11.575};
    QTest::addRow("on the equator") << Geo{0.0, -78.5};
    QTest::addRow("the south") << Geo{-33.86, 151.21};
    QTest::addRow("at 79.9 degrees north") << Geo{79.9, 15.6};
    QTest::addRow("at 79.9 degrees south") << Geo{-79.9, -120.0};
    QTest::addRow("by the antimeridian") << Geo{-16.5, 179.9995};
}

// Boxes about points placed by geodesics in sixteen directions, each point
// of a box on a 7 x 7 grid projected by GeographicLib: every one lies in
// the bounds, which are no wider than the points' own by more than a few
// metres and a twentieth of the distance, or they would cull nothing.
void SiteGeometryTest::boxesBoundedUnprojected()
{
    QFETCH(Geo, centre);
    const GeographicLib::Geodesic &earth = GeographicLib::Geodesic::WGS84();
    const GeographicLib::AzimuthalEquidistant plane(earth);
    for (const double distance : {0.0, 40.0, 1000.0, 4000.0, 9500.0}) {
        for (int direction = 0; direction < 16; ++direction) {
            for (const double size : {0.0, 30.0, 400.0}) {
                double lat = 0.0;
                double lon = 0.0;
                earth.Direct(centre.lat, centre.lon, direction * 22.5, distance, lat, lon);
                // Half the size in degrees, from the metres of a degree.
                double north = 0.0;
                double east = 0.0;
                double ignored = 0.0;
                earth.Direct(lat, lon, 0.0, size / 2.0, north, ignored);
                earth.Direct(lat, lon, 90.0, size / 2.0, ignored, east);
                const double halfLat = north - lat;
                const double halfLon = std::remainder(east - lon, 360.0);
                const GeoBox box{lat - halfLat, lat + halfLat, lon - halfLon, lon + halfLon};
                const auto bounds = planeBoundsOf(centre, SiteFrame::earth, box);
                const QByteArray where = QByteArray::number(distance) + " m at "
                        + QByteArray::number(direction * 22.5) + ", " + QByteArray::number(size)
                        + " m wide";
                QVERIFY2(bounds, where.constData());
                PlaneGeometry::Bounds exact{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
                for (int i = 0; i <= 6; ++i) {
                    for (int j = 0; j <= 6; ++j) {
                        double x = 0.0;
                        double y = 0.0;
                        plane.Forward(centre.lat, centre.lon, box.minLat + 2.0 * halfLat * i / 6,
                                      box.minLon + 2.0 * halfLon * j / 6, x, y);
                        QVERIFY2(x >= bounds->minX && x <= bounds->maxX && y >= bounds->minY
                                         && y <= bounds->maxY,
                                 where.constData());
                        exact = {std::min(exact.minX, x), std::min(exact.minY, y),
                                 std::max(exact.maxX, x), std::max(exact.maxY, y)};
                    }
                }
                const double slack = 3.0 + (distance + size) / 20.0;
                QVERIFY2(bounds->maxX - bounds->minX <= exact.maxX - exact.minX + slack
                                 && bounds->maxY - bounds->minY <= exact.maxY - exact.minY + slack,
                         where.constData());
            }
        }
    }
}

void SiteGeometryTest::boxesNotBounded_data()
{
    QTest::addColumn<Geo>("centre");
    QTest::addColumn<double>("minLat");
    QTest::addColumn<double>("maxLat");
    QTest::addColumn<double>("minLon");
    QTest::addColumn<double>("maxLon");

    // 0.1 degrees of latitude is 11.1 km.
    QTest::addRow("11 km north") << Geo{48.0, 11.0} << 48.1 << 48.1 << 11.0 << 11.0;
    QTest::addRow("a corner 11 km off") << Geo{48.0, 11.0} << 47.999 << 48.1 << 11.0 << 11.001;
    QTest::addRow("a centre past 80 degrees") << Geo{80.01, 11.0} << 80.01 << 80.01 << 11.0 << 11.0;
    QTest::addRow("a box past 80 degrees") << Geo{79.999, 11.0} << 79.999 << 80.001 << 11.0 << 11.0;
    QTest::addRow("far south") << Geo{-85.0, 11.0} << -85.0 << -85.0 << 11.0 << 11.0;
    // The antimeridian crossed the long way round: half the earth wide.
    QTest::addRow("around the earth") << Geo{0.0, 179.99} << 0.0 << 0.0 << -179.99 << 179.99;
    QTest::addRow("no latitude") << Geo{48.0, 11.0} << qQNaN() << 48.0 << 11.0 << 11.0;
    QTest::addRow("no longitude") << Geo{48.0, 11.0} << 48.0 << 48.0 << 11.0 << qQNaN();
}

void SiteGeometryTest::boxesNotBounded()
{
    QFETCH(Geo, centre);
    QFETCH(double, minLat);
    QFETCH(double, maxLat);
    QFETCH(double, minLon);
    QFETCH(double, maxLon);
    QVERIFY(!planeBoundsOf(centre, SiteFrame::earth, {minLat, maxLat, minLon, maxLon}));
}

#include "tst_sitegeometry.moc"
