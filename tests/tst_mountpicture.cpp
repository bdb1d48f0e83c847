#include "clirun.h"
#include "picturebaseline.h"

#include <QDir>
#include <QFontMetricsF>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPolygonF>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

// mount's pictures: the model's worked examples drawn, rendered back through
// QSvgRenderer with DejaVu Sans alone and compared pixel for pixel with the
// baselines in tests/baselines/ (KAVRELO_UPDATE_BASELINES takes new ones);
// the legend giving the figures the command prints; a batch's file names.
class MountPictureTest : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void sitePlans_data();
    void sitePlans();
    void sitePlanLayout_data();
    void sitePlanLayout();
    void batchNamesItsPictures();
    void refusedPaths_data();
    void refusedPaths();
    void throughALink();

private:
    QTemporaryDir m_folder;
};

namespace {

CliRun mount(const QStringList &arguments, const QByteArray &input = {})
{
    return runCli(QStringList{"mount"} + arguments, input);
}

QStringList svgTexts(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QXmlStreamReader svg(&file);
    QStringList texts;
    while (svg.readNextStartElement() || !svg.atEnd()) {
        if (svg.isStartElement() && svg.name() == QLatin1String("text"))
            texts << svg.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else if (!svg.isStartElement())
            svg.readNext();
    }
    return texts;
}

QString metres(const QJsonObject &results, const char *key)
{
    return QString::number(results.value(key).toDouble(), 'f', 2);
}

// The SVG rendered back on white, against the baseline of its name.
QString renderedDifference(const QString &path, QSize size, const QString &name)
{
    QSvgRenderer renderer(path);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    renderer.render(&painter);
    painter.end();
    return differenceFromBaseline(picture, name + ".png", QStringLiteral(KAVRELO_BASELINE_DIR),
                                  QStringLiteral(KAVRELO_ACTUAL_DIR));
}

} // namespace

void MountPictureTest::pictures_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::newRow("mount-pole") << "--resolution 1920x1080 --hfov 60 --height 4 --tilt 20 "
                                   "--distance 10";
    QTest::newRow("mount-horizon")
            << "--resolution 1920x1080 --hfov 90 --vfov 50 --height 5 --tilt 25";
    QTest::newRow("mount-behind-the-pole")
            << "--resolution 2560x1440 --hfov 100 --vfov 56.25 --height 3 "
               "--tilt 70 --target-height 0";
    // Edges that point up and behind the pole: the view is the whole sector.
    QTest::newRow("mount-wide-lens")
            << "--resolution 1920x1080 --hfov 60 --vfov 175 --height 4 --tilt 30";
    // Little ground on either side of the pole, and the axis about it.
    QTest::newRow("mount-nearly-straight-down")
            << "--resolution 1920x1080 --hfov 60 --height 4 --tilt 89";
    // Identify from 4.4 m, recognize from 6.28 m: their circles cut out of
    // the top view, their lines of sight in the side view.
    QTest::newRow("mount-faces-from-the-front")
            << "--resolution 1920x1080 --hfov 60 --height 6 --tilt 30 --max-angle identify=45 "
               "--max-angle recognize=35";
}

