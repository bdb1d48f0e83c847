#include "clirun.h"
#include "picturebaseline.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QXmlStreamReader>

// The report of a small worked site (three cameras round a yard with a hall,
// a fence and the neighbour's garden): its pages rendered back by poppler
// and compared pixel for pixel with baselines, their text against what the
// commands print for the same inputs, its bytes, fonts and paper, and what
// it does with bad input.
class ReportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pages();
    void editionNamed_data();
    void editionNamed();
    void steepestAngleNamed();
    void heightRulesNamed();
    void floorPlanPage_data();
    void floorPlanPage();
    void coveragePage();
    void schedulePage();
    void cameraPages();
    void footers();
    void nothingLostInTheLayout();
    void withoutASite();
    void billOfMaterials_data();
    void billOfMaterials();
    void skippedRecords();
    void sameBytes_data();
    void sameBytes();
    void fontsEmbedded();
    void paper_data();
    void paper();
    void refusals_data();
    void refusals();
    void inputsKept_data();
    void inputsKept();
    void progress();

private:
    QString report(const QStringList &more = {});
    bool m_poppler = false;
    QTemporaryDir m_folder;
    QString m_yard; // the worked site's report
};

namespace {

const QString data = QStringLiteral(KAVRELO_DATA_DIR "/");
const QStringList yardInputs{"--batch", data + "yard.csv", "--site", data + "yard.geojson"};
const QString tools = QStringLiteral("pdftoppm, pdftotext, pdffonts and pdfinfo (poppler-utils)");

// A test that reads the PDF back is skipped without poppler's tools.
#define READS_THE_PDF()                                                                            \
    do {                                                                                           \
        if (!m_poppler)                                                                            \
            QSKIP(qPrintable(tools + " not found: the report goes unread"));                       \
    } while (false)

// One of poppler's tools, its standard output; nothing if it failed.
std::optional<QByteArray> popplerRun(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

QByteArray poppler(const QString &tool, const QStringList &arguments)
{
    return popplerRun(tool, arguments).value_or(QByteArray());
}

QString pageText(const QString &pdf, int page)
{
    return QString::fromUtf8(poppler(
            "pdftotext",
            {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"}));
}

int pageCount(const QString &pdf)
{
    const QString info = QString::fromUtf8(poppler("pdfinfo", {pdf}));
    return QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
}

// A text table's blocks (as `--format text` prints them): label and value.
std::vector<std::vector<std::pair<QString, QString>>> textBlocks(const QByteArray &output)
{
    std::vector<std::vector<std::pair<QString, QString>>> blocks(1);
    for (const QString &line : QString::fromUtf8(output).split('\n')) {
        if (line.isEmpty()) {
            if (!blocks.back().empty())
                blocks.emplace_back();
            continue;
        }
        const int gap = line.indexOf(QStringLiteral("  "));
        blocks.back().emplace_back(line.left(gap), line.mid(gap).trimmed());
    }
    if (blocks.back().empty())
        blocks.pop_back();
    return blocks;
}

// The line of a page's text holding a text, if any.
QString lineWith(const QString &text, const QString &part)
{
    for (const QString &line : text.split('\n')) {
        if (line.contains(part))
            return line;
    }
    return {};
}

// Whether the parts stand on one line of the text, in their order.
bool inOrderOnALine(const QString &text, const QStringList &parts)
{
    for (const QString &line : text.split('\n')) {
        int at = 0;
        bool all = true;
        for (const QString &part : parts) {
            at = line.indexOf(part, at);
            if (at < 0) {
                all = false;
                break;
            }
            at += part.size();
        }
        if (all)
            return true;
    }
    return false;
}

// Each word of each page, where pdftotext finds it, in points from the
// page's top left; and each page's size.
struct PageWords
{
    QSizeF size;
    QList<QPair<QString, QRectF>> words;
};

QList<PageWords> pageWords(const QString &pdf)
{
    QList<PageWords> pages;
    QXmlStreamReader xml(poppler("pdftotext", {"-bbox", pdf, "-"}));
    const auto number = [&xml](const char *name) {
        return xml.attributes().value(QLatin1String(name)).toDouble();
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            pages.append({QSizeF(number("width"), number("height")), {}});
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            const QRectF box(QPointF(number("xMin"), number("yMin")),
                             QPointF(number("xMax"), number("yMax")));
            pages.last().words.append({xml.readElementText(), box});
        }
    }
    return pages;
}

// A schedule of the test's own; its path.
QString schedule(const QTemporaryDir &folder, const QString &name, const QByteArray &rows)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rows) != rows.size())
        return {};
    return path;
}

// The errors of a run seen on a terminal.
class TerminalSink final : public MemorySink
{
public:
    bool isTerminal() const override { return true; }
};

} // namespace

