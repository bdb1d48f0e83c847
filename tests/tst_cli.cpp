#include "pictureentry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <signal.h>

// kavrelo-cli as installed, run the way a script runs it: its exit statuses,
// and its manners with files, pipes, a full disk and signals. The
// calculations themselves are tested in-process.
class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exitStatus();
    void fullDisk_data();
    void fullDisk();
    void closedPipe();
    void interrupted_data();
    void interrupted();
    void siteRunInterrupted_data();
    void siteRunInterrupted();
    void mapFileInterrupted();
    void picture();
    void refusedPictures_data();
    void refusedPictures();
    void withoutThePictureModule_data();
    void withoutThePictureModule();
    void withoutTheSiteModule();
    void unnameablePicture();
    void reportSameInEveryProcess();
    void filesSameInEveryProcess_data();
    void filesSameInEveryProcess();
    void fullDiskFiles_data();
    void fullDiskFiles();

private:
    QString m_program;
    QTemporaryDir m_files;
};

namespace {

const QByteArray fovRow = "69.6758,42.7607,77.2185,\n";
const QStringList fovBatch{"fov", "--pixel-size", "2.9", "--focal-length",
                           "4",   "--format",     "csv", "--batch"};

QByteArray rows(int count)
{
    return "resolution\n" + QByteArray("1920x1080\n").repeated(count);
}

} // namespace

void CliTest::initTestCase()
{
    m_program = qEnvironmentVariable("KAVRELO_CLI");
    QVERIFY2(QFileInfo(m_program).isExecutable(), "KAVRELO_CLI names no installed kavrelo-cli");
    QVERIFY(m_files.isValid());
    QFile file(m_files.filePath("rows.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(rows(100000)) > 0);
}

// 0 when every record worked, 1 with a bad one, 2 for a usage error, 4 for
// a coverage short of what was required.
void CliTest::exitStatus()
{
    const auto status = [&](const QStringList &arguments, const QByteArray &input) {
        QProcess process;
        process.start(m_program, arguments);
        process.write(input);
        process.closeWriteChannel();
        return process.waitForFinished() ? process.exitCode() : -1;
    };
    QCOMPARE(status(fovBatch + QStringList{"-"}, rows(2)), 0);
    QCOMPARE(status(fovBatch + QStringList{"-"}, "resolution\n1920\n"), 1);
    QCOMPARE(status({"fov", "--batch"}, {}), 2);
    // The worked example S1 covers 41.53% at detect.
    const QStringList coverage{"coverage",
                               "--site",
                               KAVRELO_DATA_DIR "/s1.geojson",
                               "--batch",
                               KAVRELO_DATA_DIR "/s1.csv",
                               "--require"};
    QCOMPARE(status(coverage + QStringList{"detect=41"}, {}), 0);
    QCOMPARE(status(coverage + QStringList{"detect=42"}, {}), 4);
}

// Output refused: a message and exit 3, also for help and version, and a
// long batch stops at the first refusal instead of computing every row.
void CliTest::fullDisk_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("program");
    QTest::newRow("a batch") << fovBatch + QStringList{m_files.filePath("rows.csv")}
                             << QByteArray("kavrelo-cli fov");
    QTest::newRow("one calculation")
            << QStringList{"fov", "--resolution",   "1920x1080", "--pixel-size",
                           "2.9", "--focal-length", "4"}
            << QByteArray("kavrelo-cli fov");
    QTest::newRow("help") << QStringList{"lens", "--help"} << QByteArray("kavrelo-cli lens");
    QTest::newRow("version") << QStringList{"--version"} << QByteArray("kavrelo-cli");
}

void CliTest::fullDisk()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(m_program, arguments);
    QVERIFY(process.waitForFinished());
    QFETCH(QByteArray, program);
    QCOMPARE(process.readAllStandardError(),
             program + ": cannot write the output: No space left on device\n");
    QCOMPARE(process.exitCode(), 3);
}

// A reader that stops early ends the batch the Unix way, by SIGPIPE, and
// what it read are whole rows.
void CliTest::closedPipe()
{
    QProcess shell;
    shell.start("bash",
                {"-c", R"("$0" "$@" | head -n 3; echo "status ${PIPESTATUS[0]}")", m_program, "fov",
                 "--pixel-size", "2.9", "--focal-length", "4", "--format", "csv", "--batch",
                 m_files.filePath("rows.csv")});
    QVERIFY(shell.waitForFinished());
    QCOMPARE(shell.readAllStandardOutput(),
             "horizontal_deg,vertical_deg,diagonal_deg,error\n" + fovRow + fovRow + "status "
                     + QByteArray::number(128 + SIGPIPE) + "\n");
}

