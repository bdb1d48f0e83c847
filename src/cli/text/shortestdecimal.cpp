#include "shortestdecimal.h"

#include "scaledpowersoften.h"

#include <cstring>
#include <limits>

// The shortest decimal by Schubfach (R. Giulietti, "The Schubfach way to
// render doubles", 2021): rather than searching digit by digit, it scales
// the rounding interval of the double by one power of ten, chosen so that
// the interval holds at most one multiple of ten and at least one integer,
// and then picks among four candidates with integer comparisons alone.
//
// A positive double is v = c * 2^q with the integer c below 2^53. Its
// rounding interval R, the reals that read back as v, runs from the
// midpoint with its lower neighbour to the midpoint with its upper one,
// endpoints included when c is even (reading rounds ties to even):
//   R = [v - 2^q / 2, v + 2^q / 2]  in general,
//   R = [v - 2^q / 4, v + 2^q / 2]  when c = 2^52 and q > -1074, where the
//                                   lower neighbour is half as far.
// Work with quarters of 2^q so that all three points are integers:
// cb = 4c, and cbl = cb - 2 (or cb - 1) and cbr = cb + 2 bound R.
//
// Take k = floor(log10(width of R)), so 10^k <= width < 10^(k+1):
//   k = floor(q log10 2), or floor(q log10 2 + log10 3/4) for the narrow R.
// Then in units of 10^k, R is at least one unit wide, so it holds at least
// one of s = floor(v / 10^k) and t = s + 1, and less than ten units wide, so
// it holds at most one multiple of ten. The shortest decimal in R is
// therefore the multiple of ten in it, sp10 = 10 floor(s / 10) or
// tp10 = sp10 + 10, when there is exactly one (if none of those, no
// decimal of fewer digits is in R either: it would be a multiple of ten
// too); otherwise s or t, whichever is in R, or the nearer to v when both
// are, s on a tie when it is even.
//
// The scaled points need x / 10^k for x = cb, cbl, cbr times 2^q / 4. The
// table holds g with (g - 1) 2^r <= 10^-k < g 2^r, g of 126 bits, so
//   x 2^q / 4 * 10^-k  lies in  [x (g - 1), x g) * 2^(q - 2 + r).
// With h = q + floor(-k log2 10) + 2 (between 1 and 4) the product
// (x << h) * g / 2^127 is that value times 4: two bits of fraction kept, so
// that comparisons with the midpoint between s and t are exact. The
// product is rounded to odd (truncated, its last bit set if anything was
// cut off), which the paper shows keeps every comparison below true.
//
// The paper's own code keeps two digits at least, as its language asks;
// here a single digit is the answer whenever it is in R, as in Qt's form.
namespace {

__extension__ typedef unsigned __int128 Product;

constexpr int significandBits = std::numeric_limits<double>::digits; // 53
constexpr int lowestQ = std::numeric_limits<double>::min_exponent - significandBits; // -1074
constexpr std::uint64_t leastNormalSignificand = std::uint64_t(1) << (significandBits - 1);
constexpr std::uint64_t low63Bits = (std::uint64_t(1) << 63) - 1;

std::uint64_t multiplyHigh(std::uint64_t a, std::uint64_t b)
{
    return static_cast<std::uint64_t>((Product(a) * b) >> 64);
}

// floor(q log10 2), floor(q log10 2 + log10 3/4) and floor(e log2 10) as
// fixed-point products; tools/generate-powers-of-ten.py proves them exact
// over every exponent used here.
int floorLog10Pow2(int q)
{
    return static_cast<int>((std::int64_t(q) * 661971961083) >> 41);
}

int floorLog10ThreeQuartersPow2(int q)
{
    return static_cast<int>((std::int64_t(q) * 661971961083 - 274743187321) >> 41);
}

int floorLog2Pow10(int e)
{
    return static_cast<int>((std::int64_t(e) * 913124641741) >> 38);
}

// floor(g * scaled / 2^127) rounded to odd, g = g1 * 2^63 + g0.
std::uint64_t roundToOdd(std::uint64_t g1, std::uint64_t g0, std::uint64_t scaled)
{
    const std::uint64_t low = multiplyHigh(g0, scaled);
    const Product high = Product(g1) * scaled;
    const std::uint64_t middle = (static_cast<std::uint64_t>(high) >> 1) + low;
    const std::uint64_t result = static_cast<std::uint64_t>(high >> 64) + (middle >> 63);
    return result | ((middle & low63Bits) + low63Bits) >> 63;
}

ShortestDecimal withoutTrailingZeros(std::uint64_t significand, int exponent)
{
    while (significand % 10 == 0) {
        significand /= 10;
        ++exponent;
    }
    return {significand, exponent};
}

// v = c * 2^q.
ShortestDecimal schubfach(int q, std::uint64_t c)
{
    const bool narrow = c == leastNormalSignificand && q != lowestQ;
    const std::uint64_t endsOut = c & 1; // an odd c leaves out R's ends
    const std::uint64_t cb = c << 2;
    const std::uint64_t cbr = cb + 2;
    const std::uint64_t cbl = narrow ? cb - 1 : cb - 2;
    const int k = narrow ? floorLog10ThreeQuartersPow2(q) : floorLog10Pow2(q);
    const int h = q + floorLog2Pow10(-k) + 2;
    const auto &[g1, g0] = scaledPowersOfTen[static_cast<std::size_t>(-k - lowestScaledPowerOfTen)];
    const std::uint64_t vb = roundToOdd(g1, g0, cb << h);
    const std::uint64_t vbl = roundToOdd(g1, g0, cbl << h) + endsOut;
    const std::uint64_t vbr = roundToOdd(g1, g0, cbr << h) - endsOut;

    const std::uint64_t s = vb >> 2;
    // floor(s / 10) as s * ceil(2^64 / 10) / 2^64: the excess, s * 0.4 / 2^64,
    // stays below a tenth for every s below 2^62, far above 17 digits. When
    // s is below 10, sp10 is 0, which R of a positive value never holds.
    const std::uint64_t sp10 = 10 * multiplyHigh(s, 0x199999999999999a);
    const std::uint64_t tp10 = sp10 + 10;
    const bool spIn = vbl <= sp10 << 2;
    const bool tpIn = tp10 << 2 <= vbr;
    if (spIn != tpIn)
        return withoutTrailingZeros(spIn ? sp10 : tp10, k);
    const std::uint64_t t = s + 1;
    const bool sIn = vbl <= s << 2;
    const bool tIn = t << 2 <= vbr;
    if (sIn != tIn)
        return withoutTrailingZeros(sIn ? s : t, k);
    // Both in: the nearer, against the midpoint 2(s + t) in quarters.
    const std::uint64_t midpoint = (s + t) << 1;
    const bool takeS = vb < midpoint || (vb == midpoint && (s & 1) == 0);
    return withoutTrailingZeros(takeS ? s : t, k);
}

} // namespace

ShortestDecimal shortestDecimal(double value)
{
    constexpr int fractionBits = significandBits - 1;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biasedExponent = static_cast<int>(bits >> fractionBits); // the sign bit is 0
    const std::uint64_t fraction = bits & (leastNormalSignificand - 1);
    if (biasedExponent == 0)
        return schubfach(lowestQ, fraction);
    const int q = lowestQ - 1 + biasedExponent;
    const std::uint64_t c = leastNormalSignificand | fraction;
    // An integer below 2^53 is its own shortest decimal: its neighbours are
    // at most one away, so R holds no other integer.
    if (q < 0 && q > -significandBits) {
        const std::uint64_t integer = c >> -q;
        if (integer << -q == c)
            return withoutTrailingZeros(integer, 0);
    }
    return schubfach(q, c);
}
