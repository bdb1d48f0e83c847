#include "coveragecommand.h"

#include "pointschedule.h"

#include "gapfiles.h"
#include "mapsinks.h"
#include "picturemodule.h"
#include "readfiles.h"
#include "sitelevels.h"
#include "streams.h"
#include "textappend.h"
#include "wholefile.h"

#include <cmath>

namespace {

InputSpec option(const char *name, const char *valueName, const char *description,
                 bool repeatable = false)
{
    InputSpec input = commandLineOnly({QString::fromLatin1(name), QString::fromLatin1(valueName),
                                       QString::fromLatin1(description)});
    input.repeatable = repeatable;
    return input;
}

// A share that falls short, with the table's two decimals, or as many more
// as it takes to show it short: 99.9975 is not "100.00".
QString shortOf(double share, double required)
{
    int decimals = 2;
    while (decimals < 9
           && std::round(share * std::pow(10.0, decimals)) / std::pow(10.0, decimals) >= required)
        ++decimals;
    return fixed(share, decimals);
}

} // namespace

CoverageCommand::CoverageCommand()
    : PlannedCommand(
            QStringLiteral("coverage"),
            QStringLiteral("How much of a site each level covers, gaps and redundancy "
                           "included."),
            QStringLiteral(
                    "The cameras of the schedule, placed as footprint places them, over the\n"
                    "areas of --site less its obstacles. A level counts at a point of the\n"
                    "target's plane when at least one camera meets it there, unhidden. One\n"
                    "row per level, loosest first, then one per privacy zone: the part of it\n"
                    "seen at the loosest level."))
    , m_site([this](InputSpec input) { return addInput(std::move(input)); },
             [this](ResultSpec result) { return addResult(std::move(result)); })
    , m_gaps(addInput(option("gaps", "FILE",
                             "Also write the uncovered ground of each level as "
                             "GeoJSON.")))
    , m_plot(addInput(
              option("plot", "FILE", "Also draw the site plan from above as SVG into FILE.")))
    , m_require(addInput(option("require", "LEVEL=PCT",
                                "Exit with status 4 when the level covers less; "
                                "repeatable.",
                                true)))
{
}

std::variant<UsageError, CoveragePlan> CoverageCommand::prepare(const GivenInputs &given) const
{
    CoveragePlan plan;
    auto site
            = m_site.prepare(given, SiteInputReader::Area::needed, [&]() -> std::optional<QString> {
                  plan.gaps = given.commandLine[m_gaps];
                  if (plan.gaps && plan.gaps->isEmpty())
                      return QStringLiteral("--gaps needs a file name");
                  plan.plot = given.commandLine[m_plot];
                  if (plan.plot && plan.plot->isEmpty())
                      return QStringLiteral("--plot needs a file name");
                  return std::nullopt;
              });
    if (auto *error = std::get_if<UsageError>(&site))
        return std::move(*error);
    plan.site = std::get<SiteInputs>(std::move(site));
    if (plan.gaps) {
        if (const auto problem = refusesGapsFile(*plan.gaps, plan.site))
            return UsageError{*problem};
    }
    if (const auto require = given.commandLine[m_require]) {
        auto parsed = parseRequirements(*require, plan.site.levels);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return UsageError{*problem};
        plan.requirements = std::move(std::get<std::vector<Requirement>>(parsed));
    }
    return plan;
}

std::optional<QString> CoverageCommand::refusesOutput(const CoveragePlan &plan) const
{
    // One would replace the other, and the run would say nothing of it.
    if (plan.gaps && plan.plot && namesOneFile(*plan.gaps, *plan.plot))
        return QStringLiteral("cannot write %1: --gaps and --plot name one file").arg(*plan.plot);
    return m_site.refusesOutput(plan.site, outputFiles(plan), plan.plot.has_value());
}

