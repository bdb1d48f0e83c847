#include "clirun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <random>

#include <geos_c.h>

// footprint and coverage as a user runs them, in-process: what they refuse
// and how, what they write, and the worked example S1 to the last digit
// shown.
class SiteCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusals_data();
    void refusals();
    void footprintGeoJson();
    void footprintKml();
    void editionColours_data();
    void editionColours();
    void steepestAngle_data();
    void steepestAngle();
    void mountSteepestAngle_data();
    void mountSteepestAngle();
    void oneKeyEach_data();
    void oneKeyEach();
    void mapsWrittenAsTheyGo_data();
    void mapsWrittenAsTheyGo();
    void bearings_data();
    void bearings();
    void bearingShown_data();
    void bearingShown();
    void planePositions_data();
    void planePositions();
    void coverageOfS1();
    void privacyRow();
    void leftOutCounted_data();
    void leftOutCounted();
    void requirements_data();
    void requirements();
    void gapsFile();
    void validAsWritten_data();
    void validAsWritten();

private:
    QString site(const QByteArray &json);
    QTemporaryDir m_folder;
    int m_sites = 0;
    QString m_siteS1;
};

namespace {

const QByteArray siteS1 = R"({"type":"Polygon","coordinates":[[[13.405,52.5197304],)"
                          R"([13.4064732,52.5197304],[13.4064732,52.5202696],)"
                          R"([13.405,52.5202696],[13.405,52.5197304]]]})";
const QByteArray scheduleS1 = "camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                              "gate,52.52,13.405,90,1920x1080,60,4,20\n";

QByteArray feature(const QByteArray &properties, const QByteArray &geometry)
{
    return R"({"type":"Feature","properties":)" + properties + R"(,"geometry":)" + geometry + "}";
}

// No regular expressions: valgrind takes their JIT code for bad reads.
// Whether a number anywhere has more than 7 decimals.
bool hasLongDecimals(const QByteArray &text)
{
    int decimals = -1; // not after a point
    for (const char c : text) {
        if (c == '.')
            decimals = 0;
        else if (c >= '0' && c <= '9' && decimals >= 0 && ++decimals > 7)
            return true;
        else if (c < '0' || c > '9')
            decimals = -1;
    }
    return false;
}

// aabbggrr
bool isKmlColour(const QString &text)
{
    return text.size() == 8 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

const QByteArray square
        = R"({"type":"Polygon","coordinates":[[[13.405,52.52],[13.406,52.52],[13.406,52.521],)"
          R"([13.405,52.521],[13.405,52.52]]]})";

} // namespace

void SiteCommandsTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_siteS1 = site(siteS1);
    // An old file of gaps, and a link to it.
    QFile kept(m_folder.filePath("kept.geojson"));
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("{}") == 2);
    QVERIFY(QFile::link(m_folder.filePath("kept.geojson"), m_folder.filePath("link.svg")));
}

QString SiteCommandsTest::site(const QByteArray &json)
{
    const QString path = m_folder.filePath(QStringLiteral("site-%1.geojson").arg(++m_sites));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size())
        return {};
    return path;
}

void SiteCommandsTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("siteJson"); // written to a file that SITE stands for
    QTest::addColumn<QByteArray>("schedule");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // the first line on standard error

    const QStringList s1{"coverage", "--site", "SITE", "--batch", "-"};
    const QStringList map{"footprint", "--site", "SITE", "--batch", "-"};
    // Usage errors: nothing is computed.
    // Output refused before anything is computed: one file would replace
    // the other.
    QTest::addRow("--gaps and --plot on one path")
            << (s1 + QStringList{"--gaps", "FOLDER/one.json", "--plot", "FOLDER/one.json"})
            << siteS1 << scheduleS1 << 3
            << "kavrelo-cli coverage: cannot write FOLDER/one.json: --gaps and --plot name one "
               "file";
    QTest::addRow("--plot through a link to --gaps")
            << (s1 + QStringList{"--gaps", "FOLDER/kept.geojson", "--plot", "FOLDER/link.svg"})
            << siteS1 << scheduleS1 << 3
            << "kavrelo-cli coverage: cannot write FOLDER/link.svg: --gaps and --plot name one "
               "file";
    // A level so loose that it holds to the horizon, on a camera that looks
    // up: its view has no far edge, which no format can hold.
    const QByteArray upward = "camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                              "gate,52.52,13.405,90,1920x1080,60,4,-5\n";
    QTest::addRow("a view without end on the map")
            << QStringList{"footprint", "--levels", "a=1e-308", "--batch", "-"} << QByteArray()
            << upward << 1
            << "kavrelo-cli footprint: line 2: the view has no finite far edge; give --max-range";
    QTest::addRow("a view without end in the coverage")
            << (s1 + QStringList{"--levels", "a=1e-308"}) << siteS1 << upward << 1
            << "kavrelo-cli coverage: line 2: the view has no finite far edge; give --max-range";
    QTest::addRow("coverage without a site")
            << QStringList{"coverage", "--batch", "-"} << QByteArray() << scheduleS1 << 2
            << "kavrelo-cli coverage: --site is required";
    QTest::addRow("a site that is not JSON")
            << s1 << QByteArray("{\"type\":\n\"Polygon\",]") << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE is not GeoJSON: unterminated object at line 2, column "
               "12";
    QTest::addRow("an unknown role")
            << s1 << feature(R"({"role":"garden","name":"back"})", square) << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: feature 1 (back): unknown role \"garden\"; use "
               "area, obstacle or privacy";
    QTest::addRow("a point for an area")
            << s1 << feature("{}", R"({"type":"Point","coordinates":[13.4,52.5]})") << scheduleS1
            << 2
            << "kavrelo-cli coverage: SITE: feature 1: a Point is not a geometry for an area; "
               "use Polygon or MultiPolygon";
    // Quoted from the file on one line, the terminal's escape shown.
    QTest::addRow("a geometry's type with a line break and an escape")
            << s1 << feature("{}", R"({"type":"Po\nint\u001b[2J","coordinates":[13.4,52.5]})")
            << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: feature 1: a Po<U+000A>int<U+001B>[2J is not a "
               "geometry for an area; use Polygon or MultiPolygon";
    QTest::addRow("a negative height")
            << map << feature(R"({"role":"obstacle","height":-2})", square) << scheduleS1 << 2
            << "kavrelo-cli footprint: SITE: feature 1: height must be a number of metres, 0 or "
               "above";
    QTest::addRow("a polygon that crosses itself")
            << s1
            << feature(R"({"name":"bow"})",
                       R"({"type":"Polygon","coordinates":[[[13.405,52.52],[13.406,52.521],)"
                       R"([13.406,52.52],[13.405,52.521],[13.405,52.52]]]})")
            << scheduleS1
            << 2
            // Where its diagonals cross, at its centre, as the file has it.
            << "kavrelo-cli coverage: SITE: feature 1 (bow): its polygon is not valid: "
               "Self-intersection at [13.4055000, 52.5205000]";
    QTest::addRow("an open ring")
            << s1
            << QByteArray(R"({"type":"Polygon","coordinates":[[[13.405,52.52],[13.406,52.52],)"
                          R"([13.406,52.521],[13.405,52.521]]]})")
            << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: feature 1: a ring must be closed, with 4 positions "
               "at least";
    QTest::addRow("across the antimeridian")
            << s1
            << QByteArray(R"({"type":"Polygon","coordinates":[[[179.99,-17],[-179.99,-17],)"
                          R"([-179.99,-16.99],[179.99,-16.99],[179.99,-17]]]})")
            << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: the site lies on both sides of the antimeridian, and "
               "sites across it are not supported";
    QTest::addRow("split at the antimeridian, as RFC 7946 asks")
            << s1
            << QByteArray(R"({"type":"MultiPolygon","coordinates":[[[[179.9,-16.5],[180,-16.5],)"
                          R"([180,-16.4],[179.9,-16.4],[179.9,-16.5]]],[[[-180,-16.5],)"
                          R"([-179.9,-16.5],[-179.9,-16.4],[-180,-16.4],[-180,-16.5]]]]})")
            << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: the site lies on both sides of the antimeridian, and "
               "sites across it are not supported";
    QTest::addRow("a null geometry")
            << s1 << feature("{}", "null") << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: feature 1: its geometry is null";
    QTest::addRow("a longitude just past 180")
            << s1
            << QByteArray(R"({"type":"Polygon","coordinates":[[[180.0005,-16.5],[179,-16.5],)"
                          R"([179,-16],[180.0005,-16.5]]]})")
            << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: feature 1: the longitude 180.0005 is not within "
               "\u00B1180";
    QTest::addRow("a latitude past the pole")
            << s1
            << QByteArray(R"({"type":"Polygon","coordinates":[[[10,90.25],[11,89],)"
                          R"([12,89],[10,90.25]]]})")
            << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE: feature 1: the latitude 90.25 is not within \u00B190";
    QTest::addRow("one camera that cannot be placed")
            << QStringList{"footprint", "--lat",     "52.52", "--lon",
                           "13.405",    "--bearing", "up",    "--resolution",
                           "1920x1080", "--hfov",    "60",    "--height",
                           "4",         "--tilt",    "20"}
            << QByteArray() << QByteArray() << 1
            << "kavrelo-cli footprint: Bearing: \"up\" is neither a number nor a compass point";
    QTest::addRow("a site without an area")
            << s1 << feature(R"({"role":"privacy"})", square) << scheduleS1 << 2
            << "kavrelo-cli coverage: SITE has no area to cover";
    QTest::addRow("a report over a site without an area")
            << QStringList{"report",           "--site",  "SITE", "--output",
                           "FOLDER/never.pdf", "--batch", "-"}
            << feature(R"({"role":"obstacle"})", square) << scheduleS1 << 2
            << "kavrelo-cli report: SITE has no area to cover";
    QTest::addRow("levels without densities")
            << s1 + QStringList{"--levels", "near=10,far"} << siteS1 << scheduleS1 << 2
            << "kavrelo-cli coverage: --levels: \"far\" is neither a year of the standard's "
               "levels (2014 or 2025) nor NAME=PX with PX a finite number above 0";
    QTest::addRow("two sets of the standard, thirteen levels")
            << s1 + QStringList{"--levels", "2014,2025"} << siteS1 << scheduleS1 << 2
            << "kavrelo-cli coverage: --levels takes 1 to 12 levels, not 13";
    QTest::addRow("a set of the standard with one of its levels again")
            << s1 + QStringList{"--levels", "2025,perceive=100"} << siteS1 << scheduleS1 << 2
            << "kavrelo-cli coverage: --levels: \"perceive\" is named twice";
    QTest::addRow("requiring a level of the other edition")
            << s1 + QStringList{"--levels", "2025", "--require", "detect=50"} << siteS1
            << scheduleS1 << 2 << "kavrelo-cli coverage: --require: no level is named \"detect\"";
    QTest::addRow("levels named twice")
            << s1 + QStringList{"--levels", "a=10,a=20"} << siteS1 << scheduleS1 << 2
            << "kavrelo-cli coverage: --levels: \"a\" is named twice";
    QTest::addRow("a level in capitals")
            << s1 + QStringList{"--levels", "Near=10"} << siteS1 << scheduleS1 << 2
            << "kavrelo-cli coverage: --levels: the name \"Near\" must be lowercase letters, "
               "digits and -";
    QTest::addRow("requiring an unknown level")
            << s1 + QStringList{"--require", "spot=50"} << siteS1 << scheduleS1 << 2
            << "kavrelo-cli coverage: --require: no level is named \"spot\"";
    const QStringList onePole{"footprint", "--lat",    "48.1",   "--lon",  "11.5",
                              "--bearing", "0",        "--hfov", "90",     "--resolution",
                              "1920x1080", "--height", "6",      "--tilt", "0"};
    QTest::addRow("a steepest angle of 0")
            << onePole + QStringList{"--max-angle", "identify=0"} << QByteArray() << QByteArray()
            << 2
            << "kavrelo-cli footprint: --max-angle: identify=0 must be above 0 and below 90 "
               "degrees";
    QTest::addRow("a steepest angle of 90")
            << onePole + QStringList{"--max-angle", "identify=90"} << QByteArray() << QByteArray()
            << 2
            << "kavrelo-cli footprint: --max-angle: identify=90 must be above 0 and below 90 "
               "degrees";
    QTest::addRow("a steepest angle in words")
            << onePole + QStringList{"--max-angle", "identify=thirty"} << QByteArray()
            << QByteArray() << 2
            << "kavrelo-cli footprint: --max-angle: \"identify=thirty\" is not LEVEL=DEGREES";
    QTest::addRow("a steepest angle of a level not in the set")
            << onePole + QStringList{"--levels", "2025", "--max-angle", "identify=30"}
            << QByteArray() << QByteArray() << 2
            << "kavrelo-cli footprint: --max-angle: no level is named \"identify\"";
    QTest::addRow("a level limited twice")
            << onePole + QStringList{"--max-angle", "identify=30", "--max-angle", "identify=20"}
            << QByteArray() << QByteArray() << 2
            << "kavrelo-cli footprint: --max-angle: identify is limited twice";
    QTest::addRow("requiring over 100 percent")
            << s1 + QStringList{"--require", "detect=101"} << siteS1 << scheduleS1 << 2
            << "kavrelo-cli coverage: --require: detect=101 must be a percentage from 0 to 100";
    QTest::addRow("x and y without an origin")
            << QStringList{"footprint", "--batch", "-"} << QByteArray()
            << QByteArray("x,y,bearing,resolution,hfov,height,tilt\n0,0,90,1920x1080,60,4,20\n")
            << 2 << "kavrelo-cli footprint: -x and -y need --origin";
    QTest::addRow("lat and lon with x and y")
            << QStringList{"footprint", "--origin", "52.52,13.405", "--batch", "-"} << QByteArray()
            << QByteArray("lat,lon,x,y,bearing,resolution,hfov,height,tilt\n"
                          "52.52,13.405,,,90,1920x1080,60,4,20\n")
            << 2 << "kavrelo-cli footprint: give --lat and --lon, or -x and -y, not both";
    // Rows in error: every other camera still counts.
    const QByteArray header = "camera,lat,lon,bearing,resolution,hfov,height,tilt\n";
    QTest::addRow("a latitude off the earth")
            << map << siteS1 << header + "gate,95,13.405,90,1920x1080,60,4,20\n"
            << 1
            << "kavrelo-cli footprint: line 2: Latitude: \"95\" must lie between -90 and 90 "
               "degrees";
    // Each feature's kind is the map's own property.
    QTest::addRow("a column named kind")
            << map << siteS1 << "Kind," + header + "mast,gate,52.52,13.405,90,1920x1080,60,4,20\n"
            << 2
            << "kavrelo-cli footprint: standard input: the column \"Kind\" has the name of a "
               "field that the output writes itself";
    QTest::addRow("a bearing that is no direction")
            << map << siteS1 << header + "gate,52.52,13.405,up,1920x1080,60,4,20\n"
            << 1
            << "kavrelo-cli footprint: line 2: Bearing: \"up\" is neither a number nor a "
               "compass point";
    QTest::addRow("a tilt the mount refuses")
            << map << siteS1 << header + "gate,52.52,13.405,90,1920x1080,60,4,95\n"
            << 1
            << "kavrelo-cli footprint: line 2: Tilt: \"95\" must lie between -90 and 90 degrees";
    QTest::addRow("a view across the antimeridian")
            << map << siteS1 << header + "fiji,-17,179.9999,90,1920x1080,60,4,20\n"
            << 1 << "kavrelo-cli footprint: line 2: the camera's view crosses the antimeridian";
    const QStringList bare{"footprint", "--batch", "-"};
    // A pole 55.6 m ahead of a camera 0.0005 degrees short of it, inside a
    // view that reaches 114 m: every longitude is in view.
    QTest::addRow("a view over the pole")
            << bare << siteS1 << header + "north,89.9995,10,0,1920x1080,60,4,20\n"
            << 1 << "kavrelo-cli footprint: line 2: the camera's view reaches over the north pole";
    QTest::addRow("a view beside the pole, looking away")
            << bare << siteS1 << header + "north,89.9995,10,180,1920x1080,60,4,20\n"
            << 0 << QString();
    // 4,294,967,296 pixels across 60 degrees (and up) are f = 2^31 / tan 30 px, so
    // monitor holds to the depth z = f / 12.5 = 2.9756e8 m, D = (z - 2.4 sin
    // 20) / cos 20 = 3.16661e8 m out on the target's plane and z tan 30 to
    // the side: the corner is 360262.4 km away, in Berlin, far from both
    // the antimeridian and the poles.
    QTest::addRow("a view of 360,262 km")
            << bare << siteS1 << header + "huge,52.52,13.405,90,4294967296x4294967296,60,4,20\n"
            << 1
            << "kavrelo-cli footprint: line 2: the view reaches 360262.4 km from the camera, more "
               "than the 50 km that a local plane holds";
    QTest::addRow("a camera 60 km away")
            << s1 << siteS1 << header + "far,53.06,13.405,90,1920x1080,60,4,20\n"
            << 1
            << "kavrelo-cli coverage: line 2: the camera is 60.1 km from the site's centre, more "
               "than 50 km";
}

void SiteCommandsTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, siteJson);
    QFETCH(QByteArray, schedule);
    const QString path = siteJson.isEmpty() ? QString() : site(siteJson);
    for (QString &argument : arguments)
        argument.replace(QStringLiteral("SITE"), path).replace("FOLDER", m_folder.path());
    const CliRun run = runCli(arguments, schedule);
    QTEST(int(run.status), "status");
    QFETCH(QString, message);
    message.replace(QStringLiteral("SITE"), path).replace("FOLDER", m_folder.path());
    const QString firstLine = QString::fromUtf8(run.errors).section(QLatin1Char('\n'), 0, 0);
    QVERIFY2(firstLine.startsWith(message), qPrintable(firstLine));
    if (run.status == ExitStatus::usage)
        QCOMPARE(run.output, QByteArray());
    for (const char *notANumber : {"nan", "inf"})
        QVERIFY2(!run.output.contains(notANumber), run.output.constData());
    // A map is a map, if an empty one, whatever could not be placed.
    if (arguments.first() == "footprint" && run.status == ExitStatus::badInput)
        QVERIFY2(run.output.startsWith(R"({"type":"FeatureCollection","features":[)")
                         && run.output.endsWith("]}\n"),
                 run.output.constData());
}

