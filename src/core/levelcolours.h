#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The one palette of the levels, loosest first, that every picture and map
// colours them by: light blue for the loosest to deep orange for the
// strictest, so that a band reads stricter the warmer it is.
struct Rgb
{
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

constexpr std::array<Rgb, 6> standardLevelColours{{{0xc6, 0xdb, 0xef},
                                                   {0x9e, 0xca, 0xe1},
                                                   {0x74, 0xc4, 0x76},
                                                   {0xfd, 0xd0, 0x49},
                                                   {0xfd, 0x8d, 0x3c},
                                                   {0xe6, 0x55, 0x0d}}};

// The view itself, under the bands: a lavender that no level has.
constexpr Rgb viewColour{0xbc, 0xbd, 0xdc};
// The ground that a level leaves uncovered: a purple that no level has.
constexpr Rgb gapColour{0x54, 0x27, 0x88};

// The colour of level `index` of `count`: the standard's own for six, and
// otherwise evenly along the same ramp.
Rgb levelColour(std::size_t index, std::size_t count);
