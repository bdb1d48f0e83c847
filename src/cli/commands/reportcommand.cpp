#include "reportcommand.h"

#include "pointschedule.h"

#include "interruption.h"
#include "sitelevels.h"

#include "figuresink.h"
#include "picturemodule.h"
#include "programname.h"
#include "reportdocument.h"
#include "streams.h"
#include "textappend.h"

#include <QMap>

#include <array>

namespace {

constexpr std::array<const char *, 4> paperNames{"a4", "a3", "letter", "tabloid"};
constexpr std::array<ReportDocument::Paper, paperNames.size()> paperSizes{
        ReportDocument::Paper::a4, ReportDocument::Paper::a3, ReportDocument::Paper::letter,
        ReportDocument::Paper::tabloid};
constexpr std::array<const char *, 2> orientations{"landscape", "portrait"};
const QString defaultTitle = QStringLiteral("Camera plan");
const QString notMet = QStringLiteral("\u2013");

template <std::size_t size>
QString choices(const std::array<const char *, size> &names)
{
    QStringList list;
    for (const char *name : names)
        list << QString::fromLatin1(name);
    return list.join(QLatin1Char('|'));
}

// Which of the names the text is, in any case.
template <std::size_t size>
std::optional<std::size_t> chosen(const std::array<const char *, size> &names, const QString &text)
{
    for (std::size_t index = 0; index < size; ++index) {
        if (text.compare(QLatin1String(names[index]), Qt::CaseInsensitive) == 0)
            return index;
    }
    return std::nullopt;
}

InputSpec option(const char *name, QString valueName, const char *description,
                 Need need = Need::optional)
{
    InputSpec input = commandLineOnly(
            {QString::fromLatin1(name), std::move(valueName), QString::fromLatin1(description)});
    input.need = need;
    return input;
}

// SOURCE_DATE_EPOCH as reproducible builds define it: whole seconds since
// 1970, UTC. A malformed one is refused rather than ignored.
std::variant<QString, std::optional<qint64>> sourceDate()
{
    const QByteArray given = qgetenv("SOURCE_DATE_EPOCH");
    if (given.isNull())
        return std::optional<qint64>();
    bool ok = false;
    const qint64 seconds = given.toLongLong(&ok);
    // Four-digit years only: what a PDF date holds.
    constexpr qint64 year10000 = 253402300800;
    if (!ok || given.startsWith('+'))
        return QStringLiteral("SOURCE_DATE_EPOCH \"%1\" is not a whole number of seconds "
                              "since 1970")
                .arg(QString::fromLocal8Bit(given));
    if (seconds < 0 || seconds >= year10000)
        return QStringLiteral("SOURCE_DATE_EPOCH \"%1\" is out of range: a report is dated "
                              "from 1970 to 9999")
                .arg(QString::fromLocal8Bit(given));
    return std::optional<qint64>(seconds);
}

QString resolutionText(const MountedCamera &camera)
{
    return QStringLiteral("%1 \u00D7 %2")
            .arg(camera.view.horizontal.horizontalPixels)
            .arg(camera.view.verticalPixels);
}

// A value as its result shows it, with its unit.
QString shown(const ResultTable &table, ResultId result, double value)
{
    const ResultSpec &declared = table.declared(result);
    return shownWithUnit(value, declared.decimals, declared.unit);
}

// The records that were written nowhere: the report is made at the end.
class NoRecords final : public RecordSink
{
public:
    using RecordSink::RecordSink;

private:
    void write(const FieldList & /*passThrough*/, const Results * /*results*/,
               const QString & /*error*/) override
    {
    }
};

// The document's pages from what the run ended with.
class ReportPages
{
public:
    ReportPages(const ReportPlan &plan, const SiteRun::Ended &ended,
                const QStringList &passThroughNames, const ResultTable &placedTable,
                const PlacedResults &placed)
        : m_plan(plan)
        , m_ended(ended)
        , m_passThroughNames(passThroughNames)
        , m_placedTable(placedTable)
        , m_placed(placed)
        , m_mount(plan.site.levels)
    {
    }

