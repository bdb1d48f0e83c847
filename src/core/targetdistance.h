#pragma once

#include "inputerror.h"

#include <QString>

#include <array>
#include <variant>

// Distances at which a target still spans a given number of pixels of a
// camera's horizontal resolution. At distance d a horizontal field of view
// hFov covers 2 d tan(hFov / 2) metres, so a target of size s spans
// hRes s / (2 d tan(hFov / 2)) pixels. The base distance is where the
// target's smaller side spans 250 pixels; 125, 62.5 and 25 pixels are
// reached at 2, 4 and 10 times that distance.
//
// hRes / 500 is formed in single precision like the parsed inputs, everything
// after it in double precision; the multiples come from the unrounded base.

struct TargetSize
{
    float x; // metres
    float y; // metres
};

// The Distance page's inputs as the user left them.
struct DistanceInput
{
    QString horizontalFov;
    QString horizontalResolution;
    QString personX;
    QString personY;
    QString carX;
    QString carY;
    QString boatX;
    QString boatY;
};

// Base distances in metres: 250 pixels across each target's smaller side.
struct BaseDistances
{
    double person;
    double car;
    double boat;
};

// Identify, recognize, observe and detect: 250, 125, 62.5 and 25 pixels.
constexpr std::array<double, 4> detailLevelMultipliers{1.0, 2.0, 4.0, 10.0};
// Their names, which IEC 62676-4's levels share as pixels per metre.
constexpr std::array<const char *, 4> detailLevelNames{"identify", "recognize", "observe",
                                                       "detect"};

double baseDistance(float horizontalFovDegrees, float horizontalResolution, TargetSize target);

// Parses the eight fields in their fixed order and stops at the first one
// that does not parse.
std::variant<InputError, BaseDistances> calculateDistances(const DistanceInput &input);

// Two decimals and "m"; infinities and NaN show as Qt prints them.
QString formatDistance(double metres);
