#include "mounting.h"

#include "angles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

double radians(double degrees)
{
    return degrees * pi / 180.0;
}

double degrees(double radians)
{
    return radians * 180.0 / pi;
}

double fullAngleDegrees(double halfTangent)
{
    return 2.0 * degrees(std::atan(halfTangent));
}

// The cotangent, exactly 0 straight down or up.
double cotangent(double angleDegrees)
{
    return std::fabs(angleDegrees) == 90.0 ? 0.0 : 1.0 / std::tan(radians(angleDegrees));
}

// How far below the horizontal the top and bottom edges of the image point.
double topEdgeDegrees(const MountedCamera &camera)
{
    return camera.tiltDegrees - camera.view.verticalFovDegrees / 2.0;
}

double bottomEdgeDegrees(const MountedCamera &camera)
{
    return camera.tiltDegrees + camera.view.verticalFovDegrees / 2.0;
}

} // namespace

ViewAngles viewFromFov(double widthPixels, double heightPixels, double horizontalFovDegrees,
                       std::optional<double> verticalFovDegrees)
{
    const CameraGeometry horizontal = cameraFromFov(widthPixels, horizontalFovDegrees);
    const double verticalTangent = verticalFovDegrees
            ? std::tan(radians(*verticalFovDegrees / 2.0))
            : heightPixels * horizontal.halfFovTangent / widthPixels;
    return {horizontal, heightPixels, verticalTangent, horizontalFovDegrees,
            verticalFovDegrees ? *verticalFovDegrees : fullAngleDegrees(verticalTangent)};
}

ViewAngles viewFromLens(double widthPixels, double heightPixels, double pixelSizeUm,
                        double focalLengthMm)
{
    const CameraGeometry horizontal = cameraFromLens(widthPixels, pixelSizeUm, focalLengthMm);
    const double verticalTangent
            = cameraFromLens(heightPixels, pixelSizeUm, focalLengthMm).halfFovTangent;
    return {horizontal, heightPixels, verticalTangent, fullAngleDegrees(horizontal.halfFovTangent),
            fullAngleDegrees(verticalTangent)};
}

double tiltToAim(const ViewAngles &view, double drop, double distance)
{
    return view.verticalFovDegrees / 2.0 + depressionDegrees(distance, drop);
}

std::optional<Span> planeInView(const MountedCamera &camera, double drop)
{
    const double top = topEdgeDegrees(camera);
    const double bottom = bottomEdgeDegrees(camera);
    if (drop > 0.0) {
        if (bottom <= 0.0)
            return std::nullopt;
        if (top <= 0.0)
            return Span{drop * cotangent(bottom), infinity, true};
        return Span{drop * cotangent(bottom), drop * cotangent(top)};
    }
    if (drop < 0.0) {
        if (top >= 0.0)
            return std::nullopt;
        if (bottom >= 0.0)
            return Span{drop * cotangent(top), infinity, true};
        return Span{drop * cotangent(top), drop * cotangent(bottom)};
    }
    if (top <= 0.0 && bottom >= 0.0)
        return Span{0.0, infinity, true};
    return std::nullopt;
}

double depth(const MountedCamera &camera, double distance, double drop)
{
    const double tilt = radians(camera.tiltDegrees);
    return distance * std::cos(tilt) + drop * std::sin(tilt);
}

double widthAcross(const MountedCamera &camera, double distance, double drop)
{
    return sceneWidth(camera.view.horizontal, depth(camera, distance, drop));
}

double horizontalDensity(const MountedCamera &camera, double distance, double drop)
{
    const double z = depth(camera, distance, drop);
    return z == 0.0 ? infinity : pixelsPerMetre(camera.view.horizontal, z);
}

double verticalDensity(const MountedCamera &camera, double distance, double drop)
{
    if (std::isinf(distance))
        return 0.0;
    const double z = depth(camera, distance, drop);
    const double pixelsPerTangent
            = camera.view.verticalPixels / (2.0 * camera.view.verticalHalfTangent);
    return z == 0.0 ? infinity : pixelsPerTangent * std::fabs(distance) / (z * z);
}

double slantRange(double distance, double drop)
{
    return std::hypot(distance, drop);
}

double depressionDegrees(double distance, double drop)
{
    return degrees(std::atan2(drop, distance));
}

std::optional<double> levelReach(const MountedCamera &camera, const Span &inView, double drop,
                                 double pixelsPerMetre)
{
    const double tilt = radians(camera.tiltDegrees);
    const double reach
            = (farthestDistance(camera.view.horizontal, pixelsPerMetre) - drop * std::sin(tilt))
            / std::cos(tilt);
    if (reach < inView.near)
        return std::nullopt;
    return std::min(inView.far, reach);
}

const std::vector<NamedLevel> &standardLevelList()
{
    static const std::vector<NamedLevel> levels = standardLevels();
    return levels;
}

MountSurvey surveyMount(const MountedCamera &camera, double targetHeight,
                        std::optional<double> distance, const std::vector<NamedLevel> &levels)
{
    MountSurvey survey{camera,
                       targetHeight,
                       planeInView(camera, camera.height),
                       {},
                       {},
                       {},
                       {},
                       &levels,
                       {},
                       {},
                       {}};
    const double drop = camera.height - targetHeight;
    survey.target = planeInView(camera, drop);
    if (const auto &ground = survey.ground) {
        survey.groundWidth = {widthAcross(camera, ground->near, camera.height),
                              widthAcross(camera, ground->far, camera.height)};
        survey.blindZone = std::max(0.0, ground->near);
    }
    if (const auto &target = survey.target)
        survey.targetDensity = {horizontalDensity(camera, target->near, drop),
                                horizontalDensity(camera, target->far, drop)};
    for (std::size_t level = 0; survey.target && level < levels.size() && level < mostLevels;
         ++level) {
        auto &reach = survey.levelReach[level];
        reach = levelReach(camera, *survey.target, drop, levels[level].pixelsPerMetre);
        const auto &steepest = levels[level].maxAngleDegrees;
        const auto radius = steepest ? steepestRadius(drop, *steepest) : std::nullopt;
        if (!reach || !radius)
            continue;
        // Along the axis, where the figures are taken, the circle's radius
        // is the ground distance.
        if (*radius >= *reach)
            reach.reset();
        else
            survey.levelFrom[level] = std::max(survey.target->near, *radius);
    }
    if (distance) {
        MountSurvey::AtDistance at{*distance,
                                   slantRange(*distance, drop),
                                   depressionDegrees(*distance, drop),
                                   {},
                                   {},
                                   {},
                                   {}};
        if (survey.ground && survey.ground->contains(*distance))
            at.groundWidth = widthAcross(camera, *distance, camera.height);
        if (survey.target && survey.target->contains(*distance)) {
            at.targetWidth = widthAcross(camera, *distance, drop);
            at.horizontalDensity = horizontalDensity(camera, *distance, drop);
            at.verticalDensity = verticalDensity(camera, *distance, drop);
        }
        survey.at = at;
    }
    return survey;
}

std::optional<double> steepestRadius(double drop, double degrees)
{
    if (!(drop > 0.0))
        return std::nullopt;
    return drop / std::tan(degrees * pi / 180.0);
}