    void fillCoverage(const CoverageTable &coverage, ReportDocument &document) const;
    void fillCameras(ReportDocument &document) const;
    void fillBill(ReportDocument &document) const;
    void fillAssumptions(ReportDocument &document) const;

private:
    QString lensText(const PlacedRecord &record) const;
    QString planPositions() const;

    const ReportPlan &m_plan;
    const SiteRun::Ended &m_ended;
    const QStringList &m_passThroughNames;
    const ResultTable &m_placedTable;
    const PlacedResults &m_placed;
    const MountFigureTable m_mount; // whose figures each camera's page shows
};

// The lens as the row gave it, else the angle of view.
QString ReportPages::lensText(const PlacedRecord &record) const
{
    if (!record.lens)
        return shown(m_placedTable, m_placed.hfovDegrees,
                     record.camera.camera.view.horizontalFovDegrees);
    return QStringLiteral("%1 \u00B5m, %2 mm")
            .arg(record.lens->pixelSize, 0, 'g', 15)
            .arg(record.lens->focalLength, 0, 'g', 15);
}

void ReportPages::fillCoverage(const CoverageTable &coverage, ReportDocument &document) const
{
    const CoverageReport &report = *m_ended.coverage.report;
    FigureSink rows(coverage.results(), CoverageTable::rowNames());
    coverage.write(report, m_plan.site.levels, rows);
    ReportTable table;
    table.textColumns = 2;
    table.header << QStringLiteral("Kind") << QStringLiteral("Name");
    for (const ResultSpec &result : rows.specs())
        table.header << result.label;
    for (const FigureSink::Record &record : rows.records()) {
        QStringList cells = record.passThrough;
        for (const auto &value : record.values)
            cells << value.value_or(QString());
        table.rows.push_back(cells);
    }
    document.coverage = std::move(table);
    // The gaps of the level asked for; else of the strictest level that
    // covers half the site at least, whose gaps are then worth a look, or of
    // the loosest when none does. A level that covers a few percent would
    // hatch the whole plan.
    if (report.levels.empty())
        return;
    std::size_t level = 0;
    if (m_plan.gapsLevel) {
        level = *m_plan.gapsLevel;
    } else {
        for (std::size_t stricter = 1; stricter < report.levels.size(); ++stricter) {
            const CoverageRow &row = report.levels[stricter];
            if (row.area > 0.0 && row.covered >= 0.5 * row.area)
                level = stricter;
        }
    }
    const SiteLevel &shownLevel = m_plan.site.levels[level];
    document.gapsLabel = QStringLiteral("Not covered at %1")
                                 .arg(levelLabel(shownLevel.name, shownLevel.pixelsPerMetre));
    document.gaps = report.levels[level].uncoveredInPlane;
}

// Each camera's page and its row of the schedule, from one survey.
void ReportPages::fillCameras(ReportDocument &document) const
{
    const std::vector<SiteLevel> &levels = m_plan.site.levels;
    ReportTable &table = document.schedule;
    // A plan with no place on the earth has its own x and y instead.
    const bool inPlan = m_plan.site.frame == SiteFrame::plan;
    const ShownUnit unit = shownUnit(m_plan.site.plan.metresPerUnit.value_or(1.0));
    table.header << QStringLiteral("Camera")
                 << (inPlan ? QStringLiteral("x (%1)").arg(unit.name) : QStringLiteral("Latitude"))
                 << (inPlan ? QStringLiteral("y (%1)").arg(unit.name) : QStringLiteral("Longitude"))
                 << QStringLiteral("Bearing") << QStringLiteral("Height") << QStringLiteral("Tilt")
                 << QStringLiteral("Angle or lens") << QStringLiteral("Resolution");
    for (const SiteLevel &level : levels)
        table.header << levelLabel(level.name, level.pixelsPerMetre) + QStringLiteral(" to");
    for (const SiteRun::Camera &camera : m_ended.cameras) {
        const PlacedCamera &placed = camera.placed.camera;
        ReportCamera page{
                camera.name,
                surveyMount(placed.camera, placed.targetHeight, std::nullopt, m_mount.levels),
                {},
                {}};
        FigureSink figures(m_mount.table);
        Results results(m_mount.table);
        m_mount.figures.set(page.survey, results);
        figures.record({}, results);
        page.figures = figures.figures(0);
        for (int field = 0; field < camera.fields.size() && field < m_passThroughNames.size();
             ++field) {
            if (!camera.fields.at(field).isEmpty() && !isNameColumn(m_passThroughNames.at(field)))
                page.fields.emplace_back(m_passThroughNames.at(field), camera.fields.at(field));
        }
        // The figures say where such a level starts; the page names why.
        for (const SiteLevel &level : levels) {
            if (level.maxAngleDegrees)
                page.fields.emplace_back(levelLabel(level.name, level.pixelsPerMetre),
                                         QStringLiteral("seen at most %1\u00B0 below the "
                                                        "horizontal")
                                                 .arg(*level.maxAngleDegrees));
        }
        const PlanePoint inDrawn = inPlan ? inDrawing(m_plan.site, placed.at) : PlanePoint{};
        QStringList row{camera.name,
                        inPlan ? fixed(inDrawn.x, unit.decimals) : fixed(placed.at.lat, 6),
                        inPlan ? fixed(inDrawn.y, unit.decimals) : fixed(placed.at.lon, 6),
                        shown(m_placedTable, m_placed.bearingDegrees, placed.bearingDegrees),
                        shown(m_placedTable, m_placed.heightMetres, placed.camera.height),
                        shown(m_placedTable, m_placed.tiltDegrees, placed.camera.tiltDegrees),
                        lensText(camera.placed),
                        resolutionText(placed.camera)};
        for (std::size_t level = 0; level < levels.size(); ++level) {
            const auto &reach = page.survey.levelReach[level];
            row << (reach ? shown(m_mount.table, m_mount.figures.levelReach(level), *reach)
                          : notMet);
        }
        table.rows.push_back(row);
        document.cameras.push_back(std::move(page));
    }
}

// By the schedule's model column when it has one, else by what the camera
// is; in the order each first appears.
void ReportPages::fillBill(ReportDocument &document) const
{
    int modelColumn = -1;
    for (int column = 0; column < m_passThroughNames.size(); ++column) {
        if (normalizedColumnName(m_passThroughNames.at(column)) == QLatin1String("model"))
            modelColumn = column;
    }
    ReportTable &bill = document.bill;
    bill.textColumns = modelColumn >= 0 ? 1 : 2;
    bill.header = modelColumn >= 0
            ? QStringList{QStringLiteral("Model"), QStringLiteral("Count")}
            : QStringList{QStringLiteral("Resolution"), QStringLiteral("Angle or lens"),
                          QStringLiteral("Count")};
    QMap<QStringList, int> counts;
    std::vector<QStringList> order;
    for (const SiteRun::Camera &camera : m_ended.cameras) {
        const QStringList kind = modelColumn >= 0
                ? QStringList{camera.fields.value(modelColumn)}
                : QStringList{resolutionText(camera.placed.camera.camera), lensText(camera.placed)};
        if (!counts.contains(kind))
            order.push_back(kind);
        ++counts[kind];
    }
    for (const QStringList &kind : order)
        bill.rows.push_back(kind + QStringList{QString::number(counts.value(kind))});
}

// A plan with no place on the earth, as the model takes it.
QString ReportPages::planPositions() const
{
    const PlanPlacement &plan = m_plan.site.plan;
    const QString north = plan.northGiven
            ? QStringLiteral("clockwise from north, which lies %1\u00B0 clockwise from the "
                             "plan's +y")
                      .arg(plan.northDegrees)
            : QStringLiteral("clockwise from the plan's +y, since no north was given");
    return QStringLiteral("Positions are in the plan's own plane, in %1 about its (0, 0), with "
                          "no place on the earth and no projection; bearings are %2.")
            .arg(shownUnit(plan.metresPerUnit.value_or(1.0)).name, north);
}

void ReportPages::fillAssumptions(ReportDocument &document) const
{
    auto &notes = document.assumptions;
    notes.push_back(
            {QStringLiteral("The model"),
             {QStringLiteral(
                      "Each camera is an ideal pinhole camera without roll, on a pole over flat "
                      "ground. Distances are ground distances from the foot of its pole; "
                      "densities are taken at the depth along the optical axis, on the target's "
                      "plane. %1")
                      .arg(m_plan.site.frame == SiteFrame::plan
                                   ? planPositions()
                                   : QStringLiteral("Positions are on the WGS84 ellipsoid; the "
                                                    "plans are drawn in an azimuthal equidistant "
                                                    "plane about the site's centre, or about the "
                                                    "first camera without a site."))}});
    QStringList levels;
    const SiteInputs &site = m_plan.site;
    const QString editions = site.editions.isEmpty()
            ? QString()
            : QStringLiteral("IEC 62676-4:%1").arg(site.editions.join(QStringLiteral(", ")));
    levels << (editions.isEmpty() ? QStringLiteral("The levels given with --levels:")
                       : site.ownLevels
                       ? QStringLiteral("The levels of %1 and those given with --levels, loosest "
                                        "first:")
                                 .arg(editions)
                       : QStringLiteral("The levels of %1, loosest first:").arg(editions));
    for (const SiteLevel &level : m_plan.site.levels)
        levels << levelLabel(level.name, level.pixelsPerMetre);
    notes.push_back({QStringLiteral("Levels"), levels});
    QStringList heights;
    for (const SiteRun::Camera &camera : m_ended.cameras) {
        const QString height
                = shown(m_placedTable, m_placed.targetHeight, camera.placed.camera.targetHeight);
        if (!heights.contains(height))
            heights << height;
    }
    QStringList limits;
    for (const SiteLevel &level : m_plan.site.levels) {
        if (level.maxAngleDegrees)
            limits << QStringLiteral("%1 counts only where the line from the lens to the target "
                                     "is at most %2\u00B0 below the horizontal, so that a face is "
                                     "seen from the front: not within (lens height \u2212 target "
                                     "height) / tan %2\u00B0 of the pole.")
                              .arg(levelLabel(level.name, level.pixelsPerMetre))
                              .arg(*level.maxAngleDegrees);
    }
    if (!limits.isEmpty())
        notes.push_back({QStringLiteral("Faces seen from the front"), limits});
    notes.push_back({QStringLiteral("Target height"),
                     {heights.isEmpty() ? QStringLiteral("No camera was placed.")
                                        : QStringLiteral("The target's plane stands %1 above "
                                                         "the ground.")
                                                  .arg(heights.join(QStringLiteral(", ")))}});
    notes.push_back(
            {QStringLiteral("Obstacles"),
             QStringList{QStringLiteral("An obstacle with a height hides what lies behind it on "
                                        "the target's plane, below the line from the camera "
                                        "over its top. One without a height blocks the view at "
                                        "every height.")}
                     + site.heightRules});
    if (!m_ended.leftOut.isEmpty())
        notes.push_back({QStringLiteral("Records left out"), m_ended.leftOut});
    notes.push_back({QStringLiteral("Made by"), {document.producer}});
}

} // namespace

