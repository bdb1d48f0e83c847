#pragma once

// π to the nearest double, for every conversion between degrees and radians.
constexpr double pi = 3.141592653589793;
