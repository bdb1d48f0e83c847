#include "mountfigures.h"

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

// Each level's reach, after where it starts for a level with a steepest
// angle.
std::vector<ResultId> levelResults(const MountFigures::AddResult &add,
                                   const std::vector<NamedLevel> &levels,
                                   std::vector<std::optional<ResultId>> &starts)
{
    std::vector<ResultId> reaches;
    for (const NamedLevel &level : levels) {
        const QString label = levelLabel(level.name, level.pixelsPerMetre);
        starts.push_back(level.maxAngleDegrees ? std::optional<ResultId>(
                                 add({level.name + QStringLiteral("_from_m"),
                                      label + QStringLiteral(" from"), 2, metre}))
                                               : std::nullopt);
        reaches.push_back(add(
                {level.name + QStringLiteral("_to_m"), label + QStringLiteral(" to"), 2, metre}));
    }
    return reaches;
}

AtDistanceResults atDistanceResults(const MountFigures::AddResult &add)
{
    const ResultId slant = add(metres("slant_m", "Slant range"));
    const ResultId depression = add(degrees("depression_deg", "Depression"));
    const ResultId groundWidth = add(metres("ground_width_m", "Ground width"));
    const ResultId targetWidth = add(metres("target_width_m", "Target width"));
    const ResultId perMetre = add(density("px_per_m", "Density"));
    const ResultId vertical = add(density("vertical_px_per_m", "Vertical density"));
    return {slant, depression, groundWidth, targetWidth, perMetre, vertical};
}

void setIfAny(Results &results, ResultId result, std::optional<double> value)
{
    if (value)
        results.set(result, *value);
}

} // namespace

MountFigures::MountFigures(const AddResult &add, const std::vector<NamedLevel> &levels)
    : m_hfovDegrees(add(degrees("hfov_deg", "Horizontal FOV")))
    , m_vfovDegrees(add(degrees("vfov_deg", "Vertical FOV")))
    , m_tiltDegrees(add(degrees("tilt_deg", "Tilt")))
    , m_blindZone(add(metres("blind_zone_m", "Blind zone")))
    , m_groundNear(add(metres("ground_near_m", "Ground from")))
    , m_groundFar(add(metres("ground_far_m", "Ground to")))
    , m_groundNearWidth(add(metres("ground_near_width_m", "Ground width, near")))
    , m_groundFarWidth(add(metres("ground_far_width_m", "Ground width, far")))
    , m_targetNear(add(metres("target_near_m", "Target from")))
    , m_targetFar(add(metres("target_far_m", "Target to")))
    , m_targetNearDensity(add(density("target_near_px_per_m", "Density, target near")))
    , m_targetFarDensity(add(density("target_far_px_per_m", "Density, target far")))
    , m_levelReach(levelResults(add, levels, m_levelFrom))
    , m_atDistance(atDistanceResults(add))
{
}

void MountFigures::set(const MountSurvey &mount, Results &results) const
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
    for (std::size_t level = 0; level < m_levelReach.size(); ++level) {
        setIfAny(results, m_levelReach[level], mount.levelReach[level]);
        if (m_levelFrom[level])
            setIfAny(results, *m_levelFrom[level], mount.levelFrom[level]);
    }
    if (const auto &at = mount.at) {
        results.set(m_atDistance.slant, at->slant);
        results.set(m_atDistance.depression, at->depressionDegrees);
        setIfAny(results, m_atDistance.groundWidth, at->groundWidth);
        setIfAny(results, m_atDistance.targetWidth, at->targetWidth);
        setIfAny(results, m_atDistance.density, at->horizontalDensity);
        setIfAny(results, m_atDistance.verticalDensity, at->verticalDensity);
    }
}

std::vector<ResultId> MountFigures::infiniteAnswers(const MountSurvey &mount) const
{
    const MountedCamera &camera = mount.camera;
    const double drop = camera.height - mount.targetHeight;
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
        infinite.insert(infinite.end(), {m_atDistance.density, m_atDistance.verticalDensity});
    return infinite;
}

MountFigureTable::MountFigureTable(std::vector<NamedLevel> levelList)
    : levels(std::move(levelList))
    , figures([this](ResultSpec result) { return table.add(std::move(result)); }, levels)
{
}
