#include "pixeldensity.h"

#include <QTest>

Q_DECLARE_METATYPE(CameraGeometry)

// Expected values are worked by hand from the model, to six decimals: a
// camera with N pixels across and tan(theta / 2) = t has N / (2 d t) pixels
// per metre at distance d. Six decimals show any change in the formula or
// the order of its factors that matters, and none of these sits on a tie.
class PixelDensityTest : public QObject
{
    Q_OBJECT

private slots:
    void camera_data();
    void camera();
    void focalLength_data();
    void focalLength();
};

namespace {

QString sixDecimals(double value)
{
    return QString::number(value, 'f', 6);
}

} // namespace

void PixelDensityTest::camera_data()
{
    QTest::addColumn<CameraGeometry>("camera");
    QTest::addColumn<double>("distance");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("perMetre");
    QTest::addColumn<QString>("reach"); // of each level, monitor to inspect

    // t = tan(30 deg) = 0.577350269... The Distance tab's person shows 3.33 m
    // here: 250 px across 0.5 m is 500 px/m, twice what the standard asks for
    // identification.
    QTest::addRow("60 deg, 1920 px, 20 m")
            << cameraFromFov(1920, 60) << 20.0 << "23.094011"
            << "83.138439"
            << "133.021502 66.510751 26.604300 13.302150 6.651075 1.662769";
    // t = 1920 * 0.0029 / 8 = 0.696.
    QTest::addRow("1920 px of 2.9 um behind 4 mm, 10 m")
            << cameraFromLens(1920, 2.9, 4) << 10.0 << "13.920000"
            << "137.931034"
            << "110.344828 55.172414 22.068966 11.034483 5.517241 1.379310";
    QTest::addRow("90 deg, 3840 px, 1 m")
            << cameraFromFov(3840, 90) << 1.0 << "2.000000"
            << "1920.000000"
            << "153.600000 76.800000 30.720000 15.360000 7.680000 1.920000";
}

void PixelDensityTest::camera()
{
    QFETCH(CameraGeometry, camera);
    QFETCH(double, distance);

    QTEST(sixDecimals(sceneWidth(camera, distance)), "width");
    QTEST(sixDecimals(pixelsPerMetre(camera, distance)), "perMetre");
    QStringList reach;
    for (const DensityLevel &level : densityLevels)
        reach << sixDecimals(farthestDistance(camera, level.pixelsPerMetre));
    QTEST(reach.join(QLatin1Char(' ')), "reach");
}

void PixelDensityTest::focalLength_data()
{
    QTest::addColumn<double>("focalLength");
    QTest::addColumn<double>("horizontalPixels");
    QTest::addColumn<double>("pixelSize");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("angle"); // what that focal length gives

    // One pixel of 2.9 um covers 4 mm at 20 m through f = 0.0029 * 20 * 250.
    QTest::addRow("2.9 um, 250 px/m at 20 m")
            << focalLengthForDensity(2.9, 250, 20) << 1920.0 << 2.9 << "14.500000"
            << "21.737051";
    QTest::addRow("2 um, detect at 100 m")
            << focalLengthForDensity(2, 25, 100) << 3840.0 << 2.0 << "5.000000"
            << "75.048525";
    QTest::addRow("60 deg from 1920 px of 2.9 um")
            << focalLengthForFov(1920, 2.9, 60) << 1920.0 << 2.9 << "4.822029"
            << "60.000000";
    QTest::addRow("90 deg from 3840 px of 2 um")
            << focalLengthForFov(3840, 2, 90) << 3840.0 << 2.0 << "3.840000"
            << "90.000000";
}

void PixelDensityTest::focalLength()
{
    QFETCH(double, focalLength);
    QFETCH(double, horizontalPixels);
    QFETCH(double, pixelSize);

    QTEST(sixDecimals(focalLength), "expected");
    QTEST(sixDecimals(horizontalFov(horizontalPixels, pixelSize, focalLength)), "angle");
}

QTEST_GUILESS_MAIN(PixelDensityTest)
#include "tst_pixeldensity.moc"
