#include "mounting.h"

#include <QTest>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>

// A camera on a pole against figures worked out independently in double
// precision (a short Python model of the geometry): the worked examples of
// the model to a few units in the last place, and the corner cases of where
// a plane is in view.
class MountingTest : public QObject
{
    Q_OBJECT

private slots:
    void figures_data();
    void figures();
};

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double none = std::numeric_limits<double>::quiet_NaN(); // the figure does not exist

struct Mount
{
    double width;
    double height;
    double hfov;
    double vfov; // 0: square pixels
    double lensHeight;
    double tilt;
    double targetHeight;
    double distance;
};

using Figures = QList<QPair<QString, double>>;

// How many doubles lie between two of the same sign, or 0 for equal ones
// (infinities included).
std::uint64_t unitsApart(double a, double b)
{
    if (a == b)
        return 0;
    if (std::signbit(a) != std::signbit(b) || !std::isfinite(a) || !std::isfinite(b))
        return std::numeric_limits<std::uint64_t>::max();
    std::uint64_t bitsA = 0;
    std::uint64_t bitsB = 0;
    std::memcpy(&bitsA, &a, sizeof a);
    std::memcpy(&bitsB, &b, sizeof b);
    return bitsA > bitsB ? bitsA - bitsB : bitsB - bitsA;
}

// A figure of the survey by name: nothing where it does not exist, and a
// failure for a name that is not known, so that a misspelled "expect none"
// row cannot pass.
std::optional<std::optional<double>> figure(const MountSurvey &survey, const QString &name)
{
    using Figure = std::optional<double>;
    const auto near = [](const auto &edges) { return edges ? Figure(edges->near) : std::nullopt; };
    const auto far = [](const auto &edges) { return edges ? Figure(edges->far) : std::nullopt; };
    const auto &at = survey.at;
    const std::map<QString, Figure> figures{
            {"vfov", survey.camera.view.verticalFovDegrees},
            {"blind zone", survey.blindZone},
            {"ground near", near(survey.ground)},
            {"ground far", far(survey.ground)},
            {"ground near width", near(survey.groundWidth)},
            {"ground far width", far(survey.groundWidth)},
            {"target near", near(survey.target)},
            {"target far", far(survey.target)},
            {"target near density", near(survey.targetDensity)},
            {"target far density", far(survey.targetDensity)},
            {"slant", at ? Figure(at->slant) : std::nullopt},
            {"depression", at ? Figure(at->depressionDegrees) : std::nullopt},
            {"ground width", at ? at->groundWidth : std::nullopt},
            {"target width", at ? at->targetWidth : std::nullopt},
            {"density", at ? at->horizontalDensity : std::nullopt},
            {"vertical density", at ? at->verticalDensity : std::nullopt},
    };
    if (const auto found = figures.find(name); found != figures.end())
        return found->second;
    for (std::size_t level = 0; level < densityLevels.size(); ++level) {
        if (name == QLatin1String(densityLevels[level].name))
            return survey.levelReach[level];
    }
    return std::nullopt;
}

} // namespace

Q_DECLARE_METATYPE(Mount)

