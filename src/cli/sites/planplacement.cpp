#include "planplacement.h"

#include "angles.h"

#include <QStringList>

#include <array>
#include <cmath>

namespace {

struct PlanUnit
{
    const char *name;
    int drawingCode; // as $INSUNITS has it
    double metres;
    int decimals; // that show a millimetre
};
constexpr std::array<PlanUnit, 5> planUnits{{{"mm", 4, 0.001, 0},
                                             {"cm", 5, 0.01, 1},
                                             {"m", 6, 1.0, 3},
                                             {"in", 1, 0.0254, 2},
                                             {"ft", 2, 0.3048, 3}}};

} // namespace

// North lies n clockwise from +y: in the plan, north is (sin n, cos n) and
// east, a right angle clockwise from it, (cos n, -sin n); a point's east
// and north are its projections on them.
PlanePoint PlanPlacement::eastNorth(PlanePoint plan, double metresPerUnit) const
{
    const double turn = northDegrees * pi / 180.0;
    const double x = plan.x * metresPerUnit;
    const double y = plan.y * metresPerUnit;
    return {x * std::cos(turn) - y * std::sin(turn), x * std::sin(turn) + y * std::cos(turn)};
}

// The rotation undone: its transpose.
PlanePoint PlanPlacement::planOf(PlanePoint eastNorth, double metresPerUnit) const
{
    const double turn = northDegrees * pi / 180.0;
    const double e = eastNorth.x;
    const double n = eastNorth.y;
    return {(e * std::cos(turn) + n * std::sin(turn)) / metresPerUnit,
            (-e * std::sin(turn) + n * std::cos(turn)) / metresPerUnit};
}

// $INSUNITS of a plan's units, 6 (metres) for none of ours.
int drawingUnitCode(double metresPerUnit)
{
    for (const PlanUnit &unit : planUnits) {
        if (metresPerUnit == unit.metres)
            return unit.drawingCode;
    }
    return 6;
}

QString planUnitNames()
{
    QStringList names;
    for (const PlanUnit &unit : planUnits)
        names << QLatin1String(unit.name);
    return names.join(QLatin1Char('|'));
}

std::optional<double> metresPerUnitNamed(const QString &name)
{
    for (const PlanUnit &unit : planUnits) {
        if (name == QLatin1String(unit.name))
            return unit.metres;
    }
    return std::nullopt;
}

std::optional<double> metresPerDrawingUnit(int code)
{
    for (const PlanUnit &unit : planUnits) {
        if (code == unit.drawingCode)
            return unit.metres;
    }
    return std::nullopt;
}

ShownUnit shownUnit(double metresPerUnit)
{
    for (const PlanUnit &unit : planUnits) {
        if (metresPerUnit == unit.metres)
            return {QLatin1String(unit.name), unit.decimals};
    }
    return {QStringLiteral("m"), 3};
}