void ReportTest::initTestCase()
{
    // Without poppler the reports go unread, but what needs no reading of
    // them (refusals, the inputs kept, progress, the same bytes) still runs.
    m_poppler = true;
    for (const char *tool : {"pdftoppm", "pdftotext", "pdffonts", "pdfinfo"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            m_poppler = false;
    }
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    m_yard = report();
    QVERIFY(!m_yard.isEmpty());
}

// The yard's report, with further options; its path, or empty if it failed.
QString ReportTest::report(const QStringList &more)
{
    static int made = 0;
    const QString path = m_folder.filePath(QStringLiteral("report-%1.pdf").arg(++made));
    const CliRun run
            = runCli(QStringList{"report"} + yardInputs + more + QStringList{"--output", path});
    if (run.status != ExitStatus::success) {
        qWarning("%s", run.errors.constData());
        return {};
    }
    return path;
}

void ReportTest::pages()
{
    READS_THE_PDF();
    QCOMPARE(pageCount(m_yard), 8);
    const QString prefix = m_folder.filePath("page");
    QVERIFY(popplerRun("pdftoppm", {"-r", "60", "-png", m_yard, prefix}));
    QStringList differences;
    for (int page = 1; page <= 8; ++page) {
        const QImage picture(QStringLiteral("%1-%2.png").arg(prefix).arg(page));
        QVERIFY(!picture.isNull());
        const QString difference = differenceFromBaseline(
                picture.convertToFormat(QImage::Format_RGB32),
                QStringLiteral("report-page-%1.png").arg(page),
                QStringLiteral(KAVRELO_BASELINE_DIR), QStringLiteral(KAVRELO_ACTUAL_DIR));
        if (!difference.isEmpty())
            differences << difference;
    }
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
}

void ReportTest::editionNamed_data()
{
    QTest::addColumn<QStringList>("more");
    QTest::addColumn<QString>("levels"); // as the assumptions say them

    QTest::addRow("by default") << QStringList{}
                                << "The levels of IEC 62676-4:2014, loosest first: Monitor "
                                   "(12.5 px/m) Detect (25 px/m)";
    QTest::addRow("2025") << QStringList{"--levels", "2025"}
                          << "The levels of IEC 62676-4:2025, loosest first: Overview (20 px/m) "
                             "Outline (40 px/m) Discern (80 px/m) Perceive (125 px/m) "
                             "Characterize (250 px/m) Validate (500 px/m) Scrutinize (1500 "
                             "px/m)";
    QTest::addRow("2025 and one of one's own")
            << QStringList{"--levels", "2025,inspect=1000"}
            << "The levels of IEC 62676-4:2025 and those given with --levels, loosest first:";
    QTest::addRow("one's own alone") << QStringList{"--levels", "near=10,far=100"}
                                     << "The levels given with --levels: Near (10 px/m)";
}

// The assumptions name the edition whose levels the report measures by.
void ReportTest::editionNamed()
{
    READS_THE_PDF();
    QFETCH(QStringList, more);
    QFETCH(QString, levels);
    const QString path = report(more);
    QVERIFY(!path.isEmpty());
    const QString text = pageText(path, pageCount(path)).simplified();
    QVERIFY2(text.contains(levels), qPrintable(text));
}

// A level's steepest angle is named on each camera's page, beside where
// the level starts, and among the assumptions.
void ReportTest::steepestAngleNamed()
{
    READS_THE_PDF();
    const QString path = report({"--max-angle", "identify=45"});
    QVERIFY(!path.isEmpty());
    // The gate's camera, 6 m up over a target at 1.6 m: 4.4 / tan 45.
    const QString camera = pageText(path, 5).simplified();
    for (const QString &words :
         {QStringLiteral("Identify (250 px/m) from 4.40 m"),
          QStringLiteral("Identify (250 px/m) seen at most 45\u00B0 below the horizontal")})
        QVERIFY2(camera.contains(words), qPrintable(camera));
    const QString assumptions = pageText(path, pageCount(path)).simplified();
    QVERIFY2(assumptions.contains("Faces seen from the front Identify (250 px/m) counts only "
                                  "where the line from the lens to the target is at most 45\u00B0 "
                                  "below the horizontal"),
             qPrintable(assumptions));
}

// How an extract's obstacles got their heights is counted, rule by rule,
// among the assumptions: here one or two of each, north of the yard.
void ReportTest::heightRulesNamed()
{
    READS_THE_PDF();
    QByteArray nodes;
    QByteArray ways;
    int next = 1;
    const auto way = [&](int corners, const QByteArray &tags) {
        QByteArray refs;
        const int first = next;
        for (int corner = 0; corner < corners; ++corner) {
            nodes += QStringLiteral("<node id=\"%1\" lat=\"%2\" lon=\"%3\"/>")
                             .arg(next)
                             .arg(48.102 + 0.0001 * (corner >= 2), 0, 'f', 4)
                             .arg(11.5 + 0.0002 * first + 0.0001 * (corner == 1 || corner == 2), 0,
                                  'f', 4)
                             .toUtf8();
            refs += "<nd ref=\"" + QByteArray::number(next++) + "\"/>";
        }
        if (corners == 4)
            refs += "<nd ref=\"" + QByteArray::number(first) + "\"/>";
        ways += "<way id=\"" + QByteArray::number(next) + "\">" + refs + tags + "</way>";
    };
    const auto tag = [](const char *key, const char *value) {
        return QByteArray("<tag k=\"") + key + "\" v=\"" + value + "\"/>";
    };
    way(4, tag("building", "yes") + tag("height", "9"));
    way(4, tag("building", "yes") + tag("building:levels", "2") + tag("roof:height", "1"));
    way(4, tag("building", "yes") + tag("building:levels", "3"));
    way(4, tag("building:part", "yes"));
    way(2, tag("barrier", "wall"));
    way(2, tag("barrier", "hedge") + tag("height", "1"));
    way(2, tag("barrier", "fence") + tag("height", "1.2"));
    way(2, tag("barrier", "fence"));
    const QString osm = m_folder.filePath(QStringLiteral("heights.osm"));
    QFile file(osm);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?><osm version=\"0.6\">" + nodes + ways + "</osm>");
    file.close();
    const QString path = report({"--site", osm});
    QVERIFY(!path.isEmpty());
    const QString assumptions = pageText(path, pageCount(path)).simplified();
    for (const char *rule :
         {"In heights.osm, of its 4 buildings and building parts, 1 took their height from "
          "height, 2 from building:levels at 3 m a storey (1 with roof:height added), and 1 had "
          "neither and hide at every height.",
          "In heights.osm, of its 2 walls and hedges, 1 took their height from height, and 1 "
          "without one hide up to 2 m.",
          "In heights.osm, of its 2 fences, 1 with a height hide up to it, and 1 without one "
          "were left out, since most fences are seen through."})
        QVERIFY2(assumptions.contains(QLatin1String(rule)), qPrintable(assumptions));
}

