#include "fieldofview.h"
#include "fuzzsupport.h"

#include <cmath>
#include <limits>
#include <optional>

// The model's exact sum of two squares needs the 64-bit significand of x87.
static_assert(std::numeric_limits<long double>::digits >= 64, "needs an extended long double");

namespace {

// A separate model of the pinhole angle, in long double: twice the arc
// tangent of the half extent on the sensor (pixels times micrometres over a
// thousand) over the focal length, in degrees. The window computes in double
// and narrows to float, which may round the other way where the value lies
// at a float's half unit; one unit apart is the same angle.
float modelAngle(long double halfExtent, float focalLength, float pixelSize)
{
    constexpr long double pi = 3.141592653589793238462643383279503L;
    const long double tangent = halfExtent * static_cast<long double>(pixelSize) / 1000.0L
            / static_cast<long double>(focalLength);
    return static_cast<float>(std::atan(tangent) * (360.0L / pi));
}

bool sameAngle(float actual, float model)
{
    if (sameValue(actual, model))
        return true;
    return std::isfinite(actual) && std::isfinite(model)
            && (std::nextafter(model, std::numeric_limits<float>::infinity()) == actual
                || std::nextafter(model, -std::numeric_limits<float>::infinity()) == actual);
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

    // The sides are halved as integers, as the window halves them; the
    // diagonal is exact in long double's 64-bit significand.
    const long double diagonal = std::sqrt(static_cast<long double>(sensor.x) * sensor.x
                                           + static_cast<long double>(sensor.y) * sensor.y);
    const AnglesOfView expected{modelAngle(sensor.x / 2, focalLength, pixelSize),
                                modelAngle(sensor.y / 2, focalLength, pixelSize),
                                modelAngle(diagonal / 2.0L, focalLength, pixelSize)};
    const auto &angles = std::get<AnglesOfView>(outcome);
    const QString degree = QStringLiteral("\u00B0");
    for (const auto &[angle, wanted] : {std::pair{angles.horizontal, expected.horizontal},
                                        std::pair{angles.vertical, expected.vertical},
                                        std::pair{angles.diagonal, expected.diagonal}}) {
        require(sameAngle(angle, wanted), "the angles of a separate model", texts);
        require(showsValue(formatAngle(angle), angle, 4, degree), "an angle shown as it is", texts);
    }
    return 0;
}
