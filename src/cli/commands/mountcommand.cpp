#include "mountcommand.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "pairs.h"
#include "picturefiles.h"
#include "picturemodule.h"

#include <QDir>

namespace {

const QString degree = QStringLiteral("\u00B0");
const QString metre = QStringLiteral("m");
const QString perMetre = QStringLiteral("px/m");

ResultSpec metres(const char *key, const char *label)
{
    return {QString::fromLatin1(key), QString::fromLatin1(label), 2, metre};
}

ResultSpec degrees(const char *key, const char *label)
{
    return {QString::fromLatin1(key), QString::fromLatin1(label), 4, degree};
}

ResultSpec density(const char *key, const char *label)
{
    return {QString::fromLatin1(key), QString::fromLatin1(label), 1, perMetre};
}

InputSpec metresInput(const char *name, const char *description, Need need = Need::optional,
                      std::optional<QString> defaultValue = {})
{
    return {QString::fromLatin1(name), metre, QString::fromLatin1(description), need,
            std::move(defaultValue)};
}

InputSpec plotInput()
{
    InputSpec plot{QStringLiteral("plot"), QStringLiteral("FILE"),
                   QStringLiteral("Also draw the side and top views as SVG into FILE; in a "
                                  "batch FILE is a folder, with one picture per record.")};
    plot.fromColumns = false;
    return plot;
}

void setIfAny(Results &results, ResultId result, std::optional<double> value)
{
    if (value)
        results.set(result, *value);
}

} // namespace

MountCommand::MountCommand()
    : PlannedCommand(
            QStringLiteral("mount"),
            QStringLiteral("A camera on a pole: blind zone, coverage, and how far each level "
                           "holds."),
            QStringLiteral(
                    "An ideal pinhole camera over flat ground, without roll, its lens --height\n"
                    "metres up and tilted down by --tilt degrees, or aimed so that the top of\n"
                    "the view passes through the target's height at --aim metres. Distances\n"
                    "are ground distances from the foot of the pole; densities are taken at\n"
                    "the depth along the optical axis. Double precision throughout."))
    , m_resolution(addInput({QStringLiteral("resolution"), QStringLiteral("WxH"),
                             QStringLiteral("Image size in pixels, as 1920x1080; the height "
                                            "counts here."),
                             Need::required}))
    , m_hfov(addInput(horizontalFovInput(Need::optional)))
    , m_vfov(addInput({QStringLiteral("vfov"), QStringLiteral("degrees"),
                       QStringLiteral("Vertical field of view in degrees; square pixels "
                                      "without it.")}))
    , m_pixelSize(addInput(pixelSizeInput(Need::optional)))
    , m_focalLength(addInput(focalLengthInput(Need::optional)))
    , m_height(addInput(
              metresInput("height", "Height of the lens above the ground.", Need::required)))
    , m_tilt(addInput({QStringLiteral("tilt"), QStringLiteral("degrees"),
                       QStringLiteral("Tilt below the horizontal, between -90 and 90; negative "
                                      "looks up.")}))
    , m_aim(addInput(metresInput("aim",
                                 "Tilt so that the top of the view meets the target's "
                                 "height at this ground distance.")))
    , m_targetHeight(addInput(metresInput("target-height",
                                          "Height of the target, 0 for the ground (default 1.6, "
                                          "a face).",
                                          Need::optional, QStringLiteral("1.6"))))
    , m_distance(addInput(metresInput("distance", "Also what holds at this ground distance.")))
    , m_plot(addInput(plotInput()))
    , m_camera(cameraWays(m_hfov, m_pixelSize, m_focalLength))
    , m_pointing({{m_tilt},
                  {m_aim},
                  QStringLiteral("give --tilt or --aim"),
                  QStringLiteral("--tilt and --aim exclude each other"),
                  {}})
    , m_hfovDegrees(addResult(degrees("hfov_deg", "Horizontal FOV")))
    , m_vfovDegrees(addResult(degrees("vfov_deg", "Vertical FOV")))
    , m_tiltDegrees(addResult(degrees("tilt_deg", "Tilt")))
    , m_blindZone(addResult(metres("blind_zone_m", "Blind zone")))
    , m_groundNear(addResult(metres("ground_near_m", "Ground from")))
    , m_groundFar(addResult(metres("ground_far_m", "Ground to")))
    , m_groundNearWidth(addResult(metres("ground_near_width_m", "Ground width, near")))
    , m_groundFarWidth(addResult(metres("ground_far_width_m", "Ground width, far")))
    , m_targetNear(addResult(metres("target_near_m", "Target from")))
    , m_targetFar(addResult(metres("target_far_m", "Target to")))
    , m_targetNearDensity(addResult(density("target_near_px_per_m", "Density, target near")))
    , m_targetFarDensity(addResult(density("target_far_px_per_m", "Density, target far")))
    , m_levelReach(addLevelResults())
    , m_slant(addResult(metres("slant_m", "Slant range")))
    , m_depression(addResult(degrees("depression_deg", "Depression")))
    , m_groundWidth(addResult(metres("ground_width_m", "Ground width")))
    , m_targetWidth(addResult(metres("target_width_m", "Target width")))
    , m_density(addResult(density("px_per_m", "Density")))
    , m_verticalDensity(addResult(density("vertical_px_per_m", "Vertical density")))
{
}