ReportCommand::ReportCommand()
    : PlannedCommand(
            QStringLiteral("report"), QStringLiteral("A site's report for the client, as one PDF."),
            QStringLiteral(
                    "The cameras of the schedule, placed as coverage places them, in a printable\n"
                    "PDF: the site plan, the coverage of each level with the gaps of one\n"
                    "level (with --site), the schedule with a bill of\n"
                    "materials (counted by a model column when there is one), a page per\n"
                    "camera with mount's views and figures, and the assumptions. Records that\n"
                    "cannot be placed are left out and listed; the same inputs give the same\n"
                    "bytes, dated by SOURCE_DATE_EPOCH when it is set."))
    , m_site([this](InputSpec input) { return addInput(std::move(input)); },
             [this](ResultSpec result) { return addResult(std::move(result)); })
    , m_output(addInput(
              option("output", QStringLiteral("FILE"), "The PDF to write.", Need::required)))
    , m_paper(addInput(option("paper", choices(paperNames), "The paper size; a4 by default.")))
    , m_orientation(addInput(option("orientation", choices(orientations),
                                    "The pages' orientation; landscape by default.")))
    , m_title(addInput(option("title", QStringLiteral("TEXT"),
                              "The title, on the first page and in every footer; \"Camera "
                              "plan\" by default.")))
    , m_gapsLevel(addInput(option("gaps-level", QStringLiteral("LEVEL"),
                                  "Whose gaps the coverage page shows; by default the strictest "
                                  "level that covers half the site, else the loosest.")))
{
    setFormats({{"pdf", "the only one", nullptr}});
}

