#include "fovcommand.h"

#include "fieldmessages.h"
#include "fieldofview.h"
#include "fieldparser.h"
#include "fieldtext.h"
#include "pairs.h"

namespace {

const QString degree = QStringLiteral("\u00B0");

} // namespace

FovCommand::FovCommand()
    : PlannedCommand(
            QStringLiteral("fov"),
            QStringLiteral("Horizontal, vertical and diagonal angle of view of a sensor and lens."),
            QStringLiteral("Parses, computes and rounds exactly as the window's FOV tab does:\n"
                           "single-precision inputs and angles, horizontal and vertical pixel\n"
                           "counts halved as integers."))
    , m_resolution(addInput({QStringLiteral("resolution"), QStringLiteral("WxH"),
                             QStringLiteral("Sensor resolution in pixels, as 1920x1080 or "
                                            "1920*1080."),
                             Need::required}))
    , m_pixelSize(addInput(pixelSizeInput(Need::required)))
    , m_focalLength(addInput(focalLengthInput(Need::required)))
    , m_horizontal(addResult(
              {QStringLiteral("horizontal_deg"), QStringLiteral("Horizontal FOV"), 4, degree}))
    , m_vertical(addResult(
              {QStringLiteral("vertical_deg"), QStringLiteral("Vertical FOV"), 4, degree}))
    , m_diagonal(addResult(
              {QStringLiteral("diagonal_deg"), QStringLiteral("Diagonal FOV"), 4, degree}))
{
}

std::variant<UsageError, NoPlan> FovCommand::prepare(const GivenInputs & /*given*/) const
{
    return NoPlan{};
}

// The tab's fields in its order, each parsed as the window parses it: the
// resolution's width and height, the focal length, the pixel size. The first
// that does not parse is reported, in the command line's words.
std::optional<QString> FovCommand::calculate(const NoPlan & /*plan*/, const InputValues &values,
                                             Results &results, NoProduct & /*product*/) const
{
    const auto resolution = values.bytes(m_resolution);
    if (!resolution)
        return noValue(Field::resolution);
    const auto sides = splitPair(*resolution);
    const auto width = sides ? toIntLikeQt(sides->first) : std::nullopt;
    const auto height = sides ? toIntLikeQt(sides->second) : std::nullopt;
    if (!width || !height)
        return fieldError(Field::resolution, fieldText(*resolution),
                          QStringLiteral("is not WIDTHxHEIGHT"));
    FieldParser parse;
    const float focalLength = parse.windowFloat(Field::focalLength, values.bytes(m_focalLength));
    const float pixelSize = parse.windowFloat(Field::pixelSize, values.bytes(m_pixelSize));
    if (parse.error())
        return parse.error();
    const AnglesOfView angles = anglesOfView({*width, *height}, focalLength, pixelSize);
    results.set(m_horizontal, static_cast<double>(angles.horizontal));
    results.set(m_vertical, static_cast<double>(angles.vertical));
    results.set(m_diagonal, static_cast<double>(angles.diagonal));
    return std::nullopt;
}
