#include "viewspans.h"

#include <algorithm>

namespace {

// The plane's span in view, ended by the loosest level and the range.
std::optional<Span> endedSpan(const MountedCamera &camera, double drop,
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
    return Span{span->near, far};
}

} // namespace

double halfWidthAcross(const MountedCamera &camera, double distance, double drop)
{
    return widthAcross(camera, distance, drop) / 2.0;
}

ViewSpans viewSpans(const MountedCamera &camera, double targetHeight,
                    std::optional<double> maxRange, const std::vector<double> &levels)
{
    ViewSpans spans;
    const double drop = camera.height - targetHeight;
    if (!levels.empty()) {
        spans.ground = endedSpan(camera, camera.height, maxRange, levels.front());
        spans.target = endedSpan(camera, drop, maxRange, levels.front());
    }
    spans.held.resize(levels.size());
    spans.bands.resize(levels.size());
    if (!spans.target)
        return spans;
    const Span target{spans.target->near, spans.target->far};
    for (std::size_t level = 0; level < levels.size(); ++level) {
        if (const auto reach = levelReach(camera, target, drop, levels[level]))
            spans.held[level] = Span{target.near, *reach};
    }
    // A band runs from where the next stricter level stops holding.
    for (std::size_t level = 0; level < levels.size(); ++level) {
        if (!spans.held[level])
            continue;
        const bool stricterHeld = level + 1 < levels.size() && spans.held[level + 1];
        const double near = stricterHeld ? spans.held[level + 1]->far : target.near;
        if (spans.held[level]->far > near)
            spans.bands[level] = Span{near, spans.held[level]->far};
    }
    return spans;
}
