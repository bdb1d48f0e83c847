#include "kavrelocli.h"
#include "memorystreams.h"
#include "picturebaseline.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

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
    void batchNamesItsPictures();
    void unwritablePicture();

private:
    QTemporaryDir m_folder;
};

namespace {

struct Run
{
    QByteArray output;
    QByteArray errors;
    ExitStatus status;
};

Run mount(const QStringList &arguments, const QByteArray &input = {})
{
    MemorySource source(input);
    MemorySink output;
    MemorySink errors;
    const ExitStatus status
            = runKavreloCli(QStringList{"mount"} + arguments, {source, output, errors});
    return {output.all(), errors.all(), status};
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
}

void MountPictureTest::pictures()
{
    QFETCH(QString, arguments);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QString path = m_folder.filePath(name + ".svg");
    const Run run = mount(arguments.split(' ') + QStringList{"--format", "json", "--plot", path});
    QCOMPARE(run.status, ExitStatus::success);
    const QJsonObject results = QJsonDocument::fromJson(run.output).object();

    // Each level's line gives its range as the command does, or "not met".
    const QStringList texts = svgTexts(path);
    for (const char *level : {"monitor", "detect", "observe", "recognize", "identify", "inspect"}) {
        const QString key = QString::fromLatin1(level) + "_to_m";
        const QString range = results.value(key).isNull() ? QStringLiteral("not met")
                                                          : metres(results, "target_near_m")
                        + " to " + metres(results, key.toLatin1()) + " m";
        const auto line = std::find_if(texts.cbegin(), texts.cend(), [&](const QString &text) {
            return text.startsWith(QLatin1String(level), Qt::CaseInsensitive);
        });
        QVERIFY2(line != texts.cend() && line->endsWith(": " + range), qPrintable(key));
    }
    QVERIFY(texts.contains("Ground in view: " + metres(results, "ground_near_m")
                           + (results.value("ground_far_m").isNull()
                                      ? " m to the horizon"
                                      : " to " + metres(results, "ground_far_m") + " m")));

    QSvgRenderer renderer(path);
    QImage picture(900, 1000, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    renderer.render(&painter);
    painter.end();
    const QString difference
            = differenceFromBaseline(picture, name + ".png", QStringLiteral(KAVRELO_BASELINE_DIR),
                                     QStringLiteral(KAVRELO_ACTUAL_DIR));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// Named after the first pass-through column, made safe, else the line; a
// name met again gets its line; rows in error get no picture.
void MountPictureTest::batchNamesItsPictures()
{
    const QString folder = m_folder.filePath("batch");
    const Run run = mount({"--resolution", "1920x1080", "--hfov", "60", "--tilt", "20", "--format",
                           "csv", "--plot", folder, "--batch", "-"},
                          "pole,height\nNorth gate/2,4\n,5\nNorth gate/2,6\nbad,0\n");
    QCOMPARE(run.status, ExitStatus::badInput);
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             QStringList({"North_gate_2-line-4.svg", "North_gate_2.svg", "line-3.svg"}));
}

void MountPictureTest::unwritablePicture()
{
    const Run run = mount({"--resolution", "1920x1080", "--hfov", "60", "--height", "4", "--tilt",
                           "20", "--plot", "/nonexistent/pole.svg"});
    QCOMPARE(run.status, ExitStatus::outputFailed);
    QCOMPARE(run.errors,
             "kavrelo-cli mount: cannot write /nonexistent/pole.svg: No such file or directory\n");
}

QTEST_MAIN(MountPictureTest)
#include "tst_mountpicture.moc"
