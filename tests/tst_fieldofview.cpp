#include "fieldofview.h"

#include "exactly.h"

#include <QTest>

#include <limits>

// Expected angles are worked by hand from the pinhole model with the same
// single-precision inputs and stored results; the double columns hold the
// stored float exactly, the strings what the page shows.

class FieldOfViewTest : public QObject
{
    Q_OBJECT

private slots:
    void anglesOfView_data();
    void anglesOfView();
    void calculateFieldOfView_data();
    void calculateFieldOfView();
};

void FieldOfViewTest::anglesOfView_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<float>("focalLength");
    QTest::addColumn<float>("pixelSize");
    QTest::addColumn<double>("horizontal");
    QTest::addColumn<double>("vertical");
    QTest::addColumn<double>("diagonal");
    QTest::addColumn<QString>("shown");

    // Worked examples: 2.9 parses to 2.9000000953674316.
    // clang-format off
    QTest::addRow("1920x1080, 2.9um, 4mm") << 1920 << 1080 << 4.0F << 2.9F << 69.67583465576172
                                           << 42.76068878173828 << 77.21849822998047
                                           << "69.6758° 42.7607° 77.2185°";
    QTest::addRow("3840x2160, 2um, 8mm") << 3840 << 2160 << 8.0F << 2.0F << 51.282012939453125
                                         << 30.21915054321289 << 57.685508728027344
                                         << "51.2820° 30.2192° 57.6855°";
    QTest::addRow("2688x1520, 2.9um, 6mm") << 2688 << 1520 << 6.0F << 2.9F << 66.01551055908203
                                           << 40.339935302734375 << 73.46550750732422
                                           << "66.0155° 40.3399° 73.4655°";
    // Integer halving: 1081 x 721 shares H and V with 1080 x 720 (the page
    // test has it), not D.
    QTest::addRow("1081x721 halves as 1080x720") << 1081 << 721 << 4.0F << 2.9F
                                                 << 42.76068878173828 << 29.2557430267334
                                                 << 50.44342041015625
                                                 << "42.7607° 29.2557° 50.4434°";
    QTest::addRow("1x1: halves to zero, diagonal does not")
            << 1 << 1 << 4.0F << 2.9F << 0.0 << 0.0 << 0.05874563753604889
            << "0.0000° 0.0000° 0.0587°";
    QTest::addRow("negative width") << -1920 << 1080 << 4.0F << 2.9F << -69.67583465576172
                                    << 42.76068878173828 << 77.21849822998047
                                    << "-69.6758° 42.7607° 77.2185°";

    // Division by zero follows IEEE arithmetic.
    QTest::addRow("zero focal length") << 1920 << 1080 << 0.0F << 2.9F << 180.0 << 180.0 << 180.0
                                       << "180.0000° 180.0000° 180.0000°";

    // Sides whose squares overflow 32 bits still give the right diagonal.
    QTest::addRow("50000x50000") << 50000 << 50000 << 4.0F << 2.9F << 173.68411254882812
                                 << 173.68411254882812 << 175.53172302246094
                                 << "173.6841° 173.6841° 175.5317°";
    constexpr int intMin = std::numeric_limits<int>::min();
    QTest::addRow("INT_MIN x INT_MIN") << intMin << intMin << 4.0F << 2.9F << -179.99984741210938
                                       << -179.99984741210938 << 179.99989318847656
                                       << "-179.9998° -179.9998° 179.9999°";
    // clang-format on
}

void FieldOfViewTest::anglesOfView()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(float, focalLength);
    QFETCH(float, pixelSize);

    const AnglesOfView angles = ::anglesOfView({x, y}, focalLength, pixelSize);

    QFETCH(double, horizontal);
    QFETCH(double, vertical);
    QFETCH(double, diagonal);
    QCOMPARE(exactly(angles.horizontal), exactly(horizontal));
    QCOMPARE(exactly(angles.vertical), exactly(vertical));
    QCOMPARE(exactly(angles.diagonal), exactly(diagonal));
    const QStringList shown{formatAngle(angles.horizontal), formatAngle(angles.vertical),
                            formatAngle(angles.diagonal)};
    QTEST(shown.join(QLatin1Char(' ')), "shown");
}

void FieldOfViewTest::calculateFieldOfView_data()
{
    QTest::addColumn<Resolution>("selected");
    QTest::addColumn<QString>("customWidth");
    QTest::addColumn<QString>("customHeight");
    QTest::addColumn<QString>("focalLength");
    QTest::addColumn<QString>("pixelSize");
    QTest::addColumn<QString>("outcome"); // the report, or the three angles shown

    const Resolution fullHd{1920, 1080};
    const Resolution other{-1, -1};

    // The page's own table has which report comes first; these are the
    // parse's finer points.
    // clang-format off
    QTest::addRow("custom: width beyond 32 bits") << other << "2147483648" << "1" << "4" << "2.9"
                                                  << "Resolution2147483648 is error";
    QTest::addRow("custom: decimal width") << other << "1920.0" << "1080" << "4" << "2.9"
                                           << "Resolution1920.0 is error";

    // A preset ignores whatever the hidden custom fields hold.
    QTest::addRow("preset ignores custom fields") << fullHd << "abc" << "" << "4" << "2.9"
                                                  << "69.6758° 42.7607° 77.2185°";
    QTest::addRow("one -1 marks custom") << Resolution{-1, 1080} << "1081" << " 721 " << "4"
                                         << "2.9" << "42.7607° 29.2557° 50.4434°";
    QTest::addRow("exponent parses") << fullHd << "" << "" << "4e0" << "29e-1"
                                     << "69.6758° 42.7607° 77.2185°";
    QTest::addRow("both zero is NaN") << fullHd << "" << "" << "0" << "0" << "nan° nan° nan°";
    QTest::addRow("infinite focal length") << fullHd << "" << "" << "inf" << "2.9"
                                           << "0.0000° 0.0000° 0.0000°";
    // clang-format on
}

void FieldOfViewTest::calculateFieldOfView()
{
    QFETCH(Resolution, selected);
    QFETCH(QString, customWidth);
    QFETCH(QString, customHeight);
    QFETCH(QString, focalLength);
    QFETCH(QString, pixelSize);

    const auto outcome
            = ::calculateFieldOfView({selected, customWidth, customHeight, focalLength, pixelSize});

    QString shown;
    if (const auto *error = std::get_if<InputError>(&outcome)) {
        shown = error->message();
    } else {
        const auto &angles = std::get<AnglesOfView>(outcome);
        shown = QStringList{formatAngle(angles.horizontal), formatAngle(angles.vertical),
                            formatAngle(angles.diagonal)}
                        .join(QLatin1Char(' '));
    }
    QTEST(shown, "outcome");
}

QTEST_GUILESS_MAIN(FieldOfViewTest)
#include "tst_fieldofview.moc"
