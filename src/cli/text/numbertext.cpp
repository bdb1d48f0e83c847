#include "numbertext.h"

#include "shortestdecimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr int maximumDirectDecimals = 4;
constexpr double directLimit = 1e15; // times 10^4 still fits in 64 bits
// 10^0 to 10^19, every power of ten below 2^64.
constexpr std::array<std::uint64_t, 20> powersOfTen = [] {
    std::array<std::uint64_t, 20> all{};
    std::uint64_t power = 1;
    for (std::uint64_t &each : all) {
        each = power;
        power *= 10;
    }
    return all;
}();

// "00" to "99", so that digits are written two at a time.
constexpr std::array<char, 200> digitPairs = [] {
    std::array<char, 200> pairs{};
    for (int pair = 0; pair < 100; ++pair) {
        pairs[std::size_t(2 * pair)] = static_cast<char>('0' + pair / 10);
        pairs[std::size_t(2 * pair + 1)] = static_cast<char>('0' + pair % 10);
    }
    return pairs;
}();

char *writePair(char *at, std::uint32_t pair)
{
    // One two-byte move: byte by byte, the compiler would have to allow for
    // `at` overlapping the table.
    std::memcpy(at, digitPairs.data() + 2 * pair, 2);
    return at + 2;
}

// The number of decimal digits of a value: log10 2 is about 1233 / 4096,
// which gives the count or one more from the bit length.
int digitCount(std::uint64_t value)
{
    const int bits = 64 - __builtin_clzll(value | 1);
    const int estimate = (bits * 1233) >> 12; // floor(log10 2^(bits - 1)) or one more
    return estimate + (value >= powersOfTen[std::size_t(estimate)] ? 1 : 0);
}

// Four digits below 10^4 as two pairs: x / 100 = (x * 5243) >> 19 for
// every x below 43699.
void writeFour(char *at, std::uint32_t four)
{
    const std::uint32_t high = (four * 5243) >> 19;
    writePair(at, high);
    writePair(at + 2, four - 100 * high);
}

// The digits of a value, the last just before `end`; eight at a time in 32
// bits, each eight as two independent fours.
void writeDigitsBefore(char *end, std::uint64_t value)
{
    constexpr std::uint32_t hundredMillion = 100000000;
    while (value >= hundredMillion) {
        const auto eight = static_cast<std::uint32_t>(value % hundredMillion);
        value /= hundredMillion;
        end -= 8;
        writeFour(end, eight / 10000);
        writeFour(end + 4, eight % 10000);
    }
    auto rest = static_cast<std::uint32_t>(value);
    while (rest >= 100) {
        end -= 2;
        writePair(end, rest % 100);
        rest /= 100;
    }
    if (rest >= 10)
        writePair(end - 2, rest);
    else
        end[-1] = static_cast<char>('0' + rest);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// units / 10^decimals, a point and the decimals.
template <int decimals>
char *writeUnits(char *at, std::uint64_t units)
{
    constexpr std::uint64_t unitsPerOne = powersOfTen[decimals];
    char *end = std::to_chars(at, at + fixedDirectlyMaximumLength, units / unitsPerOne).ptr;
    if constexpr (decimals > 0) {
        *end = '.';
        std::uint64_t fraction = units % unitsPerOne;
        for (int place = decimals; place > 0; --place) {
            end[place] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        end += decimals + 1;
    }
    return end;
}

} // namespace

std::optional<qint32> plainInt(std::string_view text)
{
    constexpr std::size_t maximumDigits = 9; // always below 2^31
    if (text.empty() || text.size() > maximumDigits)
        return std::nullopt;
    qint32 value = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Digits with at most one point, read to the nearest double as Qt reads
// them; any error of from_chars declines (on result_out_of_range it leaves
// the value as it was), and so does what Qt itself would refuse or treat
// otherwise, which is left to Qt.
std::optional<double> plainDouble(std::string_view text)
{
    bool digit = false;
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point)
            point = true;
        else if (isDigit(c))
            digit = true;
        else
            return std::nullopt;
    }
    if (!digit)
        return std::nullopt;
    double value = 0.0;
    const char *end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (parsed.ec != std::errc() || parsed.ptr != end)
        return std::nullopt;
    // Zero only from zeros: what vanishes or turns subnormal is Qt's to judge.
    if (value == 0.0 ? text.find_first_of("123456789") != std::string_view::npos
                     : value < std::numeric_limits<double>::min())
        return std::nullopt;
    return value;
}

