#include "clirun.h"
#include "osmtags.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>

// A town from an OpenStreetMap extract: tags read as mappers write them,
// and an extract that gives the same coverage, to the byte, as the same
// site written by hand with its heights worked out.
class OsmTownTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lengths_data();
    void lengths();
    void counts_data();
    void counts();
    void bearings_data();
    void bearings();
    void sameAsByHand_data();
    void sameAsByHand();
    void cameraErrors();
    void streets_data();
    void streets();
    void extent_data();
    void extent();
    void refusals_data();
    void refusals();
    void jobs_data();
    void jobs();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_folder;
};

namespace {

// A way or a relation's ring, as lon,lat corners; closed ones repeat
// their first corner at the end.
using Corners = std::vector<std::pair<const char *, const char *>>;

Corners box(const char *west, const char *south, const char *east, const char *north)
{
    return {{west, south}, {east, south}, {east, north}, {west, north}, {west, south}};
}

struct Way
{
    Corners corners;
    QByteArray tags; // as <tag k=... v=.../> elements
};

// The town: each building, wall, hedge, fence and street of the extract.
// The heights that the hand-made GeoJSON gives them were worked out from
// the tags beside each, by the rules of the README.
struct Obstacle
{
    Way way;
    std::optional<double> heightByHand; // nothing: not an obstacle, or no height
    bool obstacle = true;
};

QByteArray tag(const char *key, const char *value)
{
    QByteArray escaped(value);
    escaped.replace("&", "&amp;").replace("\"", "&quot;").replace("'", "&apos;");
    return QByteArray("<tag k=\"") + key + "\" v=\"" + escaped + "\"/>";
}

const std::vector<Obstacle> &town()
{
    static const std::vector<Obstacle> ways{
            // 12 m
            {{box("11.5003", "48.09995", "11.5005", "48.10008"),
              tag("building", "yes") + tag("height", "12 m")},
             12.0},
            // 15.5 ft = 15.5 x 0.3048 m
            {{box("11.5006", "48.1001", "11.5008", "48.1003"),
              tag("building", "house") + tag("height", "15'6\"")},
             4.7244},
            // a storey of 3 m and a roof of 2.5 m
            {{box("11.5005", "48.1006", "11.5007", "48.1008"),
              tag("building", "yes") + tag("building:levels", "1") + tag("roof:height", "2.5 m")},
             5.5},
            // 3 storeys; a list's first
            {{box("11.5012", "48.1004", "11.5015", "48.1006"),
              tag("building", "retail") + tag("building:levels", "3;4")},
             9.0},
            // no height at all: every height
            {{box("11.5016", "48.1", "11.5017", "48.1001"), tag("building:part", "yes")},
             std::nullopt},
            // a height that cannot be read gives way to the levels: 2 x 3 m
            {{box("11.501", "48.0998", "11.5012", "48.1"),
              tag("building", "yes") + tag("height", "tall") + tag("building:levels", "2")},
             6.0},
            // a wall without a height: 2 m
            {{{{"11.5013", "48.0997"}, {"11.5018", "48.0997"}}, tag("barrier", "wall")}, 2.0},
            // a hedge of 1.5 m
            {{{{"11.5002", "48.0998"}, {"11.5002", "48.1002"}},
              tag("barrier", "hedge") + tag("height", " 1.5m ")},
             1.5},
            // a fence without a height is seen through: left out
            {{{{"11.5001", "48.0999"}, {"11.5001", "48.1001"}}, tag("barrier", "fence")},
             std::nullopt,
             false},
            // a fence of 6 ft = 6 x 0.3048 m
            {{{{"11.5003", "48.1009"}, {"11.5004", "48.1005"}},
              tag("barrier", "fence") + tag("height", "6 ft")},
             1.8288},
            // streets, with and without a width, hide nothing
            {{{{"11.499", "48.1003"}, {"11.503", "48.1003"}},
              tag("highway", "residential") + tag("width", "8")},
             std::nullopt,
             false},
            {{{{"11.5011", "48.099"}, {"11.5011", "48.102"}}, tag("highway", "service")},
             std::nullopt,
             false},
            // a building whose outline crosses itself is left out
            {{{{"11.5026", "48.1015"},
               {"11.5028", "48.1017"},
               {"11.5028", "48.1015"},
               {"11.5026", "48.1017"},
               {"11.5026", "48.1015"}},
              tag("building", "yes")},
             std::nullopt,
             false},
            // a building's outline that does not close is left out
            {{{{"11.5025", "48.1012"}, {"11.5027", "48.1012"}, {"11.5027", "48.1014"}},
              tag("building", "yes")},
             std::nullopt,
             false},
    };
    return ways;
}

// A building with a courtyard, as a multipolygon relation: 10 m.
const Corners courtOuter = box("11.5018", "48.1003", "11.5024", "48.1008");
const Corners courtInner = box("11.502", "48.1005", "11.5022", "48.1006");
constexpr double courtHeight = 10.0;

// The ground to cover, given beside the extract.
const Corners yard = box("11.499", "48.099", "11.503", "48.102");

struct Camera
{
    const char *lon;
    const char *lat;
    QByteArray tags;
};
const std::vector<Camera> cameras{
        {"11.5", "48.1",
         tag("man_made", "surveillance") + tag("camera:direction", "90") + tag("ref", "C-1")
                 + tag("height", "72 ft")},
        {"11.501", "48.101",
         tag("man_made", "surveillance") + tag("surveillance:type", "camera")
                 + tag("direction", "SW") + tag("name", "Gate")},
        // In the courtyard of the building with one.
        {"11.5021", "48.10055",
         tag("man_made", "surveillance") + tag("camera:direction", "270;90")
                 + tag("camera:angle", "20")},
        // A dome: no direction.
        {"11.5021", "48.1011", tag("man_made", "surveillance") + tag("camera:type", "dome")},
        // A panning camera's sweep.
        {"11.5022", "48.1012",
         tag("man_made", "surveillance") + tag("camera:direction", "180-360")},
        // A guard is not a camera: no record at all.
        {"11.5023", "48.1013",
         tag("man_made", "surveillance") + tag("surveillance:type", "guard")
                 + tag("camera:direction", "0")},
        // Look-alikes of height are no height: the command line's counts.
        {"11.5015", "48.0995",
         tag("man_made", "surveillance") + tag("camera:direction", "0") + tag("camera:height", "9")
                 + tag("est_height", "12")},
        // A height that cannot be read.
        {"11.5024", "48.1014",
         tag("man_made", "surveillance") + tag("camera:direction", "45") + tag("height", "high")},
};

// An extract of nodes and ways in OSM XML, each way's corners its own
// nodes; a closed way ends on its first node again.
class ExtractWriter
{
public:
    void node(const char *lon, const char *lat, const QByteArray &tags = {})
    {
        m_nodes += "<node id=\"" + QByteArray::number(m_next++) + "\" lat=\"" + lat + "\" lon=\""
                + lon + "\" version=\"1\">" + tags + "</node>\n";
    }
    qint64 way(const Corners &corners, const QByteArray &tags)
    {
        const bool closed = corners.size() > 2 && corners.front() == corners.back();
        const qint64 first = m_next;
        QByteArray refs;
        for (std::size_t index = 0; index < corners.size(); ++index) {
            if (closed && index + 1 == corners.size()) {
                refs += "<nd ref=\"" + QByteArray::number(first) + "\"/>";
                break;
            }
            refs += "<nd ref=\"" + QByteArray::number(m_next) + "\"/>";
            node(corners[index].first, corners[index].second);
        }
        m_ways += "<way id=\"" + QByteArray::number(m_wayId) + "\">" + refs + tags + "</way>\n";
        return m_wayId++;
    }
    void relation(const QByteArray &members, const QByteArray &tags)
    {
        m_relations += "<relation id=\"" + QByteArray::number(m_relationId++) + "\">" + members
                + tags + "</relation>\n";
    }
    // bounds: as <bounds .../> has them, or nothing.
    QByteArray file(const QByteArray &bounds = {}) const
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<osm version=\"0.6\" "
               "generator=\"tests\">\n"
                + bounds + m_nodes + m_ways + m_relations + "</osm>\n";
    }

private:
    QByteArray m_nodes;
    QByteArray m_ways;
    QByteArray m_relations;
    qint64 m_next = 1;
    qint64 m_wayId = 100;
    qint64 m_relationId = 900;
};

