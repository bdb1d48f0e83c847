#include "clirun.h"
#include "plannedcommand.h"

#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

// Whole runs of kavrelo-cli in-process, with standard input, output and error
// in memory. Expected outputs are the window's worked examples or worked by
// hand: pinhole angles for fov, (hRes / 500) / tan(hFov / 2) times the
// smaller side for distance, N / (2 d tan(hFov / 2)) pixels per metre for
// density and lens.
class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void help_data();
    void help();
    void answersBeforeWaiting();
    void fragmentAtTheEnd();
    void failedOutputStopsAtOnce();
    void endOfRun_data();
    void endOfRun();
    void wholeRunColumns_data();
    void wholeRunColumns();
};

namespace {

// Words split at blanks; '' is an empty one.
QStringList words(const QByteArray &arguments)
{
    QStringList split = QString::fromUtf8(arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::replace(split.begin(), split.end(), QStringLiteral("''"), QString());
    return split;
}

// A command that answers for the whole run, as coverage does: it counts its
// records, writes the count at the end, and ends as it is told to.
struct Tally
{
    int records = 0;
};
class EndingCommand final : public PlannedCommand<NoPlan, NoProduct, Tally>
{
public:
    explicit EndingCommand(RunEnd end)
        : PlannedCommand(QStringLiteral("ending"), QStringLiteral("Ends as told."), QString())
        , m_value(addInput({QStringLiteral("value"), QStringLiteral("number"), QString()}))
        , m_count(addResult({QStringLiteral("count"), QStringLiteral("Count"), 0, QString()}))
        , m_end(std::move(end))
    {
    }

protected:
    std::variant<UsageError, NoPlan> prepare(const GivenInputs & /*given*/) const override
    {
        return NoPlan{};
    }
    std::optional<QString> calculate(const NoPlan & /*plan*/, const InputValues &values,
                                     Results & /*results*/, NoProduct & /*product*/) const override
    {
        bool number = false;
        values[m_value].value_or(QString()).toDouble(&number);
        return number ? std::nullopt : std::optional<QString>(QStringLiteral("not a number"));
    }
    std::optional<QString> write(const NoPlan & /*plan*/, Tally &run, NoProduct && /*product*/,
                                 RecordSink & /*sink*/, const Results & /*results*/,
                                 const RecordAnswer & /*answer*/) const override
    {
        ++run.records;
        return std::nullopt;
    }
    void writeError(const NoPlan & /*plan*/, Tally & /*run*/, RecordSink & /*sink*/,
                    const QString & /*message*/, const RecordAnswer & /*answer*/,
                    const Streams & /*streams*/) const override
    {
    }
    RunEnd endRun(const NoPlan & /*plan*/, Tally &&run, RecordSink &sink,
                  const Streams & /*streams*/) const override
    {
        Results results(resultTable());
        results.set(m_count, run.records);
        sink.record({}, results);
        return m_end;
    }

private:
    const InputId m_value;
    const ResultId m_count;
    const RunEnd m_end;
};

void addRun(const QByteArray &name, const QByteArray &arguments, const QByteArray &input,
            const QByteArray &output, const QByteArray &errors, int status)
{
    QTest::addRow("%s", name.constData())
            << words(arguments) << input << output << errors << status;
}

// A row whose standard error stays empty.
void works(const char *name, const QByteArray &arguments, const QByteArray &output, int status = 0,
           const QByteArray &input = {})
{
    addRun(name, arguments, input, output, {}, status);
}

// A row that writes nothing to standard output.
void fails(const char *name, const QByteArray &arguments, const QByteArray &errors, int status,
           const QByteArray &input = {})
{
    addRun(name, arguments, input, {}, errors, status);
}

// A usage error's two lines, of a command or (with none) of the program.
QByteArray usage(const QByteArray &command, const char *message)
{
    const QByteArray program = command.isEmpty() ? "kavrelo-cli" : "kavrelo-cli " + command;
    return program + ": " + message + "\nTry '" + program + " --help' for more information.\n";
}

const QByteArray fovHeader = "horizontal_deg,vertical_deg,diagonal_deg,error\n";
const QByteArray fovWorked = "69.6758,42.7607,77.2185,";
const QByteArray distanceHeader
        = "person_identify_m,person_recognize_m,person_observe_m,person_detect_m,"
          "car_identify_m,car_recognize_m,car_observe_m,car_detect_m,"
          "boat_identify_m,boat_recognize_m,boat_observe_m,boat_detect_m,error\n";
const QByteArray defaultDistances
        = "3.33,6.65,13.30,33.26,9.31,18.62,37.25,93.12,33.26,66.51,133.02,332.55,\n";
const QByteArray densityHeader = "scene_width_m,px_per_m,px_per_ft,monitor_m,detect_m,observe_m,"
                                 "recognize_m,identify_m,inspect_m,error\n";
// 60 deg, 1920 px: 1920 / (2 tan 30 deg) = 1662.77 px per metre of distance.
const QByteArray densityReach = "133.02,66.51,26.60,13.30,6.65,1.66,";
const QByteArray mountHeader
        = "hfov_deg,vfov_deg,tilt_deg,blind_zone_m,ground_near_m,ground_far_m,"
          "ground_near_width_m,ground_far_width_m,target_near_m,target_far_m,"
          "target_near_px_per_m,target_far_px_per_m,monitor_to_m,detect_to_m,observe_to_m,"
          "recognize_to_m,identify_to_m,inspect_to_m,slant_m,depression_deg,ground_width_m,"
          "target_width_m,px_per_m,vertical_px_per_m,error\n";
// The model worked out in double precision apart from the program: 4 m up,
// 20 deg down, 60 deg across 1920x1080, a face at 1.6 m.
const QByteArray mountWorked = "60.0000,35.9834,20.0000,5.12,5.12,114.07,7.14,125.35,3.07,68.44,"
                               "448.4,25.5,68.44,68.44,27.44,13.28,6.20,,";
const QByteArray mountPole = "mount --resolution 1920x1080 --hfov 60 --height 4 --tilt 20 ";
const QByteArray mountLowTilt = "mount --resolution 1920x1080 --hfov 60 --height 4 --tilt 10 ";
// Straight down from 4 m: ground from -4 tan 17.99 deg to 4 tan 17.99 deg,
// the target's plane 2.4 m below the lens, where a depth of 2.4 m gives
// 692.8 px/m and every level but inspect holds across it.
const QByteArray mountStraightDown = "60.0000,35.9834,90.0000,0.00,-1.30,1.30,4.62,4.62,-0.78,0.78,"
                                     "692.8,692.8,0.78,0.78,0.78,0.78,0.78,";
const QByteArray mountAimed = "60.0000,35.9834,22.5656,4.67,4.67,50.00,6.76,55.09,2.80,30.00,"
                              "473.6,58.1,30.00,30.00,27.81,13.41,6.21,,,,,,,,";

} // namespace

void CommandLineTest::run_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("errors");
    QTest::addColumn<int>("status");

