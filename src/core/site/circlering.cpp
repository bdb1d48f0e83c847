#include "circlering.h"

#include "angles.h"

#include <algorithm>
#include <cmath>

// A regular n-gon with its corners at radius q has the area
// (n / 2) q^2 sin(2 pi / n); it is the circle's, pi r^2, for
//     q = r sqrt(2 pi / (n sin(2 pi / n))),
// a little more than r. Its corners then lie q - r outside the circle and
// the middles of its edges, at q cos(pi / n), r - q cos(pi / n) inside;
// every other point of an edge lies between those two radii. Because the
// polygon's area is the circle's, what it takes beyond the circle near the
// corners it gives back along the edges' middles, edge by edge: a part cut
// off by a straight line is out by less than one edge's share, so areas
// stay exact to far better than the tolerance times the length cut.
//
// With x = pi / n, q = r (1 + x^2 / 3 + O(x^4)), so the corners stand out by
// about r x^2 / 3 and the middles in by r x^2 / 6: n = pi / sqrt(3 t / r)
// is nearly enough, and the loop below takes the least n that is.
PlaneRing circleRing(PlanePoint centre, double radius, double tolerance)
{
    const auto corners = [radius](double n) {
        return radius * std::sqrt(2.0 * pi / (n * std::sin(2.0 * pi / n)));
    };
    const auto within = [&](double n) {
        const double q = corners(n);
        return q - radius <= tolerance && radius - q * std::cos(pi / n) <= tolerance;
    };
    double n = std::max(8.0, std::floor(pi / std::sqrt(3.0 * tolerance / radius)));
    while (!within(n))
        n += 1.0;
    const double q = corners(n);
    const auto count = static_cast<std::size_t>(n);
    PlaneRing ring;
    ring.reserve(count);
    for (std::size_t corner = 0; corner < count; ++corner) {
        const double angle = 2.0 * pi * static_cast<double>(corner) / n;
        ring.push_back({centre.x + q * std::cos(angle), centre.y + q * std::sin(angle)});
    }
    return ring;
}
