#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// kavrelo-cli as installed, run the way a script runs it. Expected outputs
// are the window's worked examples or worked by hand: pinhole angles for fov,
// (hRes / 500) / tan(hFov / 2) times the smaller side for distance, and
// N / (2 d tan(hFov / 2)) pixels per metre for density and lens.
class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();

private:
    QString m_program;
    QTemporaryDir m_files;
};

namespace {

const QByteArray fovHeader = "horizontal_deg,vertical_deg,diagonal_deg,error\n";
const QByteArray distanceHeader
        = "person_identify_m,person_recognize_m,person_observe_m,person_detect_m,"
          "car_identify_m,car_recognize_m,car_observe_m,car_detect_m,"
          "boat_identify_m,boat_recognize_m,boat_observe_m,boat_detect_m,error\n";
const QByteArray densityHeader = "scene_width_m,px_per_m,px_per_ft,monitor_m,detect_m,observe_m,"
                                 "recognize_m,identify_m,inspect_m,error\n";
const QByteArray defaultDistances
        = "3.33,6.65,13.30,33.26,9.31,18.62,37.25,93.12,33.26,66.51,133.02,332.55,\n";

// A row of the table; @FILE in the arguments names a file holding the
// input, which otherwise goes to standard input.
void addRun(const char *name, const char *arguments, const QByteArray &input,
            const QByteArray &output, const QByteArray &errors, int status)
{
    QTest::addRow("%s", name) << QString::fromUtf8(arguments).split(QLatin1Char(' '),
                                                                    Qt::SkipEmptyParts)
                              << input << output << errors << status;
}

// A row whose standard error stays empty.
void works(const char *name, const char *arguments, const QByteArray &output, int status = 0,
           const QByteArray &input = {})
{
    addRun(name, arguments, input, output, {}, status);
}

// A row that writes nothing to standard output.
void fails(const char *name, const char *arguments, const QByteArray &errors, int status,
           const QByteArray &input = {})
{
    addRun(name, arguments, input, {}, errors, status);
}

QByteArray usage(const char *command, const char *message)
{
    return QByteArray("kavrelo-cli ") + command + ": " + message + "\nTry 'kavrelo-cli " + command
            + " --help' for more information.\n";
}

} // namespace

void CliTest::initTestCase()
{
    m_program = qEnvironmentVariable("KAVRELO_CLI");
    QVERIFY2(QFileInfo(m_program).isExecutable(), "KAVRELO_CLI names no installed kavrelo-cli");
    QVERIFY(m_files.isValid());
}