// The extract: the cameras' nodes first, then each way's own nodes, the
// ways, and the courtyard's relation.
QByteArray extract()
{
    ExtractWriter writer;
    for (const Camera &camera : cameras)
        writer.node(camera.lon, camera.lat, camera.tags);
    for (const Obstacle &obstacle : town())
        writer.way(obstacle.way.corners, obstacle.way.tags);
    const qint64 outer = writer.way(courtOuter, {});
    const qint64 inner = writer.way(courtInner, {});
    writer.relation("<member type=\"way\" ref=\"" + QByteArray::number(outer)
                            + "\" role=\"outer\"/><member type=\"way\" ref=\""
                            + QByteArray::number(inner) + "\" role=\"inner\"/>",
                    tag("type", "multipolygon") + tag("building", "yes") + tag("height", "10"));
    return writer.file();
}

QByteArray coordinates(const Corners &corners)
{
    QByteArray text;
    for (const auto &[lon, lat] : corners)
        text += QByteArray(text.isEmpty() ? "" : ",") + "[" + lon + "," + lat + "]";
    return "[" + text + "]";
}

QByteArray feature(const QByteArray &role, std::optional<double> height, const QByteArray &geometry)
{
    const QByteArray heightProperty
            = height ? ",\"height\":" + QByteArray::number(*height, 'g', 17) : QByteArray();
    return "{\"type\":\"Feature\",\"properties\":{\"role\":\"" + role + "\"" + heightProperty
            + "},\"geometry\":" + geometry + "}";
}

