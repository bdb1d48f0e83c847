#include "clirun.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <QProcess>

#include <cmath>

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

// Sites as GIS programs hand them over, read through OGR: the yard of
// data/yard.geojson in other formats and coordinate systems gives the
// yard's own coverage, and what cannot be read is said once, in the
// program's words, with the file, the layer and the feature.
class SiteFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameCoverage_data();
    void sameCoverage();
    void refusals_data();
    void refusals();
    void warnings_data();
    void warnings();
    void nothingWrittenBeside();
    void floorPlan_data();
    void floorPlan();
    void officeOnTheEarth_data();
    void officeOnTheEarth();
    void mapFiles_data();
    void mapFiles();
    void drawingForCad();
    void gapsFiles_data();
    void gapsFiles();
    void planFiles_data();
    void planFiles();
    void scheduleOfPoints();
    void scheduleInPlan();
    void pointsOneRecordEach();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_folder;
};

namespace {

const QString data = QStringLiteral(KAVRELO_DATA_DIR "/");
const QString gis = data + QStringLiteral("gis/");
const QStringList yardSchedule{"--batch", data + "yard.csv", "--format", "csv"};

// The roles of the GeoPackage, whose layers are named as people name them.
const QStringList gpkgRoles{"--role", "site_*=area",   "--role", "GEB*=obstacle",
                            "--role", "zaun=obstacle", "--role", "privacy_*=privacy"};

// A KML Placemark in the yard (48.1 N, 11.5 E), with its attributes.
QByteArray placemark(const QByteArray &name, const QByteArray &role, const QByteArray &geometry,
                     const QByteArray &height = {})
{
    QByteArray data = "<Data name=\"role\"><value>" + role + "</value></Data>";
    if (!height.isEmpty())
        data += "<Data name=\"height\"><value>" + height + "</value></Data>";
    return "<Placemark><name>" + name + "</name><ExtendedData>" + data + "</ExtendedData>"
            + geometry + "</Placemark>";
}

QByteArray folder(const QByteArray &name, const QByteArray &placemarks)
{
    return "<Folder><name>" + name + "</name>" + placemarks + "</Folder>";
}

QByteArray kml(const QByteArray &folders)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>"
            + folders + "</Document></kml>\n";
}

const QByteArray yardSquare = "<Polygon><outerBoundaryIs><LinearRing><coordinates>"
                              "11.5,48.1 11.5016141,48.1 11.5016141,48.1007194 "
                              "11.5,48.1007194 11.5,48.1</coordinates></LinearRing>"
                              "</outerBoundaryIs></Polygon>";
const QByteArray wallLine = "<LineString><coordinates>11.5012106,48.1000899 "
                            "11.5012106,48.1004047</coordinates></LineString>";
const QByteArray bowtie = "<Polygon><outerBoundaryIs><LinearRing><coordinates>"
                          "11.5,48.1 11.501,48.1007 11.501,48.1 11.5,48.1007 11.5,48.1"
                          "</coordinates></LinearRing></outerBoundaryIs></Polygon>";
const QByteArray onePoint = "<Point><coordinates>11.5008,48.1003</coordinates></Point>";

const QByteArray yardArea = folder("yard", placemark("yard", "area", yardSquare));

// A drawing in text, with the header given, of one LINE on A-WALL unless
// the entities are given.
QByteArray drawing(const QByteArray &header,
                   const QByteArray &entities
                   = "0\nLINE\n8\nA-WALL\n10\n0\n20\n0\n11\n1000\n21\n0\n")
{
    const QByteArray headerSection
            = header.isNull() ? QByteArray() : "0\nSECTION\n2\nHEADER\n" + header + "0\nENDSEC\n";
    return headerSection + "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

// The office of data/plans: its camera in the doorway of the south wall's
// middle, 1 m in, 3 m up, looking north along the plan's +y over the glass
// partition at the office and, through the door, the corridor. tan(hfov/2)
// is 3, so that the corridor's whole width is in view.
const QString plans = data + QStringLiteral("plans/");
const QStringList officeCamera{"--bearing",    "0",         "--hfov",      "143.13010235415598",
                               "--resolution", "1920x1080", "--height",    "3",
                               "--tilt",       "30",        "--max-range", "12",
                               "--format",     "csv"};
const QStringList officeRoles{"--role", "A-AREA=area",     "--role", "A-AREA-PRIV=privacy",
                              "--role", "A-WALL=obstacle", "--role", "A-GLAZ=obstacle"};
// The plan as it is, with no place on the earth, and placed at 48.1 N,
// 11.5 E.
const QStringList officePlan
        = QStringList{"--site", plans + "office.dxf", "-x", "10000", "-y", "1000"} + officeRoles;
const QStringList officeOrigin{"--origin", "48.1,11.5"};
const QStringList officePlaced = officePlan + officeOrigin;

// covered_pct and area_m2 of each level's row, by the level's name.
struct Covered
{
    double area;
    double share;
};
std::map<QString, Covered> coveredByLevel(const QByteArray &csv)
{
    std::map<QString, Covered> rows;
    for (const QByteArray &line : csv.split('\n')) {
        const QList<QByteArray> cells = line.split(',');
        if (cells.size() < 6 || (cells.at(0) != "level" && cells.at(0) != "privacy"))
            continue;
        rows[QString::fromUtf8(cells.at(1))] = {cells.at(3).toDouble(), cells.at(5).toDouble()};
    }
    return rows;
}

} // namespace

void SiteFilesTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
}