void MountPictureTest::pictures()
{
    QFETCH(QString, arguments);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QString path = m_folder.filePath(name + ".svg");
    const CliRun run
            = mount(arguments.split(' ') + QStringList{"--format", "json", "--plot", path});
    QCOMPARE(run.status, ExitStatus::success);
    const QJsonObject results = QJsonDocument::fromJson(run.output).object();

    // Each level's line gives its range as the command does, or "not met".
    const QStringList texts = svgTexts(path);
    for (const char *level : {"monitor", "detect", "observe", "recognize", "identify", "inspect"}) {
        const QString key = QString::fromLatin1(level) + "_to_m";
        // A level under a steepest angle starts where its circle ends.
        const QByteArray from = QByteArray(level) + "_from_m";
        QString range = results.value(key).isNull()
                ? QStringLiteral("not met")
                : metres(results, results.contains(from) ? from.constData() : "target_near_m")
                        + " to " + metres(results, key.toLatin1()) + " m";
        // No regular expression: valgrind takes their JIT code for bad reads.
        const QString limited = QString::fromLatin1(level) + QLatin1Char('=');
        if (const int at = arguments.indexOf(limited); at >= 0)
            range += QStringLiteral(", seen at most %1\u00B0 down")
                             .arg(arguments.mid(at + limited.size())
                                          .section(QLatin1Char(' '), 0, 0));
        const auto line = std::find_if(texts.cbegin(), texts.cend(), [&](const QString &text) {
            return text.startsWith(QLatin1String(level), Qt::CaseInsensitive);
        });
        QVERIFY2(line != texts.cend() && line->endsWith(": " + range), qPrintable(key));
    }
    QVERIFY(texts.contains("Ground in view: " + metres(results, "ground_near_m")
                           + (results.value("ground_far_m").isNull()
                                      ? " m to the horizon"
                                      : " to " + metres(results, "ground_far_m") + " m")));

    const QString difference = renderedDifference(path, QSize(900, 1000), name);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void MountPictureTest::sitePlans_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("cameras"); // their labels

    const QString data = QStringLiteral(KAVRELO_DATA_DIR "/");
    const auto schedule = [&](const QString &site) {
        QStringList arguments{"--site", data + site + ".geojson", "--batch", data + site + ".csv"};
        QFile file(data + site + ".csv");
        QStringList names;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n').mid(1)) {
                if (!line.isEmpty())
                    names << QString::fromUtf8(line.split(',').first());
            }
        }
        return std::make_pair(arguments, names);
    };
    // The worked example S1: one camera at the middle of a 100 x 60 m yard.
    const auto s1 = schedule("s1");
    QTest::newRow("site-s1") << s1.first << s1.second;
    // Three cameras round a yard with a hall of 8 m, a fence of 2 m and the
    // neighbour's garden.
    const auto yard = schedule("yard");
    QTest::newRow("site-yard") << yard.first << yard.second;
    // Four blocks of a town from OpenStreetMap and its six mapped cameras,
    // over its streets: the one mapped without a direction looks east.
    const QString town = data + "town.osm";
    QTest::newRow("site-town") << QStringList{"--site",   town, "--area",       "streets",
                                              "--batch",  town, "--bearing",    "90",
                                              "--hfov",   "80", "--resolution", "1920x1080",
                                              "--height", "6",  "--tilt",       "20"}
                               << QStringList{"CAM-0",     "node/1370", "node/1371",
                                              "node/1372", "CAM-4",     "node/1374"};
}

// coverage's plan, drawn by the same module, named and labelled.
void MountPictureTest::sitePlans()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, cameras);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QString path = m_folder.filePath(name + ".svg");
    const CliRun run = runCli(QStringList{"coverage", "--plot", path} + arguments);
    QCOMPARE(run.errors, QByteArray());
    QCOMPARE(run.status, ExitStatus::success);
    const QStringList texts = svgTexts(path);
    for (const QString &camera : cameras)
        QVERIFY2(texts.contains(camera), qPrintable(camera));
    QVERIFY(texts.contains("Detect (25 px/m)"));

    const QString difference = renderedDifference(path, QSize(1000, 1000), name);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

namespace {

// Each text of an SVG with the box it takes: from its baseline point, as
// wide as DejaVu Sans at 12 pixels sets it, ascent over and descent under.
QList<QPair<QString, QRectF>> svgTextBoxes(const QString &path)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    const QFontMetricsF metrics(font);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QXmlStreamReader svg(&file);
    QList<QPair<QString, QRectF>> boxes;
    while (!svg.atEnd()) {
        if (svg.readNext() != QXmlStreamReader::StartElement || svg.name() != QLatin1String("text"))
            continue;
        const double x = svg.attributes().value("x").toDouble();
        const double y = svg.attributes().value("y").toDouble();
        const QString text = svg.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        boxes.append({text,
                      QRectF(x, y - metrics.ascent(), metrics.horizontalAdvance(text),
                             metrics.ascent() + metrics.descent())});
    }
    return boxes;
}

// The outline of the first path of that fill, as drawn.
QRectF pathBox(const QString &path, const QString &fill)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QXmlStreamReader svg(&file);
    bool filled = false;
    while (!svg.atEnd()) {
        if (svg.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (svg.name() == QLatin1String("g"))
            filled = svg.attributes().value("fill") == fill;
        if (svg.name() != QLatin1String("path") || !filled)
            continue;
        QPolygonF points;
        for (const QString &part : svg.attributes().value("d").toString().split(' ')) {
            const QStringList xy = part.mid(1).split(',');
            if (xy.size() == 2)
                points << QPointF(xy.at(0).toDouble(), xy.at(1).toDouble());
        }
        return points.boundingRect();
    }
    return {};
}

} // namespace

