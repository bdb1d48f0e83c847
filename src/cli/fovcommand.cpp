#include "fovcommand.h"

#include "fieldofview.h"
#include "fieldparser.h"

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

std::optional<QString> FovCommand::calculate(const NoPlan & /*plan*/, const InputValues &values,
                                             Results &results) const
{
    const QString resolutionWord = QStringLiteral("Resolution");
    if (!values[m_resolution])
        return noValue(resolutionWord);
    const QString &resolution = *values[m_resolution];
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
    if (const auto *error = std::get_if<InputError>(&outcome)) {
        if (error->fieldWord == resolutionWord)
            return fieldError(resolutionWord, resolution, notAPair);
        const bool focalLength = error->fieldWord == QLatin1String("Focal length");
        if (!values[focalLength ? m_focalLength : m_pixelSize])
            return noValue(error->fieldWord);
        return notANumber(*error);
    }
    const auto &angles = std::get<AnglesOfView>(outcome);
    results.set(m_horizontal, static_cast<double>(angles.horizontal));
    results.set(m_vertical, static_cast<double>(angles.vertical));
    results.set(m_diagonal, static_cast<double>(angles.diagonal));
    return std::nullopt;
}
