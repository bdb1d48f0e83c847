#pragma once

#include <cstdint>

// The shortest decimal that reads back as the given double, and of those the
// nearest to it (the even one on a tie): significand * 10^exponent, the
// significand without trailing zeros. These are the digits of std::to_chars
// and of Qt's shortest form.
struct ShortestDecimal
{
    std::uint64_t significand = 0;
    int exponent = 0;
};

// For a finite value above zero.
ShortestDecimal shortestDecimal(double value);
