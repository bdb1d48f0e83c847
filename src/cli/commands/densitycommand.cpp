#include "densitycommand.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "pairs.h"
#include "pixeldensity.h"
#include "sitelevels.h"

DensityCommand::DensityCommand()
    : PlannedCommand(QStringLiteral("density"),
                     QStringLiteral("Pixel density at a distance, and how far each IEC 62676-4 "
                                    "level reaches."),
                     QStringLiteral("Density is the horizontal pixels over the scene width at the "
                                    "target. Give the\ncamera as --hfov, or as --pixel-size and "
                                    "--focal-length. Computed in double\nprecision throughout."))
    , m_resolution(addInput(horizontalResolutionInput(Need::required)))
    , m_hfov(addInput(horizontalFovInput(Need::optional)))
    , m_pixelSize(addInput(pixelSizeInput(Need::optional)))
    , m_focalLength(addInput(focalLengthInput(Need::optional)))
    , m_distance(addInput(distanceInput()))
    , m_levels(addInput(levelsInput()))
    , m_camera(cameraWays(m_hfov, m_pixelSize, m_focalLength))
    , m_sceneWidth(addResult({QStringLiteral("scene_width_m"), QStringLiteral("Scene width"), 2,
                              QStringLiteral("m")}))
    , m_perMetre(addResult(
              {QStringLiteral("px_per_m"), QStringLiteral("Density"), 1, QStringLiteral("px/m")}))
    , m_perFoot(addResult(
              {QStringLiteral("px_per_ft"), QStringLiteral("Density"), 1, QStringLiteral("px/ft")}))
{
    for (const DensityLevel &level : densityLevels)
        m_levelReach.push_back(addResult({QString::fromLatin1(level.name) + QStringLiteral("_m"),
                                          densityLevelLabel(level), 2, QStringLiteral("m")}));
}

std::variant<UsageError, DensityPlan> DensityCommand::prepare(const GivenInputs &given) const
{
    const auto camera = chooseWay(given, m_camera);
    if (const auto *error = std::get_if<UsageError>(&camera))
        return *error;
    DensityPlan plan{std::get<Way>(camera), {}, {}, {}};
    if (const auto text = given.commandLine[m_levels]) {
        auto parsed = parseLevels(*text);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return UsageError{*problem};
        // The same results before the levels, then the levels given.
        ResultTable table;
        for (int column = 0; column < resultTable().specs().size() - int(m_levelReach.size());
             ++column)
            table.add(resultTable().specs().at(column));
        for (const SiteLevel &level : std::get<std::vector<SiteLevel>>(parsed)) {
            plan.reach.push_back(table.add({level.name + QStringLiteral("_m"),
                                            levelLabel(level.name, level.pixelsPerMetre), 2,
                                            QStringLiteral("m")}));
            plan.levels.push_back(level.pixelsPerMetre);
        }
        plan.table = std::move(table);
    }
    return plan;
}

std::optional<QString> DensityCommand::calculate(const DensityPlan &plan, const InputValues &values,
                                                 Results &results, NoProduct & /*product*/) const
{
    const auto byLens = takesSecondWay(plan.camera, values, m_camera);
    if (const auto *problem = std::get_if<QString>(&byLens))
        return *problem;
    FieldParser parse;
    const double pixels = parse.horizontalPixels(values.field(m_resolution));
    CameraGeometry camera{};
    if (std::get<bool>(byLens)) {
        const double pixelSizeUm = parse.positive(Field::pixelSize, values.field(m_pixelSize));
        const double focalLengthMm
                = parse.positive(Field::focalLength, values.field(m_focalLength));
        camera = cameraFromLens(pixels, pixelSizeUm, focalLengthMm);
    } else {
        camera = cameraFromFov(pixels, parse.fieldOfView(values.field(m_hfov)));
    }
    // Without a distance there is no scene width, only the levels' reach.
    const bool atDistance = values.given(m_distance);
    const double metres
            = atDistance ? parse.positive(Field::distance, values.field(m_distance)) : 0.0;
    if (parse.error())
        return parse.error();
    if (atDistance) {
        const double perMetre = pixelsPerMetre(camera, metres);
        results.set(m_sceneWidth, sceneWidth(camera, metres));
        results.set(m_perMetre, perMetre);
        results.set(m_perFoot, perMetre * metresPerFoot);
    }
    if (plan.table) {
        for (std::size_t level = 0; level < plan.levels.size(); ++level)
            results.set(plan.reach[level], farthestDistance(camera, plan.levels[level]));
    } else {
        for (std::size_t level = 0; level < densityLevels.size(); ++level)
            results.set(m_levelReach[level],
                        farthestDistance(camera, densityLevels[level].pixelsPerMetre));
    }
    return nonFiniteResult(results, values);
}
