#include "formhelpers.h"
#include "mainwindow.h"
#include "modalboxcatcher.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <memory>

// The command line and the window show the same digits for the same texts:
// each row is typed into the window and given to kavrelo-cli, and the labels
// without their unit must equal the CSV cells.
class CliAgreementTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fieldOfView_data();
    void fieldOfView();
    void distance_data();
    void distance();

private:
    QStringList labelTexts(const QStringList &names, int unitLength) const;
    QStringList commandLineCells(const QStringList &arguments) const;
    void setField(const char *name, const QString &text) const;
    void calculate(const char *button) const;

    QString m_program;
    std::unique_ptr<MainWindow> m_window;
};

void CliAgreementTest::initTestCase()
{
    m_program = qEnvironmentVariable("KAVRELO_CLI");
    QVERIFY2(QFileInfo(m_program).isExecutable(), "KAVRELO_CLI names no installed kavrelo-cli");
    // Every row sets every field it reads, so one window serves them all.
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void CliAgreementTest::cleanupTestCase()
{
    m_window.reset();
}

void CliAgreementTest::setField(const char *name, const QString &text) const
{
    // Set, not typed: the validators would refuse some of these texts, and
    // the parse and arithmetic behind them are what is compared.
    formWidget<QLineEdit>(m_window.get(), name)->setText(text);
}

void CliAgreementTest::calculate(const char *button) const
{
    const auto boxes = clickAndCatchBoxes(formWidget<QPushButton>(m_window.get(), button));
    QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
}

QStringList CliAgreementTest::labelTexts(const QStringList &names, int unitLength) const
{
    QStringList texts;
    for (const QString &name : names)
        texts << formWidget<QLabel>(m_window.get(), qPrintable(name))->text().chopped(unitLength);
    return texts;
}

QStringList CliAgreementTest::commandLineCells(const QStringList &arguments) const
{
    QProcess process;
    process.start(m_program, arguments + QStringList{QStringLiteral("--format=csv")});
    if (!process.waitForFinished() || process.exitCode() != 0)
        return {QString::fromUtf8(process.readAllStandardError())};
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    QStringList cells = lines.value(1).split(QLatin1Char(','));
    cells.removeLast(); // the empty error column
    return cells;
}

void CliAgreementTest::fieldOfView_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("pixelSize");
    QTest::addColumn<QString>("focalLength");

    QTest::addRow("1920x1080, 2.9 um, 4 mm") << "1920"
                                             << "1080"
                                             << "2.9"
                                             << "4";
    QTest::addRow("odd sides") << "1081"
                               << "721"
                               << "2.9"
                               << "4";
    QTest::addRow("negative width") << "-1920"
                                    << "1080"
                                    << "2.9"
                                    << "4";
    QTest::addRow("50000 a side") << "50000"
                                  << "50000"
                                  << "3.75"
                                  << "12.5";
    QTest::addRow("largest sides") << "2147483647"
                                   << "2147483647"
                                   << "0.001"
                                   << "2000";
    QTest::addRow("blanks, sign, exponent") << " 640 "
                                            << "+512"
                                            << "1e1"
                                            << "0.5";
    QTest::addRow("zero focal length") << "3840"
                                       << "2160"
                                       << "2"
                                       << "0";
    QTest::addRow("nan") << "1"
                         << "1"
                         << "0"
                         << "0";
}

void CliAgreementTest::fieldOfView()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, pixelSize);
    QFETCH(QString, focalLength);

    auto *presets = formWidget<QComboBox>(m_window.get(), "resolutionComboBox");
    presets->setCurrentIndex(presets->findText(QStringLiteral("Other")));
    setField("resolutionX", width);
    setField("resolutionY", height);
    setField("pixelSizeLineEdit", pixelSize);
    setField("focalLineText", focalLength);
    calculate("caluPushButton");

    const QStringList window = labelTexts({"resultH", "resultV", "resultD"}, 1);
    QCOMPARE(commandLineCells({"fov", "--resolution=" + width + 'x' + height,
                               "--pixel-size=" + pixelSize, "--focal-length=" + focalLength}),
             window);
}

void CliAgreementTest::distance_data()
{
    QTest::addColumn<QStringList>("fields"); // hFOV, hRes, then X and Y of each target

    const auto row = [](const char *name, const char *fields) {
        QTest::addRow("%s", name) << QString::fromLatin1(fields).split(QLatin1Char(' '));
    };
    row("defaults, 60 deg, 1920 px", "60 1920 1.8 0.5 4 1.4 10 5");
    row("90 deg, 3840 px", "90 3840 1.8 0.5 4 1.4 10 5");
    row("30 deg, fractional resolution", "30 1920.5 1.8 0.5 4 1.4 10 5");
    row("X smaller than Y", "60 1920 0.3 1.7 1.4 4 5 10");
    row("odd sizes", "45.5 2592 1.75 0.45 4.5 1.8 12 3.5");
    row("negative size", "60 1920 -1 0.5 4 1.4 10 5");
    row("180 deg", "180 1920 1.8 0.5 4 1.4 10 5");
    row("270 deg", "270 1920 1.8 0.5 4 1.4 10 5");
    row("zero field of view", "0 1920 1.8 0.5 4 1.4 10 5");
    row("zero resolution", "60 0 1.8 0.5 4 1.4 10 5");
    row("zero field, zero size", "0 1920 0 0.5 4 1.4 10 5");
}

void CliAgreementTest::distance()
{
    QFETCH(QStringList, fields);

    const char *const inputs[] = {"hFOVLineText", "hResLineText", "personX", "personY",
                                  "carX",         "carY",         "boatX",   "boatY"};
    for (int index = 0; index < fields.size(); ++index)
        setField(inputs[index], fields.at(index));
    calculate("caluPushButton1");

    QStringList names;
    for (const char *target : {"person", "car", "boat"}) {
        for (int level = 1; level <= 4; ++level)
            names << QStringLiteral("%1Result%2").arg(QLatin1String(target)).arg(level);
    }
    const QStringList window = labelTexts(names, 1);
    QCOMPARE(commandLineCells({"distance", "--hfov=" + fields.at(0), "--resolution=" + fields.at(1),
                               "--person=" + fields.at(2) + 'x' + fields.at(3),
                               "--car=" + fields.at(4) + 'x' + fields.at(5),
                               "--boat=" + fields.at(6) + 'x' + fields.at(7)}),
             window);
}

QTEST_MAIN(CliAgreementTest)
#include "tst_cliagreement.moc"