// RFC 7946: a FeatureCollection without crs, [lon, lat] with at most 7
// decimals, closed rings, exteriors counter-clockwise; the S1 gate's view
// and bands with their figures.
void SiteCommandsTest::footprintGeoJson()
{
    const CliRun run = runCli({"footprint", "--batch", "-"}, scheduleS1);
    QCOMPARE(int(run.status), 0);
    QVERIFY(!hasLongDecimals(run.output));
    const QJsonObject collection = QJsonDocument::fromJson(run.output).object();
    QCOMPARE(collection.value("type").toString(), QStringLiteral("FeatureCollection"));
    QVERIFY(!collection.contains("crs"));
    QStringList seen;
    for (const QJsonValue &value : collection.value("features").toArray()) {
        const QJsonObject properties = value.toObject().value("properties").toObject();
        QCOMPARE(properties.value("camera").toString(), QStringLiteral("gate"));
        const QString kind = properties.value("kind").toString();
        const QJsonObject geometry = value.toObject().value("geometry").toObject();
        if (kind == QLatin1String("camera")) {
            QCOMPARE(geometry.value("coordinates").toArray(), (QJsonArray{13.405, 52.52}));
            QCOMPARE(properties.value("bearing_deg").toDouble(), 90.0);
            QCOMPARE(properties.value("vfov_deg").toDouble(), 35.9834);
            seen << kind;
            continue;
        }
        QCOMPARE(geometry.value("type").toString(), QStringLiteral("Polygon"));
        const QJsonArray ring = geometry.value("coordinates").toArray().at(0).toArray();
        QCOMPARE(ring.first(), ring.last());
        double turning = 0.0;
        for (int index = 0; index + 1 < ring.size(); ++index) {
            const QJsonArray a = ring.at(index).toArray();
            const QJsonArray b = ring.at(index + 1).toArray();
            turning += a.at(0).toDouble() * b.at(1).toDouble()
                    - b.at(0).toDouble() * a.at(1).toDouble();
        }
        QVERIFY(turning > 0.0);
        seen << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(kind, properties.value("level").toString())
                        .arg(properties.value("near_m").toDouble())
                        .arg(properties.value("far_m").toDouble())
                        .arg(properties.value("area_m2").toDouble());
    }
    QCOMPARE(seen,
             (QStringList{"camera", "view  5.12 114.07 7217.43", "band detect 27.44 68.44 2171.86",
                          "band observe 13.28 27.44 326.15", "band recognize 6.2 13.28 81.54",
                          "band identify 3.07 6.2 18.73"}));
}

