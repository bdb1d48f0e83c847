#pragma once

#include "geosgeometry.h"

#include <vector>

// The ground from which an obstacle could hide anything of a camera's
// view: the convex hull of the pole's foot and the view's trapezoids.
//
// An obstacle's point P hides the points beyond it on the ray from the
// foot F. If such a point Q lies in a trapezoid, P lies on the segment FQ,
// and so in the hull, which holds F and Q and is convex. An obstacle that
// does not meet the hull therefore hides nothing in view, and its shadow
// need not be cast: each camera then works with the obstacles of its own
// view, not of a square around its whole reach.
class ViewCone
{
public:
    ViewCone(PlanePoint foot, const std::vector<PlaneRing> &trapezoids);

    const PlaneGeometry::Bounds &bounds() const { return m_bounds; }
    // Whether the box may meet the hull: false only where one of the hull's
    // edges, or its bounds, leaves the whole box outside by more than a
    // nanometre.
    bool meets(const PlaneGeometry::Bounds &box) const;

private:
    PlaneRing m_hull; // counter-clockwise
    std::vector<double> m_edgeLengths; // from each corner to the next
    PlaneGeometry::Bounds m_bounds;
};