void ReportTest::floorPlanPage_data()
{
    QTest::addColumn<QStringList>("placement");
    QTest::addColumn<QString>("baseline");
    QTest::addColumn<QStringList>("schedule"); // what its page says of the camera's position
    QTest::addColumn<QString>("positions"); // the assumptions' words on them

    QTest::addRow("placed on the earth")
            << QStringList{"--origin", "48.1,11.5"} << "report-office-1.png"
            << QStringList{"Latitude", "Longitude", "camera 48.100009 11.500134 0.0000\u00B0"}
            << "Positions are on the WGS84 ellipsoid";
    // No north arrow: nobody said where north is.
    QTest::addRow("with no place on the earth")
            << QStringList{} << "report-office-plan-1.png"
            << QStringList{"x y", "(mm) (mm)", "camera 10000 1000 0.0000\u00B0"}
            << "Positions are in the plan's own plane, in mm about its (0, 0), with no place on "
               "the earth and no projection; bearings are clockwise from the plan's +y, since "
               "no north was given.";
}

// The report over an architect's drawing: the office of data/plans, its
// walls and glass as obstacles, the rest of the drawing (the door's swing,
// the desks, the hatch) thin and grey behind the bands.
void ReportTest::floorPlanPage()
{
    READS_THE_PDF();
    QFETCH(QStringList, placement);
    QFETCH(QString, baseline);
    QFETCH(QStringList, schedule);
    QFETCH(QString, positions);
    const QString plans = QStringLiteral(KAVRELO_DATA_DIR "/plans/");
    const QString path = m_folder.filePath("office.pdf");
    const CliRun run = runCli(QStringList{"report",
                                          "--site",
                                          plans + "office.dxf",
                                          "--role",
                                          "A-AREA=area",
                                          "--role",
                                          "A-AREA-PRIV=privacy",
                                          "--role",
                                          "A-WALL=obstacle",
                                          "--role",
                                          "A-GLAZ=obstacle",
                                          "--obstacle-height",
                                          "A-GLAZ=1.1",
                                          "-x",
                                          "10000",
                                          "-y",
                                          "1000",
                                          "--bearing",
                                          "0",
                                          "--hfov",
                                          "143.13010235415598",
                                          "--resolution",
                                          "1920x1080",
                                          "--height",
                                          "3",
                                          "--tilt",
                                          "30",
                                          "--max-range",
                                          "12",
                                          "--title",
                                          "Office, level 1",
                                          "--output",
                                          path}
                              + placement);
    QCOMPARE(int(run.status), 0);
    const QString prefix = m_folder.filePath("office");
    QVERIFY(popplerRun("pdftoppm", {"-r", "60", "-png", "-f", "1", "-l", "1", path, prefix}));
    const QImage picture(prefix + QStringLiteral("-1.png"));
    QVERIFY(!picture.isNull());
    const QString difference = differenceFromBaseline(
            picture.convertToFormat(QImage::Format_RGB32), baseline,
            QStringLiteral(KAVRELO_BASELINE_DIR), QStringLiteral(KAVRELO_ACTUAL_DIR));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    const QString scheduleText = pageText(path, 3).simplified();
    for (const QString &words : schedule)
        QVERIFY2(scheduleText.contains(words), qPrintable(scheduleText));
    QString assumptions;
    for (int page = 4; page <= 6; ++page)
        assumptions += pageText(path, page).simplified() + QLatin1Char(' ');
    QVERIFY2(assumptions.contains(positions), qPrintable(assumptions));
}