    // The window's worked examples, each command in each format.
    works("fov, text", "fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4",
          "Horizontal FOV  69.6758\u00B0\nVertical FOV    42.7607\u00B0\n"
          "Diagonal FOV    77.2185\u00B0\n");
    works("fov, json, the stored angles in full",
          "fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4 --format json",
          "{\"horizontal_deg\":69.67583465576172,\"vertical_deg\":42.76068878173828,"
          "\"diagonal_deg\":77.21849822998047,\"error\":null}\n");
    works("distance, csv, the tab's defaults", "distance --hfov 60 --resolution 1920 --format csv",
          distanceHeader + defaultDistances);
    works("distance, text, 90 deg, given sizes",
          "distance --hfov 90 --resolution 3840 --person 0.5x1.8 --car 1.4*4",
          "Person, identify (250 px)     3.84 m\nPerson, recognize (125 px)    7.68 m\n"
          "Person, observe (62.5 px)    15.36 m\nPerson, detect (25 px)       38.40 m\n"
          "Car, identify (250 px)       10.75 m\nCar, recognize (125 px)      21.50 m\n"
          "Car, observe (62.5 px)       43.01 m\nCar, detect (25 px)         107.52 m\n"
          "Boat, identify (250 px)      38.40 m\nBoat, recognize (125 px)     76.80 m\n"
          "Boat, observe (62.5 px)     153.60 m\nBoat, detect (25 px)        384.00 m\n");
    works("density, text, at 20 m", "density --hfov 60 --resolution 1920 --distance 20",
          "Scene width            23.09 m\nDensity                 83.1 px/m\n"
          "Density                 25.3 px/ft\nMonitor (12.5 px/m)   133.02 m\n"
          "Detect (25 px/m)       66.51 m\nObserve (62.5 px/m)    26.60 m\n"
          "Recognize (125 px/m)   13.30 m\nIdentify (250 px/m)     6.65 m\n"
          "Inspect (1000 px/m)     1.66 m\n");
    // tan(45 deg) = 1: 1920 px span 2 d metres, so a level of D px/m
    // reaches 960 / D metres.
    works("density, the 2025 edition's levels", "density --hfov 90 --resolution 1920 --levels 2025",
          "Overview (20 px/m)       48.00 m\nOutline (40 px/m)        24.00 m\n"
          "Discern (80 px/m)        12.00 m\nPerceive (125 px/m)       7.68 m\n"
          "Characterize (250 px/m)   3.84 m\nValidate (500 px/m)       1.92 m\n"
          "Scrutinize (1500 px/m)    0.64 m\n");
    works("density, the 2025 edition's levels and one of 2014's, by density",
          "density --hfov 90 --resolution 1920 --levels 2025,inspect=1000 --format csv",
          "scene_width_m,px_per_m,px_per_ft,overview_m,outline_m,discern_m,perceive_m,"
          "characterize_m,validate_m,inspect_m,scrutinize_m,error\n"
          ",,,48.00,24.00,12.00,7.68,3.84,1.92,0.96,0.64,\n");
    // Perceive, 125 px/m, at 8 m: 1920 px span 15.36 m, tan(hfov / 2) =
    // 7.68 / 8 = 0.96, and f = 1920 * 2.9 um / (2 * 0.96) = 2.9 mm.
    works("lens, a level of the 2025 edition",
          "lens --level perceive --levels 2025 --distance 8 --resolution 1920 --pixel-size 2.9",
          "Focal length       2.90 mm\nHorizontal FOV  87.6617\u00B0\n");
    works("density, csv, no distance, WxH counts the width",
          "density --hfov 60 --resolution 1920x1080 --format csv",
          densityHeader + ",,," + densityReach + "\n");
    // 1000 px of 4 um behind 8 mm: tan(hFov / 2) = 4 / 16 = 0.25, exact in binary.
    works("density, json, exact quarter tangent",
          "density --resolution 1000 --pixel-size 4 --focal-length 8 --distance 10 --format json",
          "{\"scene_width_m\":5,\"px_per_m\":200,\"px_per_ft\":60.96,\"monitor_m\":160,"
          "\"detect_m\":80,\"observe_m\":32,\"recognize_m\":16,\"identify_m\":8,\"inspect_m\":2,"
          "\"error\":null}\n");
    works("lens, text, a level, WxH",
          "lens --pixel-size 2.9 --level Identify --distance 20 --resolution 1920x1080",
          "Focal length      14.50 mm\nHorizontal FOV  21.7371\u00B0\n");
    works("lens, csv, an angle", "lens --pixel-size 2.9 --hfov 60 --resolution 1920 --format csv",
          "focal_length_mm,hfov_deg,error\n4.82,60.0000,\n");
    works("lens, json, a density, no resolution",
          "lens --pixel-size 2.9 --density 250 --distance 20 --format json",
          "{\"focal_length_mm\":14.5,\"hfov_deg\":null,\"error\":null}\n");
    works("version", "--version", "kavrelo-cli " KAVRELO_VERSION "\n");

