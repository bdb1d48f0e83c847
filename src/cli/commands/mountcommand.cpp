#include "mountcommand.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "pairs.h"
#include "picturefiles.h"
#include "picturemodule.h"
#include "sitelevels.h"

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

InputSpec plotInput()
{
    return commandLineOnly({QStringLiteral("plot"), QStringLiteral("FILE"),
                            QStringLiteral("Also draw the side and top views as SVG into FILE; "
                                           "in a batch FILE is a folder, with one picture per "
                                           "record.")});
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
    , m_mount([this](InputSpec input) { return addInput(std::move(input)); })
    , m_distance(addInput(metresInput("distance", "Also what holds at this ground distance.")))
    , m_plot(addInput(plotInput()))
    , m_levels(addInput(levelsInput()))
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
    , m_standardLevels(standardLevels())
    , m_resultsBeforeLevels(resultTable().specs().size())
    , m_levelReach(addLevelResults())
    , m_atDistance(addAtDistanceResults(declared()))
{
}

MountCommand::AddResult MountCommand::declared()
{
    return [this](ResultSpec result) { return addResult(std::move(result)); };
}

MountCommand::AddResult MountCommand::into(ResultTable &table)
{
    return [&table](ResultSpec result) { return table.add(std::move(result)); };
}

ResultId MountCommand::addLevelResult(const AddResult &add, const NamedLevel &level)
{
    return add({level.name + QStringLiteral("_to_m"),
                levelLabel(level.name, level.pixelsPerMetre) + QStringLiteral(" to"), 2, metre});
}

AtDistanceResults MountCommand::addAtDistanceResults(const AddResult &add)
{
    const ResultId slant = add(metres("slant_m", "Slant range"));
    const ResultId depression = add(degrees("depression_deg", "Depression"));
    const ResultId groundWidth = add(metres("ground_width_m", "Ground width"));
    const ResultId targetWidth = add(metres("target_width_m", "Target width"));
    const ResultId perMetre = add(density("px_per_m", "Density"));
    const ResultId vertical = add(density("vertical_px_per_m", "Vertical density"));
    return {slant, depression, groundWidth, targetWidth, perMetre, vertical};
}

std::vector<ResultId> MountCommand::addLevelResults()
{
    std::vector<ResultId> reaches;
    for (const NamedLevel &level : standardLevels())
        reaches.push_back(addLevelResult(declared(), level));
    return reaches;
}

std::variant<UsageError, MountPlan> MountCommand::prepare(const GivenInputs &given) const
{
    const auto ways = m_mount.prepare(given);
    if (const auto *error = std::get_if<UsageError>(&ways))
        return *error;
    MountPlan plan{std::get<MountInputs::Ways>(ways), given.commandLine[m_plot], given.batch, {}};
    if (plan.plot && plan.plot->isEmpty())
        return UsageError{QStringLiteral("--plot needs a file name")};
    if (const auto text = given.commandLine[m_levels]) {
        auto parsed = parseLevels(*text);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return UsageError{*problem};
        plan.own = ownLevels(std::get<std::vector<SiteLevel>>(parsed));
    }
    return plan;
}

// The same results before and after the levels, which take the standard's
// place.
MountPlan::OwnLevels MountCommand::ownLevels(const std::vector<NamedLevel> &levels) const
{
    ResultTable table;
    const QVector<ResultSpec> &specs = resultTable().specs();
    for (int column = 0; column < m_resultsBeforeLevels; ++column)
        table.add(specs.at(column));
    std::vector<ResultId> reach;
    for (const NamedLevel &level : levels)
        reach.push_back(addLevelResult(into(table), level));
    const AtDistanceResults atDistance = addAtDistanceResults(into(table));
    return MountPlan::OwnLevels{std::move(table), levels, std::move(reach), atDistance};
}

MountPlan MountCommand::planFor(const std::optional<std::vector<NamedLevel>> &levels) const
{
    MountPlan plan{{}, std::nullopt, false, std::nullopt};
    if (levels)
        plan.own = ownLevels(*levels);
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
    FieldParser parse;
    MountInputs::Unpointed unpointed{};
    if (const auto problem = m_mount.readCamera(plan.ways, values, parse, unpointed))
        return *problem;
    const auto distance = values.given(m_distance)
            ? std::optional<double>(parse.nonNegative(Field::distance, values.field(m_distance)))
            : std::nullopt;
    const MountedCamera camera = m_mount.point(unpointed, values, parse);
    if (parse.error())
        return *parse.error();
    return surveyMount(camera, unpointed.targetHeight, distance,
                       plan.own ? plan.own->levels : m_standardLevels);
}

std::optional<QString> MountCommand::calculate(const MountPlan &plan, const InputValues &values,
                                               Results &results, MountSurvey &product) const
{
    const auto surveyed = survey(plan, values);
    if (const auto *problem = std::get_if<QString>(&surveyed))
        return *problem;
    const MountSurvey &mount = product = std::get<MountSurvey>(surveyed);
    setResults(plan, mount, results);
    const MountedCamera &camera = mount.camera;
    const double drop = camera.height - mount.targetHeight;
    const AtDistanceResults &atDistance = plan.own ? plan.own->atDistance : m_atDistance;
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
        infinite.insert(infinite.end(), {atDistance.density, atDistance.verticalDensity});
    return nonFiniteResult(results, values, infinite);
}

void MountCommand::setResults(const MountPlan &plan, const MountSurvey &mount,
                              Results &results) const
{
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
    if (mount.target) {
        results.set(m_targetNear, mount.target->near);
        results.set(m_targetFar, mount.target->far);
        results.set(m_targetNearDensity, mount.targetDensity->near);
        results.set(m_targetFarDensity, mount.targetDensity->far);
    }
    const std::vector<ResultId> &reach = plan.own ? plan.own->reach : m_levelReach;
    for (std::size_t level = 0; level < reach.size(); ++level)
        setIfAny(results, reach[level], mount.levelReach[level]);
    const AtDistanceResults &atDistance = plan.own ? plan.own->atDistance : m_atDistance;
    if (const auto &at = mount.at) {
        results.set(atDistance.slant, at->slant);
        results.set(atDistance.depression, at->depressionDegrees);
        setIfAny(results, atDistance.groundWidth, at->groundWidth);
        setIfAny(results, atDistance.targetWidth, at->targetWidth);
        setIfAny(results, atDistance.density, at->horizontalDensity);
        setIfAny(results, atDistance.verticalDensity, at->verticalDensity);
    }
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
