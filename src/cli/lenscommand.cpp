#include "lenscommand.h"

#include "pixeldensity.h"

#include <algorithm>

namespace {

enum Input { pixelSize, resolution, hfov, density, level, distance };
enum Result { focalLengthResult, hfovResult };

const DensityLevel *findLevel(const QString &name)
{
    const auto found = std::find_if(
            densityLevels.cbegin(), densityLevels.cend(), [&](const DensityLevel &level) {
                return name.trimmed().compare(QLatin1String(level.name), Qt::CaseInsensitive) == 0;
            });
    return found == densityLevels.cend() ? nullptr : found;
}

QString unknownLevel(const QString &name)
{
    return fieldError(QStringLiteral("Level"), name,
                      QStringLiteral("is not monitor, detect, observe, recognize, identify or "
                                     "inspect"));
}

} // namespace

LensCommand::LensCommand()
    : Command(QStringLiteral("lens"),
              QStringLiteral("The focal length for a wanted angle of view or pixel density."),
              QStringLiteral("Give --resolution and --hfov, or --density and --distance, or "
                             "--level and\n--distance. With --resolution it also gives the "
                             "horizontal angle of view\nof that focal length. Computed in double "
                             "precision throughout."))
{
    addInput(pixelSizeInput(true));
    addInput(horizontalResolutionInput(false));
    addInput(horizontalFovInput(false));
    addInput({QStringLiteral("density"), QStringLiteral("px/m"),
              QStringLiteral("Wanted pixels per metre at the distance.")});
    addInput({QStringLiteral("level"), QStringLiteral("name"),
              QStringLiteral("Wanted IEC 62676-4 level: monitor, detect, observe, recognize,\n"
                             "identify or inspect.")});
    addInput(distanceInput());
    addResult({QStringLiteral("focal_length_mm"), QStringLiteral("Focal length"), 2,
               QStringLiteral("mm")});
    addResult({QStringLiteral("hfov_deg"), QStringLiteral("Horizontal FOV"), 4,
               QStringLiteral("\u00B0")});
}

QString LensCommand::prepare(const QVector<bool> &given, const QStringList &commandLine)
{
    if (QString problem = Command::prepare(given, commandLine); !problem.isEmpty())
        return problem;
    if (given.at(hfov) + given.at(density) + given.at(level) != 1)
        return QStringLiteral("give one of --hfov, --density or --level");
    m_goal = given.at(hfov) ? Goal::FieldOfView : given.at(density) ? Goal::Density : Goal::Level;
    if (m_goal == Goal::FieldOfView && !given.at(resolution))
        return QStringLiteral("--hfov needs --resolution");
    if (m_goal == Goal::FieldOfView && given.at(distance))
        return QStringLiteral("--distance goes with --density or --level, not --hfov");
    if (m_goal != Goal::FieldOfView && !given.at(distance))
        return QStringLiteral("--%1 needs --distance")
                .arg(m_goal == Goal::Density ? QLatin1String("density") : QLatin1String("level"));
    if (!commandLine.at(level).isNull() && !findLevel(commandLine.at(level)))
        return unknownLevel(commandLine.at(level));
    return {};
}

QString LensCommand::calculate(const QStringList &values, Results &results) const
{
    FieldParser parse;
    const double pixelSizeUm = parse.positive(QStringLiteral("Pixel size"), values.at(pixelSize));
    // The resolution is optional unless the goal is an angle of view.
    const bool hasResolution = m_goal == Goal::FieldOfView || !values.at(resolution).isEmpty();
    const double pixels = hasResolution
            ? parse.positive(QStringLiteral("Resolution"), values.at(resolution))
            : 0.0;
    double focalLengthMm = 0;
    if (m_goal == Goal::FieldOfView) {
        focalLengthMm = focalLengthForFov(pixels, pixelSizeUm, parse.fieldOfView(values.at(hfov)));
    } else {
        double pixelsPerMetre = 0;
        if (m_goal == Goal::Density) {
            pixelsPerMetre = parse.positive(QStringLiteral("Density"), values.at(density));
        } else if (const DensityLevel *wanted = findLevel(values.at(level))) {
            pixelsPerMetre = wanted->pixelsPerMetre;
        } else {
            parse.fail(unknownLevel(values.at(level)));
        }
        const double metres = parse.positive(QStringLiteral("Distance"), values.at(distance));
        focalLengthMm = focalLengthForDensity(pixelSizeUm, pixelsPerMetre, metres);
    }
    if (!parse.error().isEmpty())
        return parse.error();
    results[focalLengthResult] = focalLengthMm;
    if (hasResolution)
        results[hfovResult] = horizontalFov(pixels, pixelSizeUm, focalLengthMm);
    return {};
}
