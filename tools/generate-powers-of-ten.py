#!/usr/bin/env python3
"""Writes src/cli/text/scaledpowersoften.h, the table of shortestdecimal.cpp.

For every power 10^e that the shortest decimal of a double can need,
e in [-292, 324], the table holds g = floor(beta) + 1 where
10^e = beta * 2^r and 2^125 <= beta < 2^126, split as g = g1 * 2^63 + g0.
Python's integers are exact, so each g is found without rounding. The
script also proves, over the exponents the algorithm uses, the three
integer formulas it takes for floor(q log10 2), floor(q log10 2 + log10 3/4)
and floor(e log2 10), so that no floating point stands behind them.

Usage: tools/generate-powers-of-ten.py > src/cli/text/scaledpowersoften.h
"""

from fractions import Fraction

LOWEST_POWER, HIGHEST_POWER = -292, 324  # -k for k in [-324, 292]
LOWEST_Q, HIGHEST_Q = -1074, 971  # v = c * 2^q for every finite double


def floor_log(base, value):
    """The greatest n with base^n <= value, for a positive Fraction value."""
    n = 0
    while Fraction(base) ** n > value:
        n -= 1
    while Fraction(base) ** (n + 1) <= value:
        n += 1
    return n


def flog10pow2(q):
    return (q * 661971961083) >> 41


def flog10three_quarters_pow2(q):
    return (q * 661971961083 - 274743187321) >> 41


def flog2pow10(e):
    return (e * 913124641741) >> 38


def check_formulas():
    for q in range(LOWEST_Q, HIGHEST_Q + 1):
        assert flog10pow2(q) == floor_log(10, Fraction(2) ** q), q
        assert flog10three_quarters_pow2(q) == floor_log(10, Fraction(3, 4) * Fraction(2) ** q), q
    for e in range(LOWEST_POWER, HIGHEST_POWER + 1):
        assert flog2pow10(e) == floor_log(2, Fraction(10) ** e), e


def g(e):
    power = Fraction(10) ** e
    r = flog2pow10(e) - 125
    beta = power / Fraction(2) ** r
    assert 2**125 <= beta < 2**126, e
    return int(beta) + 1  # int() truncates, which is floor for beta > 0


def main():
    check_formulas()
    print("// Written by tools/generate-powers-of-ten.py; do not edit.")
    print("// {g1, g0} for 10^e, e from %d to %d: g = g1 * 2^63 + g0 = floor(beta) + 1" %
          (LOWEST_POWER, HIGHEST_POWER))
    print("// where 10^e = beta * 2^r and 2^125 <= beta < 2^126.")
    print("#pragma once")
    print()
    print("#include <array>")
    print("#include <cstdint>")
    print()
    print("constexpr int lowestScaledPowerOfTen = %d;" % LOWEST_POWER)
    print("constexpr std::array<std::array<std::uint64_t, 2>, %d> scaledPowersOfTen{{" %
          (HIGHEST_POWER - LOWEST_POWER + 1))
    for e in range(LOWEST_POWER, HIGHEST_POWER + 1):
        value = g(e)
        print("        {0x%016x, 0x%016x}, // 10^%d" % (value >> 63, value & (2**63 - 1), e))
    print("}};")


main()