std::variant<UsageError, ReportPlan> ReportCommand::prepare(const GivenInputs &given) const
{
    ReportPlan plan;
    auto site
            = m_site.prepare(given, SiteInputReader::Area::whenGiven,
                             [&]() -> std::optional<QString> { return pagesProblem(given, plan); });
    if (auto *error = std::get_if<UsageError>(&site))
        return std::move(*error);
    plan.site = std::get<SiteInputs>(std::move(site));
    if (const auto gapsLevel = given.commandLine[m_gapsLevel]) {
        if (plan.site.sitePaths.isEmpty())
            return UsageError{QStringLiteral("--gaps-level needs --site, whose gaps it shows")};
        plan.gapsLevel = levelNamed(*gapsLevel, plan.site.levels);
        if (!plan.gapsLevel)
            return UsageError{
                    QStringLiteral("--gaps-level: no level is named \"%1\"").arg(*gapsLevel)};
    }
    return plan;
}

std::optional<QString> ReportCommand::pagesProblem(const GivenInputs &given, ReportPlan &plan) const
{
    plan.output = given.commandLine[m_output].value_or(QString());
    if (plan.output.isEmpty())
        return QStringLiteral("--output needs a file name");
    // Not a file of that name, which no one would look for.
    if (plan.output == QLatin1String("-"))
        return QStringLiteral("--output needs a file name: the PDF is not written to standard "
                              "output");
    if (const auto paper = given.commandLine[m_paper]) {
        const auto index = chosen(paperNames, *paper);
        if (!index)
            return QStringLiteral("--paper \"%1\" is not one of %2")
                    .arg(*paper, choices(paperNames));
        plan.pages.paper = *index;
    }
    if (const auto orientation = given.commandLine[m_orientation]) {
        const auto index = chosen(orientations, *orientation);
        if (!index)
            return QStringLiteral("--orientation \"%1\" is not one of %2")
                    .arg(*orientation, choices(orientations));
        plan.pages.landscape = *index == 0;
    }
    plan.pages.title = given.commandLine[m_title].value_or(defaultTitle);
    auto date = sourceDate();
    if (const auto *problem = std::get_if<QString>(&date))
        return *problem;
    plan.pages.date = std::get<std::optional<qint64>>(date);
    return std::nullopt;
}