    // A camera on a pole: far edges at the horizon are inf in CSV and null in
    // JSON, what does not exist is empty, null or left out.
    works("mount, csv, at 10 m", mountPole + "--distance 10 --format csv",
          mountHeader + mountWorked + "10.28,13.4957,12.43,11.80,162.7,159.3,\n");
    works("mount, csv, inside the blind zone", mountPole + "--distance 2 --format csv",
          mountHeader + mountWorked + "3.12,50.1944,,,,,\n");
    works("mount, csv, top edge on the horizon",
          "mount --resolution 1920x1080 --hfov 90 --vfov 50 --height 5 --tilt 25 --format csv",
          mountHeader
                  + "90.0000,50.0000,25.0000,4.20,4.20,inf,11.83,inf,2.85,inf,238.7,0.0,83.15,"
                    "40.78,15.36,6.89,,,,,,,,,\n");
    // Labels padded to the longest of all, numbers right-aligned.
    works("mount, text, looking up: only the angles",
          "mount --resolution 1920x1080 --hfov 60 --height 4 --tilt -30 --target-height 0",
          "Horizontal FOV            60.0000\u00B0\nVertical FOV              35.9834\u00B0\n"
          "Tilt                     -30.0000\u00B0\n");
    works("mount, csv, aimed at 30 m",
          "mount --resolution 1920x1080 --hfov 60 --height 4 --aim 30 "
          "--format csv",
          mountHeader + mountAimed + "\n");
    works("mount, batch, good and bad rows",
          "mount --resolution 1920x1080 --hfov 60 --format csv --batch -",
          "pole," + mountHeader + "a," + mountWorked + ",,,,,,\n" + "b" + QByteArray(25, ',')
                  + "\"line 3: Height: \"\"0\"\" must be a finite number above 0\"\nc,"
                  + mountStraightDown + ",,,,,,,\nd" + QByteArray(25, ',')
                  + "\"line 5: Tilt: \"\"90.5\"\" must lie between -90 and 90 degrees\"\ne"
                  + QByteArray(25, ',') + "line 6: Tilt: no value given\n",
          1, "pole,height,tilt\na,4,20\nb,0,20\nc,4,90\nd,4,90.5\ne,4,\n");
    // The top edge 8 degrees above the horizon: the ground and the target
    // reach it, and every level but inspect holds somewhere short of it.
    works("mount, csv, top edge above the horizon", mountLowTilt + "--format csv",
          mountHeader
                  + "60.0000,35.9834,10.0000,7.53,7.53,inf,9.36,inf,4.52,inf,341.9,0.0,134.65,"
                    "67.11,26.59,13.08,6.33,,,,,,,,\n");
    works("mount, csv, straight up, nothing in view",
          "mount --resolution 1920x1080 --hfov 60 --height 4 --tilt -90 --format csv",
          mountHeader + "60.0000,35.9834,-90.0000" + QByteArray(22, ',') + "\n");
    fails("mount, a height beyond the doubles",
          "mount --resolution 1920x1080 --hfov 60 --height 1e308 --tilt 20",
          "kavrelo-cli mount: Ground to is not a finite number for resolution 1920x1080, hfov 60, "
          "height 1e308, tilt 20, target-height 1.6\n",
          1);
    // Depth 1e306 cos 10 deg squared overflows, where the horizon is no excuse.
    fails("mount, a distance beyond the doubles", mountLowTilt + "--distance 1e306",
          "kavrelo-cli mount: Vertical density is not a finite number for resolution 1920x1080, "
          "hfov 60, height 4, tilt 10, target-height 1.6, distance 1e306\n",
          1);

    // Where columns give both ways of a camera or of its pointing, each row
    // fills exactly one.
    // 1920 px of 2.9 um behind 4 mm: tan(hFov / 2) = 5.568 / 8 = 0.696, so
    // 1920 / 1.392 = 1379.31 px per metre of distance.
    works("density, batch, the camera by angle or by lens on each row",
          "density --pixel-size 2.9 --format csv --batch -",
          "camera," + densityHeader + "a,,,," + densityReach + "\nb,,,,"
                  + "110.34,55.17,22.07,11.03,5.52,1.38,\n"
                    "c,,,,,,,,,,\"line 4: give --hfov, or --pixel-size and --focal-length\"\n"
                    "d,,,,,,,,,,line 5: --pixel-size and --focal-length go together\n",
          1,
          "camera,resolution,hfov,focal-length\na,1920,60,\nb,1920,,4\nc,1920,60,4\n"
          "d,1920,,\n");
    works("mount, batch, tilted or aimed on each row",
          "mount --resolution 1920x1080 --hfov 60 --height 4 --format csv --batch -",
          "pole," + mountHeader + "a," + mountWorked + ",,,,,,\nb," + mountAimed + "\nc"
                  + QByteArray(25, ',') + "line 4: --tilt and --aim exclude each other\n" + "d"
                  + QByteArray(25, ',') + "line 5: give --tilt or --aim\n",
          1, "pole,tilt,aim\na,20,\nb,,30\nc,20,30\nd,,\n");

