#include "fovcommand.h"

#include "fieldofview.h"

namespace {

enum Input { resolution, pixelSize, focalLength };

} // namespace

FovCommand::FovCommand()
    : Command(
            QStringLiteral("fov"),
            QStringLiteral("Horizontal, vertical and diagonal angle of view of a sensor and lens."),
            QStringLiteral("Parses, computes and rounds exactly as the window's FOV tab does:\n"
                           "single-precision inputs and angles, horizontal and vertical pixel\n"
                           "counts halved as integers."))
{
    addInput({QStringLiteral("resolution"), QStringLiteral("WxH"),
              QStringLiteral("Sensor resolution in pixels, as 1920x1080 or 1920*1080."), true});
    addInput(pixelSizeInput(true));
    addInput(focalLengthInput(true));
    const QString degree = QStringLiteral("\u00B0");
    addResult({QStringLiteral("horizontal_deg"), QStringLiteral("Horizontal FOV"), 4, degree});
    addResult({QStringLiteral("vertical_deg"), QStringLiteral("Vertical FOV"), 4, degree});
    addResult({QStringLiteral("diagonal_deg"), QStringLiteral("Diagonal FOV"), 4, degree});
}

QString FovCommand::calculate(const QStringList &values, Results &results) const
{
    QString width;
    QString height;
    if (!splitPair(values.at(resolution), width, height)) {
        return fieldError(QStringLiteral("Resolution"), values.at(resolution),
                          QStringLiteral("is not WIDTHxHEIGHT"));
    }
    // The custom-resolution mark makes the core parse width and height as
    // the window parses its "Other" fields.
    const auto outcome = calculateFieldOfView(
            {{-1, -1}, width, height, values.at(focalLength), values.at(pixelSize)});
    if (const auto *error = std::get_if<InputError>(&outcome))
        return notANumber(*error);
    const auto &angles = std::get<AnglesOfView>(outcome);
    results[0] = static_cast<double>(angles.horizontal);
    results[1] = static_cast<double>(angles.vertical);
    results[2] = static_cast<double>(angles.diagonal);
    return {};
}
