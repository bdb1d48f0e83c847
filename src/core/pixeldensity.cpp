#include "pixeldensity.h"

#include "angles.h"

#include <cmath>

namespace {

constexpr double micrometresToMillimetres = 0.001;

double halfAngleRadians(double fullAngleDegrees)
{
    return fullAngleDegrees * pi / 360.0;
}

double sensorWidthMm(double horizontalPixels, double pixelSizeUm)
{
    return horizontalPixels * pixelSizeUm * micrometresToMillimetres;
}

} // namespace

QString densityLevelLabel(const DensityLevel &level)
{
    return levelLabel(QString::fromLatin1(level.name), level.pixelsPerMetre);
}

std::vector<NamedLevel> standardLevels()
{
    return editionLevels(levelEditions.front());
}

std::vector<NamedLevel> editionLevels(const LevelEdition &edition)
{
    std::vector<NamedLevel> levels;
    for (std::size_t index = 0; index < edition.count; ++index)
        levels.push_back({QString::fromLatin1(edition.levels[index].name),
                          edition.levels[index].pixelsPerMetre});
    return levels;
}

QString levelLabel(const QString &name, double pixelsPerMetre)
{
    return QStringLiteral("%1%2 (%3 px/m)")
            .arg(name.left(1).toUpper(), name.mid(1))
            .arg(pixelsPerMetre);
}

CameraGeometry cameraFromFov(double horizontalPixels, double horizontalFovDegrees)
{
    return {horizontalPixels, std::tan(halfAngleRadians(horizontalFovDegrees))};
}

CameraGeometry cameraFromLens(double horizontalPixels, double pixelSizeUm, double focalLengthMm)
{
    return {horizontalPixels, sensorWidthMm(horizontalPixels, pixelSizeUm) / (2.0 * focalLengthMm)};
}

double sceneWidth(CameraGeometry camera, double distance)
{
    return 2.0 * distance * camera.halfFovTangent;
}

double pixelsPerMetre(CameraGeometry camera, double distance)
{
    return camera.horizontalPixels / sceneWidth(camera, distance);
}

double farthestDistance(CameraGeometry camera, double pixelsPerMetre)
{
    return camera.horizontalPixels / (2.0 * pixelsPerMetre * camera.halfFovTangent);
}

double focalLengthForDensity(double pixelSizeUm, double pixelsPerMetre, double distance)
{
    return pixelSizeUm * micrometresToMillimetres * pixelsPerMetre * distance;
}

double focalLengthForFov(double horizontalPixels, double pixelSizeUm, double horizontalFovDegrees)
{
    return sensorWidthMm(horizontalPixels, pixelSizeUm)
            / (2.0 * std::tan(halfAngleRadians(horizontalFovDegrees)));
}

double horizontalFov(double horizontalPixels, double pixelSizeUm, double focalLengthMm)
{
    return std::atan(sensorWidthMm(horizontalPixels, pixelSizeUm) / (2.0 * focalLengthMm)) * 360.0
            / pi;
}
