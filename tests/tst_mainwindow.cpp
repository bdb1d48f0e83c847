#include "mainwindow.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>

// The window as a whole: its fixed size, and what a screen reader announces.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void cannotBeResized();
    void screenReadersNameEveryFieldAndResult_data();
    void screenReadersNameEveryFieldAndResult();
};

void MainWindowTest::cannotBeResized()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.resize(800, 600);
    QCOMPARE(window.size(), QSize(1200, 1200));
    window.resize(1600, 1400);
    QCOMPARE(window.size(), QSize(1200, 1200));
    QCOMPARE(window.minimumSize(), QSize(1200, 1200));
    QCOMPARE(window.maximumSize(), QSize(1200, 1200));
}

void MainWindowTest::screenReadersNameEveryFieldAndResult_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("name"); // result labels and the preset list say their value
    QTest::addColumn<QString>("description");

    // clang-format off
    QTest::addRow("focal length") << "focalLineText" << "Focal length, millimetres" << "";
    QTest::addRow("pixel size") << "pixelSizeLineEdit" << "Pixel size, micrometres" << "";
    QTest::addRow("preset") << "resolutionComboBox" << "3840*2160" << "Sensor resolution preset, pixels";
    QTest::addRow("custom width") << "resolutionX" << "Custom width, pixels" << "";
    QTest::addRow("custom height") << "resolutionY" << "Custom height, pixels" << "";
    QTest::addRow("horizontal angle") << "resultH" << "12.34m" << "Horizontal angle of view, degrees";
    QTest::addRow("vertical angle") << "resultV" << "12.34m" << "Vertical angle of view, degrees";
    QTest::addRow("diagonal angle") << "resultD" << "12.34m" << "Diagonal angle of view, degrees";
    QTest::addRow("field of view") << "hFOVLineText" << "Horizontal field of view, degrees" << "";
    QTest::addRow("resolution") << "hResLineText" << "Horizontal resolution, pixels" << "";
    // clang-format on
    const char *const targets[][2] = {{"person", "Person"}, {"car", "Car"}, {"boat", "Boat"}};
    const char *const levels[][2]
            = {{"identify", "250"}, {"recognize", "125"}, {"observe", "62.5"}, {"detect", "25"}};
    for (const auto &target : targets) {
        for (const char *axis : {"X", "Y"}) {
            QTest::addRow("%s %s", target[0], axis)
                    << QStringLiteral("%1%2").arg(QLatin1String(target[0]), QLatin1String(axis))
                    << QStringLiteral("%1 size %2, metres")
                               .arg(QLatin1String(target[1]), QLatin1String(axis))
                    << QString();
        }
        for (int level = 0; level < 4; ++level) {
            QTest::addRow("%s %s", target[0], levels[level][0])
                    << QStringLiteral("%1Result%2").arg(QLatin1String(target[0])).arg(level + 1)
                    << QStringLiteral("12.34m")
                    << QStringLiteral("%1 %2 distance, %3 pixels across, metres")
                               .arg(QLatin1String(target[1]), QLatin1String(levels[level][0]),
                                    QLatin1String(levels[level][1]));
        }
    }
}

void MainWindowTest::screenReadersNameEveryFieldAndResult()
{
    QFETCH(QString, objectName);

    MainWindow window;
    auto *widget = window.findChild<QWidget *>(objectName);
    QVERIFY(widget);
    // A result label is read out as its value: give it one to read.
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(QStringLiteral("12.34m"));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);

    QTEST(accessible->text(QAccessible::Name), "name");
    QTEST(accessible->text(QAccessible::Description), "description");
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