// Each row of coverage's table, with every figure as coverage prints it.
void ReportTest::coveragePage()
{
    READS_THE_PDF();
    const CliRun coverage
            = runCli(QStringList{"coverage"} + yardInputs + QStringList{"--format", "text"});
    QCOMPARE(coverage.status, ExitStatus::success);
    const QString text = pageText(m_yard, 2);
    QVERIFY(text.contains("Coverage"));
    const auto blocks = textBlocks(coverage.output);
    QCOMPARE(blocks.size(), std::size_t(7)); // six levels and the neighbour's garden
    for (const auto &block : blocks) {
        QStringList parts;
        for (const auto &[label, value] : block)
            parts << value;
        QVERIFY2(inOrderOnALine(text, parts), qPrintable(parts.join(", ")));
    }
    // The gaps shown are those of detect, the strictest level that covers
    // half the yard: detect 63.35 %, observe 22.40 %.
    const auto share = [&](std::size_t level) { return blocks.at(level).at(5).second; };
    QCOMPARE(share(1), QStringLiteral("63.35 %"));
    QCOMPARE(share(2), QStringLiteral("22.40 %"));
    QVERIFY(text.contains("Not covered at Detect (25 px/m)"));
    // Or those of the level asked for, which covers 0.69 % of it.
    const QString identify = report({"--gaps-level", "identify"});
    QVERIFY(!identify.isEmpty());
    QVERIFY(pageText(identify, 2).contains("Not covered at Identify (250 px/m)"));
}

// What a real schedule does to the layout: twelve levels of 38-letter
// names, a camera named in 118 letters without a space, a title with a
// line break, on portrait pages. Every column of the schedule is on its
// pages, the name on each slice of them; tables and titles stay within the
// margins; all text is 6 points at least, the pictures' too, whose words
// DejaVu Sans boxes 1.164 em high; the footer stays one line under its
// rule; and mount's legend keeps each level's line.
void ReportTest::nothingLostInTheLayout()
{
    READS_THE_PDF();
    QStringList levels;
    QStringList labels;
    const QStringList places{"gate", "dock", "yard", "roof", "hall", "lane",
                             "shed", "pier", "ramp", "wall", "door", "path"};
    for (int level = 0; level < places.size(); ++level) {
        const QString name = QStringLiteral("%1-watch-zone-for-the-night-shift-%2")
                                     .arg(places.at(level))
                                     .arg(level, 2, 10, QLatin1Char('0'));
        levels << QStringLiteral("%1=%2").arg(name).arg(10 * (level + 1));
        labels << name.at(0).toUpper() + name.mid(1);
    }
    const QByteArray longName = "gate_camera_on_the_northern_perimeter_fence_by_the_loading_bay_"
                                "with_its_very_long_name_from_the_schedule_of_the_client";
    QFile yard(data + "yard.csv");
    QVERIFY(yard.open(QIODevice::ReadOnly));
    QByteArray rows = yard.readAll();
    rows.replace("\ngate,", "\n" + longName + ",");
    const QString path = m_folder.filePath("layout.pdf");
    const CliRun run = runCli({"report", "--site", data + "yard.geojson", "--batch",
                               schedule(m_folder, "layout.csv", rows), "--levels", levels.join(','),
                               "--orientation", "portrait", "--title",
                               "Site survey of the northern yard\nand its loading bay for the "
                               "night shift's client",
                               "--output", path});
    QCOMPARE(run.errors, QByteArray());

    const QList<PageWords> pages = pageWords(path);
    QVERIFY(!pages.isEmpty());
    QString schedule;
    int slices = 0;
    for (const PageWords &page : pages) {
        const QString heading = page.words.isEmpty() ? QString() : page.words.first().first;
        const bool table
                = heading.startsWith(QLatin1String("Schedule")) || heading == QLatin1String("Bill");
        QString text;
        for (const auto &[word, box] : page.words) {
            text += word;
            const bool title = box.height() > 15.0; // headings are 15 points
            if (table || title)
                QVERIFY2(box.left() >= 36.0 - 0.5 && box.right() <= page.size.width() - 36.0 + 0.5,
                         qPrintable(word));
            // The pictures' too: a picture drawn small gets a larger font.
            QVERIFY2(box.height() >= 6 * 1.164 - 0.05,
                     qPrintable(QStringLiteral("%1: %2 high").arg(word).arg(box.height())));
        }
        if (heading.startsWith(QLatin1String("Schedule"))) {
            schedule += text;
            ++slices;
            QVERIFY2(text.contains(QString::fromLatin1(longName)), qPrintable(text));
        }
        // The footer: the words below the rule, 36 points above the page's
        // foot, on one line.
        QList<double> footerLines;
        for (const auto &[word, box] : page.words) {
            if (box.top() > page.size.height() - 36.0 - 4.0 && !footerLines.contains(box.top()))
                footerLines << box.top();
        }
        QCOMPARE(footerLines.size(), 1);
    }
    QVERIFY(slices > 1);
    QString everything;
    for (const PageWords &page : pages) {
        for (const auto &[word, box] : page.words)
            everything += word;
    }
    // The legend's line of the strictest level, on the first camera's page.
    QVERIFY(everything.contains("Path-watch-zone-for-the-night-shift-11(120px/m):4.16to15.60m"));
    for (const QString &label : labels)
        QVERIFY2(schedule.contains(label), qPrintable(label));
    // The title page's heading wraps within the margins, both its lines kept.
    QString title;
    for (const auto &[word, box] : pages.first().words)
        title += word + QLatin1Char(' ');
    QVERIFY2(title.contains("night shift's client"), qPrintable(title));
}

