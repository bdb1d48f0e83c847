#include "fovcommand.h"

#include "fieldmessages.h"
#include "fieldofview.h"
#include "fieldparser.h"
#include "numbertext.h"
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
                             true}))
    , m_pixelSize(addInput(pixelSizeInput(true)))
    , m_focalLength(addInput(focalLengthInput(true)))
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

// Plain numbers skip QString; they parse to the same values, so the angles
// are the same.
std::optional<AnglesOfView> FovCommand::plainAngles(const InputValues &values) const
{
    const auto resolution = values.bytes(m_resolution);
    const auto sides = resolution ? splitPair(*resolution) : std::nullopt;
    if (!sides || !values.given(m_focalLength) || !values.given(m_pixelSize))
        return std::nullopt;
    const auto width = plainInt(sides->first);
    const auto height = plainInt(sides->second);
    const auto focalLength = plainFloat(*values.bytes(m_focalLength));
    const auto pixelSize = plainFloat(*values.bytes(m_pixelSize));
    if (!width || !height || !focalLength || !pixelSize)
        return std::nullopt;
    return anglesOfView({*width, *height}, *focalLength, *pixelSize);
}

// Any other text as the window parses it, and reports it in the command
// line's words.
std::variant<QString, AnglesOfView> FovCommand::parsedAngles(const InputValues &values) const
{
    const QString resolutionWord = QStringLiteral("Resolution");
    if (!values.given(m_resolution))
        return noValue(resolutionWord);
    const QString resolution = *values[m_resolution];
    const auto sides = splitPair(resolution);
    const QString notAPair = QStringLiteral("is not WIDTHxHEIGHT");
    if (!sides)
        return fieldError(resolutionWord, resolution, notAPair);
    // The custom-resolution mark makes the core parse width and height as
    // the window parses its "Other" fields. A value not given parses as
    // empty, which fails in its place in the window's order.
    const auto outcome = calculateFieldOfView({{-1, -1},
                                               sides->first,
                                               sides->second,
                                               values[m_focalLength].value_or(QString()),
                                               values[m_pixelSize].value_or(QString())});
    const auto *error = std::get_if<InputError>(&outcome);
    if (!error)
        return std::get<AnglesOfView>(outcome);
    if (error->fieldWord == resolutionWord)
        return fieldError(resolutionWord, resolution, notAPair);
    const bool focalLength = error->fieldWord == QLatin1String("Focal length");
    if (!values.given(focalLength ? m_focalLength : m_pixelSize))
        return noValue(error->fieldWord);
    return notANumber(*error);
}

std::optional<QString> FovCommand::calculate(const NoPlan & /*plan*/, const InputValues &values,
                                             Results &results) const
{
    auto angles = plainAngles(values);
    if (!angles) {
        const auto parsed = parsedAngles(values);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return *problem;
        angles = std::get<AnglesOfView>(parsed);
    }
    results.set(m_horizontal, static_cast<double>(angles->horizontal));
    results.set(m_vertical, static_cast<double>(angles->vertical));
    results.set(m_diagonal, static_cast<double>(angles->diagonal));
    return std::nullopt;
}
