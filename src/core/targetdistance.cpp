#include "targetdistance.h"

#include "angles.h"

#include <cmath>

namespace {

constexpr float resolutionDivisor = 500.0F; // twice the 250 pixels of the base level
constexpr double halfAngleDivisor = 360.0; // hFov * pi / 360 is half the field in radians

} // namespace

double baseDistance(float horizontalFovDegrees, float horizontalResolution, TargetSize target)
{
    const double resolutionShare = static_cast<double>(horizontalResolution / resolutionDivisor);
    const double halfFovTangent
            = std::tan(static_cast<double>(horizontalFovDegrees) * pi / halfAngleDivisor);
    const float smallerSide = target.x < target.y ? target.x : target.y;
    return resolutionShare / halfFovTangent * static_cast<double>(smallerSide);
}

std::variant<InputError, BaseDistances> calculateDistances(const DistanceInput &input)
{
    float horizontalFov = 0;
    float horizontalResolution = 0;
    TargetSize person{};
    TargetSize car{};
    TargetSize boat{};
    const struct
    {
        Field field;
        const QString &text;
        float &value;
    } fields[] = {
            {Field::fov, input.horizontalFov, horizontalFov},
            {Field::resolution, input.horizontalResolution, horizontalResolution},
            {Field::person, input.personX, person.x},
            {Field::person, input.personY, person.y},
            {Field::car, input.carX, car.x},
            {Field::car, input.carY, car.y},
            {Field::boat, input.boatX, boat.x},
            {Field::boat, input.boatY, boat.y},
    };
    for (const auto &field : fields) {
        bool ok = false;
        field.value = field.text.toFloat(&ok);
        if (!ok)
            return InputError{field.field, field.text};
    }
    return BaseDistances{baseDistance(horizontalFov, horizontalResolution, person),
                         baseDistance(horizontalFov, horizontalResolution, car),
                         baseDistance(horizontalFov, horizontalResolution, boat)};
}

QString formatDistance(double metres)
{
    return QString::number(metres, 'f', 2) + QStringLiteral("m");
}