    // Pass-through columns anywhere come back by name, in their order.
    works("batch, pass-through columns between and after inputs, csv",
          "fov --pixel-size 2.9 --format csv --batch -",
          "camera,notes," + fovHeader + "lobby,\"by the door, left\"," + fovWorked + "\n", 0,
          "resolution,camera,focal-length,notes\n1920x1080,lobby,4,\"by the door, left\"\n");
    works("batch, pass-through columns between and after inputs, json",
          "fov --pixel-size 2.9 --format json --batch -",
          "{\"camera\":\"lobby\",\"notes\":\"left\",\"horizontal_deg\":69.67583465576172,"
          "\"vertical_deg\":42.76068878173828,\"diagonal_deg\":77.21849822998047,"
          "\"error\":null}\n",
          0, "resolution,camera,focal-length,notes\n1920x1080,lobby,4,left\n");
    works("batch, a line break inside a pass-through field keeps the table",
          "fov --pixel-size 2.9 --focal-length 4 --batch -",
          "camera          lobby\u21B5north\nHorizontal FOV  69.6758\u00B0\n"
          "Vertical FOV    42.7607\u00B0\nDiagonal FOV    77.2185\u00B0\n",
          0, "camera,resolution\n\"lobby\r\nnorth\",1920x1080\n");
    works("batch, a short row's pass-through field is empty",
          "fov --pixel-size 2.9 --format csv --batch -",
          "camera," + fovHeader + ",,,,line 2: 2 fields where the header has 3\n", 1,
          "resolution,focal-length,camera\n1920x1080,4\n");

    // Names are checked against each other in one pass: a header this wide
    // would take hours if each were compared with all before it.
    QByteArray names;
    for (int column = 0; column < 200000; ++column)
        names += "c" + QByteArray::number(column) + ',';
    works("batch, 200,000 pass-through columns", "fov --pixel-size 2.9 --format csv --batch -",
          names + fovHeader + QByteArray(200000, ',') + fovWorked + "\n", 0,
          names + "resolution,focal-length\n" + QByteArray(200000, ',') + "1920x1080,4\n");

    // One spelling of a resolution for every command.
    works("fov, the multiplication sign",
          "fov --resolution 1920\u00D71080 --pixel-size 2.9 --focal-length 4 --format csv",
          fovHeader + fovWorked + "\n");
    works("distance, WxH counts the width",
          "distance --hfov 60 --resolution 1920x1080 --format csv",
          distanceHeader + defaultDistances);
    works("distance, WxH in a batch", "distance --hfov 60 --format csv --batch -",
          "site," + distanceHeader + "a," + defaultDistances, 0, "site,resolution\na,1920*1080\n");

    // Batches: pass-through columns first, blanks and missing columns from
    // the command line, headers named loosely, a bad record reported in place.
    works("batch, BOM, CRLF, quoted comma, a bad row",
          "fov --pixel-size 2.9 --format csv --batch -",
          "camera," + fovHeader + "lobby," + fovWorked
                  + "\n\"gate, north\",66.0155,40.3399,73.4655,\n"
                    "bad,,,,\"line 4: Focal length: \"\"4mm\"\" is not a number\"\n",
          1,
          "\xEF\xBB\xBF"
          "camera,resolution,focal-length\r\nlobby,1920x1080,4\r\n"
          "\"gate, north\",2688*1520,6\r\nbad,1920x1080,4mm\r\n");
    works("batch, headers by case, blanks and underscores",
          "fov --pixel-size 2.9 --focal-length 8 --format csv --batch -",
          "Camera," + fovHeader + "a," + fovWorked + "\n", 0,
          "Camera, Resolution ,FOCAL_LENGTH\na,1920x1080,4\n");
    works("batch, malformed and ragged records are rows in error",
          "fov --pixel-size 2.9 --focal-length 4 --format csv --batch -",
          "camera," + fovHeader + "a," + fovWorked
                  + "\nbc,,,,line 3: has text after a closing quote\n"
                    "d,,,,line 4: 3 fields where the header has 2\n"
                    "\"e,\n\n\",,,,line 5: a quoted field is not closed\n",
          1, "camera,resolution\na,1920x1080\n\"b\"c,1920x1080\nd,1920x1080,4\n\"e,\n\n");
    works("batch, resolution from the command line",
          "distance --resolution 1920 --format csv --batch -",
          "site," + distanceHeader + "north," + defaultDistances
                  + "south,1.92,3.84,7.68,19.20,5.38,10.75,21.50,53.76,19.20,38.40,76.80,192.00,\n",
          0, "site,hfov\nnorth,60\nsouth,90\n");
    works("batch, an empty cell gives nothing", "lens --pixel-size 2.9 --format csv --batch -",
          "camera,focal_length_mm,hfov_deg,error\ndoor,14.50,,\n"
          "yard,,,line 3: Distance: no value given\n",
          1, "camera,level,distance\ndoor,identify,20\nyard,detect,\n");
    works("batch, an empty cell takes the command line's value",
          "density --hfov 60 --distance 20 --format csv --batch -",
          "camera," + densityHeader + "a,23.09,83.1,25.3," + densityReach + "\n", 0,
          "camera,resolution,distance\na,1920,\n");
    works("batch, an empty distance means none", "density --hfov 60 --format csv --batch -",
          "camera," + densityHeader + "a,,,," + densityReach + "\n", 0,
          "camera,resolution,distance\na,1920,\n");
    // 2.9 um pixels, 25 px/m at 20 m: 0.0029 mm * 25 * 20 = 1.45 mm.
    works("batch, a level named in any case with blanks around it",
          "lens --pixel-size 2.9 --format csv --batch -",
          "camera,focal_length_mm,hfov_deg,error\nx,1.45,,\ny,,,\"line 3: Level: "
          "\"\"d\u00E9tect\"\" "
          "is not monitor, detect, observe, recognize, identify or inspect\"\n",
          1, "camera,level,distance\nx,\" DeTeCt\t\",20\ny,d\u00E9tect,20\n");
    works("batch, json lines with a pass-through string",
          "lens --pixel-size 2.9 --format json --batch -",
          "{\"camera\":\"door \\\"A\\\"\",\"focal_length_mm\":14.5,\"hfov_deg\":null,"
          "\"error\":null}\n{\"camera\":\"yard\",\"focal_length_mm\":null,\"hfov_deg\":null,"
          "\"error\":\"line 3: Level: \\\"huge\\\" is not monitor, detect, observe, recognize, "
          "identify or inspect\"}\n",
          1, "camera,level,distance\n\"door \"\"A\"\"\",identify,20\nyard,huge,20\n");