// The plan frames the site, not the bands, and its labels stand apart.
// A car park of 80 x 50 m with S1's camera at its middle looking east: the
// frame is the park with 5 % of 80 m around it, 88 x 58 m, so the park is
// 80 m of the 88 across the plan's 920 pixels, 836.4 pixels; the bands
// end where the view's top edge, 20 - 35.98 / 2 = 2.01 degrees down, meets
// the target's plane 2.4 m under the lens, 68.44 m east (S1's worked far
// edge), 24 m past the frame's 44. Three cameras a metre apart at the yard's middle: every label
// within the plan (40, 50, 920 x 800), none over another.
void MountPictureTest::sitePlanLayout_data()
{
    QTest::addColumn<QByteArray>("site");
    QTest::addColumn<QByteArray>("cameras");
    QTest::addColumn<double>("parkWidth"); // pixels, or 0 when not asked
    QTest::addColumn<QString>("note");
    const double metresEast = 1.0 / (111320.0 * std::cos(52.52 * 3.141592653589793 / 180.0));
    const double metresNorth = 1.0 / 111250.0;
    const auto corner = [&](double east, double north) {
        return QStringLiteral("[%1,%2]")
                .arg(13.405 + east * metresEast, 0, 'f', 7)
                .arg(52.52 + north * metresNorth, 0, 'f', 7)
                .toUtf8();
    };
    const QByteArray park = R"({"type":"Polygon","coordinates":[[)" + corner(-40, -25) + ","
            + corner(40, -25) + "," + corner(40, 25) + "," + corner(-40, 25) + ","
            + corner(-40, -25) + "]]}";
    QTest::newRow("a car park looked far past")
            << park
            << QByteArray("camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                          "gate,52.52,13.405,90,1920x1080,60,4,20\n")
            << 836.4 << QStringLiteral("The views reach up to 24 m past the frame");
    QTest::newRow("three cameras a metre apart")
            << park
            << QByteArray("camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                          "office,52.52,13.405,0,1920x1080,60,4,20\n"
                          "nw,52.52,13.4050148,315,1920x1080,60,4,20\n"
                          "shop,52.5200090,13.405,135,1920x1080,60,4,20\n")
            << 0.0 << QString();
}

void MountPictureTest::sitePlanLayout()
{
    QFETCH(QByteArray, site);
    QFETCH(QByteArray, cameras);
    const QString sitePath = m_folder.filePath("layout.geojson");
    QFile siteFile(sitePath);
    QVERIFY(siteFile.open(QIODevice::WriteOnly) && siteFile.write(site) == site.size());
    siteFile.close();
    const QString path = m_folder.filePath("layout.svg");
    const CliRun run
            = runCli({"coverage", "--site", sitePath, "--plot", path, "--batch", "-"}, cameras);
    QCOMPARE(run.status, ExitStatus::success);
    QFETCH(double, parkWidth);
    if (parkWidth > 0.0)
        QVERIFY2(std::fabs(pathBox(path, "#f0f0e8").width() - parkWidth) < 1.0,
                 qPrintable(QString::number(pathBox(path, "#f0f0e8").width())));
    QFETCH(QString, note);
    const auto boxes = svgTextBoxes(path);
    QStringList texts;
    for (const auto &[text, box] : boxes)
        texts << text;
    if (!note.isEmpty())
        QVERIFY2(texts.contains(note), qPrintable(texts.join('|')));
    const QRectF plan(40, 50, 920, 800);
    for (const QByteArray &line : cameras.split('\n').mid(1)) {
        if (line.isEmpty())
            continue;
        const QString name = QString::fromUtf8(line.split(',').first());
        const auto label = std::find_if(boxes.cbegin(), boxes.cend(),
                                        [&](const auto &box) { return box.first == name; });
        QVERIFY(label != boxes.cend());
        QVERIFY2(plan.contains(label->second), qPrintable(name));
        for (const auto &[other, box] : boxes) {
            if (other != name && texts.contains(other) && plan.contains(box))
                QVERIFY2(!box.intersects(label->second), qPrintable(name + " over " + other));
        }
    }
}

// Named after the first pass-through column, wherever it stands, made
// safe, else the line; a name met again gets its line; rows in error get no
// picture. A long name is cut to whole characters within 200 bytes: 150
// two-byte letters keep 100.
void MountPictureTest::batchNamesItsPictures()
{
    const QString folder = m_folder.filePath("batch");
    const QString longName = QString(150, QChar(0x00E4));
    const CliRun run
            = mount({"--resolution", "1920x1080", "--hfov", "60", "--tilt", "20", "--format", "csv",
                     "--plot", folder, "--batch", "-"},
                    "height,pole,notes\n4,North gate/2,a\n5,,b\n6,North gate/2,c\n0,bad,d\n"
                    "4," + longName.toUtf8()
                            + ",e\n");
    QCOMPARE(run.status, ExitStatus::badInput);
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             QStringList({"North_gate_2-line-4.svg", "North_gate_2.svg", "line-3.svg",
                          longName.left(100) + ".svg"}));
}