std::vector<ResultId> MountCommand::addLevelResults()
{
    std::vector<ResultId> reaches;
    for (const DensityLevel &level : densityLevels)
        reaches.push_back(addResult({QString::fromLatin1(level.name) + QStringLiteral("_to_m"),
                                     densityLevelLabel(level) + QStringLiteral(" to"), 2, metre}));
    return reaches;
}

std::variant<UsageError, MountPlan> MountCommand::prepare(const GivenInputs &given) const
{
    const auto camera = chooseWay(given, m_camera);
    if (const auto *error = std::get_if<UsageError>(&camera))
        return *error;
    if (given.given(m_vfov) && !given.given(m_hfov))
        return UsageError{QStringLiteral("--vfov goes with --hfov")};
    const auto pointing = chooseWay(given, m_pointing);
    if (const auto *error = std::get_if<UsageError>(&pointing))
        return *error;
    MountPlan plan{std::get<Way>(camera), std::get<Way>(pointing), given.commandLine[m_plot],
                   given.batch};
    if (plan.plot && plan.plot->isEmpty())
        return UsageError{QStringLiteral("--plot needs a file name")};
    return plan;
}

std::optional<QString> MountCommand::refusesOutput(const MountPlan &plan) const
{
    if (!plan.plot)
        return std::nullopt;
    if (const auto refusal
        = plan.batch ? refusesPictureFolder(*plan.plot) : refusesPictureFile(*plan.plot))
        return refusal;
    return pictureModuleProblem();
}

std::variant<QString, MountSurvey> MountCommand::survey(const MountPlan &plan,
                                                        const InputValues &values) const
{
    const auto byLens = takesSecondWay(plan.camera, values, m_camera);
    if (const auto *problem = std::get_if<QString>(&byLens))
        return *problem;
    const auto aimed = takesSecondWay(plan.pointing, values, m_pointing);
    if (const auto *problem = std::get_if<QString>(&aimed))
        return *problem;
    FieldParser parse;
    const auto [width, height] = parse.resolution(values.field(m_resolution));
    std::optional<ViewAngles> view;
    if (std::get<bool>(byLens)) {
        const double pixelSize = parse.positive(Field::pixelSize, values.field(m_pixelSize));
        const double focalLength = parse.positive(Field::focalLength, values.field(m_focalLength));
        view = viewFromLens(width, height, pixelSize, focalLength);
    } else {
        const double horizontal = parse.fieldOfView(values.field(m_hfov), Field::horizontalFov);
        const auto vertical = values.given(m_vfov)
                ? std::optional<double>(parse.fieldOfView(values.field(m_vfov), Field::verticalFov))
                : std::nullopt;
        view = viewFromFov(width, height, horizontal, vertical);
    }
    const double lensHeight = parse.positive(Field::height, values.field(m_height));
    const double targetHeight
            = parse.nonNegative(Field::targetHeight, values.field(m_targetHeight));
    const auto distance = values.given(m_distance)
            ? std::optional<double>(parse.nonNegative(Field::distance, values.field(m_distance)))
            : std::nullopt;
    double tilt = 0.0;
    if (std::get<bool>(aimed)) {
        const double aim = parse.nonNegative(Field::aim, values.field(m_aim));
        tilt = tiltToAim(*view, lensHeight - targetHeight, aim);
        if (!parse.error() && !(tilt >= -90.0 && tilt <= 90.0))
            parse.fail(fieldError(Field::aim, *values[m_aim],
                                  QStringLiteral("needs a tilt of %1 degrees, not between -90 "
                                                 "and 90")
                                          .arg(tilt, 0, 'f', 4)));
    } else {
        tilt = parse.between(Field::tilt, values.field(m_tilt), -90.0, 90.0,
                             QStringLiteral("degrees"));
    }
    if (parse.error())
        return *parse.error();
    return surveyMount({*view, lensHeight, tilt}, targetHeight, distance);
}