QStringList CoverageCommand::outputFiles(const CoveragePlan &plan) const
{
    QStringList files;
    for (const auto &path : {plan.gaps, plan.plot}) {
        if (path)
            files << *path;
    }
    return files;
}

std::optional<QString> CoverageCommand::calculate(const CoveragePlan &plan,
                                                  const InputValues &values, Results &results,
                                                  PlacedRecord &product) const
{
    if (const auto problem = m_site.place(plan.site, values, true, results, product))
        return problem;
    if (const auto problem = nonFiniteResult(results, values))
        return problem;
    return workShare(plan.site, product);
}

std::unique_ptr<RecordSink> CoverageCommand::makeSink(const CoveragePlan & /*plan*/, SiteRun &run,
                                                      const OutputFormat &format,
                                                      const QStringList &passThroughNames,
                                                      const Streams &streams) const
{
    run.nameColumn = nameColumnOf(passThroughNames);
    return format.make(m_table.results(), CoverageTable::rowNames(), streams.output);
}

std::optional<QString> CoverageCommand::write(const CoveragePlan &plan, SiteRun &run,
                                              PlacedRecord &&product, RecordSink & /*sink*/,
                                              const Results & /*results*/,
                                              const RecordAnswer &answer) const
{
    return run.add(plan.site,
                   {cameraName(answer.passThrough, run.nameColumn, answer.line),
                    std::move(product),
                    {},
                    answer.line});
}

void CoverageCommand::writeError(const CoveragePlan & /*plan*/, SiteRun &run, RecordSink & /*sink*/,
                                 const QString &message, const RecordAnswer & /*answer*/,
                                 const Streams &streams) const
{
    run.leaveOut(message);
    printLine(streams, messagePrefix() + message);
}

RunEnd CoverageCommand::endRun(const CoveragePlan &plan, SiteRun &&run, RecordSink &sink,
                               const Streams &streams) const
{
    if (const auto note = run.leftOutNote("coverage"))
        printLine(streams, messagePrefix() + *note);
    auto finished = std::move(run).finish(plan.site, {true, plan.plot.has_value()});
    if (const auto *problem = std::get_if<QString>(&finished))
        return {ExitStatus::notWorkedOut,
                QStringLiteral("cannot work out the coverage: %1").arg(*problem)};
    const SiteRun::Ended &ended = std::get<SiteRun::Ended>(finished);
    const CoverageReport &report = *ended.coverage.report;
    m_table.write(report, plan.site.levels, sink);
    RunEnd end;
    for (const Requirement &requirement : plan.requirements) {
        const CoverageRow &row = report.levels[requirement.level];
        // The exact share, not the table's rounding of it, meets the figure.
        const double share = row.area > 0.0 ? 100.0 * row.covered / row.area : 0.0;
        if (share >= requirement.percent)
            continue;
        end.status = ExitStatus::fallsShort;
        printLine(streams,
                  messagePrefix()
                          + QStringLiteral("%1 covers %2 %, less than the %3 % required")
                                    .arg(plan.site.levels[requirement.level].name,
                                         shortOf(share, requirement.percent),
                                         QString::number(requirement.percent)));
    }
    // Both files, or neither.
    WholeFiles files;
    std::optional<QString> problem;
    if (plan.plot)
        problem = drawSite(*ended.coverage.drawing, *plan.plot, files);
    QStringList warnings;
    if (plan.gaps && !problem)
        problem = addGapsFile(*plan.gaps, report, plan.site, files, warnings);
    for (const QString &warning : warnings)
        printLine(streams, messagePrefix() + QStringLiteral("warning: %1").arg(warning));
    if (!problem)
        problem = files.put();
    if (problem)
        return {ExitStatus::outputFailed, problem};
    return end;
}

QStringList CoverageCommand::warnings(const CoveragePlan &plan) const
{
    return plan.site.warnings;
}

std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
CoverageCommand::otherBatch(const QString &path, const InputValues &commandLine) const
{
    return pointSchedule(path, m_site.bearingGiven(commandLine));
}