// Positions to six decimals, worked from the schedule by hand; the rest as
// mount gives them for the same camera.
void ReportTest::schedulePage()
{
    READS_THE_PDF();
    const QString text = pageText(m_yard, 3);
    const CliRun mount = runCli({"mount", "--resolution", "2688x1520", "--hfov", "70", "--height",
                                 "6", "--tilt", "25", "--format", "text"});
    const auto figures = textBlocks(mount.output).front();
    const auto reach = [&](const char *level) {
        for (const auto &[label, value] : figures) {
            if (label.startsWith(QLatin1String(level)))
                return value;
        }
        return QStringLiteral("\u2013");
    };
    const QStringList reaches{reach("Monitor"),   reach("Detect"),   reach("Observe"),
                              reach("Recognize"), reach("Identify"), reach("Inspect")};
    QCOMPARE(reaches.last(), QStringLiteral("\u2013")); // inspect is not met
    const struct
    {
        const char *name;
        const char *lat;
        const char *lon;
        const char *bearing;
    } rows[] = {{"gate", "48.100018", "11.500027", "45.0000\u00B0"},
                {"dock", "48.100360", "11.501587", "270.0000\u00B0"},
                {"office", "48.100701", "11.500027", "135.0000\u00B0"}};
    for (const auto &row : rows) {
        const QStringList parts = QStringList{row.name,        row.lat,
                                              row.lon,         QString::fromUtf8(row.bearing),
                                              "6.00 m",        "25.0000\u00B0",
                                              "70.0000\u00B0", "2688 \u00D7 1520"}
                + reaches;
        QVERIFY2(inOrderOnALine(text, parts), qPrintable(lineWith(text, row.name)));
    }
}

// Every figure of mount's, on the line of its label; the locator names the
// camera.
void ReportTest::cameraPages()
{
    READS_THE_PDF();
    const CliRun mount = runCli({"mount", "--resolution", "2688x1520", "--hfov", "70", "--height",
                                 "6", "--tilt", "25", "--format", "text"});
    const auto figures = textBlocks(mount.output).front();
    QCOMPARE(figures.size(), std::size_t(17));
    const QStringList names{"gate", "dock", "office"};
    for (int camera = 0; camera < 3; ++camera) {
        const QString text = pageText(m_yard, 5 + camera);
        QVERIFY(text.contains("Camera " + names.at(camera)));
        for (const auto &[label, value] : figures)
            QVERIFY2(inOrderOnALine(text, {label, value}), qPrintable(label));
    }
}

void ReportTest::footers()
{
    READS_THE_PDF();
    for (int page = 1; page <= 8; ++page) {
        const QString footer
                = lineWith(pageText(m_yard, page), QStringLiteral("Page %1 of 8").arg(page));
        QVERIFY2(footer.contains("Camera plan"), qPrintable(QString::number(page)));
    }
    const QString titled = report({"--title", "Yard, north gate"});
    QVERIFY(pageText(titled, 1).contains("Yard, north gate"));
    QVERIFY(inOrderOnALine(pageText(titled, 8), {"Yard, north gate", "Page 8 of 8"}));
    // A title too long for the footer gives way to the page number.
    const QString words = QStringLiteral("the north yard, the loading docks, ").repeated(8);
    const QString footer = lineWith(pageText(report({"--title", words}), 2), "Page 2 of 8");
    QVERIFY2(footer.contains("the north yard") && footer.contains(QChar(0x2026)),
             qPrintable(footer));
}