// A batch fed through a pipe answers each row as it arrives; a signal then
// ends it by that signal, with every row it answered whole. A record still
// arriving is not computed, however much of it came: 1 is not 12 mm.
void CliTest::interrupted_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QByteArray>("partial");
    QTest::addColumn<QByteArray>("errors");
    QTest::newRow("SIGINT") << int(SIGINT) << QByteArray() << QByteArray();
    QTest::newRow("SIGTERM") << int(SIGTERM) << QByteArray() << QByteArray();
    const QByteArray cutShort = "kavrelo-cli fov: standard input, line 5: the record was cut "
                                "short by a signal and not computed\n";
    QTest::newRow("SIGTERM inside a record") << int(SIGTERM) << QByteArray("1920x1") << cutShort;
    QTest::newRow("SIGINT inside a quoted record")
            << int(SIGINT) << QByteArray("\"1920x1080\n") << cutShort;
}

void CliTest::interrupted()
{
    QFETCH(int, signal);
    QFETCH(QByteArray, partial);
    QProcess process;
    process.start(m_program, fovBatch + QStringList{"-"});
    QVERIFY(process.waitForStarted());
    // One write, shorter than a pipe's atomic size: the program reads the
    // partial record with the rows, and only then waits and flushes.
    process.write(rows(3) + partial);
    QByteArray output;
    const QByteArray expected
            = "horizontal_deg,vertical_deg,diagonal_deg,error\n" + fovRow.repeated(3);
    while (output.size() < expected.size() && process.waitForReadyRead(10000))
        output += process.readAllStandardOutput();
    QCOMPARE(output, expected);

    ::kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(output + process.readAllStandardOutput(), expected);
    QTEST(process.readAllStandardError(), "errors");
}

// A site run answers for all its cameras or for none: a signal, even in the
// middle of GEOS's union or of the report's pages, leaves the old files as
// they were and prints no table. The signal comes once the whole schedule
// is read (its file's offset is at its end), in the run's end, which would
// go on for tens of seconds: 3,000 cameras on a generated site.
void CliTest::siteRunInterrupted_data()
{
    QTest::addColumn<QStringList>("arguments"); // FILE and OTHER are the files it writes
    QTest::addColumn<int>("signal");
    const QStringList coverage{"coverage", "--gaps", "FILE", "--plot", "OTHER"};
    const QStringList report{"report", "--output", "FILE"};
    // Each signal once, each command once: a sanitized build takes a minute
    // over each schedule.
    QTest::addRow("coverage, SIGINT") << coverage << int(SIGINT);
    QTest::addRow("report, SIGTERM") << report << int(SIGTERM);
}

void CliTest::siteRunInterrupted()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, signal);
    const QString site = m_files.filePath("generated.geojson");
    const QString schedule = m_files.filePath("generated.csv");
    const auto generate = [](const QStringList &what, const QString &path) {
        QProcess awk;
        awk.setStandardOutputFile(path);
        awk.start("awk", what + QStringList{"-f", KAVRELO_SITE_GENERATOR});
        return awk.waitForFinished() && awk.exitCode() == 0;
    };
    if (!QFile::exists(schedule)) {
        QVERIFY(generate({"-v", "what=site"}, site));
        QVERIFY(generate({"-v", "what=cameras", "-v", "count=3000"}, schedule));
    }
    const QString file = m_files.filePath("kept-1");
    const QString other = m_files.filePath("kept-2");
    for (const QString &path : {file, other}) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    }
    arguments.replaceInStrings("FILE", file);
    arguments.replaceInStrings("OTHER", other);
    QProcess process;
    process.start(m_program, arguments + QStringList{"--site", site, "--batch", schedule});
    QVERIFY(process.waitForStarted());
    const QString proc = QStringLiteral("/proc/%1/").arg(process.processId());
    const auto readToTheEnd = [&] {
        for (const QFileInfo &link :
             QDir(proc + "fd")
                     .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            if (link.symLinkTarget() != QFileInfo(schedule).canonicalFilePath())
                continue;
            QFile info(proc + "fdinfo/" + link.fileName());
            if (info.open(QIODevice::ReadOnly)
                && info.readLine().trimmed()
                        == "pos:\t" + QByteArray::number(QFileInfo(schedule).size()))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(readToTheEnd(), 120000);
    QTest::qWait(300);
    QCOMPARE(process.state(), QProcess::Running);
    QElapsedTimer sinceTheSignal;
    sinceTheSignal.start();
    ::kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY(process.waitForFinished(60000));
    // A second, on a machine where other tests run beside it.
    QVERIFY2(sinceTheSignal.elapsed() < 3000, QByteArray::number(sinceTheSignal.elapsed()));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QCOMPARE(process.readAllStandardError(),
             "kavrelo-cli " + arguments.first().toUtf8()
                     + ": stopped by a signal before the end: nothing was printed, and every "
                       "file is as it was\n");
    for (const QString &path : {file, other}) {
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("old"));
    }
    QCOMPARE(QDir(m_files.path()).entryList({"kept-*"}, QDir::Files),
             QStringList({"kept-1", "kept-2"}));
}