QString SiteFilesTest::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void SiteFilesTest::sameCoverage_data()
{
    QTest::addColumn<QStringList>("site");

    // UTM zone 32N, no roles in the file: the layers' names give them, in
    // any case and with an umlaut ("Gebäude"); its layer "Outline" has no
    // role and must count for nothing.
    QTest::addRow("GeoPackage in UTM, roles by layer")
            << QStringList{"--site", gis + "yard-utm.gpkg"} + gpkgRoles;
    // ETRS89 / UTM 32N as two files, polygons and lines, ROLE and HEIGHT in
    // upper case, the heights as text.
    QTest::addRow("two Shapefiles in ETRS89, text fields")
            << QStringList{"--site", gis + "yard-polygons.shp", "--site", gis + "yard-lines.shp"};
    // EPSG:4326 with latitude first, as GML 3 writes it.
    QTest::addRow("GML, latitude first") << QStringList{"--site", gis + "yard-4326.gml"};
}

// The same ground from every file, to a hundredth of a percentage point,
// as data/yard.geojson gives it: its figures are held by tst_report and
// tst_sitecommands against independent models.
void SiteFilesTest::sameCoverage()
{
    QFETCH(QStringList, site);
    const CliRun expected
            = runCli(QStringList{"coverage", "--site", data + "yard.geojson"} + yardSchedule);
    QCOMPARE(int(expected.status), 0);
    const CliRun run = runCli(QStringList{"coverage"} + site + yardSchedule);
    QCOMPARE(run.errors, QByteArray());
    QCOMPARE(int(run.status), 0);
    const auto want = coveredByLevel(expected.output);
    const auto got = coveredByLevel(run.output);
    QCOMPARE(got.size(), std::size_t(7)); // six levels and the neighbour's garden
    QCOMPARE(got.size(), want.size());
    for (const auto &[name, covered] : want) {
        QVERIFY2(got.count(name), qPrintable(name));
        QVERIFY2(std::fabs(got.at(name).share - covered.share) <= 0.01, qPrintable(name));
        // Through a projected grid and back, a 100 m edge moves by a tenth of a millimetre.
        QVERIFY2(std::fabs(got.at(name).area - covered.area) <= 0.05, qPrintable(name));
    }
}

void SiteFilesTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments"); // FOLDER/x stands for a file in the test's folder
    QTest::addColumn<QString>("file"); // written there, if not empty
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("message"); // the first line on standard error

    const QStringList coverage = QStringList{"coverage"} + yardSchedule;
    // GDAL's reason, in its words, after the program's.
    QTest::addRow("neither GeoJSON nor a GIS file")
            << (coverage + QStringList{"--site", "FOLDER/notes.txt"}) << "notes.txt"
            << QByteArray("walls: north and east\n")
            << "cannot read FOLDER/notes.txt as a GIS or CAD file: `FOLDER/notes.txt' not "
               "recognized as a supported file format.";
    QTest::addRow("a role of its own that is none")
            << (coverage + QStringList{"--site", "FOLDER/site.kml"}) << "site.kml"
            << kml(yardArea + folder("walls", placemark("w1", "wall", wallLine)))
            << "FOLDER/site.kml, layer walls, feature 1 (w1): unknown role \"wall\"; use area, "
               "obstacle, privacy or background";
    QTest::addRow("a height that is not a number")
            << (coverage + QStringList{"--site", "FOLDER/site.kml"}) << "site.kml"
            << kml(yardArea + folder("walls", placemark("w1", "obstacle", wallLine, "eight")))
            << "FOLDER/site.kml, layer walls, feature 1 (w1): height must be a number of metres, "
               "0 or above";
    QTest::addRow("a negative height")
            << (coverage + QStringList{"--site", "FOLDER/site.kml"}) << "site.kml"
            << kml(yardArea + folder("walls", placemark("w1", "obstacle", wallLine, "-2")))
            << "FOLDER/site.kml, layer walls, feature 1 (w1): height must be a number of metres, "
               "0 or above";
    // As fuzzing found it: a wall that runs off the earth, which GDAL reads.
    QTest::addRow("a line off the earth")
            << (coverage + QStringList{"--site", "FOLDER/site.kml"}) << "site.kml"
            << kml(yardArea
                   + folder("walls",
                            placemark("w1", "obstacle",
                                      "<LineString><coordinates>11.5,48.1001 "
                                      "11.5002,96.1001</coordinates></LineString>")))
            << "FOLDER/site.kml, layer walls, feature 1 (w1): a position is not on the earth";
    QTest::addRow("a layer where nothing fits its role")
            << (coverage + QStringList{"--site", "FOLDER/site.kml"}) << "site.kml"
            << kml(folder("yard", placemark("edge", "area", wallLine)))
            << "FOLDER/site.kml, layer yard: no feature fits its role; feature 1: a LineString "
               "is not a geometry for an area";
    QTest::addRow("a polygon that crosses itself")
            << (coverage + QStringList{"--site", "FOLDER/site.kml"}) << "site.kml"
            << kml(folder("yard", placemark("bowtie", "area", bowtie)))
            << "FOLDER/site.kml: layer yard, feature 1 (bowtie): its polygon is not valid: "
               "Self-intersection at [11.5005000, 48.1003500]";
    QTest::addRow("no role, no --role") << (coverage + QStringList{"--site", gis + "yard-utm.gpkg"})
                                        << QString() << QByteArray()
                                        << gis
                    + "yard-utm.gpkg has no area to cover: its features without a role are only "
                      "drawn; give their layers one with --role PATTERN=area";
    // Usage errors in the options themselves.
    QTest::addRow("--role without a role")
            << (coverage + QStringList{"--site", gis + "yard-utm.gpkg", "--role", "A-WALL"})
            << QString() << QByteArray()
            << "--role \"A-WALL\" is not PATTERN=ROLE, with ROLE area, obstacle, privacy or "
               "background";
    QTest::addRow("--role with an unknown role")
            << (coverage + QStringList{"--site", gis + "yard-utm.gpkg", "--role", "A-WALL=wall"})
            << QString() << QByteArray()
            << "--role \"A-WALL=wall\" is not PATTERN=ROLE, with ROLE area, obstacle, privacy or "
               "background";
    QTest::addRow("--obstacle-height below 0")
            << (coverage
                + QStringList{"--site", gis + "yard-utm.gpkg", "--obstacle-height", "zaun=-1"})
            << QString() << QByteArray()
            << "--obstacle-height \"zaun=-1\" is not PATTERN=m, with m metres, 0 or above";
    // A coordinate system that PROJ does not know: GDAL's reason, with the
    // file and the layer.
    QTest::addRow("an unknown coordinate system")
            << (coverage + QStringList{"--site", "FOLDER/site.gml"}) << "site.gml"
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
                          "<ogr:FeatureCollection xmlns:ogr=\"http://ogr.maptools.org/\" "
                          "xmlns:gml=\"http://www.opengis.net/gml/3.2\"><ogr:featureMember>"
                          "<ogr:yard gml:id=\"yard.0\"><ogr:geometryProperty><gml:Polygon "
                          "srsName=\"urn:ogc:def:crs:EPSG::5800\"><gml:exterior><gml:LinearRing>"
                          "<gml:posList>0 0 100 0 100 100 0 100 0 0</gml:posList>"
                          "</gml:LinearRing></gml:exterior></gml:Polygon></ogr:geometryProperty>"
                          "<ogr:role>area</ogr:role></ogr:yard></ogr:featureMember>"
                          "</ogr:FeatureCollection>\n")
            << "cannot read FOLDER/site.gml, layer yard: PROJ: proj_create: crs not found";
    // Plans: no units, units that plans do not use, no place.
    QTest::addRow("a drawing without units")
            << (coverage + QStringList{"--site", "FOLDER/plan.dxf", "--origin", "48.1,11.5"})
            << "plan.dxf" << drawing(QByteArray())
            << "FOLDER/plan.dxf is a plan that does not say its units: give them with --units "
               "mm|cm|m|in|ft, or set $INSUNITS in the drawing";
    QTest::addRow("a drawing in miles")
            << (coverage + QStringList{"--site", "FOLDER/plan.dxf", "--origin", "48.1,11.5"})
            << "plan.dxf" << drawing("9\n$INSUNITS\n70\n3\n")
            << "FOLDER/plan.dxf is drawn in units that $INSUNITS numbers 3, none of "
               "mm|cm|m|in|ft: say which with --units mm|cm|m|in|ft";
    QTest::addRow("a drawing unitless, and no --units")
            << (coverage + QStringList{"--site", "FOLDER/plan.dxf", "--origin", "48.1,11.5"})
            << "plan.dxf" << drawing("9\n$INSUNITS\n70\n0\n")
            << "FOLDER/plan.dxf is a plan that does not say its units: give them with --units "
               "mm|cm|m|in|ft, or set $INSUNITS in the drawing";
    QTest::addRow("a plan with no place, beside the yard")
            << (coverage
                + QStringList{"--site", data + "yard.geojson", "--site", plans + "office.dxf"})
            << QString() << QByteArray()
            << plans
                    + "office.dxf (its layer A-AREA has no coordinate system) is a plan with no "
                      "place on the earth, and "
                    + data
                    + "yard.geojson lies on the earth: place the plan's (0, 0) with --origin "
                      "LAT,LON and its north with --north DEGREES";
    QTest::addRow("a plan with no place, after the yard in UTM")
            << (coverage
                + QStringList{"--site", plans + "office.dxf", "--site", gis + "yard-utm.gpkg"})
            << QString() << QByteArray()
            << plans
                    + "office.dxf (its layer A-AREA has no coordinate system) is a plan with no "
                      "place on the earth, and "
                    + gis
                    + "yard-utm.gpkg (its layer Site_Area has a coordinate system) lies on the "
                      "earth: place the plan's (0, 0) with --origin LAT,LON and its north with "
                      "--north DEGREES";
    const QStringList unplaced = QStringList{"--site",       plans + "office.dxf",
                                             "--role",       "A-AREA=area",
                                             "--hfov",       "90",
                                             "--resolution", "1920x1080",
                                             "--height",     "3",
                                             "--tilt",       "30",
                                             "--bearing",    "0"};
    const QStringList inPlan{"-x", "10000", "-y", "1000"};
    const QString noLonLat = QStringLiteral(
            "the plan has no place on the earth, and GeoJSON and KML hold longitude and latitude "
            "only: write a file of .gpkg, .shp, .fgb or .dxf instead, or place the plan's (0, 0) "
            "with --origin LAT,LON");
    QTest::addRow("a plan with no place, mapped on standard output")
            << (QStringList{"footprint"} + unplaced + inPlan) << QString() << QByteArray()
            << "the map on standard output: " + noLonLat;
    QTest::addRow("a plan with no place, mapped as KML")
            << (QStringList{"footprint", "--output", "FOLDER/map.kml"} + unplaced + inPlan)
            << QString() << QByteArray() << "--output FOLDER/map.kml: " + noLonLat;
    QTest::addRow("a plan with no place, its gaps as GeoJSON")
            << (QStringList{"coverage", "--gaps", "FOLDER/gaps.geojson"} + unplaced + inPlan)
            << QString() << QByteArray() << "--gaps FOLDER/gaps.geojson: " + noLonLat;
    QTest::addRow("a plan with no place, a camera in degrees")
            << (QStringList{"coverage"} + unplaced + QStringList{"--lat", "48.1", "--lon", "11.5"})
            << QString() << QByteArray()
            << "the plan has no place on the earth, so cameras stand at -x and -y in its units; or "
               "place its (0, 0) with --origin LAT,LON";
    QTest::addRow("x and y on the earth, from nowhere")
            << QStringList{"coverage",
                           "--site",
                           data + "yard.geojson",
                           "-x",
                           "1",
                           "-y",
                           "2",
                           "--hfov",
                           "90",
                           "--resolution",
                           "1920",
                           "--height",
                           "3",
                           "--tilt",
                           "30",
                           "--bearing",
                           "0"}
            << QString() << QByteArray() << "-x and -y need --origin, or a plan as --site";
    QTest::addRow("--units of no plan")
            << (coverage + QStringList{"--site", plans + "office.dxf", "--units", "yd"})
            << QString() << QByteArray() << "--units \"yd\" is none of mm|cm|m|in|ft";
    QTest::addRow("--role without a site")
            << QStringList{"footprint",
                           "--lat",
                           "48.1",
                           "--lon",
                           "11.5",
                           "--bearing",
                           "0",
                           "--hfov",
                           "60",
                           "--resolution",
                           "1920",
                           "--height",
                           "4",
                           "--tilt",
                           "20",
                           "--role",
                           "A-WALL*=obstacle"}
            << QString() << QByteArray() << "--role, --obstacle-height and --area need --site";
}

