#include "levelcolours.h"

#include <cmath>

Rgb levelColour(std::size_t index, std::size_t count)
{
    if (count == standardLevelColours.size() || count < 2)
        return standardLevelColours[std::min(index, standardLevelColours.size() - 1)];
    const double along = static_cast<double>(index) * (standardLevelColours.size() - 1)
            / static_cast<double>(count - 1);
    const auto below = static_cast<std::size_t>(std::floor(along));
    if (below + 1 >= standardLevelColours.size())
        return standardLevelColours.back();
    const double share = along - static_cast<double>(below);
    const auto mix = [share](std::uint8_t from, std::uint8_t to) {
        return static_cast<std::uint8_t>(std::lround(from + share * (to - from)));
    };
    const Rgb &a = standardLevelColours[below];
    const Rgb &b = standardLevelColours[below + 1];
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}
