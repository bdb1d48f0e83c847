#include "densitycommand.h"

#include "pixeldensity.h"

namespace {

enum Input { resolution, hfov, pixelSize, focalLength, distance };
enum Result { sceneWidthResult, perMetreResult, perFootResult, firstLevelResult };

} // namespace

DensityCommand::DensityCommand()
    : Command(QStringLiteral("density"),
              QStringLiteral("Pixel density at a distance, and how far each IEC 62676-4 level "
                             "reaches."),
              QStringLiteral("Density is the horizontal pixels over the scene width at the "
                             "target. Give the\ncamera as --hfov, or as --pixel-size and "
                             "--focal-length. Computed in double\nprecision throughout."))
{
    addInput(horizontalResolutionInput(true));
    addInput(horizontalFovInput(false));
    addInput(pixelSizeInput(false));
    addInput(focalLengthInput(false));
    addInput(distanceInput());
    addResult({QStringLiteral("scene_width_m"), QStringLiteral("Scene width"), 2,
               QStringLiteral("m")});
    addResult({QStringLiteral("px_per_m"), QStringLiteral("Density"), 1, QStringLiteral("px/m")});
    addResult({QStringLiteral("px_per_ft"), QStringLiteral("Density"), 1, QStringLiteral("px/ft")});
    for (const DensityLevel &level : densityLevels) {
        const QString name = QString::fromLatin1(level.name);
        addResult({name + QStringLiteral("_m"),
                   QStringLiteral("%1%2 (%3 px/m)")
                           .arg(name.left(1).toUpper(), name.mid(1))
                           .arg(level.pixelsPerMetre),
                   2, QStringLiteral("m")});
    }
}

QString DensityCommand::prepare(const QVector<bool> &given, const QStringList &commandLine)
{
    if (QString problem = Command::prepare(given, commandLine); !problem.isEmpty())
        return problem;
    m_fromLens = given.at(pixelSize) || given.at(focalLength);
    if (given.at(hfov) == m_fromLens)
        return QStringLiteral("give --hfov, or --pixel-size and --focal-length");
    if (m_fromLens && !(given.at(pixelSize) && given.at(focalLength)))
        return QStringLiteral("--pixel-size and --focal-length go together");
    return {};
}

QString DensityCommand::calculate(const QStringList &values, Results &results) const
{
    FieldParser parse;
    const double pixels = parse.positive(QStringLiteral("Resolution"), values.at(resolution));
    CameraGeometry camera{};
    if (m_fromLens) {
        const double pixelSizeUm
                = parse.positive(QStringLiteral("Pixel size"), values.at(pixelSize));
        const double focalLengthMm
                = parse.positive(QStringLiteral("Focal length"), values.at(focalLength));
        camera = cameraFromLens(pixels, pixelSizeUm, focalLengthMm);
    } else {
        camera = cameraFromFov(pixels, parse.fieldOfView(values.at(hfov)));
    }
    // Without a distance there is no scene width, only the levels' reach.
    const bool atDistance = !values.at(distance).isEmpty();
    const double metres
            = atDistance ? parse.positive(QStringLiteral("Distance"), values.at(distance)) : 0.0;
    if (!parse.error().isEmpty())
        return parse.error();
    if (atDistance) {
        results[sceneWidthResult] = sceneWidth(camera, metres);
        results[perMetreResult] = pixelsPerMetre(camera, metres);
        results[perFootResult] = *results[perMetreResult] * metresPerFoot;
    }
    for (std::size_t level = 0; level < densityLevels.size(); ++level)
        results[firstLevelResult + static_cast<int>(level)]
                = farthestDistance(camera, densityLevels[level].pixelsPerMetre);
    return {};
}
