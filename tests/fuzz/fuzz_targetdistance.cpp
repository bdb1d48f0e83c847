#include "fuzzsupport.h"
#include "targetdistance.h"

#include <cmath>
#include <optional>

namespace {

// The report's word for each of the eight fields, in the order they are read.
const char *const fieldWords[] = {"FOV",       "Resolution", "Person param", "Person param",
                                  "Car param", "Car param",  "Boat param",   "Boat param"};
constexpr int fieldCount = 8;

// The base distance as written out step by step: hRes / 500 in single
// precision, over the tangent of half the field of view, times the smaller
// side.
double expectedDistance(float fov, float resolution, float x, float y)
{
    const double resolutionShare = static_cast<double>(resolution / 500.0F);
    const double tangent = std::tan(static_cast<double>(fov) * 3.141592653589793 / 360.0);
    return resolutionShare / tangent * static_cast<double>(x < y ? x : y);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList texts = fieldTexts(data, size, fieldCount);
    const auto outcome = calculateDistances(
            {texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], texts[7]});

    float values[fieldCount] = {};
    int firstBad = -1;
    for (int field = fieldCount - 1; field >= 0; --field) {
        bool ok = false;
        values[field] = texts[field].toFloat(&ok);
        if (!ok)
            firstBad = field;
    }

    const auto *error = std::get_if<InputError>(&outcome);
    require(bool(error) == (firstBad >= 0), "a report exactly when a field fails", texts);
    if (error) {
        require(error->fieldWord() == QLatin1String(fieldWords[firstBad]),
                "the first bad field's word", texts);
        require(error->fieldText == texts[firstBad], "the first bad field's text", texts);
        return 0;
    }

    const auto &distances = std::get<BaseDistances>(outcome);
    const QString metre = QStringLiteral("m");
    for (const auto &[distance, wanted] :
         {std::pair{distances.person, expectedDistance(values[0], values[1], values[2], values[3])},
          std::pair{distances.car, expectedDistance(values[0], values[1], values[4], values[5])},
          std::pair{distances.boat,
                    expectedDistance(values[0], values[1], values[6], values[7])}}) {
        require(sameValue(distance, wanted), "the base distances as worked out directly", texts);
        for (const double multiplier : {1.0, 2.0, 4.0, 10.0})
            require(showsValue(formatDistance(distance * multiplier), distance * multiplier, 2,
                               metre),
                    "a distance shown as it is", texts);
    }
    return 0;
}