#if defined(__x86_64__)
#define KAVRELO_WAIT_FILE "syscall"
#else
#define KAVRELO_WAIT_FILE "status"
#endif

// footprint's map into a GeoPackage is put in place at the end, whole: a
// signal while it waits on its schedule keeps the old file and says so.
void CliTest::mapFileInterrupted()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString map = folder.filePath("map.gpkg");
    QFile old(map);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    QProcess process;
    process.start(m_program,
                  {"footprint", "--output", map, "--batch", "-", "--resolution", "1920x1080",
                   "--hfov", "70", "--height", "6", "--tilt", "25"});
    QVERIFY(process.waitForStarted());
    process.write("lat,lon,bearing\n48.1,11.5,0\n48.1,11.5001,90\n");
    // The run has read its header and waits on the next record once it
    // sits in read, poll or ppoll, however slowly a sanitized or valgrind
    // build came that far; valgrind catches every signal itself, so its
    // mask says nothing. Elsewhere than x86-64, once SIGTERM is caught.
    const QString proc = QStringLiteral("/proc/%1/").arg(process.processId());
    const auto waitsOnInput = [&] {
        QFile file(proc + QStringLiteral(KAVRELO_WAIT_FILE));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = file.readAll();
#if defined(__x86_64__)
        const QByteArray call = text.left(text.indexOf(' '));
        return call == "0" || call == "7" || call == "271";
#else
        for (const QByteArray &line : text.split('\n')) {
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
        }
        return false;
#endif
    };
    QTRY_VERIFY_WITH_TIMEOUT(waitsOnInput(), 120000);
    QTest::qWait(200);
    QCOMPARE(process.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(process.readAllStandardError(),
             QByteArray("kavrelo-cli footprint: stopped by a signal before the end: nothing was "
                        "printed, and every file is as it was\n"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"map.gpkg"});
}

// A picture needs fonts, which the program sets up on its own, off screen
// and silently, whatever the environment's display.
void CliTest::picture()
{
    QProcess process;
    process.setProcessEnvironment([] {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("DISPLAY", ":404");
        environment.remove("XDG_RUNTIME_DIR");
        return environment;
    }());
    const QString path = m_files.filePath("pole.svg");
    process.start(m_program,
                  {"mount", "--resolution", "1920x1080", "--hfov", "60", "--height", "4", "--tilt",
                   "20", "--format", "csv", "--plot", path});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    QFile picture(path);
    QVERIFY(picture.open(QIODevice::ReadOnly));
    QVERIFY(picture.readAll().contains("<text"));
}

// Where a picture would replace what is no regular file, or the results
// themselves, nothing is computed: the results stay where they were sent.
void CliTest::refusedPictures_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("errors");
    QTest::newRow("standard output, sent to a file")
            << R"(out=$1; shift; "$0" "$@" --plot /dev/stdout > "$out"; echo "$?"; cat "$out")"
            << QByteArray("kavrelo-cli mount: cannot write /dev/stdout: it is where the results "
                          "go\n");
    QTest::newRow("standard output, a pipe")
            << R"(shift; "$0" "$@" --plot /dev/stdout | cat; echo "${PIPESTATUS[0]}")"
            << QByteArray("kavrelo-cli mount: cannot write /dev/stdout: not a regular file\n");
    QTest::newRow("standard output closed")
            << R"(shift; "$0" "$@" >&-; echo "$?")"
            << QByteArray("kavrelo-cli: cannot write the output: Bad "
                          "file descriptor\n"); // The batch comes in
                                                // on standard input
                                                // from the very file
                                                // to be written.
    QTest::newRow("the batch on standard input")
            << R"(out=$1; cp ")" KAVRELO_DATA_DIR
               R"(/s1.csv" "$out"; "$0" coverage --site ")" KAVRELO_DATA_DIR
               R"(/s1.geojson" --batch - --gaps "$out" < "$out"; echo "$?"; cmp -s "$out" ")" KAVRELO_DATA_DIR
               R"(/s1.csv" || echo changed >&2)"
            << "kavrelo-cli coverage: cannot write " + m_files.filePath("refused").toUtf8()
                    + ": it is the batch being read\n";
}

