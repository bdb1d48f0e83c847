// The least a program must do for kavrelo-cli's fov and distance batches:
// block reads and writes, std::from_chars, the same single- and
// double-precision steps, and a fixed-decimal formatter. It writes the same
// bytes for every valid row; for any other row, its name and "bad row". The
// input's header line is skipped, and no header is written.
//   batch_yardstick fov PIXEL_SIZE_UM < camera,resolution,focal-length
//   batch_yardstick distance          < camera,hfov,resolution
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

std::string out;

void flush()
{
    if (::write(1, out.data(), out.size()) != static_cast<ssize_t>(out.size()))
        std::exit(3);
    out.clear();
}

// Fixed decimals, exact ties rounded up: the double is m * 2^e, so
// value * 10^d = m * 5^d * 2^(e + d), rounded with integer arithmetic.
void fixed(double value, int decimals)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>(bits >> 52 & 0x7FF);
    std::uint64_t m = (bits & ((1ULL << 52) - 1)) | std::uint64_t(biased != 0) << 52;
    int e = biased == 0 ? -1074 : biased - 1075;
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) {
        m *= 5;
        scale *= 10;
    }
    e += decimals;
    std::uint64_t n = m << (e > 0 ? e : 0);
    if (e < 0)
        n = -e >= 64 ? 0 : (m >> -e) + (m >> (-e - 1) & 1);
    char text[32];
    char *end = std::to_chars(text, text + sizeof text, n / scale).ptr;
    if (decimals > 0) {
        *end++ = '.';
        std::uint64_t fraction = n % scale;
        for (std::uint64_t digit = scale / 10; digit > 0; digit /= 10) {
            *end++ = static_cast<char>('0' + fraction / digit);
            fraction %= digit;
        }
    }
    out.append(text, end);
}

template <typename Number>
bool parse(std::string_view text, Number &value)
{
    const char *end = text.data() + text.size();
    return !text.empty() && std::from_chars(text.data(), end, value).ptr == end;
}

// As the window reads a float: to the nearest double, then to float.
bool parseFloat(std::string_view text, float &value)
{
    double wide = 0;
    if (!parse(text, wide) || !std::isfinite(wide) || wide <= 0)
        return false;
    value = static_cast<float>(wide);
    return true;
}

bool fovRow(const std::vector<std::string_view> &fields, float pixelSize)
{
    const std::string_view resolution = fields[1];
    const std::size_t x = resolution.find_first_of("xX*");
    std::int32_t width = 0, height = 0;
    float focalLength = 0;
    if (x == std::string_view::npos || !parse(resolution.substr(0, x), width)
        || !parse(resolution.substr(x + 1), height) || !parseFloat(fields[2], focalLength))
        return false;
    const double diagonal
            = std::sqrt(double(std::int64_t(width) * width + std::int64_t(height) * height));
    for (const double half : {double(width / 2), double(height / 2), diagonal / 2.0}) {
        const double tangent = half * 0.001 * double(pixelSize) / double(focalLength);
        out += ',';
        fixed(double(static_cast<float>(std::atan(tangent) * 57.29577951308232 * 2.0)), 4);
    }
    out += ",\n";
    return true;
}

bool distanceRow(const std::vector<std::string_view> &fields)
{
    float fov = 0, resolution = 0;
    if (!parseFloat(fields[1], fov) || !parseFloat(fields[2], resolution))
        return false;
    const double share = double(resolution / 500.0F);
    const double tangent = std::tan(double(fov) * 3.141592653589793 / 360.0);
    for (const float side : {0.5F, 1.4F, 5.0F}) {
        const double base = share / tangent * double(side);
        for (const double multiple : {1.0, 2.0, 4.0, 10.0}) {
            out += ',';
            fixed(base * multiple, 2);
        }
    }
    out += ",\n";
    return true;
}

// One record of three fields; a quoted field may hold commas and "".
bool splitRecord(std::string_view line, std::vector<std::string_view> &fields, std::string &name)
{
    fields.clear();
    if (!line.empty() && line[0] == '"') {
        name.clear();
        std::size_t at = 1;
        for (; at < line.size(); ++at) {
            if (line[at] == '"' && ++at < line.size() && line[at] != '"')
                break;
            name += line[at];
        }
        fields.push_back(name);
        line.remove_prefix(at < line.size() ? at + 1 : at);
    } else {
        const std::size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        line.remove_prefix(comma == std::string_view::npos ? line.size() : comma + 1);
    }
    const std::size_t comma = line.find(',');
    fields.push_back(line.substr(0, comma));
    fields.push_back(comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1));
    return comma != std::string_view::npos;
}

} // namespace

int main(int argc, char **argv)
{
    const bool fov = argc == 3 && std::strcmp(argv[1], "fov") == 0;
    float pixelSize = 0;
    if (!(fov ? parseFloat(argv[2], pixelSize)
              : argc == 2 && std::strcmp(argv[1], "distance") == 0))
        return 2;
    std::string input, unquoted;
    std::vector<std::string_view> fields;
    bool header = true;
    char block[1 << 16];
    for (ssize_t count; (count = ::read(0, block, sizeof block)) > 0;) {
        input.append(block, static_cast<std::size_t>(count));
        std::size_t start = 0;
        for (std::size_t end; (end = input.find('\n', start)) != std::string::npos;
             start = end + 1) {
            const std::string_view line(input.data() + start, end - start);
            if (std::exchange(header, false))
                continue;
            const bool complete = splitRecord(line, fields, unquoted);
            std::string_view name = fields[0];
            const bool quote = name.find_first_of(",\"") != std::string_view::npos;
            out.append(quote, '"');
            for (std::size_t at; (at = name.find('"')) != name.npos; name.remove_prefix(at + 1))
                out.append(name.substr(0, at + 1)) += '"';
            out.append(name).append(quote, '"');
            if (!complete || !(fov ? fovRow(fields, pixelSize) : distanceRow(fields)))
                out += ",bad row\n";
            if (out.size() >= sizeof block)
                flush();
        }
        input.erase(0, start);
    }
    flush();
    return 0;
}
