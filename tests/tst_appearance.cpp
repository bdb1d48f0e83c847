#include "picturebaseline.h"
#include "windowfixture.h"

#include <QApplication>
#include <QTest>

// What a person sees, as pictures: each tab as it opens and after a worked
// calculation, rendered offscreen with DejaVu Sans as the only font and
// compared pixel for pixel with the baselines in tests/baselines/, so any
// change to a caption, colour, alignment, font, position or size shows. The
// actual picture, and on a difference one with the differing pixels in red,
// go to the build folder. After a deliberate change to the form, a run with
// KAVRELO_UPDATE_BASELINES set takes the actual pictures as the baselines.
class AppearanceTest : public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void looks_data();
    void looks();
};

void AppearanceTest::initTestCase()
{
    // A blinking text cursor would make two pictures of one state differ.
    QApplication::setCursorFlashTime(0);
}

void AppearanceTest::looks_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("entries"); // field=text, or preset=item, in order
    QTest::addColumn<QString>("button"); // clicked last, if any

    QTest::addRow("fov-opened") << 0 << QStringList() << QString();
    QTest::addRow("fov-worked") << 0
                                << QStringList{"preset=1920*1080", "focalLineText=4",
                                               "pixelSizeLineEdit=2.9"}
                                << "caluPushButton";
    QTest::addRow("distance-opened") << 1 << QStringList() << QString();
    QTest::addRow("distance-worked")
            << 1 << QStringList{"hFOVLineText=60", "hResLineText=1920"} << "caluPushButton1";
}

void AppearanceTest::looks()
{
    QFETCH(int, tab);
    QFETCH(QStringList, entries);
    QFETCH(QString, button);

    showTab(tab);
    for (const QString &entry : entries) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        const QString text = entry.section(QLatin1Char('='), 1);
        if (name == QLatin1String("preset"))
            choosePreset(text);
        else
            type(qPrintable(name), text);
    }
    if (!button.isEmpty())
        QVERIFY(click(qPrintable(button)).isEmpty());

    const QString difference = differenceFromBaseline(
            window()->grab().toImage(), QString::fromLatin1(QTest::currentDataTag()) + ".png",
            QStringLiteral(KAVRELO_BASELINE_DIR), QStringLiteral(KAVRELO_ACTUAL_DIR));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_MAIN(AppearanceTest)
#include "tst_appearance.moc"