void CliTest::run_data()
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
    works("fov, csv, W*H",
          "fov --resolution 3840*2160 --pixel-size 2.0 --focal-length 8 --format csv",
          fovHeader + "51.2820,30.2192,57.6855,\n");
    works("fov, json, the stored angles in full",
          "fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4 --format json",
          "{\"horizontal_deg\":69.67583465576172,\"vertical_deg\":42.76068878173828,"
          "\"diagonal_deg\":77.21849822998047,\"error\":null}\n");
    works("fov, nan as the window shows it",
          "fov --resolution 1920x1080 --pixel-size 0 --focal-length 0 --format csv",
          fovHeader + "nan,nan,nan,\n");
    works("fov, nan is null in json",
          "fov --resolution 1920x1080 --pixel-size 0 --focal-length 0 --format json",
          "{\"horizontal_deg\":null,\"vertical_deg\":null,\"diagonal_deg\":null,\"error\":null}\n");
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
    works("distance, zero field of view is inf", "distance --hfov 0 --resolution 1920 --format csv",
          distanceHeader + "inf,inf,inf,inf,inf,inf,inf,inf,inf,inf,inf,inf,\n");
    works("distance, json, zero resolution", "distance --hfov 60 --resolution 0 --format json",
          "{\"person_identify_m\":0,\"person_recognize_m\":0,\"person_observe_m\":0,"
          "\"person_detect_m\":0,\"car_identify_m\":0,\"car_recognize_m\":0,\"car_observe_m\":0,"
          "\"car_detect_m\":0,\"boat_identify_m\":0,\"boat_recognize_m\":0,"
          "\"boat_observe_m\":0,\"boat_detect_m\":0,\"error\":null}\n");
    works("density, text, at 20 m", "density --hfov 60 --resolution 1920 --distance 20",
          "Scene width            23.09 m\nDensity                 83.1 px/m\n"
          "Density                 25.3 px/ft\nMonitor (12.5 px/m)   133.02 m\n"
          "Detect (25 px/m)       66.51 m\nObserve (62.5 px/m)    26.60 m\n"
          "Recognize (125 px/m)   13.30 m\nIdentify (250 px/m)     6.65 m\n"
          "Inspect (1000 px/m)     1.66 m\n");
    works("density, csv, no distance", "density --hfov 60 --resolution 1920 --format csv",
          densityHeader + ",,,133.02,66.51,26.60,13.30,6.65,1.66,\n");
    // 1000 px of 4 um behind 8 mm: tan(hFov / 2) = 4 / 16 = 0.25, exact in binary.
    works("density, json, exact quarter tangent",
          "density --resolution 1000 --pixel-size 4 --focal-length 8 --distance 10 --format json",
          "{\"scene_width_m\":5,\"px_per_m\":200,\"px_per_ft\":60.96,\"monitor_m\":160,"
          "\"detect_m\":80,\"observe_m\":32,\"recognize_m\":16,\"identify_m\":8,\"inspect_m\":2,"
          "\"error\":null}\n");
    works("lens, text, a level",
          "lens --pixel-size 2.9 --level identify --distance 20 --resolution 1920",
          "Focal length      14.50 mm\nHorizontal FOV  21.7371\u00B0\n");
    works("lens, csv, an angle", "lens --pixel-size 2.9 --hfov 60 --resolution 1920 --format csv",
          "focal_length_mm,hfov_deg,error\n4.82,60.0000,\n");
    works("lens, json, a density, no resolution",
          "lens --pixel-size 2.9 --density 250 --distance 20 --format json",
          "{\"focal_length_mm\":14.5,\"hfov_deg\":null,\"error\":null}\n");

    // Batches: pass-through columns first, blanks and missing columns from
    // the command line, a bad row reported in place among good ones.
    works("batch file, BOM, CRLF, quoted comma, a bad row",
          "fov --pixel-size 2.9 --format csv --batch @FILE",
          "camera," + fovHeader
                  + "lobby,69.6758,42.7607,77.2185,\n\"gate, north\",66.0155,40.3399,73.4655,\n"
                    "bad,,,,\"line 4: Focal length: \"\"4mm\"\" is not a number\"\n",
          1,
          "\xEF\xBB\xBF"
          "camera,resolution,focal-length\r\nlobby,1920x1080,4\r\n"
          "\"gate, north\",2688*1520,6\r\nbad,1920x1080,4mm\r\n");
    works("batch, resolution from the command line",
          "distance --resolution 1920 --format csv --batch -",
          "site," + distanceHeader + "north," + defaultDistances
                  + "south,1.92,3.84,7.68,19.20,5.38,10.75,21.50,53.76,19.20,38.40,76.80,192.00,\n",
          0, "site,hfov\nnorth,60\nsouth,90\n");
    works("batch, an empty cell takes the command line's value",
          "lens --pixel-size 2.9 --distance 100 --format csv --batch -",
          "camera,focal_length_mm,hfov_deg,error\ndoor,14.50,,\nyard,7.25,,\n", 0,
          "camera,level,distance\ndoor,identify,20\nyard,detect,\n");
    works("batch, json lines with a pass-through string",
          "lens --pixel-size 2.9 --format json --batch -",
          "{\"camera\":\"door "
          "\\\"A\\\"\",\"focal_length_mm\":14.5,\"hfov_deg\":null,\"error\":null}\n"
          "{\"camera\":\"yard\",\"focal_length_mm\":null,\"hfov_deg\":null,\"error\":\"line 3: "
          "Level: \\\"huge\\\" is not monitor, detect, observe, recognize, identify or "
          "inspect\"}\n",
          1, "camera,level,distance\n\"door \"\"A\"\"\",identify,20\nyard,huge,20\n");
    works("version", "--version", "kavrelo-cli " KAVRELO_VERSION "\n");

    // A bad value: exit 1, the field named as the window names it.
    fails("bad focal length", "fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4mm",
          "kavrelo-cli fov: Focal length: \"4mm\" is not a number\n", 1);
    fails("the first bad field is reported", "distance --hfov 6O --resolution 1920 --person 1.8",
          "kavrelo-cli distance: FOV: \"6O\" is not a number\n", 1);
    fails("a size without its x", "distance --hfov 60 --resolution 1920 --person 1.8",
          "kavrelo-cli distance: Person param: \"1.8\" is not XxY\n", 1);
    fails("an angle of 180 degrees", "density --hfov 180 --resolution 1920",
          "kavrelo-cli density: FOV: \"180\" must lie between 0 and 180 degrees\n", 1);
    fails("a negative distance", "lens --pixel-size 2.9 --density 250 --distance -5",
          "kavrelo-cli lens: Distance: \"-5\" must be a finite number above 0\n", 1);

    // Usage errors: exit 2, one line and the hint, nothing on standard output.
    fails("no command", "",
          "kavrelo-cli: no command given\nTry 'kavrelo-cli --help' for more information.\n", 2);
    fails("unknown command", "angle",
          "kavrelo-cli: unknown command 'angle'\nTry 'kavrelo-cli --help' for more information.\n",
          2);
    fails("unknown option", "fov --lens 4", usage("fov", "unknown option 'lens'"), 2);
    fails("missing option", "fov --resolution 1920x1080 --pixel-size 2.9",
          usage("fov", "--focal-length is required"), 2);
    fails("unknown format", "fov --format xml",
          usage("fov", "unknown format 'xml': use text, csv or json"), 2);
    fails("unknown level", "lens --pixel-size 2.9 --level spot --distance 20",
          usage("lens",
                "Level: \"spot\" is not monitor, detect, observe, recognize, identify or "
                "inspect"),
          2);
    fails("unreadable file", "fov --batch /nonexistent/cameras.csv",
          usage("fov", "cannot read /nonexistent/cameras.csv: No such file or directory"), 2);
    fails("empty file", "fov --batch -", usage("fov", "standard input has no header line"), 2);
    fails("ragged row", "fov --pixel-size 2.9 --batch -",
          usage("fov", "standard input, line 2: 3 fields where the header has 2"), 2,
          "resolution,focal-length\n1920x1080,4,5\n");
    fails("unclosed quote", "fov --pixel-size 2.9 --batch -",
          usage("fov", "standard input, line 2: a quoted field is not closed"), 2,
          "resolution,focal-length\n\"1920x1080,4\n");
}

void CliTest::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);

    QProcess process;
    const int fileArgument = arguments.indexOf(QStringLiteral("@FILE"));
    if (fileArgument >= 0) {
        QFile file(m_files.filePath(QStringLiteral("input.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(input) == input.size());
        arguments[fileArgument] = file.fileName();
    }
    process.start(m_program, arguments);
    QVERIFY(process.waitForStarted());
    if (fileArgument < 0)
        process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished());

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QTEST(process.readAllStandardOutput(), "output");
    QTEST(process.readAllStandardError(), "errors");
    QTEST(process.exitCode(), "status");
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
