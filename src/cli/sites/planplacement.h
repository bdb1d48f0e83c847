#pragma once

#include "sitemodel.h"

#include <QString>

#include <functional>
#include <optional>

// A plan drawn in its own units, x to the right and y up (a CAD drawing, a
// layer without a coordinate system), placed on the earth: its (0, 0) at
// --origin, north --north degrees clockwise from its +y.
struct PlanPlacement
{
    std::optional<double> metresPerUnit; // from --units, before the drawing's own
    double northDegrees = 0.0;
    bool northGiven = false; // else a plan's +y stands for north
    // The point east and north of the origin, in metres, on the earth: the
    // site module's azimuthal equidistant plane, about the origin; none
    // without --origin.
    std::function<std::optional<GeoPoint>(double east, double north)> onEarth;

    // Metres east and north of the origin.
    PlanePoint eastNorth(PlanePoint plan, double metresPerUnit) const;
    // The plan's point, in its units, of metres east and north of the origin.
    PlanePoint planOf(PlanePoint eastNorth, double metresPerUnit) const;
};

// The units that --units names, "mm|cm|m|in|ft", and their lengths.
QString planUnitNames();
std::optional<double> metresPerUnitNamed(const QString &name);
// A drawing's $INSUNITS, of those that --units names, and back.
std::optional<double> metresPerDrawingUnit(int code);
int drawingUnitCode(double metresPerUnit);
// A plan's unit as a table shows it: its name, and the decimals that show
// a millimetre.
struct ShownUnit
{
    QString name;
    int decimals;
};
ShownUnit shownUnit(double metresPerUnit);
