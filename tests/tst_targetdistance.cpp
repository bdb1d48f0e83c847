#include "targetdistance.h"

#include "exactly.h"

#include <QTest>

Q_DECLARE_METATYPE(DistanceInput)

// Expected distances are worked by hand: b = (hRes / 500 in single precision)
// / tan(hFov * pi / 360), times the target's smaller side as parsed to float.

class TargetDistanceTest : public QObject
{
    Q_OBJECT

private slots:
    void baseDistance_data();
    void baseDistance();
    void calculateDistances_data();
    void calculateDistances();
};

void TargetDistanceTest::baseDistance_data()
{
    QTest::addColumn<float>("horizontalFov");
    QTest::addColumn<float>("horizontalResolution");
    QTest::addColumn<float>("sizeX");
    QTest::addColumn<float>("sizeY");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QString>("shown"); // the four levels as the page shows them

    // 1920 / 500 is 3.8399999141693115 in single precision, not 3.84.
    // clang-format off
    QTest::addRow("60°, 1920 px, person") << 60.0F << 1920.0F << 1.8F << 0.5F << 3.325537476200688
                                          << "3.33m 6.65m 13.30m 33.26m";
    // 1.4 parses to 1.399999976158142.
    QTest::addRow("60°, 1920 px, car") << 60.0F << 1920.0F << 4.0F << 1.4F << 9.311504774787942
                                       << "9.31m 18.62m 37.25m 93.12m";
    QTest::addRow("90°, 3840 px, car") << 90.0F << 3840.0F << 4.0F << 1.4F << 10.75199957656861
                                       << "10.75m 21.50m 43.01m 107.52m";
    QTest::addRow("30°, 1920 px, person") << 30.0F << 1920.0F << 1.8F << 0.5F << 7.16553739037
                                          << "7.17m 14.33m 28.66m 71.66m";
    // q / t first, then times the side: q * side / t differs in the last bit.
    QTest::addRow("60°, 1280 px, car") << 60.0F << 1280.0F << 4.0F << 1.4F << 6.207669849858629
                                       << "6.21m 12.42m 24.83m 62.08m";
    QTest::addRow("X smaller than Y") << 60.0F << 1920.0F << 0.3F << 1.7F << 1.9953225650074047
                                      << "2.00m 3.99m 7.98m 19.95m";
    QTest::addRow("fractional resolution") << 60.0F << 1920.5F << 1.8F << 0.5F
                                           << 3.3264036453121486 << "3.33m 6.65m 13.31m 33.26m";
    QTest::addRow("negative size") << 60.0F << 1920.0F << -1.0F << 0.5F << -6.651074952401376
                                   << "-6.65m -13.30m -26.60m -66.51m";

    // Edges of the tangent and IEEE division.
    QTest::addRow("180°") << 180.0F << 1920.0F << 1.8F << 0.5F << 1.1756609009033896e-16
                          << "0.00m 0.00m 0.00m 0.00m";
    QTest::addRow("270° turns negative") << 270.0F << 1920.0F << 1.8F << 0.5F
                                         << -1.9199999570846553 << "-1.92m -3.84m -7.68m -19.20m";
    QTest::addRow("zero resolution") << 60.0F << 0.0F << 1.8F << 0.5F << 0.0
                                     << "0.00m 0.00m 0.00m 0.00m";
    QTest::addRow("zero field of view") << 0.0F << 1920.0F << 1.8F << 0.5F << qInf()
                                        << "infm infm infm infm";
    // X is taken only when it is less than Y; no comparison with NaN is true.
    const auto nan = static_cast<float>(qQNaN());
    QTest::addRow("NaN X: Y is taken") << 60.0F << 1920.0F << nan << 0.5F
                                       << 3.325537476200688 << "3.33m 6.65m 13.30m 33.26m";
    QTest::addRow("NaN Y is taken") << 60.0F << 1920.0F << 0.5F << nan << qQNaN()
                                    << "nanm nanm nanm nanm";
    // clang-format on
}

void TargetDistanceTest::baseDistance()
{
    QFETCH(float, horizontalFov);
    QFETCH(float, horizontalResolution);
    QFETCH(float, sizeX);
    QFETCH(float, sizeY);

    const double distance = ::baseDistance(horizontalFov, horizontalResolution, {sizeX, sizeY});

    QFETCH(double, expected);
    QCOMPARE(exactly(distance), exactly(expected));
    QStringList shown;
    for (double multiplier : detailLevelMultipliers)
        shown << formatDistance(distance * multiplier);
    QTEST(shown.join(QLatin1Char(' ')), "shown");
}

void TargetDistanceTest::calculateDistances_data()
{
    QTest::addColumn<DistanceInput>("input");
    QTest::addColumn<QString>("outcome"); // the report, or the three base distances

    const DistanceInput valid{"60", "1920", "1.8", "0.5", "4", "1.4", "10", "5"};
    const auto with = [&valid](QString DistanceInput::*field, const char *text) {
        DistanceInput input = valid;
        input.*field = QString::fromUtf8(text);
        return input;
    };

    // Each field names itself with its word and its own text; the first wins.
    // clang-format off
    QTest::addRow("empty field of view") << DistanceInput{} << "FOV is error";
    QTest::addRow("person Y") << with(&DistanceInput::personY, "abc") << "Person paramabc is error";
    QTest::addRow("boat Y") << with(&DistanceInput::boatY, "5 5") << "Boat param5 5 is error";
    DistanceInput twoBad = with(&DistanceInput::carX, "x");
    twoBad.personY = QStringLiteral("y");
    QTest::addRow("first of two failures") << twoBad << "Person paramy is error";

    QTest::addRow("all valid") << valid << "3.33m 9.31m 33.26m";
    // clang-format on
}

void TargetDistanceTest::calculateDistances()
{
    QFETCH(DistanceInput, input);

    const auto outcome = ::calculateDistances(input);

    QString shown;
    if (const auto *error = std::get_if<InputError>(&outcome)) {
        shown = error->message();
    } else {
        const auto &distances = std::get<BaseDistances>(outcome);
        shown = QStringList{formatDistance(distances.person), formatDistance(distances.car),
                            formatDistance(distances.boat)}
                        .join(QLatin1Char(' '));
    }
    QTEST(shown, "outcome");
}

QTEST_GUILESS_MAIN(TargetDistanceTest)
#include "tst_targetdistance.moc"
