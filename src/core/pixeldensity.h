#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

// Pixel density in the sense of the video-surveillance standard IEC 62676-4:
// the camera's horizontal pixels over the width of the scene at the target,
// in pixels per metre. A camera with N pixels across and a horizontal field
// of view theta sees 2 d tan(theta / 2) metres at distance d, so its density
// there is N / (2 d tan(theta / 2)). The same tangent follows from the lens:
// tan(theta / 2) = N p / (2 f), with the pixel size p and the focal length f
// in the same unit.
//
// Unlike the window's two calculators, this is double precision throughout:
// nobody has figures of an older tool to match here.
//
// Distances are in metres, pixel sizes in micrometres, focal lengths in
// millimetres and angles in degrees.

struct DensityLevel
{
    const char *name;
    double pixelsPerMetre;
};

// The standard's levels, loosest first.
constexpr std::array<DensityLevel, 6> densityLevels{{
        {"monitor", 12.5},
        {"detect", 25.0},
        {"observe", 62.5},
        {"recognize", 125.0},
        {"identify", 250.0},
        {"inspect", 1000.0},
}};

// The levels of the standard's 2025 edition, loosest first, as the notice
// of its national adoption (DIN/VDE) gives their densities; their names in
// the same order come from a review of the standard, and a vendor's white
// paper agrees. The standard's own text was not at hand to check.
constexpr std::array<DensityLevel, 7> densityLevels2025{{
        {"overview", 20.0},
        {"outline", 40.0},
        {"discern", 80.0},
        {"perceive", 125.0},
        {"characterize", 250.0},
        {"validate", 500.0},
        {"scrutinize", 1500.0},
}};

// A set of levels by the standard's edition, as --levels names it.
struct LevelEdition
{
    const char *year;
    const DensityLevel *levels;
    std::size_t count;
};
constexpr std::array<LevelEdition, 2> levelEditions{{
        {"2014", densityLevels.data(), densityLevels.size()},
        {"2025", densityLevels2025.data(), densityLevels2025.size()},
}};

// A level by name, the standard's or the user's own.
struct NamedLevel
{
    QString name;
    double pixelsPerMetre;
    // A face must be seen from the front: the level counts only where the
    // line from the lens to the target is at most this steep below the
    // horizontal, in degrees, above 0 and below 90. None: at any angle.
    std::optional<double> maxAngleDegrees = std::nullopt;
};
// The standard's, loosest first: the 2014 edition's, or another's.
std::vector<NamedLevel> standardLevels();
std::vector<NamedLevel> editionLevels(const LevelEdition &edition);
// At most this many of one's own.
constexpr std::size_t mostLevels = 12;

// "Identify (250 px/m)": the name capitalised and the density, as every
// table and picture labels a level.
QString densityLevelLabel(const DensityLevel &level);
// The same of a level of one's own.
QString levelLabel(const QString &name, double pixelsPerMetre);

constexpr double metresPerFoot = 0.3048;

// What the density arithmetic needs of a camera: its pixels across and the
// tangent of half its horizontal field of view.
struct CameraGeometry
{
    double horizontalPixels;
    double halfFovTangent;
};

CameraGeometry cameraFromFov(double horizontalPixels, double horizontalFovDegrees);
CameraGeometry cameraFromLens(double horizontalPixels, double pixelSizeUm, double focalLengthMm);

double sceneWidth(CameraGeometry camera, double distance);
double pixelsPerMetre(CameraGeometry camera, double distance);
// The farthest distance at which the scene still has the given density.
double farthestDistance(CameraGeometry camera, double pixelsPerMetre);

// The focal length at which one pixel covers 1 / pixelsPerMetre metres at the
// given distance; it needs no resolution.
double focalLengthForDensity(double pixelSizeUm, double pixelsPerMetre, double distance);
double focalLengthForFov(double horizontalPixels, double pixelSizeUm, double horizontalFovDegrees);
double horizontalFov(double horizontalPixels, double pixelSizeUm, double focalLengthMm);
