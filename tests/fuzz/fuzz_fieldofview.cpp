#include "fieldofview.h"
#include "fuzzsupport.h"

#include <cmath>
#include <limits>
#include <optional>

// The exact sum of two squares below needs the 64-bit significand of x87.
static_assert(std::numeric_limits<long double>::digits >= 64, "needs an extended long double");

namespace {

// The angle as written out step by step: half extent in pixels, times
// 0.001, times the pixel size, over the focal length; the arc tangent in
// degrees, doubled, narrowed to single precision.
float expectedAngle(double halfExtent, float focalLength, float pixelSize)
{
    const double tangent = halfExtent * 0.001 * static_cast<double>(pixelSize)
            / static_cast<double>(focalLength);
    return static_cast<float>(std::atan(tangent) * 57.29577951308232 * 2.0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The first line chooses "Other" or a preset; the next four are the
    // custom width and height, focal length and pixel size. "Other" reaches
    // every pair of sides a preset could hold.
    const QStringList texts = fieldTexts(data, size, 5);
    const Resolution selected
            = texts[0] == QLatin1String("Other") ? Resolution{-1, -1} : Resolution{1920, 1080};
    const FieldOfViewInput input{selected, texts[1], texts[2], texts[3], texts[4]};
    const auto outcome = calculateFieldOfView(input);

    // Which field a person would be told about: the first of those the
    // selection makes relevant that does not parse.
    bool widthOk = true;
    bool heightOk = true;
    Resolution sensor = selected;
    if (isCustomResolutionMark(selected)) {
        sensor = {input.customWidth.toInt(&widthOk, 10), input.customHeight.toInt(&heightOk, 10)};
    }
    bool focalOk = false;
    bool pixelOk = false;
    const float focalLength = input.focalLength.toFloat(&focalOk);
    const float pixelSize = input.pixelSize.toFloat(&pixelOk);
    std::optional<InputError> expectedError;
    if (!widthOk)
        expectedError = InputError{Field::resolution, input.customWidth};
    else if (!heightOk)
        expectedError = InputError{Field::resolution, input.customHeight};
    else if (!focalOk)
        expectedError = InputError{Field::focalLength, input.focalLength};
    else if (!pixelOk)
        expectedError = InputError{Field::pixelSize, input.pixelSize};

    const auto *error = std::get_if<InputError>(&outcome);
    require(bool(error) == bool(expectedError), "a report exactly when a field fails", texts);
    if (error) {
        require(error->field == expectedError->field, "the first bad field's word", texts);
        require(error->fieldText == expectedError->fieldText, "the first bad field's text", texts);
        return 0;
    }

    const double squaredDiagonal
            = static_cast<double>(static_cast<long double>(sensor.x) * sensor.x
                                  + static_cast<long double>(sensor.y) * sensor.y);
    const AnglesOfView expected{
            expectedAngle(sensor.x / 2, focalLength, pixelSize),
            expectedAngle(sensor.y / 2, focalLength, pixelSize),
            expectedAngle(std::sqrt(squaredDiagonal) / 2.0, focalLength, pixelSize)};
    const auto &angles = std::get<AnglesOfView>(outcome);
    const QString degree = QStringLiteral("\u00B0");
    for (const auto &[angle, wanted] : {std::pair{angles.horizontal, expected.horizontal},
                                        std::pair{angles.vertical, expected.vertical},
                                        std::pair{angles.diagonal, expected.diagonal}}) {
        require(sameValue(angle, wanted), "the angles as worked out directly", texts);
        require(showsValue(formatAngle(angle), angle, 4, degree), "an angle shown as it is", texts);
    }
    return 0;
}