QByteArray polygonOf(const QByteArray &rings)
{
    return "{\"type\":\"Polygon\",\"coordinates\":[" + rings + "]}";
}

QByteArray collection(const QList<QByteArray> &features)
{
    return "{\"type\":\"FeatureCollection\",\"features\":[" + features.join(",\n") + "]}\n";
}

QByteArray yardArea()
{
    return feature("area", std::nullopt, polygonOf(coordinates(yard)));
}

// The same site by hand: the yard to cover, and each obstacle with the
// height worked out above.
QByteArray byHand()
{
    QList<QByteArray> features{yardArea()};
    for (const Obstacle &obstacle : town()) {
        if (!obstacle.obstacle)
            continue;
        const Corners &corners = obstacle.way.corners;
        const bool closed = corners.size() > 2 && corners.front() == corners.back();
        features << feature(
                "obstacle", obstacle.heightByHand,
                closed ? polygonOf(coordinates(corners))
                       : "{\"type\":\"LineString\",\"coordinates\":" + coordinates(corners) + "}");
    }
    features << feature("obstacle", courtHeight,
                        polygonOf(coordinates(courtOuter) + "," + coordinates(courtInner)));
    return collection(features);
}

// The cameras that have a record, as a schedule by hand: bearings, tilts
// and heights as their tags say them (72 ft = 72 x 0.3048 m), the rest
// from the command line.
const QByteArray scheduleByHand = "camera,bearing,tilt,height,lat,lon\n"
                                  "C-1,90,,21.9456,48.1,11.5\n"
                                  "Gate,225,,,48.101,11.501\n"
                                  "node/3,270,20,,48.10055,11.5021\n"
                                  "node/7,0,,,48.0995,11.5015\n";

// Above every roof, and the target on the ground, so that every obstacle's
// height counts.
const QStringList lens{"--hfov", "80",     "--resolution", "1920x1080",       "--height",
                       "20",     "--tilt", "30",           "--target-height", "0"};

} // namespace

void OsmTownTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
}

QString OsmTownTest::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void OsmTownTest::lengths_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("metres"); // NaN: none

    const double none = std::nan("");
    QTest::addRow("metres") << "12" << 12.0;
    QTest::addRow("a unit") << "12 m" << 12.0;
    QTest::addRow("a unit close") << "12.5m" << 12.5;
    QTest::addRow("stray blanks") << "  7 " << 7.0;
    QTest::addRow("a list") << "12;15" << 12.0;
    QTest::addRow("a point first") << ".5" << 0.5;
    QTest::addRow("feet") << "40'" << 12.192;
    QTest::addRow("ft") << "40 ft" << 12.192;
    QTest::addRow("feet and inches") << "40'6\"" << 12.3444;
    QTest::addRow("ft and in") << "40 ft 6 in" << 12.3444;
    QTest::addRow("half an inch") << "3'11.5\"" << 1.2065;
    QTest::addRow("comma") << "12,5" << none;
    QTest::addRow("sign") << "-3" << none;
    QTest::addRow("words") << "tall" << none;
    QTest::addRow("kilometres") << "12 km" << none;
    QTest::addRow("12 inches") << "40'12\"" << none;
    QTest::addRow("inches alone") << "6\"" << none;
    QTest::addRow("empty") << "" << none;
    QTest::addRow("exponent") << "1e3" << none;
    QTest::addRow("something after") << "12 m 3" << none;
    QTest::addRow("two points") << "1.2.3" << none;
}

