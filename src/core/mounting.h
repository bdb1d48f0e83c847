#pragma once

#include "pixeldensity.h"

#include <array>
#include <optional>

// A camera on a pole over flat ground: an ideal pinhole camera without roll,
// its lens `height` metres up and tilted down by `tiltDegrees` (a negative
// tilt looks up). A horizontal plane `drop` metres below the lens is the
// ground when drop is the height, and a target's plane (a face at 1.6 m, say)
// when drop is the height less the target's. Distances are signed ground
// distances from the foot of the pole, negative behind it.
//
// What sets the scale at a point is its depth along the optical axis, not
// its ground distance nor its slant range. Double precision throughout; the
// image edges are compared with the horizon and the vertical in degrees, so
// that an edge exactly on either is exact.

// The angles of view and their tangents. Without a vertical angle the
// pixels are square: tan(vfov / 2) = V tan(hfov / 2) / W.
struct ViewAngles
{
    CameraGeometry horizontal; // pixels across and tan(hfov / 2)
    double verticalPixels;
    double verticalHalfTangent; // tan(vfov / 2)
    double horizontalFovDegrees;
    double verticalFovDegrees;
};

struct MountedCamera
{
    ViewAngles view;
    double height;
    double tiltDegrees;
};

ViewAngles viewFromFov(double widthPixels, double heightPixels, double horizontalFovDegrees,
                       std::optional<double> verticalFovDegrees);
ViewAngles viewFromLens(double widthPixels, double heightPixels, double pixelSizeUm,
                        double focalLengthMm);

// The tilt that puts the top edge of the view through the point `drop`
// below the lens at the ground distance given.
double tiltToAim(const ViewAngles &view, double drop, double distance);

// Where a plane is in view: from near to far, far being infinity when the
// view reaches the horizon.
struct Span
{
    double near;
    double far;
    // Whether far is infinite because the view reaches the horizon, rather
    // than because the figures overflowed.
    bool toHorizon = false;

    bool contains(double distance) const { return distance >= near && distance <= far; }
};

// A ray leaving the lens at depression a (below the horizontal) meets the
// plane `drop` below it at ground distance drop cot a, if it points towards
// that plane: downwards (a > 0) for a plane below, upwards for one above.
// The image spans depressions from top = tilt - vfov / 2 to bottom = tilt +
// vfov / 2, so a plane below is in view from drop cot bottom to drop cot top
// when bottom > 0, and to the horizon when top <= 0; a plane above mirrors
// that with the edges' roles swapped; the plane through the lens is seen
// edge-on, from 0 to the horizon, only when the horizon is in the image.
std::optional<Span> planeInView(const MountedCamera &camera, double drop);

double depth(const MountedCamera &camera, double distance, double drop);
// The width of the view across, at a ground distance on a plane.
double widthAcross(const MountedCamera &camera, double distance, double drop);
// Horizontal pixels per metre; infinity at depth 0, 0 at the horizon.
double horizontalDensity(const MountedCamera &camera, double distance, double drop);
// Vertical pixels per metre on an upright target; infinity at depth 0, 0 at
// the horizon. A point of an upright target at ground distance D, a drop d
// below the lens, shows at tangent (d cos t - D sin t) / z below the image
// centre, with the depth z = D cos t + d sin t; along the upright that
// changes by D / z^2 per metre, and the image has V / (2 tan(vfov / 2))
// pixels per unit of tangent.
double verticalDensity(const MountedCamera &camera, double distance, double drop);
double slantRange(double distance, double drop);
double depressionDegrees(double distance, double drop);

// The circle's radius for a steepest angle: the line from the lens to the
// plane `drop` below it leaves the horizontal at atan(drop / r) at ground
// distance r, so it is at most `degrees` steep from drop / tan(degrees)
// out. None where the plane is not below the lens.
std::optional<double> steepestRadius(double drop, double degrees);

// The farthest ground distance at which a target in `inView` has the given
// density, or nothing when it does not have it even at its near edge.
std::optional<double> levelReach(const MountedCamera &camera, const Span &inView, double drop,
                                 double pixelsPerMetre);

// What a camera on a pole covers, as the command reports it and its picture
// draws it.
struct MountSurvey
{
    MountedCamera camera;
    double targetHeight;
    // The two edges of a span: near and far.
    struct Edges
    {
        double near;
        double far;
    };

    std::optional<Span> ground;
    std::optional<Edges> groundWidth; // of the view across, at the ground's edges
    std::optional<double> blindZone; // 0 when the view reaches behind the pole
    std::optional<Span> target;
    std::optional<Edges> targetDensity; // horizontal pixels per metre at its edges
    // Loosest first: the standard's, or a run's own, which outlive it.
    const std::vector<NamedLevel> *levels;
    // Of each level, from target.near, or from where its steepest angle
    // lets it start (levelFrom, where it has one); without an allocation
    // per survey. A level whose circle takes all of its reach has neither.
    std::array<std::optional<double>, mostLevels> levelReach;
    std::array<std::optional<double>, mostLevels> levelFrom;

    struct AtDistance
    {
        double distance;
        double slant; // to the target's height
        double depressionDegrees;
        // Only where that plane is in view:
        std::optional<double> groundWidth;
        std::optional<double> targetWidth;
        std::optional<double> horizontalDensity;
        std::optional<double> verticalDensity;
    };
    std::optional<AtDistance> at;
};

// The standard's levels, made once.
const std::vector<NamedLevel> &standardLevelList();

MountSurvey surveyMount(const MountedCamera &camera, double targetHeight,
                        std::optional<double> distance,
                        const std::vector<NamedLevel> &levels = standardLevelList());