    // Texts whose value overflows or vanishes even as a double are no
    // numbers, whichever way they are parsed: 1e309 and 1e400, 1e-309 and
    // 1e-400, plain and with a sign.
    const QByteArray huge = "1" + QByteArray(400, '0');
    const QByteArray large = "1" + QByteArray(309, '0');
    const QByteArray tiny = "0." + QByteArray(399, '0') + "1";
    const QByteArray small = "0." + QByteArray(307, '0') + "1";
    for (const auto &[name, text] :
         {std::pair("400 digits", huge), std::pair("310 digits", large),
          std::pair("401 decimals", tiny), std::pair("309 decimals", small),
          std::pair("400 digits and a sign", "+" + huge)}) {
        addRun(QByteArray("fov, a focal length of ") + name,
               "fov --resolution 1920x1080 --pixel-size 2.9 --focal-length " + text, {}, {},
               "kavrelo-cli fov: Focal length: \"" + text + "\" is not a number\n", 1);
        addRun(QByteArray("fov, a batch's pixel size of ") + name,
               "fov --resolution 1920x1080 --focal-length 4 --format csv --batch -",
               "pixel-size\n" + text + "\n",
               fovHeader + ",,,\"line 2: Pixel size: \"\"" + text + "\"\" is not a number\"\n", {},
               1);
    }
    fails("distance, an angle of 310 digits", "distance --resolution 1920 --hfov " + large,
          "kavrelo-cli distance: FOV: \"" + large + "\" is not a number\n", 1);
    fails("distance, a resolution of 401 decimals", "distance --hfov 60 --resolution " + tiny,
          "kavrelo-cli distance: Resolution: \"" + tiny + "\" is not a number\n", 1);
    fails("distance, a car of 400 digits", "distance --hfov 60 --resolution 1920 --car 1x" + huge,
          "kavrelo-cli distance: Car param: \"1x" + huge + "\" is not XxY\n", 1);
    fails("distance, a boat of 309 decimals",
          "distance --hfov 60 --resolution 1920 --boat " + small + "x1",
          "kavrelo-cli distance: Boat param: \"" + small + "x1\" is not XxY\n", 1);

    // A bad value: exit 1, the field named as the window names it.
    fails("bad focal length", "fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4mm",
          "kavrelo-cli fov: Focal length: \"4mm\" is not a number\n", 1);
    fails("a resolution without its height",
          "fov --resolution 1920x --pixel-size 2 --focal-length 4",
          "kavrelo-cli fov: Resolution: \"1920x\" is not WIDTHxHEIGHT\n", 1);
    fails("the first bad field is reported", "distance --hfov 6O --resolution 1920 --person 1.8",
          "kavrelo-cli distance: FOV: \"6O\" is not a number\n", 1);
    fails("a size cut short, before one without its x",
          "distance --hfov 60 --resolution 1920 --person 0.5x --boat 10",
          "kavrelo-cli distance: Person param: \"0.5x\" is not XxY\n", 1);
    fails("a size without its x", "distance --hfov 60 --resolution 1920 --boat 10",
          "kavrelo-cli distance: Boat param: \"10\" is not XxY\n", 1);
    fails("an angle of 180 degrees", "density --hfov 180 --resolution 1920",
          "kavrelo-cli density: FOV: \"180\" must be above 0 and below 180 degrees\n", 1);
    fails("an angle of 0 degrees", "density --hfov 0 --resolution 1920",
          "kavrelo-cli density: FOV: \"0\" must be above 0 and below 180 degrees\n", 1);
    fails("distance, a resolution with a bad height", "distance --hfov 60 --resolution 1920xy",
          "kavrelo-cli distance: Resolution: \"1920xy\" is not a width or WIDTHxHEIGHT above 0\n",
          1);
    fails("distance, a bad angle is reported before a bad resolution",
          "distance --hfov 6O --resolution 1920xy",
          "kavrelo-cli distance: FOV: \"6O\" is not a number\n", 1);
    fails("a resolution with a bad height", "density --hfov 60 --resolution 1920xy",
          "kavrelo-cli density: Resolution: \"1920xy\" is not a width or WIDTHxHEIGHT above 0\n",
          1);
    fails("an empty distance is not a number", "density --hfov=60 --resolution=1920 --distance=",
          "kavrelo-cli density: Distance: \"\" is not a number\n", 1);
    fails("a negative distance", "lens --pixel-size 2.9 --density 250 --distance -5",
          "kavrelo-cli lens: Distance: \"-5\" must be a finite number above 0\n", 1);
    // 1e308 px over 2 * 1e-308 m * tan 30 deg overflows to inf.
    fails("a density beyond the doubles", "density --resolution 1e308 --hfov 60 --distance 1e-308",
          "kavrelo-cli density: Density is not a finite number for resolution 1e308, hfov 60, "
          "distance 1e-308\n",
          1);
    fails("a focal length beyond the doubles",
          "lens --pixel-size 1e300 --density 1e300 --distance 1e300",
          "kavrelo-cli lens: Focal length is not a finite number for pixel-size 1e300, density "
          "1e300, distance 1e300\n",
          1);

