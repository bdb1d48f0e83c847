#include "lenscommand.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "pairs.h"
#include "pixeldensity.h"
#include "sitelevels.h"

#include <algorithm>

using Goal = LensPlan::Goal;

namespace {

// A level of the user's by its name, whatever its case and surrounding
// blanks.
std::optional<double> findLevel(const std::vector<SiteLevel> &levels, const QString &name)
{
    const QString wanted = name.trimmed().toLower();
    const auto found = std::find_if(levels.cbegin(), levels.cend(),
                                    [&](const SiteLevel &level) { return level.name == wanted; });
    return found == levels.cend() ? std::nullopt : std::optional<double>(found->pixelsPerMetre);
}

QString unknownLevel(const std::vector<SiteLevel> &levels, const QString &text)
{
    QStringList names;
    for (const SiteLevel &level : levels)
        names << level.name;
    return ::unknownLevel(text, names);
}

} // namespace

LensCommand::LensCommand()
    : PlannedCommand(
            QStringLiteral("lens"),
            QStringLiteral("The focal length for a wanted angle of view or pixel density."),
            QStringLiteral("Give --resolution and --hfov, or --density and --distance, or "
                           "--level and\n--distance. With --resolution it also gives the "
                           "horizontal angle of view\nof that focal length. Computed in "
                           "double precision throughout."))
    , m_pixelSize(addInput(pixelSizeInput(Need::required)))
    , m_resolution(addInput(horizontalResolutionInput(Need::optional)))
    , m_hfov(addInput(horizontalFovInput(Need::optional)))
    , m_density(addInput({QStringLiteral("density"), QStringLiteral("px/m"),
                          QStringLiteral("Wanted pixels per metre at the distance.")}))
    , m_level(addInput({QStringLiteral("level"), QStringLiteral("name"),
                        QStringLiteral("Wanted IEC 62676-4 level: ") + levelNames()
                                + QStringLiteral(", or one of --levels.")}))
    , m_distance(addInput(distanceInput()))
    , m_levels(addInput(levelsInput()))
    , m_focalLength(addResult({QStringLiteral("focal_length_mm"), QStringLiteral("Focal length"), 2,
                               QStringLiteral("mm")}))
    , m_horizontalFov(addResult({QStringLiteral("hfov_deg"), QStringLiteral("Horizontal FOV"), 4,
                                 QStringLiteral("\u00B0")}))
{
}

std::variant<UsageError, LensPlan> LensCommand::prepare(const GivenInputs &given) const
{
    if (given.given(m_hfov) + given.given(m_density) + given.given(m_level) != 1)
        return UsageError{QStringLiteral("give one of --hfov, --density or --level")};
    const Goal goal = given.given(m_hfov) ? Goal::fieldOfView
            : given.given(m_density)      ? Goal::density
                                          : Goal::level;
    if (goal == Goal::fieldOfView && !given.given(m_resolution))
        return UsageError{QStringLiteral("--hfov needs --resolution")};
    if (goal == Goal::fieldOfView && given.given(m_distance))
        return UsageError{QStringLiteral("--distance goes with --density or --level, not --hfov")};
    if (goal != Goal::fieldOfView && !given.given(m_distance))
        return UsageError{QStringLiteral("--%1 needs --distance")
                                  .arg(goal == Goal::density ? QLatin1String("density")
                                                             : QLatin1String("level"))};
    LensPlan plan{goal, std::nullopt};
    if (const auto text = given.commandLine[m_levels]) {
        auto parsed = parseLevels(*text);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return UsageError{*problem};
        plan.levels = std::move(std::get<std::vector<SiteLevel>>(parsed));
    }
    if (const auto &name = given.commandLine[m_level]) {
        if (plan.levels ? !findLevel(*plan.levels, *name) : !::findLevel(*name))
            return UsageError{plan.levels ? unknownLevel(*plan.levels, *name)
                                          : ::unknownLevel(*name)};
    }
    return plan;
}

std::optional<QString> LensCommand::calculate(const LensPlan &plan, const InputValues &values,
                                              Results &results, NoProduct & /*product*/) const
{
    FieldParser parse;
    const double pixelSizeUm = parse.positive(Field::pixelSize, values.field(m_pixelSize));
    // The resolution is optional unless the goal is an angle of view.
    const bool hasResolution = plan.goal == Goal::fieldOfView || values.given(m_resolution);
    const double pixels = hasResolution ? parse.horizontalPixels(values.field(m_resolution)) : 0.0;
    double focalLengthMm = 0;
    if (plan.goal == Goal::fieldOfView) {
        focalLengthMm
                = focalLengthForFov(pixels, pixelSizeUm, parse.fieldOfView(values.field(m_hfov)));
    } else {
        double pixelsPerMetre = 0;
        if (plan.goal == Goal::density) {
            pixelsPerMetre = parse.positive(Field::density, values.field(m_density));
        } else if (plan.levels) {
            const auto name = values[m_level];
            const auto wanted = name ? findLevel(*plan.levels, *name) : std::nullopt;
            if (!name)
                parse.fail(noValue(Field::level));
            else if (!wanted)
                parse.fail(unknownLevel(*plan.levels, *name));
            pixelsPerMetre = wanted.value_or(0.0);
        } else if (const DensityLevel *wanted = parse.level(values.field(m_level))) {
            pixelsPerMetre = wanted->pixelsPerMetre;
        }
        const double metres = parse.positive(Field::distance, values.field(m_distance));
        focalLengthMm = focalLengthForDensity(pixelSizeUm, pixelsPerMetre, metres);
    }
    if (parse.error())
        return parse.error();
    results.set(m_focalLength, focalLengthMm);
    if (hasResolution)
        results.set(m_horizontalFov, horizontalFov(pixels, pixelSizeUm, focalLengthMm));
    return nonFiniteResult(results, values);
}