void MountingTest::figures_data()
{
    QTest::addColumn<Mount>("mount");
    QTest::addColumn<Figures>("figures");
    const Mount pole{1920, 1080, 60, 0, 4, 20, 1.6, 10};
    QTest::addRow("4 m up, 20 deg down: coverage")
            << pole
            << Figures{{"vfov", 35.98339777135764},
                       {"blind zone", 5.121295750086619},
                       {"ground near", 5.121295750086619},
                       {"ground far", 114.07116701622496},
                       {"ground near width", 7.13665485043865},
                       {"target near", 3.0727774500519716},
                       {"target far", 68.44270020973498},
                       {"target near density", 448.38934585764844},
                       {"target far density", 25.52766650398967}};
    QTest::addRow("4 m up, 20 deg down: levels") << pole
                                                 << Figures{{"monitor", 68.44270020973498},
                                                            {"observe", 27.438176580244356},
                                                            {"recognize", 13.282324009002735},
                                                            {"identify", 6.204397723381925},
                                                            {"inspect", none}};
    QTest::addRow("4 m up, 20 deg down: at 10 m")
            << pole << Figures{{"slant", 10.283968105745952},
                               {"depression", 13.495733280795813},
                               {"ground width", 12.430359125863777},
                               {"target width", 11.798469776048261},
                               {"density", 162.73296761735472},
                               {"vertical density", 159.26459014310413}};
    QTest::addRow("4 m up, 20 deg down: at 2 m, in the blind zone, short of the target")
            << Mount{1920, 1080, 60, 0, 4, 20, 1.6, 2}
            << Figures{{"slant", 3.1240998703626617},
                       {"depression", 50.19442890773481},
                       {"ground width", none},
                       {"target width", none},
                       {"density", none},
                       {"vertical density", none}};
    QTest::addRow("top edge on the horizon") << Mount{1920, 1080, 90, 50, 5, 25, 1.6, none}
                                             << Figures{{"ground near", 4.1954981558864},
                                                        {"ground far", infinity},
                                                        {"target near", 2.852938746002752},
                                                        {"target far", infinity},
                                                        {"detect", 40.7842660504327},
                                                        {"identify", none},
                                                        {"target near density", 238.655018394748}};
    QTest::addRow("view behind the pole") << Mount{2560, 1440, 100, 56.25, 3, 70, 0, none}
                                          << Figures{{"ground near", -0.42829882118278173},
                                                     {"blind zone", 0},
                                                     {"ground far", 3.3464910354124253}};
    QTest::addRow("level camera, face at lens height")
            << Mount{1920, 1080, 60, 0, 1.6, 0, 1.6, none}
            << Figures{{"target near", 0},
                       {"target far", infinity},
                       {"identify", 6.65107510106449}};
    QTest::addRow("target above the lens, looking up")
            << Mount{1920, 1080, 60, 0, 3, -10, 5, none}
            << Figures{{"target near", 3.762767984531173},
                       {"target far", infinity},
                       {"target near density", 410.26647716651416},
                       {"identify", 6.401024693854624}};
    // Level, the bottom edge 45 deg down: the ground from 2 / tan 45 deg = 2 m,
    // and 250 px/m out to 1000 / (2 * 250 * tan 45 deg) = 2 m, so identify
    // holds exactly at the near edge, from 2 to 2. In doubles both are
    // 2.0000000000000004, for tan 45 deg rounds to 0.9999999999999999.
    QTest::addRow("a level met exactly at the near edge")
            << Mount{1000, 1000, 90, 90, 2, 0, 0, none}
            << Figures{{"target near", 2.0000000000000004},
                       {"identify", 2.0000000000000004},
                       {"recognize", 4.000000000000001},
                       {"inspect", none}};
    QTest::addRow("looking up: the ground never in view")
            << Mount{1920, 1080, 60, 0, 4, -30, 0, none}
            << Figures{{"ground near", none}, {"blind zone", none}, {"target near", none}};
}

void MountingTest::figures()
{
    QFETCH(Mount, mount);
    QFETCH(Figures, figures);
    const ViewAngles view = viewFromFov(mount.width, mount.height, mount.hfov,
                                        mount.vfov > 0 ? std::optional(mount.vfov) : std::nullopt);
    const auto distance = std::isnan(mount.distance) ? std::nullopt : std::optional(mount.distance);
    const MountSurvey survey
            = surveyMount({view, mount.lensHeight, mount.tilt}, mount.targetHeight, distance);
    // Within four units in the last place: the model and the core round their
    // steps apart, and QCOMPARE's relative 1e-12 would let a slip of a
    // thousand units pass.
    for (const auto &[name, expected] : figures) {
        const auto known = figure(survey, name);
        QVERIFY2(known.has_value(), qPrintable("no figure is named " + name));
        const auto &actual = *known;
        QVERIFY2(actual.has_value() == !std::isnan(expected), qPrintable(name));
        if (actual)
            QVERIFY2(unitsApart(*actual, expected) <= 4,
                     qPrintable(QStringLiteral("%1: %2, not %3")
                                        .arg(name)
                                        .arg(*actual, 0, 'g', 17)
                                        .arg(expected, 0, 'g', 17)));
    }
}

QTEST_GUILESS_MAIN(MountingTest)
#include "tst_mounting.moc"