    fails("mount, a resolution without its height",
          "mount --resolution 1920 --hfov 60 --height 4 --tilt 20",
          "kavrelo-cli mount: Resolution: \"1920\" is not WIDTHxHEIGHT above 0\n", 1);
    fails("mount, a vertical angle of 180",
          "mount --resolution 1920x1080 --hfov 60 --vfov 180 --height 4 --tilt 20",
          "kavrelo-cli mount: Vertical FOV: \"180\" must be above 0 and below 180 degrees\n", 1);
    fails("mount, a negative target height", mountPole + "--target-height -1",
          "kavrelo-cli mount: Target height: \"-1\" must be a finite number, 0 or above\n", 1);
    // 4 m up, a face at 1.6 m at the pole's foot: 90 deg plus half of 35.98.
    fails("mount, aimed at the pole's foot",
          "mount --resolution 1920x1080 --hfov 60 --height 4 --aim 0",
          "kavrelo-cli mount: Aim: \"0\" needs a tilt of 107.9917 degrees, not between -90 and "
          "90\n",
          1);

    // Usage errors: exit 2, one line and the hint, nothing on standard output.
    fails("mount, no camera", "mount --resolution 1920x1080 --height 4 --tilt 20",
          usage("mount", "give --hfov, or --pixel-size and --focal-length"), 2);
    fails("mount, --vfov with a lens",
          "mount --resolution 1920x1080 --vfov 40 --pixel-size 2.9 --focal-length 4 --height 4 "
          "--tilt 0",
          usage("mount", "--vfov goes with --hfov"), 2);
    fails("mount, no tilt", "mount --resolution 1920x1080 --hfov 60 --height 4",
          usage("mount", "give --tilt or --aim"), 2);
    fails("mount, tilt and aim", mountPole + "--aim 10",
          usage("mount", "--tilt and --aim exclude each other"), 2);
    fails("mount, no height", "mount --resolution 1920x1080 --hfov 60 --tilt 20",
          usage("mount", "--height is required"), 2);
    fails("no command", "", usage("", "no command given"), 2);
    fails("unknown command", "angle", usage("", "unknown command 'angle'"), 2);
    fails("options before the command", "--format csv fov --hfov 1",
          usage("", "options go after the command, as in 'kavrelo-cli fov --format csv --hfov 1'"),
          2);
    fails("unknown option", "fov --lens 4", usage("fov", "unknown option '--lens'"), 2);
    fails("unknown option, the one it begins", "fov --res 1920x1080",
          usage("fov", "unknown option '--res'; did you mean '--resolution'?"), 2);
    fails("unknown option, a slip of one letter", "mount --hight 4",
          usage("mount", "unknown option '--hight'; did you mean '--height'?"), 2);
    fails("unknown short option", "fov -r", usage("fov", "unknown option '-r'"), 2);
    fails("one dash for two", "fov -resolution 1920x1080",
          usage("fov", "unknown option '-resolution'; did you mean '--resolution'?"), 2);
    fails("missing option", "fov --resolution 1920x1080 --pixel-size 2.9",
          usage("fov", "--focal-length is required"), 2);
    fails("unknown format", "fov --format xml",
          usage("fov", "unknown format 'xml': use text, csv or json"), 2);
    fails("unknown level", "lens --pixel-size 2.9 --level spot --distance 20",
          usage("lens",
                "Level: \"spot\" is not monitor, detect, observe, recognize, identify or "
                "inspect"),
          2);
    fails("no batch file name", "fov --batch ''",
          usage("fov", "--batch needs a file name, or - for standard input"), 2);
    fails("unreadable file", "fov --batch /nonexistent/cameras.csv",
          usage("fov", "cannot read /nonexistent/cameras.csv: No such file or directory"), 2);
    fails("empty file", "fov --batch -", usage("fov", "standard input has no header line"), 2);
    fails("a malformed header", "fov --batch -",
          usage("fov", "standard input, line 1: the header has text after a closing quote"), 2,
          "\"a\"b,resolution\n");
    fails("a column named like a result", "fov --pixel-size 2.9 --focal-length 4 --batch -",
          usage("fov", "standard input: the column \"Horizontal_Deg\" has the name of a result"), 2,
          "Horizontal_Deg,resolution\n1,1920x1080\n");
    fails("a column named error", "fov --pixel-size 2.9 --focal-length 4 --batch -",
          usage("fov", "standard input: the column \"error\" has the name of a result"), 2,
          "error,resolution\n1,1920x1080\n");
    fails("two columns of one name", "fov --pixel-size 2.9 --focal-length 4 --batch -",
          usage("fov", "standard input: two columns are named \"site\""), 2,
          "Site,resolution,site\n");
    fails("an input named twice", "fov --pixel-size 2.9 --focal-length 4 --batch -",
          usage("fov", "standard input: two columns feed --resolution"), 2,
          "resolution,Resolution\n");
    fails("a header split by semicolons feeds nothing", "fov --batch -",
          usage("fov",
                "the batch has no column for --resolution; its header has one column, "
                "\"resolution;pixel-size;focal-length\""),
          2, "resolution;pixel-size;focal-length\n1920x1080;2.9;4\n");
    fails("a header behind a second byte order mark feeds nothing", "density --hfov 60 --batch -",
          usage("density",
                "the batch has no column for --resolution; its header has 2 columns, "
                "\"<U+FEFF>resolution,camera\""),
          2,
          "\xEF\xBB\xBF\xEF\xBB\xBF"
          "resolution,camera\n1920,a\n");
    fails("a long header is cut short", "fov --batch -",
          usage("fov",
                "the batch has no column for --resolution; its header has one column, "
                "\"resolution;pixel-size;focal-length;came\u2026\""),
          2, "resolution;pixel-size;focal-length;camera;notes\n");
    fails("mount, the camera both ways on the command line", mountPole + "--pixel-size 2.9",
          usage("mount", "give --hfov, or --pixel-size and --focal-length"), 2);