// Refused before anything is computed: a usage error, nothing on standard
// output.
void SiteFilesTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(QString, message);
    if (!file.isEmpty())
        QVERIFY(!write(file, contents).isEmpty());
    arguments.replaceInStrings(QStringLiteral("FOLDER"), m_folder.path());
    const CliRun run = runCli(arguments);
    QCOMPARE(QString::fromUtf8(run.errors).section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("kavrelo-cli %1: %2")
                     .arg(arguments.first(),
                          QString(message).replace(QStringLiteral("FOLDER"), m_folder.path())));
    QCOMPARE(int(run.status), 2);
    QCOMPARE(run.output, QByteArray());
}

void SiteFilesTest::warnings_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("kml"); // FOLDER/site.kml
    QTest::addColumn<QStringList>("warnings"); // each after "kavrelo-cli coverage: warning: "

    const QStringList yardGpkg = QStringList{"--site", gis + "yard-utm.gpkg"} + gpkgRoles;
    QTest::addRow("a pattern that matches no layer")
            << (yardGpkg + QStringList{"--role", "A-WALL*=obstacle"}) << QByteArray()
            << QStringList{"--role \"A-WALL*\" matches no layer of the site, whose layers are "
                           "Site_Area, Gebäude, zaun, privacy_neighbour, Outline"};
    // A label on the area's layer, and a wall without its geometry.
    QTest::addRow("features that do not fit, left out")
            << QStringList{"--site", "FOLDER/site.kml"}
            << kml(folder("yard",
                          placemark("yard", "area", yardSquare)
                                  + placemark("label", "area", onePoint))
                   + folder("walls",
                            placemark("w1", "obstacle", wallLine, "2")
                                    + placemark("w2", "obstacle", QByteArray())))
            << QStringList{"FOLDER/site.kml, layer walls: left out 1 of 2 features whose "
                           "geometry does not fit their role; the first, feature 2: it has no "
                           "geometry",
                           "FOLDER/site.kml, layer yard: left out 1 of 2 features whose geometry "
                           "does not fit their role; the first, feature 2: a Point is not a "
                           "geometry for an area"};
}

// Said once each, before the run, which goes on without what they name.
void SiteFilesTest::warnings()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, kml);
    QFETCH(QStringList, warnings);
    if (!kml.isEmpty())
        QVERIFY(!write(QStringLiteral("site.kml"), kml).isEmpty());
    arguments.replaceInStrings(QStringLiteral("FOLDER"), m_folder.path());
    const CliRun run = runCli(QStringList{"coverage"} + arguments + yardSchedule);
    QString expected;
    for (const QString &warning : warnings)
        expected += QStringLiteral("kavrelo-cli coverage: warning: %1\n").arg(warning);
    QCOMPARE(QString::fromUtf8(run.errors),
             expected.replace(QStringLiteral("FOLDER"), m_folder.path()));
    QCOMPARE(int(run.status), 0);
    QVERIFY(run.output.startsWith("kind,name,"));
}

// GML read without its schema would leave a .gfs of the schema guessed
// beside it.
void SiteFilesTest::nothingWrittenBeside()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString copy = folder.filePath(QStringLiteral("yard.gml"));
    QVERIFY(QFile::copy(gis + "yard-4326.gml", copy));
    const CliRun run = runCli(QStringList{"coverage", "--site", copy} + yardSchedule);
    QCOMPARE(int(run.status), 0);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"yard.gml"});
}

