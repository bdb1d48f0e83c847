#include "levelcolours.h"

#include <algorithm>
#include <cmath>

namespace {

template <std::size_t Size>
Rgb alongRamp(const std::array<Rgb, Size> &ramp, std::size_t index, std::size_t count)
{
    if (count == ramp.size() || count < 2)
        return ramp[std::min(index, ramp.size() - 1)];
    const double along
            = static_cast<double>(index) * (ramp.size() - 1) / static_cast<double>(count - 1);
    const auto below = static_cast<std::size_t>(std::floor(along));
    if (below + 1 >= ramp.size())
        return ramp.back();
    const double share = along - static_cast<double>(below);
    const auto mix = [share](std::uint8_t from, std::uint8_t to) {
        return static_cast<std::uint8_t>(std::lround(from + share * (to - from)));
    };
    const Rgb &a = ramp[below];
    const Rgb &b = ramp[below + 1];
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

bool of2025(const NamedLevel &level)
{
    return std::any_of(densityLevels2025.cbegin(), densityLevels2025.cend(),
                       [&](const DensityLevel &known) {
                           return level.name == QLatin1String(known.name)
                                   && level.pixelsPerMetre == known.pixelsPerMetre;
                       });
}

} // namespace

Rgb levelColour(const std::vector<NamedLevel> &levels, std::size_t index)
{
    if (std::any_of(levels.cbegin(), levels.cend(), of2025))
        return alongRamp(levelColours2025, index, levels.size());
    return alongRamp(standardLevelColours, index, levels.size());
}
