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

const QByteArray usageHint = "Try 'kavrelo-cli fov --help' for more information.\n";
const QByteArray fovHeader = "horizontal_deg,vertical_deg,diagonal_deg,error\n";
const QByteArray distanceHeader
        = "person_identify_m,person_recognize_m,person_observe_m,person_detect_m,"
          "car_identify_m,car_recognize_m,car_observe_m,car_detect_m,"
          "boat_identify_m,boat_recognize_m,boat_observe_m,boat_detect_m,error\n";
const QByteArray densityHeader = "scene_width_m,px_per_m,px_per_ft,monitor_m,detect_m,observe_m,"
                                 "recognize_m,identify_m,inspect_m,error\n";

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
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
    QTest::addColumn<QByteArray>("input"); // standard input, or the file that @FILE names
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("errors");
    QTest::addColumn<int>("status");

    // The window's worked examples, in each format.
    QTest::addRow("fov, text") << words("fov --resolution 1920x1080 --pixel-size 2.9 "
                                        "--focal-length 4")
                               << QByteArray()
                               << QByteArray("Horizontal FOV  69.6758\u00B0\n"
                                             "Vertical FOV    42.7607\u00B0\n"
                                             "Diagonal FOV    77.2185\u00B0\n")
                               << QByteArray() << 0;
    QTest::addRow("fov, csv, W*H") << words("fov --resolution 3840*2160 --pixel-size 2.0 "
                                            "--focal-length 8 --format csv")
                                   << QByteArray() << fovHeader + "51.2820,30.2192,57.6855,\n"
                                   << QByteArray() << 0;
    QTest::addRow("fov, json, the stored angles in full")
            << words("fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4 --format json")
            << QByteArray()
            << QByteArray(
                       "{\"horizontal_deg\":69.67583465576172,\"vertical_deg\":42.76068878173828,"
                       "\"diagonal_deg\":77.21849822998047,\"error\":null}\n")
            << QByteArray() << 0;
    QTest::addRow("fov, odd sides halve as integers")
            << words("fov --resolution 1081x721 --pixel-size 2.9 --focal-length 4 --format csv")
            << QByteArray() << fovHeader + "42.7607,29.2557,50.4434,\n"
            << QByteArray() << 0;
    QTest::addRow("fov, nan as the window shows it")
            << words("fov --resolution 1920x1080 --pixel-size 0 --focal-length 0 --format csv")
            << QByteArray() << fovHeader + "nan,nan,nan,\n"
            << QByteArray() << 0;
    QTest::addRow("fov, nan is null in json")
            << words("fov --resolution 1920x1080 --pixel-size 0 --focal-length 0 --format json")
            << QByteArray()
            << QByteArray("{\"horizontal_deg\":null,\"vertical_deg\":null,\"diagonal_deg\":null,"
                          "\"error\":null}\n")
            << QByteArray() << 0;
    QTest::addRow("distance, csv, the tab's defaults")
            << words("distance --hfov 60 --resolution 1920 --format csv") << QByteArray()
            << distanceHeader
                    + "3.33,6.65,13.30,33.26,9.31,18.62,37.25,93.12,33.26,66.51,133.02,332.55,\n"
            << QByteArray() << 0;
    QTest::addRow("distance, text, 90 deg, given sizes")
            << words("distance --hfov 90 --resolution 3840 --person 0.5x1.8 --car 1.4*4")
            << QByteArray()
            << QByteArray("Person, identify (250 px)     3.84 m\n"
                          "Person, recognize (125 px)    7.68 m\n"
                          "Person, observe (62.5 px)    15.36 m\n"
                          "Person, detect (25 px)       38.40 m\n"
                          "Car, identify (250 px)       10.75 m\n"
                          "Car, recognize (125 px)      21.50 m\n"
                          "Car, observe (62.5 px)       43.01 m\n"
                          "Car, detect (25 px)         107.52 m\n"
                          "Boat, identify (250 px)      38.40 m\n"
                          "Boat, recognize (125 px)     76.80 m\n"
                          "Boat, observe (62.5 px)     153.60 m\n"
                          "Boat, detect (25 px)        384.00 m\n")
            << QByteArray() << 0;
    QTest::addRow("distance, zero field of view is inf")
            << words("distance --hfov 0 --resolution 1920 --format csv") << QByteArray()
            << distanceHeader + "inf,inf,inf,inf,inf,inf,inf,inf,inf,inf,inf,inf,\n"
            << QByteArray() << 0;
    QTest::addRow("distance, json, zero resolution")
            << words("distance --hfov 60 --resolution 0 --format json") << QByteArray()
            << QByteArray(
                       "{\"person_identify_m\":0,\"person_recognize_m\":0,\"person_observe_m\":0,"
                       "\"person_detect_m\":0,\"car_identify_m\":0,\"car_recognize_m\":0,"
                       "\"car_observe_m\":0,\"car_detect_m\":0,\"boat_identify_m\":0,"
                       "\"boat_recognize_m\":0,\"boat_observe_m\":0,\"boat_detect_m\":0,"
                       "\"error\":null}\n")
            << QByteArray() << 0;
    // 1000 px of 4 um behind 8 mm: tan(hFov / 2) = 4 / 16 = 0.25, exact in binary.
    QTest::addRow("density, json, exact quarter tangent")
            << words("density --resolution 1000 --pixel-size 4 --focal-length 8 --distance 10 "
                     "--format json")
            << QByteArray()
            << QByteArray("{\"scene_width_m\":5,\"px_per_m\":200,\"px_per_ft\":60.96,"
                          "\"monitor_m\":160,\"detect_m\":80,\"observe_m\":32,\"recognize_m\":16,"
                          "\"identify_m\":8,\"inspect_m\":2,\"error\":null}\n")
            << QByteArray() << 0;
    QTest::addRow("density, text, at 20 m")
            << words("density --hfov 60 --resolution 1920 --distance 20") << QByteArray()
            << QByteArray("Scene width            23.09 m\n"
                          "Density                 83.1 px/m\n"
                          "Density                 25.3 px/ft\n"
                          "Monitor (12.5 px/m)   133.02 m\n"
                          "Detect (25 px/m)       66.51 m\n"
                          "Observe (62.5 px/m)    26.60 m\n"
                          "Recognize (125 px/m)   13.30 m\n"
                          "Identify (250 px/m)     6.65 m\n"
                          "Inspect (1000 px/m)     1.66 m\n")
            << QByteArray() << 0;
    QTest::addRow("density, csv, no distance")
            << words("density --hfov 60 --resolution 1920 --format csv") << QByteArray()
            << densityHeader + ",,,133.02,66.51,26.60,13.30,6.65,1.66,\n"
            << QByteArray() << 0;
    QTest::addRow("density, csv, from the lens")
            << words("density --resolution 1920 --pixel-size 2.9 --focal-length 4 --distance 10 "
                     "--format csv")
            << QByteArray()
            << densityHeader + "13.92,137.9,42.0,110.34,55.17,22.07,11.03,5.52,1.38,\n"
            << QByteArray() << 0;
    QTest::addRow("lens, text, a level") << words("lens --pixel-size 2.9 --level identify "
                                                  "--distance 20 --resolution 1920")
                                         << QByteArray()
                                         << QByteArray("Focal length      14.50 mm\n"
                                                       "Horizontal FOV  21.7371\u00B0\n")
                                         << QByteArray() << 0;
    QTest::addRow("lens, csv, an angle") << words("lens --pixel-size 2.9 --hfov 60 --resolution "
                                                  "1920 --format csv")
                                         << QByteArray()
                                         << QByteArray("focal_length_mm,hfov_deg,error\n"
                                                       "4.82,60.0000,\n")
                                         << QByteArray() << 0;
    QTest::addRow("lens, json, a density, no resolution")
            << words("lens --pixel-size 2.9 --density 250 --distance 20 --format json")
            << QByteArray()
            << QByteArray("{\"focal_length_mm\":14.5,\"hfov_deg\":null,\"error\":null}\n")
            << QByteArray() << 0;

    // Batches: pass-through columns first, blanks and missing columns from
    // the command line, a bad row reported in place among good ones.
    QTest::addRow("batch file, BOM, CRLF, quoted comma, a bad row")
            << words("fov --pixel-size 2.9 --format csv --batch @FILE")
            << QByteArray("\xEF\xBB\xBF"
                          "camera,resolution,focal-length\r\n"
                          "lobby,1920x1080,4\r\n"
                          "\"gate, north\",2688*1520,6\r\n"
                          "bad,1920x1080,4mm\r\n")
            << "camera," + fovHeader
                    + "lobby,69.6758,42.7607,77.2185,\n"
                      "\"gate, north\",66.0155,40.3399,73.4655,\n"
                      "bad,,,,\"line 4: Focal length: \"\"4mm\"\" is not a number\"\n"
            << QByteArray() << 1;
    QTest::addRow("batch, resolution from the command line")
            << words("distance --resolution 1920 --format csv --batch -")
            << QByteArray("site,hfov\nnorth,60\nsouth,90\n")
            << "site," + distanceHeader
                    + "north,3.33,6.65,13.30,33.26,9.31,18.62,37.25,93.12,33.26,66.51,133.02,332."
                      "55,\n"
                      "south,1.92,3.84,7.68,19.20,5.38,10.75,21.50,53.76,19.20,38.40,76.80,192.00,"
                      "\n"
            << QByteArray() << 0;
    QTest::addRow("batch, an empty cell takes the command line's value")
            << words("lens --pixel-size 2.9 --distance 100 --format csv --batch -")
            << QByteArray("camera,level,distance\ndoor,identify,20\nyard,detect,\n")
            << QByteArray("camera,focal_length_mm,hfov_deg,error\ndoor,14.50,,\nyard,7.25,,\n")
            << QByteArray() << 0;
    QTest::addRow("batch, json lines with a pass-through string")
            << words("lens --pixel-size 2.9 --format json --batch -")
            << QByteArray("camera,level,distance\n\"door \"\"A\"\"\",identify,20\nyard,huge,20\n")
            << QByteArray(
                       "{\"camera\":\"door \\\"A\\\"\",\"focal_length_mm\":14.5,"
                       "\"hfov_deg\":null,\"error\":null}\n"
                       "{\"camera\":\"yard\",\"focal_length_mm\":null,\"hfov_deg\":null,"
                       "\"error\":\"line 3: Level: \\\"huge\\\" is not monitor, detect, observe, "
                       "recognize, identify or inspect\"}\n")
            << QByteArray() << 1;

    // A bad value: exit 1, the field named as the window names it.
    QTest::addRow("bad focal length") << words("fov --resolution 1920x1080 --pixel-size 2.9 "
                                               "--focal-length 4mm")
                                      << QByteArray() << QByteArray()
                                      << QByteArray("kavrelo-cli fov: Focal length: \"4mm\" is not "
                                                    "a number\n")
                                      << 1;
    QTest::addRow("the first bad field is reported")
            << words("distance --hfov 6O --resolution 1920 --person 1.8") << QByteArray()
            << QByteArray() << QByteArray("kavrelo-cli distance: FOV: \"6O\" is not a number\n")
            << 1;
    QTest::addRow("a size without its x")
            << words("distance --hfov 60 --resolution 1920 --person 1.8") << QByteArray()
            << QByteArray()
            << QByteArray("kavrelo-cli distance: Person param: \"1.8\" is not XxY\n") << 1;
    QTest::addRow("an angle of 180 degrees")
            << words("density --hfov 180 --resolution 1920") << QByteArray() << QByteArray()
            << QByteArray("kavrelo-cli density: FOV: \"180\" must lie between 0 and 180 degrees\n")
            << 1;
    QTest::addRow("a negative distance")
            << words("lens --pixel-size 2.9 --density 250 --distance -5") << QByteArray()
            << QByteArray()
            << QByteArray("kavrelo-cli lens: Distance: \"-5\" must be a finite number above 0\n")
            << 1;

    // Usage errors: exit 2, one line and the hint, nothing on standard output.
    QTest::addRow("no command") << QStringList() << QByteArray() << QByteArray()
                                << QByteArray("kavrelo-cli: no command given\n"
                                              "Try 'kavrelo-cli --help' for more information.\n")
                                << 2;
    QTest::addRow("unknown command")
            << words("angle") << QByteArray() << QByteArray()
            << QByteArray("kavrelo-cli: unknown command 'angle'\n"
                          "Try 'kavrelo-cli --help' for more information.\n")
            << 2;
    QTest::addRow("unknown option") << words("fov --lens 4") << QByteArray() << QByteArray()
                                    << "kavrelo-cli fov: unknown option 'lens'\n" + usageHint << 2;
    QTest::addRow("missing option")
            << words("fov --resolution 1920x1080 --pixel-size 2.9") << QByteArray() << QByteArray()
            << "kavrelo-cli fov: --focal-length is required\n" + usageHint << 2;
    QTest::addRow("unknown format") << words("fov --format xml") << QByteArray() << QByteArray()
                                    << "kavrelo-cli fov: unknown format 'xml': use text, csv or "
                                       "json\n"
                    + usageHint << 2;
    QTest::addRow("unknown level")
            << words("lens --pixel-size 2.9 --level spot --distance 20") << QByteArray()
            << QByteArray()
            << QByteArray("kavrelo-cli lens: Level: \"spot\" is not monitor, detect, observe, "
                          "recognize, identify or inspect\n"
                          "Try 'kavrelo-cli lens --help' for more information.\n")
            << 2;
    QTest::addRow("unreadable file")
            << words("fov --batch /nonexistent/cameras.csv") << QByteArray() << QByteArray()
            << "kavrelo-cli fov: cannot read /nonexistent/cameras.csv: No such file or directory\n"
                    + usageHint
            << 2;
    QTest::addRow("empty file") << words("fov --batch -") << QByteArray() << QByteArray()
                                << "kavrelo-cli fov: standard input has no header line\n"
                    + usageHint << 2;
    QTest::addRow("ragged row")
            << words("fov --pixel-size 2.9 --batch -")
            << QByteArray("resolution,focal-length\n1920x1080,4,5\n") << QByteArray()
            << "kavrelo-cli fov: standard input, line 2: 3 fields where the header has 2\n"
                    + usageHint
            << 2;
    QTest::addRow("unclosed quote") << words("fov --pixel-size 2.9 --batch -")
                                    << QByteArray("resolution,focal-length\n\"1920x1080,4\n")
                                    << QByteArray()
                                    << "kavrelo-cli fov: standard input, line 2: a quoted field "
                                       "is not closed\n"
                    + usageHint << 2;

    QTest::addRow("version") << words("--version") << QByteArray()
                             << QByteArray("kavrelo-cli " KAVRELO_VERSION "\n") << QByteArray()
                             << 0;
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