void SiteFilesTest::floorPlan_data()
{
    QTest::addColumn<QStringList>("more");
    QTest::addColumn<double>("hidden"); // m^2 of the office's 200 that walls and glass hide

    // Worked by hand, in the plan. The inner wall at y = 6 hides the
    // corridor (20 m by 4 m, in view from 5 to 9 m ahead) but for what the
    // door from x = 14 to 15 m lets through: the rays from the camera at
    // (10, 1) through (14, 6) and (15, 6) meet y = 10 at x = 17.2 and 19, a
    // trapezoid of (1 + 1.8) / 2 * 4 = 5.6 m^2. So 80 - 5.6 = 74.4 m^2.
    // The glass, 1.1 m high, is below every line from the lens (3 m) to
    // the target's plane (1.6 m), and hides nothing.
    QTest::addRow("walls, and glass of 1.1 m")
            << QStringList{"--obstacle-height", "A-GLAZ=1.1"} + officeOrigin << 74.4;
    // Worked in the plan's own plane, as the figures were.
    QTest::addRow("walls, and glass of 1.1 m, with no place on the earth")
            << QStringList{"--obstacle-height", "A-GLAZ=1.1"} << 74.4;
    // Without its height the glass hides at every height: from (8, 3) and
    // (12, 3) the rays widen to x = 5 and 15 at the wall, (4 + 10) / 2 * 3 =
    // 21 m^2, and they cover the door, so the corridor's 5.6 m^2 go too.
    QTest::addRow("glass without a height") << officeOrigin << 74.4 + 21.0 + 5.6;
    QTest::addRow("glass without a height, with no place on the earth")
            << QStringList{} << 74.4 + 21.0 + 5.6;
    // The same plan turned: north along its +x, the camera's bearing along
    // its +y is then 270.
    const QStringList northAlongX{"--obstacle-height", "A-GLAZ=1.1", "--north", "90",
                                  "--bearing",         "270"};
    QTest::addRow("north along the plan's x") << northAlongX + officeOrigin << 74.4;
    QTest::addRow("north along the plan's x, with no place on the earth") << northAlongX << 74.4;
    // The units said again change nothing.
    QTest::addRow("--units mm, as the drawing says")
            << QStringList{"--obstacle-height", "A-GLAZ=1.1", "--units", "mm"} + officeOrigin
            << 74.4;
}

// The office's DXF: loose floor lines joined, a slip of 0.4 mm closed, a
// stray line left out with a warning, the door, the desks (a block), the
// hatch and the room names drawn only. What the walls hide is what the same
// plan covers with them as background, less the coverage with them.
void SiteFilesTest::floorPlan()
{
    QFETCH(QStringList, more);
    QFETCH(double, hidden);
    const QStringList arguments = QStringList{"coverage"} + officePlan + officeCamera;
    // The first pattern that matches decides.
    const CliRun open = runCli(
            QStringList{"coverage", "--role", "A-WALL=background", "--role", "A-GLAZ=background"}
            + officePlan + officeCamera + more);
    QCOMPARE(int(open.status), 0);
    const CliRun run = runCli(arguments + more);
    QCOMPARE(int(run.status), 0);
    QCOMPARE(QString::fromUtf8(run.errors),
             QStringLiteral("kavrelo-cli coverage: warning: %1office.dxf, layer A-AREA: left out "
                            "1 of its 5 lines, which close no ring with the others\n")
                     .arg(plans));
    const auto all = coveredByLevel(open.output);
    const auto walled = coveredByLevel(run.output);
    // The floor, 20 m by 10 m, joined from its lines.
    QVERIFY(std::fabs(walled.at("monitor").area - 200.0) < 0.005);
    // The server room, unnamed in the drawing.
    QVERIFY(std::fabs(walled.at("privacy-1").area - 12.0) < 0.005);
    const double covered = walled.at("monitor").share * 2.0; // of 200 m^2
    const double coveredOpen = all.at("monitor").share * 2.0;
    // Shares are shown to 0.01 %, 0.02 m^2 of the floor, each.
    QVERIFY2(std::fabs(coveredOpen - covered - hidden) <= 0.04,
             qPrintable(QStringLiteral("%1 hidden").arg(coveredOpen - covered)));
}

void SiteFilesTest::officeOnTheEarth_data()
{
    QTest::addColumn<QStringList>("site");
    QTest::addColumn<QStringList>("camera");

    const QStringList onEarth{"--lat", "48.1000089934", "--lon", "11.5001342624"};
    QTest::addRow("GeoJSON in degrees")
            << QStringList{"--site", plans + "office.geojson"} << onEarth;
    QTest::addRow("GeoPackage in UTM 32N")
            << QStringList{"--site", plans + "office-utm.gpkg"} << onEarth;
}

// The office placed at 48.1 N, 11.5 E, made from the plan's metres with
// PROJ's own azimuthal equidistant projection, covers as the plan does.
void SiteFilesTest::officeOnTheEarth()
{
    QFETCH(QStringList, site);
    QFETCH(QStringList, camera);
    const CliRun plan = runCli(QStringList{"coverage"} + officePlaced + officeCamera
                               + QStringList{"--obstacle-height", "A-GLAZ=1.1"});
    QCOMPARE(int(plan.status), 0);
    const CliRun run = runCli(QStringList{"coverage"} + site + camera + officeCamera);
    QCOMPARE(run.errors, QByteArray());
    QCOMPARE(int(run.status), 0);
    const auto want = coveredByLevel(plan.output);
    const auto got = coveredByLevel(run.output);
    for (const auto &[name, covered] : want) {
        if (name.startsWith(QLatin1String("privacy")))
            continue; // named by the file
        QVERIFY2(got.count(name), qPrintable(name));
        QVERIFY2(std::fabs(got.at(name).share - covered.share) <= 0.01, qPrintable(name));
    }
}

