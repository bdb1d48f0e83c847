#pragma once

#include "pixeldensity.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The palettes of the levels, loosest first, that every picture and map
// colours them by, so that a band reads stricter the warmer it is. The
// 2014 edition's: light blue for the loosest to deep orange for the
// strictest.
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

// The 2025 edition's seven: ColorBrewer's YlOrRd of seven classes (Cynthia
// Brewer, colorbrewer2.org), a sequential scheme that it rates safe for
// red-green colour blindness and for print.
constexpr std::array<Rgb, 7> levelColours2025{{{0xff, 0xff, 0xb2},
                                               {0xfe, 0xd9, 0x76},
                                               {0xfe, 0xb2, 0x4c},
                                               {0xfd, 0x8d, 0x3c},
                                               {0xfc, 0x4e, 0x2a},
                                               {0xe3, 0x1a, 0x1c},
                                               {0xb1, 0x00, 0x26}}};

// The view itself, under the bands: a lavender that no level has.
constexpr Rgb viewColour{0xbc, 0xbd, 0xdc};
// The ground that a level leaves uncovered: a purple that no level has.
constexpr Rgb gapColour{0x54, 0x27, 0x88};

// The colour of level `index` of a set, loosest first: a set with any of
// the 2025 edition's levels takes its palette, any other the 2014 one's;
// a set of as many levels as the palette has its colours, and any other
// evenly along the same ramp.
Rgb levelColour(const std::vector<NamedLevel> &levels, std::size_t index);
