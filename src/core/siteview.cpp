#include "siteview.h"

#include <algorithm>

namespace {

// The plane's span in view, ended by the loosest level and the range.
std::optional<Strip> endedSpan(const MountedCamera &camera, double drop,
                               std::optional<double> maxRange, double loosest)
{
    const auto span = planeInView(camera, drop);
    if (!span)
        return std::nullopt;
    const auto reach = levelReach(camera, *span, drop, loosest);
    if (!reach)
        return std::nullopt;
    const double far = std::min(*reach, maxRange.value_or(*reach));
    if (!(far > span->near))
        return std::nullopt;
    return Strip{span->near, far};
}

} // namespace

double halfWidthAcross(const MountedCamera &camera, double distance, double drop)
{
    return widthAcross(camera, distance, drop) / 2.0;
}

ViewPlan planView(const MountedCamera &camera, double targetHeight, std::optional<double> maxRange,
                  const std::vector<double> &levels)
{
    ViewPlan plan;
    const double drop = camera.height - targetHeight;
    if (!levels.empty()) {
        plan.ground = endedSpan(camera, camera.height, maxRange, levels.front());
        plan.target = endedSpan(camera, drop, maxRange, levels.front());
    }
    plan.held.resize(levels.size());
    plan.bands.resize(levels.size());
    if (!plan.target)
        return plan;
    const Span target{plan.target->near, plan.target->far};
    for (std::size_t level = 0; level < levels.size(); ++level) {
        if (const auto reach = levelReach(camera, target, drop, levels[level]))
            plan.held[level] = Strip{target.near, *reach};
    }
    // A band runs from where the next stricter level stops holding.
    for (std::size_t level = 0; level < levels.size(); ++level) {
        if (!plan.held[level])
            continue;
        const bool stricterHeld = level + 1 < levels.size() && plan.held[level + 1];
        const double near = stricterHeld ? plan.held[level + 1]->far : target.near;
        if (plan.held[level]->far > near)
            plan.bands[level] = Strip{near, plan.held[level]->far};
    }
    return plan;
}