void OsmTownTest::lengths()
{
    QFETCH(QString, value);
    QFETCH(double, metres);
    const auto read = tagMetres(value);
    if (std::isnan(metres)) {
        QVERIFY2(!read, qPrintable(QString::number(read.value_or(0.0))));
        return;
    }
    QVERIFY(read);
    QVERIFY2(std::fabs(*read - metres) <= 1e-12, qPrintable(QString::number(*read, 'g', 17)));
}

void OsmTownTest::counts_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("count"); // NaN: none

    const double none = std::nan("");
    QTest::addRow("whole") << "3" << 3.0;
    QTest::addRow("a mezzanine") << "2.5" << 2.5;
    QTest::addRow("a list") << "3;4" << 3.0;
    QTest::addRow("blanks") << " 4 " << 4.0;
    QTest::addRow("words") << "three" << none;
    QTest::addRow("sign") << "-1" << none;
    QTest::addRow("a unit") << "3 levels" << none;
}

void OsmTownTest::counts()
{
    QFETCH(QString, value);
    QFETCH(double, count);
    const auto read = tagCount(value);
    QCOMPARE(read.has_value(), !std::isnan(count));
    if (read)
        QCOMPARE(*read, count);
}

void OsmTownTest::bearings_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("bearing");
    QTest::addColumn<QString>("problem");

    QTest::addRow("degrees") << "90"
                             << "90"
                             << "";
    QTest::addRow("compass point") << "NE"
                                   << "NE"
                                   << "";
    QTest::addRow("a list") << " 90 ; 180"
                            << "90"
                            << "";
    QTest::addRow("a minus sign leads") << "-45"
                                        << "-45"
                                        << "";
    QTest::addRow("a range")
            << "180-360"
            << ""
            << "camera:direction=180-360 is a range that the camera pans over, not one bearing";
    QTest::addRow("a range of points")
            << "NE-SE;W"
            << ""
            << "camera:direction=NE-SE is a range that the camera pans over, not one bearing";
    QTest::addRow("empty") << " ; 90"
                           << ""
                           << "camera:direction is empty";
}

void OsmTownTest::bearings()
{
    QFETCH(QString, value);
    QFETCH(QString, bearing);
    QFETCH(QString, problem);
    const TagBearing read = tagBearing(QStringLiteral("camera:direction"), value);
    QCOMPARE(read.bearing.value_or(QString()), bearing);
    QCOMPARE(read.problem.value_or(QString()), problem);
}

void OsmTownTest::sameAsByHand_data()
{
    QTest::addColumn<QStringList>("command");

    QTest::addRow("coverage") << QStringList{"coverage", "--format", "csv"};
    QTest::addRow("footprint") << QStringList{"footprint"};
}

// The extract's obstacles and cameras give what the site and schedule
// by hand give, byte for byte; the records that the extract cannot give
// are errors of their own, on standard error.
void OsmTownTest::sameAsByHand()
{
    QFETCH(QStringList, command);
    const QString osm = write("town.osm", extract());
    const QString area = write("yard.geojson", collection({yardArea()}));
    const QString site = write("town.geojson", byHand());
    const QString schedule = write("town.csv", scheduleByHand);
    QVERIFY(!osm.isEmpty() && !area.isEmpty() && !site.isEmpty() && !schedule.isEmpty());

    const CliRun expected
            = runCli(command + QStringList{"--site", site, "--batch", schedule} + lens);
    QCOMPARE(expected.errors, QByteArray());
    QCOMPARE(int(expected.status), 0);
    const CliRun run
            = runCli(command + QStringList{"--site", osm, "--site", area, "--batch", osm} + lens);
    QCOMPARE(int(run.status), 1); // the rows that are errors
    QCOMPARE(run.output, expected.output);
}