namespace {

// A layer as OGR reads it back: its features, its geometry and its fields.
struct LayerRead
{
    QString name;
    int features = 0;
    QString geometry; // OGR's name of its type
    QMap<QString, QString> fields; // name: OGR's name of its type
    QString authority; // of its coordinate system, as "EPSG:4326"
};

std::vector<LayerRead> readBack(const QString &path)
{
    GDALAllRegister();
    std::vector<LayerRead> layers;
    GDALDatasetH dataset = GDALOpenEx(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                      nullptr, nullptr, nullptr);
    if (!dataset)
        return layers;
    for (int index = 0; index < GDALDatasetGetLayerCount(dataset); ++index) {
        OGRLayerH layer = GDALDatasetGetLayer(dataset, index);
        OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
        LayerRead read{QString::fromUtf8(OGR_L_GetName(layer)),
                       static_cast<int>(OGR_L_GetFeatureCount(layer, TRUE)),
                       QString::fromUtf8(OGRGeometryTypeToName(OGR_FD_GetGeomType(definition))),
                       {},
                       {}};
        for (int field = 0; field < OGR_FD_GetFieldCount(definition); ++field) {
            OGRFieldDefnH each = OGR_FD_GetFieldDefn(definition, field);
            read.fields[QString::fromUtf8(OGR_Fld_GetNameRef(each))]
                    = QString::fromUtf8(OGR_GetFieldTypeName(OGR_Fld_GetType(each)));
        }
        if (OGRSpatialReferenceH system = OGR_L_GetSpatialRef(layer)) {
            OSRAutoIdentifyEPSG(system);
            read.authority = QStringLiteral("%1:%2").arg(
                    QString::fromUtf8(OSRGetAuthorityName(system, nullptr)),
                    QString::fromUtf8(OSRGetAuthorityCode(system, nullptr)));
        }
        layers.push_back(read);
    }
    GDALClose(dataset);
    return layers;
}

const LayerRead *layerNamed(const std::vector<LayerRead> &layers, const QString &name)
{
    for (const LayerRead &layer : layers) {
        if (layer.name == name)
            return &layer;
    }
    return nullptr;
}

// An independent reader's verdict on a drawing, with what it reads of it.
QString ezdxfReport(const QString &path, const QString &more)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {"-c",
                  "import sys, ezdxf\n"
                  "doc = ezdxf.readfile(sys.argv[1])\n"
                  "auditor = doc.audit()\n"
                  "print('errors', len(auditor.errors), 'units', doc.header['$INSUNITS'])\n"
                          + more,
                  path});
    if (!python.waitForFinished(60000))
        return QStringLiteral("python3 did not finish");
    return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError());
}

const QStringList yardMap{"--site", data + "yard.geojson", "--batch", data + "yard.csv"};

// A layer's first feature as OGR reads it back, of those that an OGR SQL
// filter takes (a FlatGeobuf has them in its index's order): its envelope,
// a field's value and the name of the layer's coordinate system, if any.
struct FirstFeature
{
    OGREnvelope box;
    double value = 0.0;
    QString system;
    bool read = false;
};

FirstFeature firstFeature(const QString &path, const char *field, const char *layerName,
                          const char *filter)
{
    GDALAllRegister();
    FirstFeature first;
    GDALDatasetH dataset = GDALOpenEx(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                      nullptr, nullptr, nullptr);
    if (!dataset)
        return first;
    OGRLayerH layer = layerName ? GDALDatasetGetLayerByName(dataset, layerName)
                                : GDALDatasetGetLayer(dataset, 0);
    if (!layer) {
        GDALClose(dataset);
        return first;
    }
    if (OGRSpatialReferenceH system = OGR_L_GetSpatialRef(layer))
        first.system = QString::fromUtf8(OSRGetName(system));
    OGR_L_SetAttributeFilter(layer, filter);
    if (OGRFeatureH feature = OGR_L_GetNextFeature(layer)) {
        if (OGRGeometryH geometry = OGR_F_GetGeometryRef(feature)) {
            OGR_G_GetEnvelope(geometry, &first.box);
            first.read = true;
        }
        const int index = OGR_F_GetFieldIndex(feature, field);
        first.value = index >= 0 ? OGR_F_GetFieldAsDouble(feature, index) : 0.0;
        OGR_F_Destroy(feature);
    }
    GDALClose(dataset);
    return first;
}

} // namespace

void SiteFilesTest::mapFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("layerFiles"); // each layer's file, beside FILE
    QTest::addColumn<QStringList>("layers"); // their names as read back
    QTest::addColumn<QStringList>("realFields"); // of bands or views, and of cameras

    const QStringList fullNames{"area_m2", "bearing_deg"};
    QTest::addRow("GeoPackage") << "map.gpkg" << QStringList{"map.gpkg", "map.gpkg", "map.gpkg"}
                                << QStringList{"bands", "views", "cameras"} << fullNames;
    QTest::addRow("Shapefile") << "map.shp"
                               << QStringList{"map.shp", "map_views.shp", "map_cameras.shp"}
                               << QStringList{"map", "map_views", "map_cameras"}
                               // A Shapefile's fields have ten letters at most.
                               << QStringList{"area_m2", "bearing_de"};
    QTest::addRow("FlatGeobuf") << "map.fgb"
                                << QStringList{"map.fgb", "map_views.fgb", "map_cameras.fgb"}
                                << QStringList{"bands", "views", "cameras"} << fullNames;
    QTest::addRow("GeoJSON") << "map.geojson"
                             << QStringList{"map.geojson", "map_views.geojson",
                                            "map_cameras.geojson"}
                             << QStringList{"bands", "views", "cameras"} << fullNames;
    QTest::addRow("KML") << "map.kml" << QStringList{"map.kml", "map.kml", "map.kml"}
                         << QStringList{"bands", "views", "cameras"} << fullNames;
}