// Well-formed KML 2.2: a shared style per level, a folder per camera, its
// colours aabbggrr, polygons on the ground.
void SiteCommandsTest::editionColours_data()
{
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<QStringList>("bands"); // each band's level and fill, nearest last

    // ColorBrewer's YlOrRd of seven classes, as colorbrewer2.org lists it,
    // loosest first. Tilted 10 degrees, 3840 px across 60 degrees from 3 m
    // up meet all but scrutinize (1500 px/m reach 2.2 m, short of the
    // view's near edge at 2.7 m); tilted 30, only the two strictest.
    QTest::addRow("the loose levels")
            << "10" << QStringList{"overview #ffffb2", "outline #fed976",      "discern #feb24c",
                                   "perceive #fd8d3c", "characterize #fc4e2a", "validate #e31a1c"};
    QTest::addRow("the strict levels")
            << "30" << QStringList{"validate #e31a1c", "scrutinize #b10026"};
}

// The 2025 edition's levels in the colours of a published palette that
// readers with red-green colour blindness tell apart.
void SiteCommandsTest::editionColours()
{
    QFETCH(QString, tilt);
    QFETCH(QStringList, bands);
    const CliRun run = runCli({"footprint", "--lat", "48.1", "--lon", "11.5", "--bearing", "0",
                               "--hfov", "60", "--resolution", "3840x2160", "--height", "3",
                               "--tilt", tilt, "--levels", "2025"});
    QCOMPARE(int(run.status), 0);
    QStringList found;
    const QJsonArray features = QJsonDocument::fromJson(run.output).object()["features"].toArray();
    for (const QJsonValue &feature : features) {
        const QJsonObject properties = feature.toObject()["properties"].toObject();
        if (properties["kind"].toString() == "band")
            found << properties["level"].toString() + " " + properties["fill"].toString();
    }
    QCOMPARE(found, bands);
}

void SiteCommandsTest::steepestAngle_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<double>("area"); // m^2 where the one level holds; 0: nowhere

    // Level, 1920 px across 90 degrees, 6 m up, the target's plane at 1.6 m:
    // the view is the wedge |X| <= D about the pole, its near edge where
    // the image's lower edge, atan(0.5625) down, meets the plane, at
    // 4.4 / 0.5625 = 7.8222 m, and one (30 px/m) holds to 960 / 30 = 32 m:
    // 32^2 - 7.8222^2 = 962.8128 m^2. At most 25 degrees steep, the circle
    // of 4.4 / tan 25 = 9.4358 m goes: beyond the near edge it is a segment
    // of r^2 acos(n / r) - n sqrt(r^2 - n^2) = 11.5631 m^2, its chord (5.28 m
    // either side) inside the wedge.
    const double wedge = 32.0 * 32.0 - std::pow(4.4 / 0.5625, 2);
    const double r = 4.4 / std::tan(25.0 * M_PI / 180.0);
    const double n = 4.4 / 0.5625;
    const double segment = r * r * std::acos(n / r) - n * std::sqrt(r * r - n * n);
    for (const QString command : {"footprint", "coverage"}) {
        QTest::addRow("%s, no limit", qPrintable(command)) << command << QString() << wedge;
        QTest::addRow("%s, 25 degrees", qPrintable(command)) << command << "25" << wedge - segment;
        // 4.4 / tan 35 = 6.28 m, short of the near edge.
        QTest::addRow("%s, a circle short of the view", qPrintable(command))
                << command << "35" << wedge;
        // 4.4 / tan 5 = 50.3 m, past the wedge's far corners at 45.3 m.
        QTest::addRow("%s, a circle past the view", qPrintable(command)) << command << "5" << 0.0;
    }
}

// A level under a steepest angle loses the circle about the pole, and the
// area left agrees with the analytic figure to 0.01 m^2.
void SiteCommandsTest::steepestAngle()
{
    QFETCH(QString, command);
    QFETCH(QString, degrees);
    QFETCH(double, area);
    QStringList arguments{command, "--lat",  "52.5205", "--lon",        "13.4055",   "--bearing",
                          "0",     "--hfov", "90",      "--resolution", "1920x1080", "--height",
                          "6",     "--tilt", "0",       "--levels",     "one=30"};
    if (!degrees.isEmpty())
        arguments << "--max-angle"
                  << "one=" + degrees;
    double found = 0.0;
    if (command == "coverage") {
        // A site of 111 m by 68 m about the pole, wider than the wedge.
        arguments << "--site" << site(feature(R"({"role":"area"})", square)) << "--format"
                  << "json";
        const CliRun run = runCli(arguments);
        QCOMPARE(int(run.status), 0);
        for (const QByteArray &line : run.output.split('\n')) {
            const QJsonObject row = QJsonDocument::fromJson(line).object();
            if (row["name"].toString() == "one")
                found = row["covered_m2"].toDouble();
        }
    } else {
        const CliRun run = runCli(arguments);
        QCOMPARE(int(run.status), 0);
        const QJsonArray features
                = QJsonDocument::fromJson(run.output).object()["features"].toArray();
        for (const QJsonValue &feature : features) {
            const QJsonObject properties = feature.toObject()["properties"].toObject();
            if (properties["kind"].toString() == "band")
                found += properties["area_m2"].toDouble();
        }
    }
    // Two decimals shown, and 0.01 m^2 of the circle's polygon.
    QVERIFY2(std::fabs(found - area) <= 0.015, qPrintable(QString::number(found, 'f', 4)));
}

void SiteCommandsTest::mountSteepestAngle_data()
{
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<QJsonValue>("from"); // identify's, in metres; null: not met
    QTest::addColumn<QJsonValue>("to");

    // 1920 px across 60 degrees, 6 m up, tilted 30, the target at 1.6 m
    // (4.4 m below the lens). tan(vfov / 2) = tan 30 * 1080 / 1920 =
    // 0.324760, so the image's lower edge is 47.9907 degrees down and the
    // target's plane is in view from 4.4 / tan 47.9907 = 3.9629 m. Identify
    // (250 px/m) holds to a depth 1920 / (2 * 250 * tan 30) = 6.6511 m, the
    // depth being D cos 30 + 4.4 sin 30: to D = 4.4511 / 0.866025 = 5.1397 m.
    QTest::addRow("the circle inside the band, 45 degrees: 4.4 / tan 45")
            << "45" << QJsonValue(4.4) << QJsonValue(5.1397);
    QTest::addRow("the circle short of the band, 60 degrees: 4.4 / tan 60 = 2.54")
            << "60" << QJsonValue(3.9629) << QJsonValue(5.1397);
    QTest::addRow("the circle swallowing the band, 30 degrees: 4.4 / tan 30 = 7.62")
            << "30" << QJsonValue() << QJsonValue();
}

