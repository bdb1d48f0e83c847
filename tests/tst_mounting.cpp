#include "mounting.h"

#include <QTest>

#include <cmath>
#include <limits>

// A camera on a pole against figures worked out independently in double
// precision: the worked examples of the model to their last digit, and the
// corner cases of where a plane is in view.
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

std::optional<double> figure(const MountSurvey &survey, const QString &name)
{
    const auto near = [](const std::optional<Span> &span) {
        return span ? std::optional<double>(span->near) : std::nullopt;
    };
    const auto far = [](const std::optional<Span> &span) {
        return span ? std::optional<double>(span->far) : std::nullopt;
    };
    const double drop = survey.camera.height - survey.targetHeight;
    const auto at = [&](double value) { return survey.at ? std::optional(value) : std::nullopt; };
    if (name == "vfov")
        return survey.camera.view.verticalFovDegrees;
    if (name == "blind zone")
        return survey.blindZone;
    if (name == "ground near")
        return near(survey.ground);
    if (name == "ground far")
        return far(survey.ground);
    if (name == "ground near width")
        return widthAcross(survey.camera, survey.ground->near, survey.camera.height);
    if (name == "target near")
        return near(survey.target);
    if (name == "target far")
        return far(survey.target);
    if (name == "target near density")
        return horizontalDensity(survey.camera, survey.target->near, drop);
    if (name == "target far density")
        return horizontalDensity(survey.camera, survey.target->far, drop);
    if (name == "slant")
        return at(survey.at->slant);
    if (name == "depression")
        return at(survey.at->depressionDegrees);
    if (name == "ground width")
        return survey.at->groundWidth;
    if (name == "target width")
        return survey.at->targetWidth;
    if (name == "density")
        return survey.at->horizontalDensity;
    if (name == "vertical density")
        return survey.at->verticalDensity;
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
    for (const auto &[name, expected] : figures) {
        const auto actual = figure(survey, name);
        QVERIFY2(actual.has_value() == !std::isnan(expected), qPrintable(name));
        if (actual)
            QCOMPARE(*actual, expected);
    }
}

QTEST_GUILESS_MAIN(MountingTest)
#include "tst_mounting.moc"