std::optional<QString> ReportCommand::refusesOutput(const ReportPlan &plan) const
{
    return m_site.refusesOutput(plan.site, outputFiles(plan), true);
}

std::optional<QString> ReportCommand::calculate(const ReportPlan &plan, const InputValues &values,
                                                Results &results, PlacedRecord &product) const
{
    if (const auto problem
        = m_site.place(plan.site, values, !plan.site.sitePaths.isEmpty(), results, product))
        return problem;
    if (const auto problem = nonFiniteResult(results, values))
        return problem;
    return workShare(plan.site, product);
}

std::unique_ptr<RecordSink> ReportCommand::makeSink(const ReportPlan & /*plan*/, ReportRun &run,
                                                    const OutputFormat & /*format*/,
                                                    const QStringList &passThroughNames,
                                                    const Streams &streams) const
{
    run.passThroughNames = passThroughNames;
    run.site.nameColumn = nameColumnOf(passThroughNames);
    return std::make_unique<NoRecords>(resultTable(), passThroughNames, streams.output);
}

std::optional<QString> ReportCommand::write(const ReportPlan &plan, ReportRun &run,
                                            PlacedRecord &&product, RecordSink & /*sink*/,
                                            const Results & /*results*/,
                                            const RecordAnswer &answer) const
{
    QStringList fields;
    for (const auto &field : answer.passThrough)
        fields << fieldText(field);
    return run.site.add(plan.site,
                        {cameraName(answer.passThrough, run.site.nameColumn, answer.line),
                         std::move(product), fields, answer.line});
}

