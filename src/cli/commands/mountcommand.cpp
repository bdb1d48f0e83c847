#include "mountcommand.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "pairs.h"
#include "picturefiles.h"
#include "picturemodule.h"
#include "sitelevels.h"

#include <QDir>

namespace {

InputSpec plotInput()
{
    return commandLineOnly({QStringLiteral("plot"), QStringLiteral("FILE"),
                            QStringLiteral("Also draw the side and top views as SVG into FILE; "
                                           "in a batch FILE is a folder, with one picture per "
                                           "record.")});
}

} // namespace

MountCommand::MountCommand()
    : PlannedCommand(
            QStringLiteral("mount"),
            QStringLiteral("A camera on a pole: blind zone, coverage, and how far each level "
                           "holds."),
            QStringLiteral(
                    "An ideal pinhole camera over flat ground, without roll, its lens --height\n"
                    "metres up and tilted down by --tilt degrees, or aimed so that the top of\n"
                    "the view passes through the target's height at --aim metres. Distances\n"
                    "are ground distances from the foot of the pole; densities are taken at\n"
                    "the depth along the optical axis. Double precision throughout."))
    , m_mount([this](InputSpec input) { return addInput(std::move(input)); })
    , m_distance(addInput(metresInput("distance", "Also what holds at this ground distance.")))
    , m_plot(addInput(plotInput()))
    , m_levels(addInput(levelsInput()))
    , m_maxAngles(addInput(maxAnglesInput()))
    , m_standardLevels(standardLevels())
    , m_figures([this](ResultSpec result) { return addResult(std::move(result)); },
                m_standardLevels)
{
}

std::variant<UsageError, MountPlan> MountCommand::prepare(const GivenInputs &given) const
{
    const auto ways = m_mount.prepare(given);
    if (const auto *error = std::get_if<UsageError>(&ways))
        return *error;
    MountPlan plan;
    plan.ways = std::get<MountInputs::Ways>(ways);
    plan.plot = given.commandLine[m_plot];
    plan.batch = given.batch;
    if (plan.plot && plan.plot->isEmpty())
        return UsageError{QStringLiteral("--plot needs a file name")};
    std::vector<SiteLevel> levels = m_standardLevels;
    if (const auto text = given.commandLine[m_levels]) {
        auto parsed = parseLevels(*text);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return UsageError{*problem};
        levels = std::move(std::get<std::vector<SiteLevel>>(parsed));
    }
    const QStringList limits = wholeValues(given.commandLine[m_maxAngles]);
    if (const auto problem = applyMaxAngles(limits, levels))
        return UsageError{*problem};
    if (given.commandLine.given(m_levels) || !limits.isEmpty())
        plan.own.emplace(std::move(levels));
    return plan;
}

std::optional<QString> MountCommand::refusesOutput(const MountPlan &plan) const
{
    if (!plan.plot)
        return std::nullopt;
    if (const auto refusal
        = plan.batch ? refusesPictureFolder(*plan.plot) : refusesPictureFile(*plan.plot))
        return refusal;
    return pictureModuleProblem();
}

std::variant<QString, MountSurvey> MountCommand::survey(const MountPlan &plan,
                                                        const InputValues &values) const
{
    FieldParser parse;
    MountInputs::Unpointed unpointed{};
    if (const auto problem = m_mount.readCamera(plan.ways, values, parse, unpointed))
        return *problem;
    const auto distance = values.given(m_distance)
            ? std::optional<double>(parse.nonNegative(Field::distance, values.field(m_distance)))
            : std::nullopt;
    const MountedCamera camera = m_mount.point(unpointed, values, parse);
    if (parse.error())
        return *parse.error();
    return surveyMount(camera, unpointed.targetHeight, distance,
                       plan.own ? plan.own->levels : m_standardLevels);
}

std::optional<QString> MountCommand::calculate(const MountPlan &plan, const InputValues &values,
                                               Results &results, MountSurvey &product) const
{
    const auto surveyed = survey(plan, values);
    if (const auto *problem = std::get_if<QString>(&surveyed))
        return *problem;
    const MountSurvey &mount = product = std::get<MountSurvey>(surveyed);
    const MountFigures &figures = plan.own ? plan.own->figures : m_figures;
    figures.set(mount, results);
    // Infinity answers only where the view reaches the horizon, and as the
    // density where the depth is 0; anywhere else it is an overflow.
    return nonFiniteResult(results, values, figures.infiniteAnswers(mount));
}

std::optional<PublishFailure> MountCommand::publish(const MountPlan &plan,
                                                    const MountSurvey &survey,
                                                    const QString &recordName) const
{
    QString path = *plan.plot;
    if (plan.batch) {
        if (const auto problem = makeFolder(path))
            return PublishFailure{*problem};
        path = QDir(path).filePath(recordName + QStringLiteral(".svg"));
        if (const auto problem = unnameablePicture(path))
            return PublishFailure{*problem, PublishFailure::recordOnly};
        if (const auto refusal = refusesPictureFile(path))
            return PublishFailure{*refusal};
    }
    if (const auto problem = drawMountPicture(survey, path))
        return PublishFailure{*problem};
    return std::nullopt;
}
