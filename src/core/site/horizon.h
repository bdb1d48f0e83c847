#pragma once

#include "shadows.h"

#include <vector>

// What a camera's nearer obstacles already hide for certain, by direction
// from the pole's foot: in each bin of a tenth of a degree, a distance
// beyond which every point is hidden.
//
// A polygon that rises to the lens or above, turns one way only, has no
// holes and does not carry the camera hides, on the plane below the lens,
// every point beyond it on a ray that crosses it (its shadow runs from its
// outline past reach). Seen from outside, the rays that cross a convex
// outline are those between its outermost corners, and each crosses it
// before the farthest corner's distance. A bin wholly between them is so
// hidden beyond that distance.
//
// An obstacle whose bins are all hidden nearer than the obstacle itself
// lies in that hidden ground, and so does its shadow, which runs outwards
// on the same rays: it hides nothing more, and no overlay need cast it.
// Only whole bins count, with a margin far above atan2's error, so the
// test errs only towards casting a shadow.
class Horizon
{
public:
    // `forward`: the bearing's direction, so that angles run from behind
    // the camera, where no view is, and never wrap within one.
    Horizon(PlanePoint foot, PlanePoint forward);

    // Whether everything of the obstacle, at `nearest` or more from the
    // foot, lies beyond what is hidden already.
    bool hides(const PlaneObstacle &obstacle, double nearest) const;
    void add(const PlaneRing &convexOutline);

private:
    struct Extent
    {
        double from;
        double to;
        double farthest;
    };
    // Angles in [0, 2 pi), and whether they span less than a half turn.
    std::optional<Extent> extent(const std::vector<const PlaneRing *> &rings) const;

    PlanePoint m_foot;
    PlanePoint m_forward;
    std::vector<double> m_hiddenBeyond;
};