void OsmTownTest::cameraErrors()
{
    const QString osm = write("town.osm", extract());
    const CliRun run = runCli(QStringList{"footprint", "--site", osm, "--batch", osm} + lens);
    const QString prefix = QStringLiteral("kavrelo-cli footprint: ");
    const QString warning = prefix + QStringLiteral("warning: ");
    const QString errors = QString::fromUtf8(run.errors);
    const QStringList lines = errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList expected{
            warning + osm
                    + ": 1 value that cannot be read, so the buildings' levels count instead; "
                      "the first, way/105 has height=\"tall\"",
            warning + osm + ": left out 1 building whose outline does not close",
            warning + osm
                    + ": left out 1 building whose outline crosses itself; the first, way/112",
            prefix
                    + "line 5: node/4 has no camera:direction, as a dome often has not: give "
                      "every such camera one bearing with --bearing DEGREES, or map its direction",
            prefix
                    + "line 6: node/5: camera:direction=180-360 is a range that the camera pans "
                      "over, not one bearing",
            prefix + "line 8: node/8: height=\"high\" is not a length in metres or feet",
    };
    QCOMPARE(lines.join(QLatin1Char('\n')), expected.join(QLatin1Char('\n')));
    QCOMPARE(int(run.status), 1);

    // With a bearing for all, the dome stands in the schedule too.
    const CliRun withBearing = runCli(
            QStringList{"footprint", "--site", osm, "--batch", osm, "--bearing", "180"} + lens);
    QVERIFY(!withBearing.errors.contains("node/4"));
    QVERIFY(withBearing.output.contains("\"camera\":\"node/4\",\"bearing_deg\":180.0000"));
}

void OsmTownTest::streets_data()
{
    QTest::addColumn<QByteArray>("extract");
    QTest::addColumn<double>("area"); // to cover, m^2
    QTest::addColumn<QStringList>("warnings");

    // Street A runs east along 48.1 N from 11.499 to 11.501 E, 8 m wide by
    // its tag: on WGS84, N(48.1) cos 48.1 x 0.002 rad = 148.96204 m long.
    // Street B runs north along 11.5 E from 48.0995 to 48.1005 N, a
    // residential street of 6 m: the meridian's arc, 111.19227 m. They
    // cross in 8 x 6 m: 8 x 148.96204 + 6 x 111.19227 - 48 = 1810.84995.
    const auto streets = [](const char *widthA, const Way &third) {
        ExtractWriter writer;
        writer.way({{"11.499", "48.1"}, {"11.501", "48.1"}},
                   tag("highway", "secondary") + tag("width", widthA));
        writer.way({{"11.5", "48.0995"}, {"11.5", "48.1005"}}, tag("highway", "residential"));
        writer.way(third.corners, third.tags);
        return writer.file();
    };
    const Corners aside{{"11.4995", "48.0996"}, {"11.5005", "48.0996"}};
    QTest::addRow("two crossing streets")
            << streets("8", {aside, tag("highway", "proposed")}) << 1810.84995
            << QStringList{": left out 1 way of highway=proposed, which are no street space"};
    QTest::addRow("a width in feet")
            << streets("26'3\"", {aside, tag("highway", "construction")})
            // 26.25 ft = 8.001 m: 0.001 m more of street A, and of the crossing.
            << 1810.84995 + 0.001 * (148.96204 - 6.0)
            << QStringList{": left out 1 way of highway=construction, which are no street space"};
    // A width that cannot be read: street A is a secondary street's 8 m.
    QTest::addRow("a width that cannot be read")
            << streets("eight", {aside, tag("barrier", "fence")}) << 1810.84995
            << QStringList{": 1 width that cannot be read, so those streets are as wide as their "
                           "class; the first, way/100 has width=\"eight\""};
    // A building over street A's north edge, 48.10002 to 48.1001 N and
    // 11.5005 to 11.5007 E: 4 m less 2.22385 m of meridian, by 14.89620 m
    // of parallel, 26.45796 m^2 less.
    QTest::addRow("less a building") << streets(
            "8", {box("11.5005", "48.10002", "11.5007", "48.1001"), tag("building", "yes")})
                                     << 1810.84995 - 26.45796 << QStringList{};
}