void CliTest::refusedPictures()
{
    QFETCH(QString, script);
    QProcess shell;
    shell.start("bash",
                {"-c", script, m_program, m_files.filePath("refused"), "mount", "--resolution",
                 "1920x1080", "--hfov", "60", "--height", "4", "--tilt", "20", "--format", "csv"});
    QVERIFY(shell.waitForFinished());
    QCOMPARE(shell.readAllStandardOutput(), QByteArray("3\n"));
    QTEST(shell.readAllStandardError(), "errors");
}

// An installation whose picture module is missing, or is of another
// version, says so, and computes nothing that it cannot finish.
void CliTest::withoutThePictureModule_data()
{
    QTest::addColumn<QString>("module"); // copied beside the program, if any
    QTest::newRow("missing") << QString();
    QTest::newRow("of another version") << QStringLiteral(KAVRELO_STALE_MODULE);
}

void CliTest::withoutThePictureModule()
{
    QFETCH(QString, module);
    const QString root = m_files.filePath(QStringLiteral("tree-%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(root + "/bin"));
    const QString program = root + "/bin/kavrelo-cli";
    QVERIFY(QFile::copy(qEnvironmentVariable("KAVRELO_CLI_PREFIX") + "/bin/kavrelo-cli", program));
    QByteArray expected = "kavrelo-cli mount: cannot draw pictures: ";
    if (!module.isEmpty()) {
        const QString plugins = root + "/" KAVRELO_MODULE_DIR;
        QVERIFY(QDir().mkpath(plugins));
        QVERIFY(QFile::copy(module, plugins + "/kavrelo-pictures.so"));
        expected += QFile::encodeName(plugins)
                + "/kavrelo-pictures.so is version 0.0.0-stale/0, not " KAVRELO_VERSION
                  "/" KAVRELO_PICTURE_INTERFACE "\n";
    }
    QProcess process;
    process.start(program,
                  {"mount", "--resolution", "1920x1080", "--hfov", "60", "--height", "4", "--tilt",
                   "20", "--plot", m_files.filePath("never.svg")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QByteArray said = process.readAllStandardError();
    QVERIFY2(module.isEmpty() ? said.startsWith(expected) : said == expected, said.constData());
    QCOMPARE(process.exitCode(), 3);
    QVERIFY(!QFile::exists(m_files.filePath("never.svg")));
}

// footprint and coverage cannot place a camera without the site module, and
// say so rather than write an empty map.
void CliTest::withoutTheSiteModule()
{
    const QString root = m_files.filePath(QStringLiteral("tree-without-sites"));
    QVERIFY(QDir().mkpath(root + "/bin"));
    const QString program = root + "/bin/kavrelo-cli";
    QVERIFY(QFile::copy(qEnvironmentVariable("KAVRELO_CLI_PREFIX") + "/bin/kavrelo-cli", program));
    QProcess process;
    process.start(program,
                  {"footprint", "--lat", "52.52", "--lon", "13.405", "--bearing", "90",
                   "--resolution", "1920x1080", "--hfov", "60", "--height", "4", "--tilt", "20"});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(process.readAllStandardError().startsWith(
            "kavrelo-cli footprint: cannot place cameras: "));
    QCOMPARE(process.exitCode(), 3);
}

// A folder so deep that a long picture name would pass the system's limit
// on a path: that record is a row in error, and the others are drawn.
void CliTest::unnameablePicture()
{
    QString folder = m_files.filePath("deep");
    while (QFile::encodeName(folder).size() < 3950)
        folder += '/' + QString(200, 'd');
    QVERIFY(QDir().mkpath(folder));
    QProcess process;
    process.start(m_program,
                  {"mount", "--resolution", "1920x1080", "--hfov", "60", "--height", "4", "--tilt",
                   "20", "--format", "csv", "--plot", folder, "--batch", "-"});
    process.write("pole\na\n" + QByteArray(190, 'b') + "\nc\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 1);
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines.at(2).endsWith(",line 3: cannot name its picture " + QByteArray(190, 'b')
                                 + ".svg: the name is too long for the system"));
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), QStringList({"a.svg", "c.svg"}));
}

// Qt seeds its hashes anew in each process, and its PDF engine wrote the
// fonts in hash order: of six runs, about half came out otherwise. A run
// twice in one process cannot see that.
void CliTest::filesSameInEveryProcess_data()
{
    QTest::addColumn<QString>("extension");
    // A GeoPackage keeps dates, and a Shapefile's table the day it changed.
    QTest::addRow("GeoPackage") << "gpkg";
    QTest::addRow("Shapefile") << "shp";
    QTest::addRow("FlatGeobuf") << "fgb";
    QTest::addRow("DXF") << "dxf";
}

// The files of GIS and CAD programs, byte for byte in every process: QHash
// orders by a seed of each process's own.
void CliTest::filesSameInEveryProcess()
{
    QFETCH(QString, extension);
    QSet<QByteArray> files;
    for (int run = 0; run < 3; ++run) {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("SOURCE_DATE_EPOCH");
        environment.remove("QT_HASH_SEED");
        process.setProcessEnvironment(environment);
        process.start(m_program,
                      {"footprint", "--site", KAVRELO_DATA_DIR "/yard.geojson", "--batch",
                       KAVRELO_DATA_DIR "/yard.csv", "--origin", "48.1,11.5", "--output",
                       folder.filePath("map." + extension)});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QByteArray all;
        for (const QString &name : QDir(folder.path()).entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            all += name.toUtf8() + '\n' + file.readAll();
        }
        files << all;
    }
    QCOMPARE(files.size(), 1);
}

void CliTest::reportSameInEveryProcess()
{
    QSet<QByteArray> reports;
    for (int run = 0; run < 6; ++run) {
        const QString path = m_files.filePath(QStringLiteral("same-%1.pdf").arg(run));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("SOURCE_DATE_EPOCH", "1700000000");
        environment.remove("QT_HASH_SEED");
        process.setProcessEnvironment(environment);
        process.start(m_program,
                      {"report", "--site", KAVRELO_DATA_DIR "/yard.geojson", "--batch",
                       KAVRELO_DATA_DIR "/yard.csv", "--output", path});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        reports << file.readAll();
    }
    QCOMPARE(reports.size(), 1);
}

void CliTest::fullDiskFiles_data()
{
    QTest::addColumn<QStringList>("arguments"); // FILE is the file on the small disk
    const QStringList yard{"--site", KAVRELO_DATA_DIR "/yard.geojson", "--batch",
                           KAVRELO_DATA_DIR "/yard.csv"};
    QTest::addRow("mount's picture")
            << QStringList{"mount", "--resolution", "1920x1080", "--hfov", "60",  "--height",
                           "4",     "--tilt",       "20",        "--plot", "FILE"};
    QTest::addRow("coverage's plot") << QStringList{"coverage", "--plot", "FILE"} + yard;
    QTest::addRow("coverage's gaps") << QStringList{"coverage", "--gaps", "FILE"} + yard;
    QTest::addRow("the report") << QStringList{"report", "--output", "FILE"} + yard;
}

// On a disk with room for the old file and no more (a tmpfs of two pages,
// in a mount namespace of the test's own), each file a run writes beside
// its output fails whole: exit 3 with the system's reason, the old file
// kept. Every one of them is larger than a page.
void CliTest::fullDiskFiles()
{
    QFETCH(QStringList, arguments);
    const QString disk = m_files.filePath(QStringLiteral("small-disk"));
    QVERIFY(QDir().mkpath(disk));
    const QString file = disk + "/kept";
    arguments.replaceInStrings(QStringLiteral("FILE"), file);
    QProcess process;
    // $1 the disk, $2 the program, then its arguments.
    process.start("unshare",
                  QStringList{"-m", "sh", "-c",
                              "mount -t tmpfs -o size=8k tmpfs \"$1\" || exit 99; "
                              "printf old > \"$1/kept\"; d=$1; p=$2; shift 2; "
                              "\"$p\" \"$@\"; s=$?; cat \"$d/kept\"; "
                              "ls \"$d\" >&2; exit $s",
                              "sh", disk, m_program}
                          + arguments);
    QVERIFY(process.waitForFinished(60000));
    const QByteArray output = process.readAllStandardOutput();
    const QByteArray errors = process.readAllStandardError();
    if (process.exitCode() == 99 || errors.startsWith("unshare:"))
        QSKIP("no tmpfs of the test's own can be mounted here (not root?)");
    QCOMPARE(process.exitCode(), 3);
    QVERIFY2(output.endsWith("old"), output.constData());
    QVERIFY2(errors.contains(": cannot write " + file.toUtf8() + ": No space left on device\n"),
             errors.constData());
    // Nothing is left beside it.
    QVERIFY2(errors.endsWith("\nkept\n"), errors.constData());
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