// What is at a picture's path and is no regular file is refused before
// anything is computed, and left as it was; a path that cannot be made is
// found when the first picture is written.
void MountPictureTest::refusedPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<QByteArray>("errors");
    QTest::addColumn<bool>("computed");
    const QString fifo = m_folder.filePath("fifo");
    QVERIFY(QFile::exists(fifo) || ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString file = m_folder.filePath("file.svg");
    QFile made(file);
    QVERIFY(made.open(QIODevice::WriteOnly) && made.write("kept") == 4);
    made.close();
    const auto cannot = [](const QString &path, const char *reason) {
        return "kavrelo-cli mount: cannot write " + path.toUtf8() + ": " + reason + "\n";
    };
    QTest::newRow("a FIFO") << fifo << false << cannot(fifo, "not a regular file") << false;
    QTest::newRow("a device") << "/dev/null" << false << cannot("/dev/null", "not a regular file")
                              << false;
    QTest::newRow("a folder") << m_folder.path() << false
                              << cannot(m_folder.path(), "not a regular file") << false;
    QTest::newRow("a batch's folder that is a file")
            << file << true << cannot(file, "not a folder") << false;
    QTest::newRow("a batch's folder that is a FIFO")
            << fifo << true << cannot(fifo, "not a folder") << false;
    QTest::newRow("a folder that does not exist")
            << "/nonexistent/pole.svg" << false
            << cannot("/nonexistent/pole.svg", "No such file or directory") << true;
    const QString underAFile = file + "/pictures";
    QTest::newRow("a batch's folder under a file") << underAFile << true
                                                   << "kavrelo-cli mount: cannot make the folder "
                    + underAFile.toUtf8() + ": Not a directory\n"
                                                   << true;
}

void MountPictureTest::refusedPaths()
{
    QFETCH(QString, path);
    QFETCH(bool, batch);
    const QFileInfo before(path);
    const CliRun run = mount(QStringList{"--resolution", "1920x1080", "--hfov", "60", "--height",
                                         "4", "--tilt", "20", "--plot", path}
                                     + (batch ? QStringList{"--batch", "-"} : QStringList()),
                             "camera\na\n");
    QTEST(run.errors, "errors");
    QCOMPARE(run.status, ExitStatus::outputFailed);
    QFETCH(bool, computed);
    QCOMPARE(run.output.isEmpty(), !computed);
    const QFileInfo after(path);
    QCOMPARE(after.exists(), before.exists());
    QCOMPARE(after.isFile(), before.isFile());
    QCOMPARE(after.size(), before.size());
}

// A link to a regular file is written through; the link stays a link.
void MountPictureTest::throughALink()
{
    const QString target = m_folder.filePath("target.svg");
    const QString link = m_folder.filePath("link.svg");
    QFile made(target);
    QVERIFY(made.open(QIODevice::WriteOnly));
    made.close();
    QVERIFY(QFile::link(target, link));
    const CliRun run = mount({"--resolution", "1920x1080", "--hfov", "60", "--height", "4",
                              "--tilt", "20", "--plot", link});
    QCOMPARE(run.status, ExitStatus::success);
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo(target).size() > 0);
}

QTEST_MAIN(MountPictureTest)
#include "tst_mountpicture.moc"