    // Levels of one's own. 1920 px over 2 tan 30 = 1.1547 m per metre: 10
    // px/m to 166.28 m and 40 to 41.57 m; listed loosest first whatever
    // the order given.
    works("density, levels of one's own",
          "density --hfov 60 --resolution 1920 --levels near=40,far=10 --format csv",
          "scene_width_m,px_per_m,px_per_ft,far_m,near_m,error\n,,,166.28,41.57,\n");
    // 2.9 um * 40 px/m * 20 m = 2.32 mm.
    works("lens, a level of one's own in any case",
          "lens --pixel-size 2.9 --level Near --distance 20 --levels near=40,far=10 --format csv",
          "focal_length_mm,hfov_deg,error\n2.32,,\n");
    fails("lens, a standard level among one's own",
          "lens --pixel-size 2.9 --level identify --distance 20 --levels near=40",
          usage("lens", "Level: \"identify\" is not near"), 2);
    // The pole of the worked example: 250 px/m to 6.20 m, 25 px/m to the
    // target's far edge, 68.44 m.
    works("mount, levels of one's own in the levels' place",
          mountPole + "--levels wide=25,close=250 --format csv",
          "hfov_deg,vfov_deg,tilt_deg,blind_zone_m,ground_near_m,ground_far_m,"
          "ground_near_width_m,ground_far_width_m,target_near_m,target_far_m,"
          "target_near_px_per_m,target_far_px_per_m,wide_to_m,close_to_m,slant_m,"
          "depression_deg,ground_width_m,target_width_m,px_per_m,vertical_px_per_m,error\n"
          "60.0000,35.9834,20.0000,5.12,5.12,114.07,7.14,125.35,3.07,68.44,448.4,25.5,68.44,"
          "6.20,,,,,,,\n");
    fails("mount, thirteen levels",
          mountPole + "--levels a=1,b=2,c=3,d=4,e=5,f=6,g=7,h=8,i=9,j=10,k=11,l=12,m=13",
          usage("mount", "--levels takes 1 to 12 levels, not 13"), 2);
}

void CommandLineTest::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    MemorySource source(input);
    MemorySink output;
    const CliRun outcome = runCli(arguments, source, output);
    QTEST(outcome.output, "output");
    QTEST(outcome.errors, "errors");
    QTEST(static_cast<int>(outcome.status), "status");
}

// Each help is pinned byte for byte in a file of its own, as a reader
// sees it.
void CommandLineTest::help_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("pinned");
    QTest::newRow("program") << QStringList{"--help"} << "kavrelo-cli.txt";
    for (const auto &command : makeCommands()) {
        QTest::addRow("%s", qPrintable(command->name()))
                << QStringList{command->name(), "-h"} << command->name() + ".txt";
    }
}

void CommandLineTest::help()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, pinned);
    QFile file(QStringLiteral(KAVRELO_BASELINE_DIR "/help/") + pinned);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    MemorySource source({});
    MemorySink output;
    const CliRun outcome = runCli(arguments, source, output);
    QCOMPARE(outcome.output, file.readAll());
    QCOMPARE(outcome.errors, QByteArray());
    QCOMPARE(outcome.status, ExitStatus::success);
}

// Input that arrives in pieces, as from a pipe; before handing over the
// second piece it notes what the output held.
class TwoPieceSource : public ByteSource
{
public:
    TwoPieceSource(const MemorySink &output) : m_output(output) { }
    qint64 read(char *data, qint64 /*size*/) override
    {
        const QByteArray pieces[] = {"camera,resolution\na,1920x1080\n", "b,1920x1080\n", {}};
        if (m_piece == 1)
            outputBeforeSecondWait = m_output.all();
        const QByteArray &piece = pieces[std::min(m_piece++, 2)];
        std::copy(piece.cbegin(), piece.cend(), data);
        return piece.size();
    }
    QString errorString() const override { return {}; }

    QByteArray outputBeforeSecondWait;

private:
    const MemorySink &m_output;
    int m_piece = 0;
};

void CommandLineTest::answersBeforeWaiting()
{
    MemorySink output;
    TwoPieceSource input(output);
    const CliRun outcome = runCli(
            words("fov --pixel-size 2.9 --focal-length 4 --format csv --batch -"), input, output);
    QCOMPARE(outcome.status, ExitStatus::success);
    QCOMPARE(input.outputBeforeSecondWait, "camera," + fovHeader + "a," + fovWorked + "\n");
    QCOMPARE(output.all(), "camera," + fovHeader + "a," + fovWorked + "\nb," + fovWorked + "\n");
}