// The plan, schedule, bill, three cameras and the assumptions.
void ReportTest::withoutASite()
{
    READS_THE_PDF();
    const QString path = m_folder.filePath("no-site.pdf");
    const CliRun run = runCli({"report", "--batch", data + "yard.csv", "--output", path});
    QCOMPARE(run.status, ExitStatus::success);
    QCOMPARE(pageCount(path), 7);
    QVERIFY(pageText(path, 2).contains("Schedule"));
    QVERIFY(!QString::fromUtf8(poppler("pdftotext", {path, "-"})).contains("Coverage"));
}

// Counted by a model column when there is one, else by resolution and
// angle or lens; with a model, the model is among the camera's own fields.
void ReportTest::billOfMaterials_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QList<QStringList>>("counts");
    QTest::addColumn<QStringList>("onCameraPage"); // of the second camera
    QTest::addRow("by model") << QByteArray(
            "camera,model,lat,lon,bearing,resolution,hfov,height,tilt\n"
            "a,KX-400,48.100018,11.5000269,45,2688x1520,70,6,25\n"
            "b,KX-900,48.1003597,11.5015872,270,3840x2160,90,6,25\n"
            "c,KX-400,48.1007014,11.5000269,135,2688x1520,70,6,25\n")
                              << QList<QStringList>{{"KX-400", "2"}, {"KX-900", "1"}}
                              << QStringList{"model", "KX-900"};
    QTest::addRow("by resolution and angle or lens")
            << QByteArray("camera,lat,lon,bearing,resolution,hfov,pixel-size,focal-length,height,"
                          "tilt\n"
                          "a,48.1,11.5,0,1920x1080,60,,,5,20\n"
                          "b,48.1,11.5001,0,1920x1080,,2.9,4,5,20\n"
                          "c,48.1,11.5002,0,1920x1080,60,,,5,20\n")
            << QList<QStringList>{{"1920 \u00D7 1080", "60.0000\u00B0", "2"},
                                  {"1920 \u00D7 1080", "2.9 \u00B5m, 4 mm", "1"}}
            << QStringList();
}

void ReportTest::billOfMaterials()
{
    READS_THE_PDF();
    QFETCH(QByteArray, rows);
    QFETCH(QList<QStringList>, counts);
    QFETCH(QStringList, onCameraPage);
    const QString batch = schedule(m_folder, "bill.csv", rows);
    const QString path = m_folder.filePath("bill.pdf");
    QCOMPARE(runCli({"report", "--batch", batch, "--output", path}).status, ExitStatus::success);
    const QString bill = pageText(path, 3);
    QVERIFY(bill.contains("Bill of materials"));
    for (const QStringList &count : counts)
        QVERIFY2(inOrderOnALine(bill, count), qPrintable(count.join(' ')));
    if (!onCameraPage.isEmpty())
        QVERIFY(inOrderOnALine(pageText(path, 5), onCameraPage));
}

// The cameras that could be placed are reported; the others are listed.
void ReportTest::skippedRecords()
{
    READS_THE_PDF();
    const QString bad = schedule(m_folder, "bad.csv",
                                 "camera,lat,lon,bearing,resolution,hfov,height,tilt\n"
                                 "gate,48.100018,11.5000269,45,2688x1520,70,6,25\n"
                                 "dock,48.1003597,11.5015872,sideways,2688x1520,70,6,25\n"
                                 "office,48.1007014,11.5000269,135,2688x1520,70,6,25\n");
    const QString path = m_folder.filePath("bad.pdf");
    const CliRun run
            = runCli({"report", "--batch", bad, "--site", data + "yard.geojson", "--output", path});
    QCOMPARE(run.status, ExitStatus::badInput);
    const QString message = "line 3: Bearing: \"sideways\" is neither a number nor a compass "
                            "point";
    QCOMPARE(QString::fromUtf8(run.errors),
             "kavrelo-cli report: " + message
                     + "\nkavrelo-cli report: the report is of the 2 cameras that could be "
                       "placed; 1 could not\n");
    QCOMPARE(pageCount(path), 7);
    const QString all = QString::fromUtf8(poppler("pdftotext", {path, "-"}));
    QVERIFY(!all.contains("Camera dock"));
    QVERIFY(all.contains("Records left out"));
    QVERIFY(all.contains(message));
}