// mount shows where a level under a steepest angle starts, and that it is
// not met where the circle takes all of it.
void SiteCommandsTest::mountSteepestAngle()
{
    QFETCH(QString, degrees);
    QFETCH(QJsonValue, from);
    QFETCH(QJsonValue, to);
    const CliRun run
            = runCli({"mount", "--resolution", "1920x1080", "--hfov", "60", "--height", "6",
                      "--tilt", "30", "--max-angle", "identify=" + degrees, "--format", "json"});
    QCOMPARE(int(run.status), 0);
    const QJsonObject figures = QJsonDocument::fromJson(run.output).object();
    for (const auto &[key, want] :
         {std::pair<const char *, QJsonValue>{"identify_from_m", from}, {"identify_to_m", to}}) {
        const QJsonValue got = figures[QLatin1String(key)];
        QVERIFY2(figures.contains(QLatin1String(key)), key);
        if (want.isNull())
            QVERIFY2(got.isNull(), key);
        else
            QVERIFY2(std::fabs(got.toDouble() - want.toDouble()) < 5e-5, key);
    }
    // The looser levels keep their reach.
    QVERIFY(std::fabs(figures["recognize_to_m"].toDouble() - 12.8197) < 5e-5);
}

void SiteCommandsTest::footprintKml()
{
    const CliRun run = runCli({"footprint", "--format", "kml", "--batch", "-"},
                              scheduleS1 + "yard,52.52,13.406,W,1920x1080,60,4,20\n");
    QCOMPARE(int(run.status), 0);
    QXmlStreamReader xml(run.output);
    QStringList styles;
    QStringList folders;
    int polygons = 0;
    int clamped = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("kml"))
            QCOMPARE(xml.namespaceUri().toString(),
                     QStringLiteral("http://www.opengis.net/kml/2.2"));
        if (xml.name() == QLatin1String("Style"))
            styles << xml.attributes().value("id").toString();
        if (xml.name() == QLatin1String("Folder") && xml.readNextStartElement())
            folders << xml.readElementText();
        if (xml.name() == QLatin1String("Polygon"))
            ++polygons;
        if (xml.name() == QLatin1String("altitudeMode") && xml.readElementText() == "clampToGround")
            ++clamped;
        if (xml.name() == QLatin1String("color"))
            QVERIFY(isKmlColour(xml.readElementText()));
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(styles,
             (QStringList{"view", "level-monitor", "level-detect", "level-observe",
                          "level-recognize", "level-identify", "level-inspect"}));
    QCOMPARE(folders, (QStringList{"gate", "yard"}));
    QCOMPARE(polygons, 10); // a view and four bands each
    QCOMPARE(clamped, polygons);
}

void SiteCommandsTest::oneKeyEach_data()
{
    QTest::addColumn<QByteArray>("schedule");
    const QByteArray camera = "52.52,13.405,90,1920x1080,60,4,20";
    const QByteArray columns = "lat,lon,bearing,resolution,hfov,height,tilt";
    QTest::addRow("camera first") << "camera,id," + columns + "\ngate,7," + camera + "\n";
    QTest::addRow("camera after an id") << "id,camera," + columns + "\n7,gate," + camera + "\n";
    QTest::addRow("Camera in capitals, last")
            << "id,model," + columns + ",Camera\n7,dome," + camera + ",gate\n";
}

// No feature holds a key twice, and the point and its views and bands name
// one camera: a reader that joins them by name (OGR keeps one of two keys)
// finds them together.
void SiteCommandsTest::oneKeyEach()
{
    QFETCH(QByteArray, schedule);
    const CliRun run = runCli({"footprint", "--batch", "-"}, schedule);
    QCOMPARE(int(run.status), 0);
    const QList<QByteArray> features = run.output.split('\n').mid(1, 6);
    QCOMPARE(features.size(), 6);
    for (const QByteArray &feature : features) {
        QCOMPARE(feature.count("\"camera\":"), 1);
        QVERIFY2(feature.contains(R"("camera":"gate")"), feature.constData());
    }
}

void SiteCommandsTest::mapsWrittenAsTheyGo_data()
{
    QTest::addColumn<QString>("format");
    QTest::addRow("GeoJSON") << "geojson";
    QTest::addRow("KML") << "kml";
}

// A map of many cameras leaves in pieces of the buffer's 64 KiB as it is
// written, not in one piece at the end: its memory stays flat.
void SiteCommandsTest::mapsWrittenAsTheyGo()
{
    QFETCH(QString, format);
    QByteArray schedule = "camera,lat,lon,bearing,resolution,hfov,height,tilt\n";
    for (int camera = 0; camera < 300; ++camera)
        schedule += "c" + QByteArray::number(camera) + ",52.52,13.405,"
                + QByteArray::number(camera % 360) + ",1920x1080,60,4,20\n";
    MemorySource input(schedule);
    MemorySink output;
    const CliRun run = runCli({"footprint", "--format", format, "--batch", "-"}, input, output);
    QCOMPARE(int(run.status), 0);
    QVERIFY2(run.output.size() > 4 * 65536, qPrintable(QString::number(run.output.size())));
    QVERIFY2(output.writes.size() >= 4, qPrintable(QString::number(output.writes.size())));
}