// footprint --output: every camera, view and band that the GeoJSON on
// standard output has, in the layers of each kind, numbers as reals, on
// WGS 84; nothing on standard output.
void SiteFilesTest::mapFiles()
{
    QFETCH(QString, file);
    QFETCH(QStringList, layerFiles);
    QFETCH(QStringList, layers);
    QFETCH(QStringList, realFields);
    const CliRun geoJson = runCli(QStringList{"footprint"} + yardMap);
    QCOMPARE(int(geoJson.status), 0);
    const int bands = int(geoJson.output.count("\"kind\":\"band\""));
    QCOMPARE(int(geoJson.output.count("\"kind\":\"camera\"")), 3);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const CliRun run
            = runCli(QStringList{"footprint", "--output", folder.filePath(file)} + yardMap);
    // GDAL's own word on the names it shortened, once each, as a warning.
    if (file.endsWith(".shp"))
        QVERIFY(run.errors.startsWith("kavrelo-cli footprint: warning: "));
    else
        QCOMPARE(run.errors, QByteArray());
    QCOMPARE(int(run.status), 0);
    QCOMPARE(run.output, QByteArray());
    const std::vector<int> counts{bands, 3, 3};
    for (int layer = 0; layer < 3; ++layer) {
        const auto read = readBack(folder.filePath(layerFiles.at(layer)));
        const LayerRead *found = layerNamed(read, layers.at(layer));
        QVERIFY2(found, qPrintable(layers.at(layer)));
        QCOMPARE(found->features, counts[static_cast<std::size_t>(layer)]);
        QCOMPARE(found->authority, QStringLiteral("EPSG:4326"));
        QCOMPARE(found->fields.value("camera"), QStringLiteral("String"));
        QCOMPARE(found->fields.value(realFields.at(layer == 2 ? 1 : 0)), QStringLiteral("Real"));
    }
}

// A drawing for the architect's CAD: in the plan's millimetres, a layer of
// each level in its true colour, every band a solid hatch in its layer's
// colour with a closed outline, the camera a point and its name; and an
// independent reader finds no error in it.
void SiteFilesTest::drawingForCad()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath("office.dxf");
    // Its camera, without coverage's --format csv.
    const QStringList camera = officeCamera.mid(0, officeCamera.indexOf("--format"));
    const CliRun run = runCli(QStringList{"footprint"} + officePlaced + camera
                              + QStringList{"--obstacle-height", "A-GLAZ=1.1", "--output", path});
    QCOMPARE(int(run.status), 0);
    const QString report = ezdxfReport(
            path,
            "layers = {layer.dxf.name: layer.rgb for layer in doc.layers}\n"
            "print('detect', layers.get('KAVRELO-DETECT'))\n"
            "for entity in doc.modelspace():\n"
            "    kind = entity.dxftype()\n"
            "    if kind == 'POINT':\n"
            "        print('camera', entity.dxf.layer, round(entity.dxf.location.x, 2),"
            " round(entity.dxf.location.y, 2))\n"
            "    if kind == 'HATCH' and entity.dxf.layer == 'KAVRELO-DETECT':\n"
            "        print('hatch', entity.dxf.solid_fill, entity.dxf.color)\n"
            "    if kind == 'LWPOLYLINE' and entity.dxf.layer == 'KAVRELO-DETECT':\n"
            "        print('outline', entity.closed or entity[0] == entity[-1])\n"
            "    if kind in ('TEXT', 'MTEXT'):\n"
            "        print('name', entity.dxf.layer, entity.plain_text() if kind == 'MTEXT'"
            " else entity.dxf.text)\n");
    // $INSUNITS 4 is millimetres; detect's colour is the palette's second.
    QVERIFY2(report.startsWith("errors 0 units 4\ndetect (158, 202, 225)\n"), qPrintable(report));
    QVERIFY2(report.contains("camera KAVRELO-CAMERAS 10000.0 1000.0\n"), qPrintable(report));
    QVERIFY2(report.contains("hatch 1 256\n"), qPrintable(report));
    QVERIFY2(report.contains("outline True\n"), qPrintable(report));
    QVERIFY2(report.contains("name KAVRELO-CAMERAS camera\n"), qPrintable(report));
    // OGR reads it back too.
    const auto read = readBack(path);
    QVERIFY(layerNamed(read, "entities"));
}

void SiteFilesTest::gapsFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("layer");
    QTest::addRow("GeoPackage") << "gaps.gpkg"
                                << "gaps";
    QTest::addRow("Shapefile") << "gaps.shp"
                               << "gaps";
    QTest::addRow("FlatGeobuf") << "gaps.fgb"
                                << "gaps";
}

// coverage --gaps: as many features as the GeoJSON file has, one per gap.
void SiteFilesTest::gapsFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, layer);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const CliRun json
            = runCli(QStringList{"coverage", "--gaps", folder.filePath("gaps.geojson")} + yardMap);
    QCOMPARE(int(json.status), 0);
    QFile written(folder.filePath("gaps.geojson"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const int gaps = int(written.readAll().count("\"gap\":"));
    QVERIFY(gaps > 6);
    const CliRun run = runCli(QStringList{"coverage", "--gaps", folder.filePath(file)} + yardMap);
    QCOMPARE(run.errors, QByteArray());
    QCOMPARE(int(run.status), 0);
    const auto read = readBack(folder.filePath(file));
    QCOMPARE(int(read.size()), 1);
    QCOMPARE(read.front().features, gaps);
    QCOMPARE(read.front().fields.value("area_m2"), QStringLiteral("Real"));
    QCOMPARE(read.front().fields.value("level"), QStringLiteral("String"));
    Q_UNUSED(layer);
}

void SiteFilesTest::planFiles_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("system"); // of the plan's files, as OGR names it

    // A GeoPackage has its undefined Cartesian system; the others none.
    QTest::addRow("GeoPackage") << "gpkg"
                                << "Undefined Cartesian SRS";
    QTest::addRow("Shapefile") << "shp" << QString();
    QTest::addRow("FlatGeobuf") << "fgb" << QString();
}