// The end of the input, and then at once the signal that ended its writer,
// as when a producer dies of Ctrl-C: the last record, without its line end,
// may be a fragment ("1920x1080,2.9,1" of a 12 mm lens, a 1 mm lens of
// 140 degrees). The signal comes after the source said it had ended, so
// the reader saw a plain end. In a child, which the signal ends.
class EndThenSignal : public MemorySource
{
public:
    using MemorySource::MemorySource;
    qint64 read(char *data, qint64 size) override
    {
        const qint64 count = MemorySource::read(data, size);
        if (count == 0)
            std::raise(SIGTERM);
        return count;
    }
};

void CommandLineTest::fragmentAtTheEnd()
{
    QTemporaryFile output;
    QTemporaryFile errors;
    QVERIFY(output.open() && errors.open());
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        EndThenSignal input("resolution,pixel-size,focal-length\n1920x1080,2.9,4\n1920x1080,2.9,1");
        FileDescriptorSink out(output.handle());
        FileDescriptorSink err(errors.handle());
        runKavreloCli(words("fov --format csv --batch -"), {input, out, err});
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGTERM);
    QVERIFY(output.seek(0) && errors.seek(0));
    QCOMPARE(output.readAll(),
             "horizontal_deg,vertical_deg,diagonal_deg,error\n" + fovWorked + "\n");
    QCOMPARE(errors.readAll(),
             "kavrelo-cli fov: standard input, line 3: the record was cut short by a signal and "
             "not computed\n");
}

// Nothing more is computed once the output is refused: the source is not
// read past its first block.
void CommandLineTest::failedOutputStopsAtOnce()
{
    QByteArray rows = "resolution\n";
    for (int row = 0; row < 200000; ++row)
        rows += "1920x1080\n";
    MemorySource input(rows, 1 << 16);
    MemorySink output(true);
    const CliRun outcome = runCli(
            words("fov --pixel-size 2.9 --focal-length 4 --format csv --batch -"), input, output);
    QCOMPARE(outcome.status, ExitStatus::outputFailed);
    QCOMPARE(outcome.errors, "kavrelo-cli fov: cannot write the output: No space left on device\n");
    QVERIFY2(input.reads <= 3, QByteArray::number(input.reads));
}

void CommandLineTest::endOfRun_data()
{
    QTest::addColumn<int>("endStatus"); // what the end of the run found
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("errors");
    QTest::addColumn<int>("status");
    const QByteArray twoGood = "value\n1\n2\n";
    const QByteArray oneBad = "value\n1\nx\n";
    const QByteArray failed = "kavrelo-cli ending: it failed\n";
    // The end's answer is written with the records' flush, its status kept
    // unless a record was bad; a failed end overrides both.
    QTest::addRow("all worked") << 0 << twoGood << QByteArray("count,error\n2,\n") << QByteArray()
                                << 0;
    QTest::addRow("short of what was required")
            << 4 << twoGood << QByteArray("count,error\n2,\n") << QByteArray() << 4;
    QTest::addRow("short, and a record bad")
            << 4 << oneBad << QByteArray("count,error\n1,\n") << QByteArray() << 1;
    QTest::addRow("not worked out")
            << 5 << twoGood << QByteArray("count,error\n2,\n") << failed << 5;
    QTest::addRow("not worked out, and a record bad")
            << 5 << oneBad << QByteArray("count,error\n1,\n") << failed << 5;
    QTest::addRow("a file beside it not written")
            << 3 << twoGood << QByteArray("count,error\n2,\n") << failed << 3;
}

void CommandLineTest::endOfRun()
{
    QFETCH(int, endStatus);
    QFETCH(QByteArray, batch);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, errors);
    QFETCH(int, status);
    RunEnd end{static_cast<ExitStatus>(endStatus), std::nullopt};
    if (endStatus == 3 || endStatus == 5)
        end.message = QStringLiteral("it failed");
    const EndingCommand command(end);
    MemorySource input(batch);
    MemorySink out;
    MemorySink err;
    const ExitStatus ran = command.execute({"--format", "csv", "--batch", "-"}, {input, out, err});
    QCOMPARE(out.all(), output);
    QCOMPARE(err.all(), errors);
    QCOMPARE(int(ran), status);
}

void CommandLineTest::wholeRunColumns_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("option");
    // Every option that holds for a whole run, as each command's help lists
    // it; a column of its name (in any case, with _ for -) would pass
    // through and look as if it had counted.
    const QList<std::pair<const char *, QStringList>> options{
            {"mount", {"plot", "levels"}},
            {"footprint", {"origin", "site", "levels"}},
            {"coverage", {"origin", "site", "levels", "gaps", "plot", "require"}},
            {"report", {"origin", "site", "levels", "output", "paper", "orientation", "title"}}};
    for (const auto &[command, names] : options) {
        for (const QString &name : names)
            QTest::addRow("%s %s", command, qPrintable(name)) << command << name << name;
    }
    QTest::addRow("a column in capitals") << "coverage"
                                          << "Origin"
                                          << "origin";
}

void CommandLineTest::wholeRunColumns()
{
    QFETCH(QString, command);
    QFETCH(QString, column);
    QFETCH(QString, option);
    const CliRun run = runCli({command, "--batch", "-"},
                              "camera,lat,lon," + column.toUtf8() + "\ngate,52.52,13.405,x\n");
    QCOMPARE(int(run.status), 2);
    QCOMPARE(run.output, QByteArray());
    QCOMPARE(run.errors.split('\n').first(),
             QStringLiteral("kavrelo-cli %1: standard input: the column \"%2\" names --%3, "
                            "which holds for the whole run; give it on the command line")
                     .arg(command, column, option)
                     .toUtf8());
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
