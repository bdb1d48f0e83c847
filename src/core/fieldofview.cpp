#include "fieldofview.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double micrometresToMillimetres = 0.001;
constexpr double radiansToDegreesFactor = 57.29577951308232;

double radiansToDegrees(double radians)
{
    return radians * radiansToDegreesFactor;
}

float fullAngle(double halfExtentPixels, float focalLengthMm, float pixelSizeUm)
{
    const double tangent = halfExtentPixels * micrometresToMillimetres
            * static_cast<double>(pixelSizeUm) / static_cast<double>(focalLengthMm);
    return static_cast<float>(radiansToDegrees(std::atan(tangent)) * 2.0);
}

// x * x + y * y overflows 32 bits from 46,341 pixels a side. Each square fits
// in 63 bits and their sum in 64 unsigned bits even for two sides of INT_MIN;
// a sum that fits in 32 bits converts to the same double as before.
double squaredDiagonal(qint32 x, qint32 y)
{
    const auto square = [](qint32 side) {
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(side) * side);
    };
    return static_cast<double>(square(x) + square(y));
}

} // namespace

AnglesOfView anglesOfView(Resolution sensor, float focalLengthMm, float pixelSizeUm)
{
    return {fullAngle(sensor.x / 2, focalLengthMm, pixelSizeUm),
            fullAngle(sensor.y / 2, focalLengthMm, pixelSizeUm),
            fullAngle(std::sqrt(squaredDiagonal(sensor.x, sensor.y)) / 2.0, focalLengthMm,
                      pixelSizeUm)};
}

std::variant<InputError, AnglesOfView> calculateFieldOfView(const FieldOfViewInput &input)
{
    Resolution sensor = input.selected;
    bool ok = false;
    if (isCustomResolutionMark(input.selected)) {
        sensor.x = input.customWidth.toInt(&ok, 10);
        if (!ok)
            return InputError{Field::resolution, input.customWidth};
        sensor.y = input.customHeight.toInt(&ok, 10);
        if (!ok)
            return InputError{Field::resolution, input.customHeight};
    }
    const float focalLength = input.focalLength.toFloat(&ok);
    if (!ok)
        return InputError{Field::focalLength, input.focalLength};
    const float pixelSize = input.pixelSize.toFloat(&ok);
    if (!ok)
        return InputError{Field::pixelSize, input.pixelSize};
    return anglesOfView(sensor, focalLength, pixelSize);
}

QString formatAngle(float degrees)
{
    return QString::number(static_cast<double>(degrees), 'f', 4) + QStringLiteral("\u00B0");
}