// The street space to cover, against the areas worked out by hand above.
void OsmTownTest::streets()
{
    QFETCH(QByteArray, extract);
    QFETCH(double, area);
    QFETCH(QStringList, warnings);
    const QString osm = write(QStringLiteral("%1.osm").arg(QTest::currentDataTag()), extract);
    const CliRun run = runCli(QStringList{"coverage", "--site", osm, "--area", "streets", "--lat",
                                          "48.1", "--lon", "11.4995", "--bearing", "90"}
                              + lens + QStringList{"--format", "csv"});
    QCOMPARE(int(run.status), 0);
    QStringList said;
    for (const QString &line : QString::fromUtf8(run.errors).split('\n', Qt::SkipEmptyParts))
        said << line.mid(line.indexOf(osm) + osm.size());
    QCOMPARE(said, warnings);
    const QList<QByteArray> row = run.output.split('\n').value(1).split(',');
    QCOMPARE(row.value(0), QByteArray("level"));
    QVERIFY2(std::fabs(row.value(3).toDouble() - area) <= 0.005, row.value(3).constData());
}

void OsmTownTest::extent_data()
{
    QTest::addColumn<QByteArray>("bounds");
    QTest::addColumn<QString>("warning");

    // 11.499 to 11.501 E by 48.0995 to 48.1005 N on WGS84, the integral of
    // M N cos(lat) over it: 16563.42735 m^2; less the building's 48.10002
    // to 48.1001 N by 11.5005 to 11.5007 E, 132.50727 m^2: 16430.92009.
    // Its corners in the plane are joined straight, where the parallels
    // bend by half a millimetre over the box, each way, and cancel.
    QTest::addRow("as it declares them")
            << QByteArray("<bounds minlat=\"48.0995\" minlon=\"11.499\" maxlat=\"48.1005\" "
                          "maxlon=\"11.501\"/>\n")
            << QString();
    // The streets span the same box.
    QTest::addRow("around what it maps")
            << QByteArray()
            << "declares no bounds, so the ground to cover is the box around "
               "what it maps";
}

void OsmTownTest::extent()
{
    QFETCH(QByteArray, bounds);
    QFETCH(QString, warning);
    ExtractWriter writer;
    writer.way({{"11.499", "48.0995"}, {"11.499", "48.1005"}, {"11.501", "48.1005"}},
               tag("highway", "footway"));
    writer.way(box("11.5005", "48.10002", "11.5007", "48.1001"), tag("building", "yes"));
    writer.way({{"11.5", "48.1"}, {"11.501", "48.0995"}}, tag("barrier", "wall"));
    const QString osm = write(QStringLiteral("extent.osm"), writer.file(bounds));
    const CliRun run = runCli(QStringList{"coverage", "--site", osm, "--area", "extent", "--lat",
                                          "48.1", "--lon", "11.4995", "--bearing", "90"}
                              + lens + QStringList{"--format", "csv"});
    QCOMPARE(int(run.status), 0);
    QCOMPARE(QString::fromUtf8(run.errors).section(osm, 1).trimmed(), warning);
    const QList<QByteArray> row = run.output.split('\n').value(1).split(',');
    QVERIFY2(std::fabs(row.value(3).toDouble() - 16430.92009) <= 0.01, row.value(3).constData());
}

void OsmTownTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments"); // FILE: the extract, YARD: a GeoJSON site
    QTest::addColumn<QString>("message");

    QTest::addRow("streets of no extract")
            << QStringList{"--site", "YARD", "--area", "streets"}
            << "--area streets takes its ground from an OpenStreetMap extract (.osm or .osm.pbf) "
               "among --site, and none is given";
    QTest::addRow("no such ground") << QStringList{"--site", "FILE", "--area", "roads"}
                                    << "--area \"roads\" is none of extent, streets";
    QTest::addRow("no site") << QStringList{"--area", "extent"}
                             << "--role, --obstacle-height and --area need --site";
    // Threads are counted in plain digits, and there are some.
    QTest::addRow("no threads") << QStringList{"--site", "FILE", "--jobs", "0"}
                                << "--jobs \"0\" is not a whole number from 1 to 256";
    QTest::addRow("threads with a sign") << QStringList{"--site", "FILE", "--jobs", "+2"}
                                         << "--jobs \"+2\" is not a whole number from 1 to 256";
    QTest::addRow("too many threads") << QStringList{"--site", "FILE", "--jobs", "257"}
                                      << "--jobs \"257\" is not a whole number from 1 to 256";
    // A file named as an extract that is none.
    QTest::addRow("not an extract")
            << QStringList{"--site", "NOT", "--area", "streets"}
            << "cannot read NOT as a GIS or CAD file: `NOT' not recognized as a supported file "
               "format.";
}

void OsmTownTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QString osm = write("town.osm", extract());
    const QString area = write("yard.geojson", collection({yardArea()}));
    const QString notAnExtract = write("not.osm", "<html>a page saved by mistake</html>\n");
    for (QString &argument : arguments)
        argument = argument == "FILE" ? osm
                : argument == "YARD"  ? area
                : argument == "NOT"   ? notAnExtract
                                      : argument;
    message.replace(QLatin1String("NOT"), notAnExtract);
    const CliRun run
            = runCli(QStringList{"coverage", "--lat", "48.1", "--lon", "11.5", "--bearing", "0"}
                     + lens + arguments);
    QCOMPARE(int(run.status), 2);
    QCOMPARE(QString::fromUtf8(run.errors).section(QLatin1Char('\n'), 0, 0),
             "kavrelo-cli coverage: " + message);
    QCOMPARE(run.output, QByteArray());
}

void OsmTownTest::jobs_data()
{
    QTest::addColumn<QStringList>("command"); // FILE: a file the run writes
    QTest::addColumn<bool>("fromInput"); // the schedule on standard input

    QTest::addRow("coverage with its gaps")
            << QStringList{"coverage", "--format", "csv", "--gaps", "FILE.geojson"} << false;
    QTest::addRow("footprint") << QStringList{"footprint"} << false;
    QTest::addRow("footprint from standard input") << QStringList{"footprint"} << true;
    QTest::addRow("footprint into a GeoPackage")
            << QStringList{"footprint", "--output", "FILE.gpkg"} << false;
}

// Cameras worked out on several threads are answered as one thread answers
// them, to the byte, errors and their order included: more records than
// one round of the threads takes (64 records for two, 96 for three), some
// of them in error.
void OsmTownTest::jobs()
{
    QFETCH(QStringList, command);
    QFETCH(bool, fromInput);
    const QString osm = write("town.osm", extract());
    const QString area = write("yard.geojson", collection({yardArea()}));
    QByteArray schedule = "camera,bearing,lat,lon\n";
    const char *const places[]
            = {"48.1,11.5", "48.101,11.501", "48.10055,11.5021", "48.0995,11.5015"};
    for (int row = 0; row < 100; ++row) {
        const QByteArray bearing
                = row % 47 == 5 ? QByteArray("NNX") : QByteArray::number(row * 37 % 360);
        schedule += "cam" + QByteArray::number(row) + "," + bearing + "," + places[row % 4] + "\n";
    }
    const QString scheduleFile = write("many.csv", schedule);
    QVERIFY(!osm.isEmpty() && !area.isEmpty() && !scheduleFile.isEmpty());

    QByteArray first;
    QByteArray firstErrors;
    QByteArray firstFile;
    for (const QString jobs : {"1", "2", "3"}) {
        QStringList arguments = command;
        const QString file = m_folder.filePath("jobs-" + jobs);
        for (QString &argument : arguments)
            argument.replace(QLatin1String("FILE"), file);
        const QString written = arguments.filter(file).value(0);
        arguments << QStringList{"--site", osm,  "--site",  area,
                                 "--jobs", jobs, "--batch", fromInput ? "-" : scheduleFile}
                  << lens;
        const CliRun run = runCli(arguments, fromInput ? schedule : QByteArray());
        QCOMPARE(int(run.status), 1); // the rows in error
        QCOMPARE(run.errors.count(": line "), 3);
        QByteArray bytes;
        if (!written.isEmpty()) {
            QFile made(written);
            QVERIFY(made.open(QIODevice::ReadOnly));
            bytes = made.readAll();
            QVERIFY(!bytes.isEmpty());
        }
        if (jobs == QLatin1String("1")) {
            QVERIFY(!run.output.isEmpty() || !bytes.isEmpty());
            first = run.output;
            firstErrors = run.errors;
            firstFile = bytes;
            continue;
        }
        QCOMPARE(run.output, first);
        QCOMPARE(run.errors, firstErrors);
        QVERIFY(bytes == firstFile);
    }
}

QTEST_GUILESS_MAIN(OsmTownTest)
#include "tst_osmtown.moc"
