#include "fieldofview.h"
#include "targetdistance.h"

#include <QTest>

Q_DECLARE_METATYPE(FieldOfViewInput)
Q_DECLARE_METATYPE(DistanceInput)

// Each page's parse, compute and format, without widgets.
class CalculationsBenchmark : public QObject
{
    Q_OBJECT

private slots:
    void fieldOfView_data();
    void fieldOfView();
    void distances_data();
    void distances();
};

void CalculationsBenchmark::fieldOfView_data()
{
    QTest::addColumn<FieldOfViewInput>("input");
    const Resolution other{-1, -1};
    QTest::addRow("preset") << FieldOfViewInput{{1920, 1080}, {}, {}, "4", "2.9"};
    QTest::addRow("custom") << FieldOfViewInput{other, "1081", "721", "4", "2.9"};
    QTest::addRow("bad pixel size") << FieldOfViewInput{other, "1081", "721", "4", "2.9x"};
}

void CalculationsBenchmark::fieldOfView()
{
    QFETCH(FieldOfViewInput, input);
    QString shown;
    QBENCHMARK {
        const auto outcome = calculateFieldOfView(input);
        if (const auto *angles = std::get_if<AnglesOfView>(&outcome)) {
            shown = formatAngle(angles->horizontal) + formatAngle(angles->vertical)
                    + formatAngle(angles->diagonal);
        } else {
            shown = std::get<InputError>(outcome).message();
        }
    }
    QVERIFY(!shown.isEmpty());
}

void CalculationsBenchmark::distances_data()
{
    QTest::addColumn<DistanceInput>("input");
    QTest::addRow("defaults, 60 deg, 1920 px")
            << DistanceInput{"60", "1920", "1.8", "0.5", "4", "1.4", "10", "5"};
    QTest::addRow("bad boat Y") << DistanceInput{"60", "1920", "1.8", "0.5",
                                                 "4",  "1.4",  "10",  "5?"};
}

void CalculationsBenchmark::distances()
{
    QFETCH(DistanceInput, input);
    QString shown;
    QBENCHMARK {
        const auto outcome = calculateDistances(input);
        if (const auto *distances = std::get_if<BaseDistances>(&outcome)) {
            shown.clear();
            for (const double base : {distances->person, distances->car, distances->boat}) {
                for (const double multiplier : detailLevelMultipliers)
                    shown += formatDistance(base * multiplier);
            }
        } else {
            shown = std::get<InputError>(outcome).message();
        }
    }
    QVERIFY(!shown.isEmpty());
}

QTEST_GUILESS_MAIN(CalculationsBenchmark)

#include "bench_calculations.moc"
