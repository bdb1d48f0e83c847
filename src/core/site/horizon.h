#pragma once

#include "shadows.h"

#include <vector>

// What a camera's nearer obstacles already hide for certain, by direction
// from the pole's foot: in each bin of a tenth of a degree, a distance
// beyond which every point is hidden.
//
// An outline that rises to the lens or above and does not carry the camera
// hides, on the plane below the lens, every point beyond one of its own on
// the same ray (hidingOutlines). Seen from outside, the outline is
// connected, so the directions to its points form one interval, whose ends
// are corners; every ray between them crosses it, within the distance of
// its farthest corner, which holds all of it. A bin wholly between the ends
// is so hidden beyond that distance. Directions that span half a turn or
// more (an outline about the foot) count for nothing.
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
    // The same for whatever lies in the box, at `nearest` or more: the
    // directions to a box that does not hold the foot span those to all
    // it holds, so a box hidden is an obstacle in it hidden.
    bool hidesBox(const PlaneGeometry::Bounds &box, double nearest) const;
    void add(const PlaneRing &outline);

private:
    struct Extent
    {
        double from;
        double to;
        double farthest;
    };
    // Angles in [0, 2 pi), and whether they span less than a half turn.
    std::optional<Extent> extent(const std::vector<const PlaneRing *> &rings) const;
    bool hidden(const std::vector<const PlaneRing *> &rings, double nearest) const;

    PlanePoint m_foot;
    PlanePoint m_forward;
    std::vector<double> m_hiddenBeyond;
};