// The office with no place on the earth, written in the plan's millimetres.
// The largest gap at monitor is the corridor west of the ray from the
// camera at (10, 1) m through the door's west post (14, 6), which meets the
// north wall at x = 17.2: a quadrilateral from (0, 6) to (17.2, 10) of
// (14 + 17.2) / 2 * 4 = 62.4 m^2.
void SiteFilesTest::planFiles()
{
    QFETCH(QString, extension);
    QFETCH(QString, system);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString gaps = folder.filePath("gaps." + extension);
    const QString map = folder.filePath("map." + extension);
    const QStringList office = officePlan + officeCamera.mid(0, officeCamera.indexOf("--format"))
            + QStringList{"--obstacle-height", "A-GLAZ=1.1"};
    const CliRun coverage = runCli(QStringList{"coverage", "--gaps", gaps} + office);
    QCOMPARE(int(coverage.status), 0);
    const CliRun footprint = runCli(QStringList{"footprint", "--output", map} + office);
    QCOMPARE(int(footprint.status), 0);

    const FirstFeature gap
            = firstFeature(gaps, "area_m2", nullptr, "level = 'monitor' AND gap = 1");
    QVERIFY(gap.read);
    QCOMPARE(gap.system, system);
    QCOMPARE(gap.value, 62.4);
    QCOMPARE(std::vector<double>({gap.box.MinX, gap.box.MinY, gap.box.MaxX, gap.box.MaxY}),
             std::vector<double>({0.0, 6000.0, 17200.0, 10000.0}));
    // The camera where -x and -y put it, 3 m up.
    const bool oneFile = extension == "gpkg";
    const FirstFeature camera
            = firstFeature(oneFile ? map : folder.filePath("map_cameras." + extension), "height_m",
                           oneFile ? "cameras" : nullptr, nullptr);
    QVERIFY(camera.read);
    QCOMPARE(camera.system, system);
    QCOMPARE(camera.value, 3.0);
    QCOMPARE(std::vector<double>({camera.box.MinX, camera.box.MinY}),
             std::vector<double>({10000.0, 1000.0}));
}

// The yard's cameras as a GeoPackage of points in UTM, their fields typed
// (bearing, hfov, height and tilt integers): the coverage of the CSV.
void SiteFilesTest::scheduleOfPoints()
{
    const QStringList coverage{"coverage", "--site", data + "yard.geojson", "--format", "csv"};
    const CliRun csv = runCli(coverage + QStringList{"--batch", data + "yard.csv"});
    const CliRun points = runCli(coverage + QStringList{"--batch", gis + "yard-cameras.gpkg"});
    QCOMPARE(points.errors, QByteArray());
    QCOMPARE(int(points.status), 0);
    const auto want = coveredByLevel(csv.output);
    const auto got = coveredByLevel(points.output);
    QCOMPARE(got.size(), want.size());
    for (const auto &[name, covered] : want)
        QVERIFY2(std::fabs(got.at(name).share - covered.share) <= 0.01, qPrintable(name));
}

// Cameras drawn as points into a drawing, in the plan's millimetres: the
// coverage of the same camera at -x and -y.
void SiteFilesTest::scheduleInPlan()
{
    const QString path = write(
            "cameras.dxf",
            drawing("9\n$INSUNITS\n70\n4\n", "0\nPOINT\n8\nCAMERAS\n10\n10000\n20\n1000\n"));
    QVERIFY(!path.isEmpty());
    const QStringList office
            = QStringList{"coverage", "--site", plans + "office.dxf"} + officeRoles + officeCamera;
    const CliRun one = runCli(office + QStringList{"-x", "10000", "-y", "1000"});
    QCOMPARE(int(one.status), 0);
    const CliRun points = runCli(office + QStringList{"--batch", path});
    QCOMPARE(int(points.status), 0);
    QCOMPARE(points.output, one.output);
}

// Every feature is one record, in order: one without a point is a record
// in error, named as its line would be; a layer of other shapes is no
// schedule at all.
void SiteFilesTest::pointsOneRecordEach()
{
    const QByteArray points
            = "{\"type\":\"FeatureCollection\",\"features\":["
              "{\"type\":\"Feature\",\"properties\":{\"camera\":\"gate\",\"bearing\":45},"
              "\"geometry\":{\"type\":\"Point\",\"coordinates\":[11.5000269,48.100018]}},"
              "{\"type\":\"Feature\",\"properties\":{\"camera\":\"lost\",\"bearing\":90},"
              "\"geometry\":null},"
              "{\"type\":\"Feature\",\"properties\":{\"camera\":\"dock\",\"bearing\":\"W\"},"
              "\"geometry\":{\"type\":\"Point\",\"coordinates\":[11.5015872,48.1003597]}}]}";
    const QString path = write("cameras.geojson", points);
    QVERIFY(!path.isEmpty());
    const QStringList camera{"--resolution", "2688x1520", "--hfov", "70",
                             "--height",     "6",         "--tilt", "25"};
    const CliRun run = runCli(QStringList{"footprint", "--batch", path} + camera);
    QCOMPARE(int(run.status), 1);
    QCOMPARE(int(run.output.count("\"kind\":\"camera\"")), 2);
    QVERIFY(run.output.indexOf("\"camera\":\"gate\"") < run.output.indexOf("\"camera\":\"dock\""));
    QCOMPARE(QString::fromUtf8(run.errors),
             QStringLiteral("kavrelo-cli footprint: line 3: Latitude: no value given\n"));

    const CliRun polygons
            = runCli(QStringList{"footprint", "--batch", data + "yard.geojson"} + camera);
    QCOMPARE(int(polygons.status), 2);
    QVERIFY(polygons.errors.startsWith(
            QString("kavrelo-cli footprint: %1yard.geojson, layer yard, feature 1: a Polygon is "
                    "not where a camera stands; a schedule is a layer of points\n")
                    .arg(data)
                    .toUtf8()));
    QCOMPARE(polygons.output, QByteArray());
}

QTEST_GUILESS_MAIN(SiteFilesTest)
#include "tst_sitefiles.moc"