void ReportTest::sameBytes_data()
{
    QTest::addColumn<QByteArray>("epoch");
    QTest::addColumn<QByteArray>("date");
    QTest::newRow("no SOURCE_DATE_EPOCH") << QByteArray() << QByteArray();
    QTest::newRow("1970") << QByteArray("0") << QByteArray("D:19700101000000Z");
    // 1,700,000,000 s = 19,675 days (to 2023-11-14) and 80,000 s (22:13:20).
    QTest::newRow("2023") << QByteArray("1700000000") << QByteArray("D:20231114221320Z");
}

// The same inputs give the same bytes, dated only when asked.
void ReportTest::sameBytes()
{
    QFETCH(QByteArray, epoch);
    QFETCH(QByteArray, date);
    const QByteArray before = qgetenv("SOURCE_DATE_EPOCH");
    if (epoch.isNull())
        qunsetenv("SOURCE_DATE_EPOCH");
    else
        qputenv("SOURCE_DATE_EPOCH", epoch);
    QByteArray bytes[2];
    for (QByteArray &made : bytes) {
        const QString path = report();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        made = file.readAll();
        QThread::msleep(1100); // into another second of the clock
    }
    qputenv("SOURCE_DATE_EPOCH", before);
    QCOMPARE(bytes[0], bytes[1]);
    if (date.isEmpty())
        QVERIFY(!bytes[0].contains("/CreationDate"));
    else
        QVERIFY(bytes[0].contains("/CreationDate (" + date + ")"));
}

void ReportTest::fontsEmbedded()
{
    READS_THE_PDF();
    const QStringList lines
            = QString::fromUtf8(poppler("pdffonts", {m_yard})).split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 2);
    for (const QString &line : lines.mid(2)) {
        const QStringList columns = line.simplified().split(' ');
        QVERIFY2(line.startsWith("DejaVuSans"), qPrintable(line));
        QCOMPARE(columns.at(columns.size() - 5), QStringLiteral("yes"));
    }
}

void ReportTest::paper_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("size");
    // ISO 216 and ANSI sizes in points (1/72 inch).
    QTest::newRow("default") << QStringList{} << "842 x 595";
    QTest::newRow("a4 portrait") << QStringList{"--orientation", "portrait"} << "595 x 842";
    QTest::newRow("a3") << QStringList{"--paper", "A3"} << "1191 x 842";
    QTest::newRow("letter") << QStringList{"--paper", "letter"} << "792 x 612";
    QTest::newRow("tabloid portrait")
            << QStringList{"--paper", "tabloid", "--orientation", "portrait"} << "792 x 1224";
}

void ReportTest::paper()
{
    READS_THE_PDF();
    QFETCH(QStringList, options);
    QFETCH(QString, size);
    const QString path = report(options);
    const QString info = QString::fromUtf8(poppler("pdfinfo", {path}));
    QCOMPARE(QRegularExpression("Page size:\\s+([0-9.]+ x [0-9.]+)").match(info).captured(1), size);
}

void ReportTest::refusals_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("output"); // in the test's folder
    QTest::addColumn<QByteArray>("epoch");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("no output") << QStringList{} << QString() << QByteArray() << 2
                               << "--output is required";
    QTest::newRow("a paper of no size") << QStringList{"--paper", "a5"} << "a5.pdf" << QByteArray()
                                        << 2 << "--paper \"a5\" is not one of a4|a3|letter|tabloid";
    QTest::newRow("an orientation of none")
            << QStringList{"--orientation", "sideways"} << "sideways.pdf" << QByteArray() << 2
            << "--orientation \"sideways\" is not one of landscape|portrait";
    QTest::newRow("standard output") << QStringList{} << "-" << QByteArray() << 2
                                     << "--output needs a file name: the PDF is not written to "
                                        "standard output";
    QTest::newRow("a date that is not seconds")
            << QStringList{} << "dated.pdf" << QByteArray("2023-11-14") << 2
            << "SOURCE_DATE_EPOCH \"2023-11-14\" is not a whole number of seconds since 1970";
    QTest::newRow("a date before 1970")
            << QStringList{} << "early.pdf" << QByteArray("-1") << 2
            << "SOURCE_DATE_EPOCH \"-1\" is out of range: a report is dated from 1970 to 9999";
    // 253,402,300,800 s is 10000-01-01 (719,162 days after 0001-01-01 to
    // 1970 and 2,932,897 to 10000, times 86,400).
    QTest::newRow("a date after 9999")
            << QStringList{} << "late.pdf" << QByteArray("253402300800") << 2
            << "SOURCE_DATE_EPOCH \"253402300800\" is out of range: a report is dated from 1970 "
               "to 9999";
    QTest::newRow("a date far beyond")
            << QStringList{} << "later.pdf" << QByteArray("99999999999999") << 2
            << "SOURCE_DATE_EPOCH \"99999999999999\" is out of range: a report is dated from "
               "1970 to 9999";
    QTest::newRow("a folder") << QStringList{} << "." << QByteArray() << 3
                              << "cannot write %1: not a regular file";
    QTest::newRow("gaps of no level")
            << QStringList{"--gaps-level", "close"} << "close.pdf" << QByteArray() << 2
            << "--gaps-level: no level is named \"close\"";
    QTest::newRow("a missing folder") << QStringList{} << "missing/report.pdf" << QByteArray() << 3
                                      << "cannot write %1: No such file or directory";
}

