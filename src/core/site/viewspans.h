#pragma once

#include "mounting.h"

#include <optional>
#include <vector>

// What a camera on a pole sees of a horizontal plane, in its own frame: D
// forward along its bearing from the foot of the pole, X across. A camera
// without roll sees the plane in rows of equal depth z = D cos t + d sin t
// (d the plane's drop below the lens), and a row at depth z spans
// |X| <= z tan(hfov / 2); both bounds are straight lines in the plane, so
// every region below, from one D to another, is an exact trapezoid. Its
// horizontal density W / (2 z tan(hfov / 2)) falls with D, so a level holds
// from the near edge to the D where the density has fallen to it.

struct ViewSpans
{
    // Where the plane is in view, ended where the loosest level ends on it
    // or at the range given, whichever is nearer: never at the horizon.
    std::optional<Span> ground;
    std::optional<Span> target;
    // Per level, in the order given (loosest first), on the target's plane:
    // where the level holds, and where it is the strictest that holds.
    std::vector<std::optional<Span>> held;
    std::vector<std::optional<Span>> bands;
    // Per level with a steepest angle: the circle about the pole, on the
    // target's plane, inside which the line of sight is steeper and the
    // level is not met. The spans above are before it is cut out.
    std::vector<std::optional<double>> cutRadius;
};

// levels: pixels per metre, loosest (smallest) first; maxRange bounds D.
ViewSpans viewSpans(const MountedCamera &camera, double targetHeight,
                    std::optional<double> maxRange, const std::vector<double> &levels);

// Half the width of the view across at D on the plane `drop` below the lens.
double halfWidthAcross(const MountedCamera &camera, double distance, double drop);
