#pragma once

#include "inputerror.h"
#include "resolution.h"

#include <QString>

#include <variant>

// Angles of view of an ideal pinhole camera. Half the sensor extent (half the
// pixel count times the pixel size) over the focal length is the tangent of
// half the angle. Pixel sizes are in micrometres, focal lengths in
// millimetres, angles in degrees.
//
// The inputs and the stored angles are single precision and the horizontal
// and vertical pixel counts are halved as integers (1081 counts as 1080),
// while the diagonal takes the exact half of its length. Users compare these
// read-outs digit for digit with figures they already have, so none of this
// is to be "improved"; everything in between is double precision.

struct AnglesOfView
{
    float horizontal;
    float vertical;
    float diagonal;
};

// The FOV page's inputs as the user left them.
struct FieldOfViewInput
{
    Resolution selected; // a preset, or the custom-resolution mark
    QString customWidth;
    QString customHeight;
    QString focalLength;
    QString pixelSize;
};

AnglesOfView anglesOfView(Resolution sensor, float focalLengthMm, float pixelSizeUm);

// Parses in the fixed order width, height (only for the custom mark), focal
// length, pixel size, and stops at the first field that does not parse.
std::variant<InputError, AnglesOfView> calculateFieldOfView(const FieldOfViewInput &input);

// Four decimals and the degree sign; infinities and NaN show as Qt prints them.
QString formatAngle(float degrees);