// Nothing computed, and nothing left at the path.
void ReportTest::refusals()
{
    QFETCH(QStringList, options);
    QFETCH(QString, output);
    QFETCH(QByteArray, epoch);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QByteArray before = qgetenv("SOURCE_DATE_EPOCH");
    if (!epoch.isEmpty())
        qputenv("SOURCE_DATE_EPOCH", epoch);
    // "-" as given, which must not become a file of that name.
    const QString path
            = output.isEmpty() || output == "-" ? output : QDir(m_folder.path()).filePath(output);
    const QStringList arguments = QStringList{"report"} + yardInputs + options
            + (path.isEmpty() ? QStringList{} : QStringList{"--output", path});
    const CliRun run = runCli(arguments);
    qputenv("SOURCE_DATE_EPOCH", before);
    QCOMPARE(int(run.status), status);
    const QString expected = message.contains("%1") ? message.arg(path) : message;
    QVERIFY2(QString::fromUtf8(run.errors).startsWith("kavrelo-cli report: " + expected),
             run.errors.constData());
    if (!path.isEmpty() && output != ".")
        QVERIFY(!QFile::exists(path));
    QVERIFY(QDir(m_folder.path()).entryList({"*.pdf.*"}, QDir::Files | QDir::Hidden).isEmpty());
}

void ReportTest::inputsKept_data()
{
    QTest::addColumn<QStringList>("arguments"); // BATCH and SITE stand for copies
    QTest::addColumn<QString>("kept"); // which of them
    QTest::addColumn<QString>("what");
    const QStringList inputs{"--batch", "BATCH", "--site", "SITE"};
    QTest::newRow("report over its site")
            << QStringList{"report"} + inputs + QStringList{"--output", "SITE"} << "SITE"
            << "site";
    QTest::newRow("report over its batch")
            << QStringList{"report"} + inputs + QStringList{"--output", "BATCH"} << "BATCH"
            << "batch";
    QTest::newRow("coverage's gaps over its batch")
            << QStringList{"coverage"} + inputs + QStringList{"--gaps", "BATCH"} << "BATCH"
            << "batch";
    QTest::newRow("coverage's plan over its site")
            << QStringList{"coverage"} + inputs + QStringList{"--plot", "SITE"} << "SITE"
            << "site";
}

// A file the run reads is never replaced by what it writes.
void ReportTest::inputsKept()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, kept);
    QFETCH(QString, what);
    const QMap<QString, QString> copies{{"BATCH", m_folder.filePath("kept.csv")},
                                        {"SITE", m_folder.filePath("kept.geojson")}};
    QFile::remove(copies["BATCH"]);
    QFile::remove(copies["SITE"]);
    QVERIFY(QFile::copy(data + "yard.csv", copies["BATCH"]));
    QVERIFY(QFile::copy(data + "yard.geojson", copies["SITE"]));
    for (QString &argument : arguments)
        argument = copies.value(argument, argument);
    const CliRun run = runCli(arguments);
    QCOMPARE(run.status, ExitStatus::outputFailed);
    QCOMPARE(QString::fromUtf8(run.errors),
             QStringLiteral("kavrelo-cli %1: cannot write %2: it is the %3 being read\n")
                     .arg(arguments.first(), copies[kept], what));
    QFile original(data + (kept == "BATCH" ? "yard.csv" : "yard.geojson"));
    QFile copy(copies[kept]);
    QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original.readAll());
}

// Pages done of all, on a terminal only.
void ReportTest::progress()
{
    const QString path = m_folder.filePath("progress.pdf");
    MemorySource input{QByteArray()};
    MemorySink output;
    TerminalSink errors;
    const ExitStatus status
            = runKavreloCli(QStringList{"report"} + yardInputs + QStringList{"--output", path},
                            {input, output, errors});
    QCOMPARE(status, ExitStatus::success);
    QString expected;
    for (int page = 1; page <= 8; ++page)
        expected += QStringLiteral("\rkavrelo-cli report: page %1 of 8").arg(page);
    QCOMPARE(QString::fromUtf8(errors.all()), expected + '\n');
    // In a pipe or a file, nothing.
    QVERIFY(runCli(QStringList{"report"} + yardInputs + QStringList{"--output", path})
                    .errors.isEmpty());
}

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