void ReportCommand::writeError(const ReportPlan & /*plan*/, ReportRun &run, RecordSink & /*sink*/,
                               const QString &message, const RecordAnswer & /*answer*/,
                               const Streams &streams) const
{
    run.site.leaveOut(message);
    printLine(streams, messagePrefix() + message);
}

RunEnd ReportCommand::endRun(const ReportPlan &plan, ReportRun &&run, RecordSink & /*sink*/,
                             const Streams &streams) const
{
    if (const auto note = run.site.leftOutNote("report"))
        printLine(streams, messagePrefix() + *note);
    auto finished = std::move(run.site).finish(plan.site, {!plan.site.sitePaths.isEmpty(), true});
    if (const auto *problem = std::get_if<QString>(&finished))
        return {ExitStatus::notWorkedOut,
                QStringLiteral("cannot work out the coverage: %1").arg(*problem)};
    const SiteRun::Ended &ended = std::get<SiteRun::Ended>(finished);
    ReportDocument document;
    document.paper = paperSizes.at(plan.pages.paper);
    document.landscape = plan.pages.landscape;
    document.title = plan.pages.title;
    document.producer = QStringLiteral("%1 " KAVRELO_VERSION).arg(QLatin1String(programName));
    document.date = plan.pages.date;
    document.drawing = *ended.coverage.drawing;
    const ReportPages pages(plan, ended, run.passThroughNames, resultTable(), m_site.results());
    if (!plan.site.sitePaths.isEmpty())
        pages.fillCoverage(m_coverage, document);
    pages.fillCameras(document);
    pages.fillBill(document);
    pages.fillAssumptions(document);
    if (streams.errors.isTerminal()) {
        const QString prefix = messagePrefix();
        document.progress = [&streams, prefix](int done, int total) {
            const QString line
                    = QStringLiteral("\r%1page %2 of %3").arg(prefix).arg(done).arg(total);
            const std::string bytes
                    = (done == total ? line + QLatin1Char('\n') : line).toStdString();
            streams.errors.write(bytes.data(), static_cast<qint64>(bytes.size()));
        };
    }
    document.stopRequested = &Interruption::came;
    if (const auto problem = writeReport(document, plan.output))
        return {ExitStatus::outputFailed, problem};
    return {};
}

QStringList ReportCommand::warnings(const ReportPlan &plan) const
{
    return plan.site.warnings;
}

std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
ReportCommand::otherBatch(const QString &path, const InputValues &commandLine) const
{
    return pointSchedule(path, m_site.bearingGiven(commandLine));
}