void SiteCommandsTest::bearings_data()
{
    QTest::addColumn<QByteArray>("schedule");
    QTest::addRow("a compass point")
            << QByteArray("camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                          "gate,52.52,13.405,E,1920x1080,60,4,20\n");
    QTest::addRow("a turn and a quarter")
            << QByteArray("camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                          "gate,52.52,13.405,450,1920x1080,60,4,20\n");
    QTest::addRow("three quarters back")
            << QByteArray("camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                          "gate,52.52,13.405,-270,1920x1080,60,4,20\n");
    QTest::addRow("OpenStreetMap's names")
            << QByteArray("camera,lat,lon,camera:direction,resolution,hfov,height,camera:angle\n"
                          "gate,52.52,13.405,90,1920x1080,60,4,20\n");
    QTest::addRow("x and y about an origin 30 m west")
            << QByteArray("camera,x,y,bearing,resolution,hfov,height,tilt\n"
                          "gate,30,0,90,1920x1080,60,4,20\n");
}

// Each gives the same camera as the schedule of S1.
void SiteCommandsTest::bearings()
{
    QFETCH(QByteArray, schedule);
    const CliRun expected = runCli({"footprint", "--batch", "-"}, scheduleS1);
    QStringList arguments{"footprint", "--batch", "-"};
    if (schedule.contains(",x,"))
        arguments << "--origin"
                  // 30 m west of the gate along the parallel's geodesic, which
                  // leaves the origin at azimuth 90 to first order only; the
                  // features are compared to the centimetre below.
                  << "52.52,13.40455685";
    const CliRun run = runCli(arguments, schedule);
    QCOMPARE(int(run.status), 0);
    if (!schedule.contains(",x,")) {
        QCOMPARE(run.output, expected.output);
        return;
    }
    const QJsonArray got = QJsonDocument::fromJson(run.output).object().value("features").toArray();
    const QJsonArray want
            = QJsonDocument::fromJson(expected.output).object().value("features").toArray();
    QCOMPARE(got.size(), want.size());
    for (int index = 0; index < got.size(); ++index)
        QCOMPARE(got.at(index).toObject().value("properties"),
                 want.at(index).toObject().value("properties"));
}

void SiteCommandsTest::bearingShown_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QByteArray>("shown");
    // Four decimals: what would show as 360.0000 is north, 0.0000.
    QTest::addRow("a hair west of north") << "-0.0000001" << QByteArray("0.0000");
    QTest::addRow("half a unit short of a turn") << "359.99995" << QByteArray("0.0000");
    QTest::addRow("more than half a unit short") << "359.99994" << QByteArray("359.9999");
    QTest::addRow("two turns") << "720" << QByteArray("0.0000");
}

void SiteCommandsTest::bearingShown()
{
    QFETCH(QString, given);
    QFETCH(QByteArray, shown);
    const CliRun run = runCli({"footprint", "--lat", "52.52", "--lon", "13.405",
                               "--bearing=" + given, "--resolution", "1920x1080", "--hfov", "60",
                               "--height", "4", "--tilt", "20"});
    QCOMPARE(int(run.status), 0);
    QVERIFY2(run.output.contains(R"("bearing_deg":)" + shown + ","), run.output.constData());
}

void SiteCommandsTest::planePositions_data()
{
    QTest::addColumn<QStringList>("position");
    QTest::addColumn<QByteArray>("point"); // the camera's, as GeoJSON writes it
    // GeographicLib's GeodSolve, apart from the code under test: hypot(x, y)
    // metres from the origin at azimuth atan2(x, y), to 7 decimals.
    QTest::addRow("30 m east, 5 m north")
            << QStringList{"-x", "30", "-y", "5", "--origin", "52.52,13.405"}
            << QByteArray("[13.405442,52.5200449]");
    QTest::addRow("5 m east, 30 m north")
            << QStringList{"-x", "5", "-y", "30", "--origin", "52.52,13.405"}
            << QByteArray("[13.4050737,52.5202696]");
    QTest::addRow("south-west of an origin south and west")
            << QStringList{"--x=-120", "--y=-45", "--origin", "-33.45,-70.66"}
            << QByteArray("[-70.6612907,-33.4504057]");
}

// x is east and y north, whatever the sign: the camera's point where the
// geodesic puts it.
void SiteCommandsTest::planePositions()
{
    QFETCH(QStringList, position);
    QFETCH(QByteArray, point);
    const CliRun run
            = runCli(QStringList{"footprint", "--bearing", "90", "--resolution", "1920x1080",
                                 "--hfov", "60", "--height", "4", "--tilt", "20"}
                     + position);
    QCOMPARE(int(run.status), 0);
    // Outside a batch, it has no line to be named by.
    QVERIFY2(run.output.contains(R"("kind":"camera","camera":"camera")"), run.output.constData());
    QVERIFY2(run.output.contains(R"({"type":"Point","coordinates":)" + point + "}"),
             run.output.constData());
}

// The table of S1, as the issue worked it out.
void SiteCommandsTest::coverageOfS1()
{
    const CliRun run = runCli({"coverage", "--site", m_siteS1, "--format", "csv", "--batch", "-"},
                              scheduleS1);
    QCOMPARE(int(run.status), 0);
    QCOMPARE(run.output,
             QByteArray("kind,name,px_per_m,area_m2,covered_m2,covered_pct,redundant_pct,gaps,"
                        "largest_gap_m2,error\n"
                        "level,monitor,12.5,6000.06,2491.65,41.53,0.00,2,1893.46,\n"
                        "level,detect,25.0,6000.06,2491.65,41.53,0.00,2,1893.46,\n"
                        "level,observe,62.5,6000.06,426.42,7.11,0.00,1,5573.65,\n"
                        "level,recognize,125.0,6000.06,100.27,1.67,0.00,1,5899.80,\n"
                        "level,identify,250.0,6000.06,18.73,0.31,0.00,1,5981.33,\n"
                        "level,inspect,1000.0,6000.06,0.00,0.00,0.00,1,6000.06,\n"));
    QCOMPARE(run.errors, QByteArray());

    // The table to read: a count without a unit ends its line.
    const CliRun text = runCli({"coverage", "--site", m_siteS1, "--batch", "-"}, scheduleS1);
    QVERIFY(text.output.startsWith("kind                level\n"
                                   "name                monitor\n"
                                   "Density                12.5 px/m\n"
                                   "Area                6000.06 m\u00B2\n"
                                   "Covered             2491.65 m\u00B2\n"
                                   "Covered share         41.53 %\n"
                                   "Seen twice or more     0.00 %\n"
                                   "Gaps                      2\n"
                                   "Largest gap         1893.46 m\u00B2\n\n"));
}

// A privacy zone's row counts what the loosest level sees of it: a 10 m
// square 20 to 30 m east of S1's gate, all of it within detect's band
// (27.44 to 68.44 m is detect's own; nearer, stricter levels hold) and
// none within inspect's. Its corners from GeodSolve, as above.
void SiteCommandsTest::privacyRow()
{
    const QByteArray zone
            = feature(R"({"role":"privacy","name":"garden"})",
                      R"({"type":"Polygon","coordinates":[[[13.40529464,52.519955067],)"
                      R"([13.40544196,52.519955066],[13.405441961,52.520044932],)"
                      R"([13.40529464,52.520044932],[13.40529464,52.519955067]]]})");
    const QString path = site(R"({"type":"FeatureCollection","features":[)" + feature("{}", siteS1)
                              + "," + zone + "]}");
    const CliRun run
            = runCli({"coverage", "--site", path, "--format", "csv", "--batch", "-"}, scheduleS1);
    QCOMPARE(int(run.status), 0);
    const QList<QByteArray> lines = run.output.split('\n');
    QCOMPARE(lines.size(), 9); // the header, six levels, the zone, the end
    QCOMPARE(lines.at(7), QByteArray("privacy,garden,,100.00,100.00,100.00,0.00,,,"));
}

void SiteCommandsTest::leftOutCounted_data()
{
    QTest::addColumn<int>("placed");
    QTest::addColumn<int>("leftOut");
    QTest::addColumn<QByteArray>("note");
    QTest::addRow("one placed") << 1 << 2
                                << QByteArray("the coverage is of the 1 camera that could be "
                                              "placed; 2 could not");
    QTest::addRow("two placed") << 2 << 1
                                << QByteArray("the coverage is of the 2 cameras that could be "
                                              "placed; 1 could not");
}

// The last line on standard error counts the cameras in words that agree.
void SiteCommandsTest::leftOutCounted()
{
    QFETCH(int, placed);
    QFETCH(int, leftOut);
    QFETCH(QByteArray, note);
    QByteArray schedule = "camera,lat,lon,bearing,resolution,hfov,height,tilt\n";
    for (int camera = 0; camera < placed; ++camera)
        schedule += "gate,52.52,13.405,90,1920x1080,60,4,20\n";
    for (int camera = 0; camera < leftOut; ++camera)
        schedule += "bad,52.52,13.405,up,1920x1080,60,4,20\n";
    const CliRun run = runCli({"coverage", "--site", m_siteS1, "--batch", "-"}, schedule);
    QCOMPARE(int(run.status), 1);
    QVERIFY2(run.errors.endsWith("kavrelo-cli coverage: " + note + "\n"), run.errors.constData());
}

void SiteCommandsTest::requirements_data()
{
    QTest::addColumn<QString>("site"); // S1, or the strip below
    QTest::addColumn<QStringList>("require");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // the start of the first line on standard error
    // S1's detect shows 41.53 %, so its exact share is at least 41.525 %.
    QTest::addRow("met") << "S1" << QStringList{"--require", "detect=41.52"} << 0 << QString();
    QTest::addRow("short by a hundredth")
            << "S1" << QStringList{"--require", "detect=41.54"} << 4
            << "kavrelo-cli coverage: detect covers 41.53 %, less than the 41.54 % required";
    QTest::addRow("one of two short")
            << "S1" << QStringList{"--require", "detect=40", "--require", "identify=1"} << 4
            << "kavrelo-cli coverage: identify covers 0.31 %, less than the 1 % required";
    QTest::addRow("custom levels")
            << "S1" << QStringList{"--levels", "wide=25,close=250", "--require", "close=0.31"} << 0
            << QString();
    // A strip 2 m wide from 20 to 40.0005 m ahead of the gate, which --max-range
    // 40 ends at 40 m: 40 m^2 seen of 40.001, 99.9975 %, which the table
    // shows as 100.00 %.
    QTest::addRow("all but a thousandth of a square metre")
            << "strip" << QStringList{"--require", "detect=100"} << 4
            << "kavrelo-cli coverage: detect covers 99.99";
    QTest::addRow("between the exact and the shown share")
            << "strip" << QStringList{"--require", "detect=99.999"} << 4
            << "kavrelo-cli coverage: detect covers 99.99";
    QTest::addRow("below the exact share")
            << "strip" << QStringList{"--require", "detect=99.99"} << 0 << QString();
}

void SiteCommandsTest::requirements()
{
    QFETCH(QString, site);
    QFETCH(QStringList, require);
    QFETCH(QString, message);
    // Its corners from GeodSolve, as above.
    const QString strip = this->site(
            R"({"type":"Polygon","coordinates":[[[13.405294640083,52.519991013067],)"
            R"([13.405589287533,52.519991011967],[13.405589287773,52.520008985099],)"
            R"([13.405294640204,52.520008986199],[13.405294640083,52.519991013067]]]})");
    QStringList arguments{"coverage", "--batch", "-", "--site"};
    arguments << (site == "S1" ? m_siteS1 : strip);
    if (site == "strip")
        arguments << "--max-range"
                  << "40";
    const CliRun run = runCli(arguments + require, scheduleS1);
    QTEST(int(run.status), "status");
    QVERIFY2(QString::fromUtf8(run.errors).startsWith(message), run.errors.constData());
    if (message.isEmpty())
        QCOMPARE(run.errors, QByteArray());
}

// Each gap of each level is a feature of its own, largest first, so that
// the file holds as many as the table counts; together they are what the
// level leaves of the ground. S1's worked figures: monitor covers 2491.65
// of 6000.06 m^2 and leaves two gaps, the largest 1893.46 m^2; inspect
// covers nothing, one gap of all of it.
void SiteCommandsTest::gapsFile()
{
    const QString gaps = m_folder.filePath("gaps.geojson");
    const CliRun run
            = runCli({"coverage", "--site", m_siteS1, "--gaps", gaps, "--batch", "-"}, scheduleS1);
    QCOMPARE(int(run.status), 0);
    QFile file(gaps);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray features
            = QJsonDocument::fromJson(file.readAll()).object().value("features").toArray();
    QStringList levels;
    double monitorLeft = 0.0;
    for (const QJsonValue &feature : features) {
        const QJsonObject properties = feature.toObject().value("properties").toObject();
        levels << QStringLiteral("%1 %2").arg(properties.value("level").toString(),
                                              QString::number(properties.value("gap").toInt()));
        if (properties.value("level").toString() == QLatin1String("monitor"))
            monitorLeft += properties.value("area_m2").toDouble();
        QCOMPARE(feature.toObject().value("geometry").toObject().value("type").toString(),
                 QStringLiteral("Polygon"));
    }
    QCOMPARE(levels,
             QStringList({"monitor 1", "monitor 2", "detect 1", "detect 2", "observe 1",
                          "recognize 1", "identify 1", "inspect 1"}));
    QCOMPARE(features.at(0).toObject().value("properties").toObject().value("area_m2").toDouble(),
             1893.46);
    QVERIFY(std::fabs(monitorLeft + 2491.65 - 6000.06) <= 0.02);
    QCOMPARE(features.at(7).toObject().value("properties").toObject().value("area_m2").toDouble(),
             6000.06);
}

namespace {

// A GeoJSON file as a GIS program reads it: each feature's geometry through
// GEOS's own reader, at the digits written, with GEOS's verdict on it.
struct ReadBack
{
    QStringList invalid; // "feature 3: Self-intersection[...]"
    QMap<QString, int> perLevel; // features of each level
    int polygons = 0;
};

ReadBack readBack(const QByteArray &json)
{
    ReadBack found;
    const GEOSContextHandle_t handle = GEOS_init_r();
    GEOSGeoJSONReader *reader = GEOSGeoJSONReader_create_r(handle);
    const QJsonArray features = QJsonDocument::fromJson(json).object().value("features").toArray();
    for (int index = 0; index < features.size(); ++index) {
        const QJsonObject feature = features.at(index).toObject();
        ++found.perLevel[feature.value("properties").toObject().value("level").toString()];
        const QJsonObject geometry = feature.value("geometry").toObject();
        const QString type = geometry.value("type").toString();
        if (type != QLatin1String("Polygon") && type != QLatin1String("MultiPolygon"))
            continue;
        GEOSGeometry *read = GEOSGeoJSONReader_readGeometry_r(
                handle, reader, QJsonDocument(geometry).toJson().constData());
        if (!read) {
            found.invalid << QStringLiteral("feature %1: unreadable").arg(index);
            continue;
        }
        found.polygons += GEOSGetNumGeometries_r(handle, read);
        char *reason = GEOSisValidReason_r(handle, read);
        if (qstrcmp(reason, "Valid Geometry") != 0)
            found.invalid << QStringLiteral("feature %1: %2").arg(index).arg(reason);
        GEOSFree_r(handle, reason);
        GEOSGeom_destroy_r(handle, read);
    }
    GEOSGeoJSONReader_destroy_r(handle, reader);
    GEOS_finish_r(handle);
    return found;
}

QByteArray metresSite(const QList<QByteArray> &features)
{
    return R"({"type":"FeatureCollection","features":[)" + features.join(',') + "]}";
}

// Metres east and north of 47.378 N, 8.547 E, as [lon,lat] at 7 decimals.
QByteArray at(double east, double north)
{
    const double lat = 47.378 + north / 111132.0;
    const double lon = 8.547 + east / (111320.0 * std::cos(47.378 * 3.141592653589793 / 180.0));
    return "[" + QByteArray::number(lon, 'f', 7) + "," + QByteArray::number(lat, 'f', 7) + "]";
}

QByteArray box(double west, double south, double east, double north)
{
    return R"({"type":"Polygon","coordinates":[[)" + at(west, south) + "," + at(east, south) + ","
            + at(east, north) + "," + at(west, north) + "," + at(west, south) + "]]}";
}

QByteArray cameraRow(const QByteArray &name, double east, double north, double bearing,
                     double height, double tilt)
{
    const QByteArray lonLat = at(east, north);
    const QList<QByteArray> parts = lonLat.mid(1, lonLat.size() - 2).split(',');
    return name + "," + parts.at(1) + "," + parts.at(0) + "," + QByteArray::number(bearing) + ","
            + QByteArray::number(height) + "," + QByteArray::number(tilt) + "\n";
}

const QByteArray metresHeader = "camera,lat,lon,bearing,height,tilt\n";

} // namespace

// Every polygon that footprint and coverage write is valid as GEOS reads it
// back at the digits written, and each level has as many gap features as
// the table counts gaps. The sites: the project's yard; a yard split by a
// 2.5 m fence drawn as a line, watched from both sides, so that the ground
// along the line is where two cameras' regions meet; and 50 obstacles with
// 200 cameras at random (a fixed seed), whose bands have notches, holes and
// slivers.
void SiteCommandsTest::validAsWritten_data()
{
    QTest::addColumn<QByteArray>("siteJson");
    QTest::addColumn<QByteArray>("schedule");
    QTest::addColumn<QStringList>("gapCounts"); // what the table says, when known by hand

    QFile yardSite(KAVRELO_DATA_DIR "/yard.geojson");
    QFile yardSchedule(KAVRELO_DATA_DIR "/yard.csv");
    QVERIFY(yardSite.open(QIODevice::ReadOnly) && yardSchedule.open(QIODevice::ReadOnly));
    QTest::addRow("the yard") << yardSite.readAll() << yardSchedule.readAll() << QStringList();

    // The fence runs north-south at 30 m across the whole yard. The west
    // camera sees the west half up to the fence, the east camera the east
    // half; the gaps at monitor are the ground under each camera's near
    // edge, two, not joined along the fence.
    const QByteArray fence = metresSite({feature(R"({"role":"area"})", box(0, 0, 60, 40)),
                                         feature(R"({"role":"obstacle","height":2.5})",
                                                 R"({"type":"LineString","coordinates":[)"
                                                         + at(30, -1) + "," + at(30, 41) + "]}")});
    QTest::addRow("a fence as a line") << fence
                                       << metresHeader + cameraRow("west", 1, 20, 90, 6, 25)
                    + cameraRow("east", 59, 20, 270, 6, 25)
                                       << QStringList();

    std::mt19937 random(31);
    const auto uniform = [&random](double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random);
    };
    QList<QByteArray> features{feature(R"({"role":"area"})", box(0, 0, 300, 300))};
    QVector<QRectF> taken;
    while (features.size() < 51) {
        const QRectF building(uniform(0, 280), uniform(0, 280), uniform(3, 20), uniform(3, 20));
        if (std::any_of(taken.cbegin(), taken.cend(),
                        [&](const QRectF &other) { return other.intersects(building); }))
            continue;
        taken << building;
        const QByteArray height = features.size() % 5 == 0
                ? QByteArray()
                : ",\"height\":" + QByteArray::number(uniform(2, 15), 'f', 1);
        features << feature(
                "{\"role\":\"obstacle\"" + height + "}",
                box(building.left(), building.top(), building.right(), building.bottom()));
    }
    QByteArray cameras = metresHeader;
    for (int camera = 1; camera <= 200; ++camera) {
        QPointF where;
        do
            where = QPointF(uniform(0, 300), uniform(0, 300));
        while (std::any_of(taken.cbegin(), taken.cend(), [&](const QRectF &building) {
            return building.adjusted(-1, -1, 1, 1).contains(where);
        }));
        cameras += cameraRow("c" + QByteArray::number(camera), where.x(), where.y(),
                             uniform(0, 360), uniform(2.5, 12), uniform(5, 40));
    }
    QTest::addRow("50 obstacles, 200 cameras") << metresSite(features) << cameras << QStringList();
}

void SiteCommandsTest::validAsWritten()
{
    QFETCH(QByteArray, siteJson);
    QFETCH(QByteArray, schedule);
    const QString sitePath = site(siteJson);
    const QString gapsPath = m_folder.filePath("valid-gaps.geojson");
    const QStringList camera{"--resolution", "1920x1080", "--hfov", "70", "--batch", "-"};
    const CliRun footprint
            = runCli(QStringList{"footprint", "--site", sitePath} + camera, schedule);
    QCOMPARE(footprint.errors, QByteArray());
    const CliRun coverage = runCli(
            QStringList{"coverage", "--site", sitePath, "--format", "csv", "--gaps", gapsPath}
                    + camera,
            schedule);
    QCOMPARE(coverage.errors, QByteArray());
    QFile gapsFile(gapsPath);
    QVERIFY(gapsFile.open(QIODevice::ReadOnly));
    const QByteArray gaps = gapsFile.readAll();
    for (const QByteArray &written : {footprint.output, gaps}) {
        QVERIFY(!written.contains("nan") && !written.contains("inf"));
        const ReadBack read = readBack(written);
        QVERIFY(read.polygons > 0);
        QVERIFY2(read.invalid.isEmpty(), qPrintable(read.invalid.join('\n')));
    }
    const ReadBack read = readBack(gaps);
    QStringList counted;
    QStringList written;
    for (const QByteArray &line : coverage.output.split('\n').mid(1)) {
        const QList<QByteArray> cells = line.split(',');
        if (cells.size() < 8 || cells.at(0) != "level")
            continue;
        counted << cells.at(1) + " " + cells.at(7);
        written << cells.at(1) + " " + QByteArray::number(read.perLevel.value(cells.at(1)));
    }
    QCOMPARE(written, counted);
    QFETCH(QStringList, gapCounts);
    if (!gapCounts.isEmpty())
        QCOMPARE(counted, gapCounts);
}

QTEST_GUILESS_MAIN(SiteCommandsTest)
#include "tst_sitecommands.moc"
