#include "clirun.h"
#include "windowfixture.h"

#include <QTest>

// The command line and the window show the same digits for the same texts:
// each row goes into the window's fields and to kavrelo-cli, and the labels
// without their unit must equal the CSV cells.
class CliAgreementTest : public WindowFixture
{
    Q_OBJECT

private slots:
    void fieldOfView_data();
    void fieldOfView();
    void distance_data();
    void distance();

private:
    QStringList shown(const char *button, const QStringList &labels) const;
};

namespace {

QStringList commandLineCells(const QStringList &arguments)
{
    const CliRun run = runCli(arguments + QStringList{"--format=csv"});
    if (run.status != ExitStatus::success)
        return {QString::fromUtf8(run.errors)};
    QStringList cells = QString::fromUtf8(run.output).section('\n', 1, 1).split(',');
    cells.removeLast(); // the empty error column
    return cells;
}

void addRow(const char *name, const char *fields)
{
    QTest::addRow("%s", name) << QString::fromLatin1(fields).split(QLatin1Char(' '));
}

} // namespace

QStringList CliAgreementTest::shown(const char *button, const QStringList &labels) const
{
    const auto boxes = click(button);
    if (!boxes.isEmpty())
        return {boxes.first().text};
    // The fields were set, not typed: the validators would refuse some of
    // these texts, and the parse and arithmetic behind them are compared.
    QStringList texts = labelTexts(labels);
    for (QString &text : texts)
        text.chop(1); // the unit
    return texts;
}

void CliAgreementTest::fieldOfView_data()
{
    QTest::addColumn<QStringList>("fields"); // width, height, pixel size, focal length

    addRow("odd sides", "1081 721 2.9 4");
    addRow("negative width", "-1920 1080 2.9 4");
    addRow("largest sides", "2147483647 2147483647 0.001 2000");
    addRow("sign and exponent", "640 +512 1e1 0.5");
    addRow("nan", "1 1 0 0");
}

void CliAgreementTest::fieldOfView()
{
    QFETCH(QStringList, fields);

    choosePreset(QStringLiteral("Other"));
    setFields({"resolutionX", "resolutionY", "pixelSizeLineEdit", "focalLineText"}, fields);
    const QStringList window = shown("caluPushButton", {"resultH", "resultV", "resultD"});

    QCOMPARE(commandLineCells({"fov", "--resolution=" + fields.at(0) + 'x' + fields.at(1),
                               "--pixel-size=" + fields.at(2), "--focal-length=" + fields.at(3)}),
             window);
}

void CliAgreementTest::distance_data()
{
    QTest::addColumn<QStringList>("fields"); // hFOV, hRes, then X and Y of each target

    addRow("30 deg, fractional resolution", "30 1920.5 1.8 0.5 4 1.4 10 5");
    addRow("X smaller than Y", "60 1920 0.3 1.7 1.4 4 5 10");
    addRow("negative size", "60 1920 -1 0.5 4 1.4 10 5");
    addRow("270 deg", "270 1920 1.8 0.5 4 1.4 10 5");
    addRow("zero field of view", "0 1920 1.8 0.5 4 1.4 10 5");
    addRow("zero field, zero size", "0 1920 0 0.5 4 1.4 10 5");
}

void CliAgreementTest::distance()
{
    QFETCH(QStringList, fields);

    setFields(distanceInputs(), fields);
    const QStringList window = shown("caluPushButton1", distanceResults());

    QCOMPARE(commandLineCells({"distance", "--hfov=" + fields.at(0), "--resolution=" + fields.at(1),
                               "--person=" + fields.at(2) + 'x' + fields.at(3),
                               "--car=" + fields.at(4) + 'x' + fields.at(5),
                               "--boat=" + fields.at(6) + 'x' + fields.at(7)}),
             window);
}

QTEST_MAIN(CliAgreementTest)
#include "tst_cliagreement.moc"