std::optional<QString> MountCommand::calculate(const MountPlan &plan, const InputValues &values,
                                               Results &results, MountSurvey &product) const
{
    const auto surveyed = survey(plan, values);
    if (const auto *problem = std::get_if<QString>(&surveyed))
        return *problem;
    const MountSurvey &mount = product = std::get<MountSurvey>(surveyed);
    const MountedCamera &camera = mount.camera;
    results.set(m_hfovDegrees, camera.view.horizontalFovDegrees);
    results.set(m_vfovDegrees, camera.view.verticalFovDegrees);
    results.set(m_tiltDegrees, camera.tiltDegrees);
    setIfAny(results, m_blindZone, mount.blindZone);
    if (mount.ground) {
        results.set(m_groundNear, mount.ground->near);
        results.set(m_groundFar, mount.ground->far);
        results.set(m_groundNearWidth, mount.groundWidth->near);
        results.set(m_groundFarWidth, mount.groundWidth->far);
    }
    const double drop = camera.height - mount.targetHeight;
    if (mount.target) {
        results.set(m_targetNear, mount.target->near);
        results.set(m_targetFar, mount.target->far);
        results.set(m_targetNearDensity, mount.targetDensity->near);
        results.set(m_targetFarDensity, mount.targetDensity->far);
    }
    for (std::size_t level = 0; level < densityLevels.size(); ++level)
        setIfAny(results, m_levelReach[level], mount.levelReach[level]);
    if (const auto &at = mount.at) {
        results.set(m_slant, at->slant);
        results.set(m_depression, at->depressionDegrees);
        setIfAny(results, m_groundWidth, at->groundWidth);
        setIfAny(results, m_targetWidth, at->targetWidth);
        setIfAny(results, m_density, at->horizontalDensity);
        setIfAny(results, m_verticalDensity, at->verticalDensity);
    }
    // Infinity answers only where the view reaches the horizon, and as the
    // density where the depth is 0; anywhere else it is an overflow.
    std::vector<ResultId> infinite;
    if (mount.ground && mount.ground->toHorizon)
        infinite.insert(infinite.end(), {m_groundFar, m_groundFarWidth});
    if (mount.target && mount.target->toHorizon)
        infinite.push_back(m_targetFar);
    const auto atDepthZero = [&](double distance) { return depth(camera, distance, drop) == 0.0; };
    if (mount.target) {
        if (atDepthZero(mount.target->near))
            infinite.push_back(m_targetNearDensity);
        if (atDepthZero(mount.target->far))
            infinite.push_back(m_targetFarDensity);
    }
    if (mount.at && atDepthZero(mount.at->distance))
        infinite.insert(infinite.end(), {m_density, m_verticalDensity});
    return nonFiniteResult(results, values, infinite);
}

std::optional<PublishFailure> MountCommand::publish(const MountPlan &plan,
                                                    const MountSurvey &survey,
                                                    const QString &recordName) const
{
    QString path = *plan.plot;
    if (plan.batch) {
        if (const auto problem = makeFolder(path))
            return PublishFailure{*problem};
        path = QDir(path).filePath(recordName + QStringLiteral(".svg"));
        if (const auto problem = unnameablePicture(path))
            return PublishFailure{*problem, PublishFailure::recordOnly};
        if (const auto refusal = refusesPictureFile(path))
            return PublishFailure{*refusal};
    }
    if (const auto problem = drawMountPicture(survey, path))
        return PublishFailure{*problem};
    return std::nullopt;
}