// Both read decimals to the nearest double; Qt then narrows to float and
// refuses what overflows or vanishes, which is left to Qt itself.
std::optional<float> plainFloat(std::string_view text)
{
    const auto value = plainDouble(text);
    if (!value
        || (*value != 0.0
            && (*value < double(std::numeric_limits<float>::min())
                || *value > double(std::numeric_limits<float>::max()))))
        return std::nullopt;
    return static_cast<float>(*value);
}

// A double is m * 2^e exactly, so value * 10^d = m * 5^d * 2^(e + d) is an
// integer shifted by a power of two, and its rounding is decided exactly.
// Qt rounds ties up, where printf and std::to_chars round them to even.
char *writeFixedDirectly(char *at, double value, int decimals)
{
    if (!(value >= 0.0 && value < directLimit) || std::signbit(value) || decimals < 0
        || decimals > maximumDirectDecimals)
        return nullptr;
    constexpr int fractionBits = std::numeric_limits<double>::digits - 1;
    constexpr int exponentBias = std::numeric_limits<double>::max_exponent - 1;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biasedExponent = static_cast<int>(bits >> fractionBits); // the sign bit is 0
    std::uint64_t scaled = bits & ((std::uint64_t(1) << fractionBits) - 1);
    if (biasedExponent != 0)
        scaled |= std::uint64_t(1) << fractionBits;
    for (int count = 0; count < decimals; ++count)
        scaled *= 5; // below 2^53 * 5^4 < 2^63
    const int shift = std::max(biasedExponent, 1) - exponentBias - fractionBits + decimals;
    std::uint64_t units = 0;
    if (shift >= 0)
        units = scaled << shift;
    else if (shift > -64) // the bit below the last one kept is the half
        units = (scaled >> -shift) + (scaled >> (-shift - 1) & 1);

    // Each count of decimals divides by a constant, which compiles to a
    // multiplication rather than a division.
    switch (decimals) {
    case 0:
        return writeUnits<0>(at, units);
    case 1:
        return writeUnits<1>(at, units);
    case 2:
        return writeUnits<2>(at, units);
    case 3:
        return writeUnits<3>(at, units);
    default:
        return writeUnits<4>(at, units);
    }
}

// Qt's shortest form, found by comparing it over millions of values of
// every kind (tst_numbertext): the shortest digits that read back as the
// same double (std::to_chars gives the same ones), written in decimal unless
// the value is below 1e-4 (a decimal exponent below -4, as %g has it) or the
// decimal form would pad the digits with more than five zeros; then as
// d.ddde+XX, the exponent signed and of two digits at least. Negative zero
// is "0".
char *writeShortest(char *at, double value)
{
    if (value == 0.0) {
        *at = '0';
        return at + 1;
    }
    if (value < 0.0) {
        *at++ = '-';
        value = -value;
    }
    const ShortestDecimal decimal = shortestDecimal(value);
    const int count = digitCount(decimal.significand);
    const int point = decimal.exponent + count; // digits before the point
    if (point > -4 && point <= count + 5) {
        if (point <= 0) {
            *at++ = '0';
            *at++ = '.';
            at = std::fill_n(at, -point, '0');
            writeDigitsBefore(at + count, decimal.significand);
            return at + count;
        }
        if (point >= count) {
            writeDigitsBefore(at + count, decimal.significand);
            return std::fill_n(at + count, point - count, '0');
        }
        // The digits one place on, then the point carried down into place
        // while those before it move back; byte by byte, since a block
        // move would read across the small stores just made and stall.
        writeDigitsBefore(at + count + 1, decimal.significand);
        char carried = '.';
        for (int place = point; place > 0; --place)
            std::swap(carried, at[place]);
        at[0] = carried;
        return at + count + 1;
    }
    writeDigitsBefore(at + count + 1, decimal.significand);
    at[0] = at[1];
    if (count > 1) {
        at[1] = '.';
        at += count + 1;
    } else {
        ++at;
    }
    int exponent = point - 1;
    *at++ = 'e';
    *at++ = exponent < 0 ? '-' : '+';
    if (exponent < 0)
        exponent = -exponent;
    if (exponent >= 100) {
        *at++ = static_cast<char>('0' + exponent / 100);
        exponent %= 100;
    }
    return writePair(at, static_cast<std::uint32_t>(exponent));
}
