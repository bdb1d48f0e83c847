#include "reportcommand.h"

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
    if (!ok || seconds < 0 || seconds >= year10000 || given.startsWith('+'))
        return QStringLiteral("SOURCE_DATE_EPOCH \"%1\" is not a whole number of seconds "
                              "since 1970")
                .arg(QString::fromLocal8Bit(given));
    return std::optional<qint64>(seconds);
}

QString resolutionText(const MountedCamera &camera)
{
    return QStringLiteral("%1 \u00D7 %2")
            .arg(camera.view.horizontal.horizontalPixels)
            .arg(camera.view.verticalPixels);
}

} // namespace

// The cameras are kept as they are placed; the document is made at the end.
class ReportSink final : public RecordSink
{
public:
    ReportSink(const ReportCommand &command, const SitePlan &plan, const PlacedRecord &record,
               const QStringList &passThroughNames, const Streams &streams)
        : RecordSink(command.resultTable(), passThroughNames, streams.output)
        , m_command(command)
        , m_plan(plan)
        , m_record(record)
        , m_streams(streams)
        , m_prefix(command.messagePrefix())
        , m_mountPlan(command.m_mount.planFor(plan.ownLevels ? std::optional(plan.levels)
                                                             : std::nullopt))
    {
    }

    void finish() override;
    std::optional<QString> fileFailure() const override { return m_fileFailure; }

private:
    struct Camera
    {
        QString name;
        PlacedRecord placed;
        QStringList fields;
    };

    void write(const FieldList &passThrough, const Results *results, const QString &error) override
    {
        if (!results) {
            m_skipped << error;
            printLine(m_streams, m_prefix + error);
            return;
        }
        Camera camera{cameraName(passThrough, m_record.line), m_record, {}};
        for (const auto &field : passThrough)
            camera.fields << fieldText(field);
        m_cameras.push_back(std::move(camera));
    }

    std::optional<QString> fillPlan(ReportDocument &document) const;
    std::optional<QString> fillCoverage(ReportDocument &document) const;
    void fillCameras(ReportDocument &document) const;
    void fillSchedule(ReportDocument &document) const;
    void fillBill(ReportDocument &document) const;
    void fillAssumptions(ReportDocument &document) const;
    QString shown(const QString &key, double value) const;
    QString lensText(const PlacedRecord &record) const;

    const ReportCommand &m_command;
    const SitePlan &m_plan;
    const PlacedRecord &m_record;
    const Streams &m_streams;
    const QString m_prefix;
    const MountPlan m_mountPlan;
    std::vector<Camera> m_cameras;
    QStringList m_skipped;
    std::optional<QString> m_fileFailure;
};

// A value as the command whose result it is shows it.
QString ReportSink::shown(const QString &key, double value) const
{
    for (const auto *declared : {&m_command.m_mount.tableOf(m_mountPlan).specs(), &m_results}) {
        for (const ResultSpec &result : *declared) {
            if (result.key == key)
                return shownWithUnit(value, result.decimals, result.unit);
        }
    }
    return fixed(value, 2);
}

// The lens as the row gave it, else the angle of view.
QString ReportSink::lensText(const PlacedRecord &record) const
{
    if (!record.lens)
        return shown(QStringLiteral("hfov_deg"), record.camera.camera.view.horizontalFovDegrees);
    return QStringLiteral("%1 \u00B5m, %2 mm")
            .arg(record.lens->pixelSize, 0, 'g', 15)
            .arg(record.lens->focalLength, 0, 'g', 15);
}

std::optional<QString> ReportSink::fillPlan(ReportDocument &document) const
{
    auto drawn = m_plan.engine->drawing(m_plan.levels);
    if (const auto *problem = std::get_if<QString>(&drawn))
        return QStringLiteral("cannot draw the plan: %1").arg(*problem);
    document.plan = std::move(std::get<SitePlanDrawing>(drawn));
    for (std::size_t camera = 0; camera < document.plan.cameras.size(); ++camera)
        document.plan.cameras[camera].name = m_cameras.at(camera).name;
    return std::nullopt;
}

std::optional<QString> ReportSink::fillCoverage(ReportDocument &document) const
{
    const auto worked = m_plan.engine->coverage(m_plan.levels);
    if (const auto *problem = std::get_if<QString>(&worked))
        return QStringLiteral("cannot work out the coverage: %1").arg(*problem);
    const CoverageReport &report = std::get<CoverageReport>(worked);
    FigureSink rows(m_command.m_coverage.results(), CoverageTable::rowNames());
    m_command.m_coverage.write(report, m_plan.levels, rows);
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
    // The gaps of the strictest level that covers anything; of the loosest
    // when none does.
    std::size_t level = report.levels.size();
    while (level > 1 && report.levels[level - 1].covered <= 0.0)
        --level;
    if (level > 0) {
        const SiteLevel &shownLevel = m_plan.levels[level - 1];
        document.gapsLabel = QStringLiteral("Not covered at %1")
                                     .arg(levelLabel(shownLevel.name, shownLevel.pixelsPerMetre));
        document.gaps = report.levels[level - 1].uncoveredPlan;
    }
    return std::nullopt;
}

void ReportSink::fillCameras(ReportDocument &document) const
{
    const ResultTable &table = m_command.m_mount.tableOf(m_mountPlan);
    for (const Camera &camera : m_cameras) {
        const PlacedCamera &placed = camera.placed.camera;
        ReportCamera page{
                camera.name,
                surveyMount(placed.camera, placed.targetHeight, std::nullopt, m_plan.levels),
                {},
                {}};
        FigureSink figures(table);
        Results results(table);
        m_command.m_mount.setResults(m_mountPlan, page.survey, results);
        figures.record({}, results);
        page.figures = figures.figures(0);
        for (int field = 0; field < camera.fields.size() && field < m_passThroughNames.size();
             ++field) {
            if (!camera.fields.at(field).isEmpty() && !isNameColumn(m_passThroughNames.at(field)))
                page.fields.emplace_back(m_passThroughNames.at(field), camera.fields.at(field));
        }
        document.cameras.push_back(std::move(page));
    }
}

void ReportSink::fillSchedule(ReportDocument &document) const
{
    ReportTable &table = document.schedule;
    table.header << QStringLiteral("Camera") << QStringLiteral("Latitude")
                 << QStringLiteral("Longitude") << QStringLiteral("Bearing")
                 << QStringLiteral("Height") << QStringLiteral("Tilt")
                 << QStringLiteral("Angle or lens") << QStringLiteral("Resolution");
    for (const SiteLevel &level : m_plan.levels)
        table.header << levelLabel(level.name, level.pixelsPerMetre) + QStringLiteral(" to");
    for (std::size_t index = 0; index < m_cameras.size(); ++index) {
        const Camera &camera = m_cameras[index];
        const PlacedCamera &placed = camera.placed.camera;
        QStringList row{camera.name,
                        fixed(placed.at.lat, 6),
                        fixed(placed.at.lon, 6),
                        shown(QStringLiteral("bearing_deg"), placed.bearingDegrees),
                        shown(QStringLiteral("height_m"), placed.camera.height),
                        shown(QStringLiteral("tilt_deg"), placed.camera.tiltDegrees),
                        lensText(camera.placed),
                        resolutionText(placed.camera)};
        const MountSurvey &survey = document.cameras[index].survey;
        for (std::size_t level = 0; level < m_plan.levels.size(); ++level) {
            const auto &reach = survey.levelReach[level];
            row << (reach ? shown(m_plan.levels[level].name + QStringLiteral("_to_m"), *reach)
                          : notMet);
        }
        table.rows.push_back(row);
    }
}

// By the schedule's model column when it has one, else by what the camera
// is; in the order each first appears.
void ReportSink::fillBill(ReportDocument &document) const
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
    for (const Camera &camera : m_cameras) {
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

void ReportSink::fillAssumptions(ReportDocument &document) const
{
    auto &notes = document.assumptions;
    notes.push_back(
            {QStringLiteral("The model"),
             {QStringLiteral(
                     "Each camera is an ideal pinhole camera without roll, on a pole over flat "
                     "ground. Distances are ground distances from the foot of its pole; "
                     "densities are taken at the depth along the optical axis, on the target's "
                     "plane. Positions are on the WGS84 ellipsoid; the plans are drawn in an "
                     "azimuthal equidistant plane about the site's centre, or about the first "
                     "camera without a site.")}});
    QStringList levels;
    levels << (m_plan.ownLevels ? QStringLiteral("The levels given with --levels:")
                                : QStringLiteral("The standard's levels, loosest first:"));
    for (const SiteLevel &level : m_plan.levels)
        levels << levelLabel(level.name, level.pixelsPerMetre);
    notes.push_back({QStringLiteral("Levels"), levels});
    QStringList heights;
    for (const Camera &camera : m_cameras) {
        const QString height
                = shown(QStringLiteral("target_height_m"), camera.placed.camera.targetHeight);
        if (!heights.contains(height))
            heights << height;
    }
    notes.push_back({QStringLiteral("Target height"),
                     {heights.isEmpty() ? QStringLiteral("No camera was placed.")
                                        : QStringLiteral("The target's plane stands %1 above "
                                                         "the ground.")
                                                  .arg(heights.join(QStringLiteral(", ")))}});
    notes.push_back(
            {QStringLiteral("Obstacles"),
             {QStringLiteral("An obstacle with a height hides what lies behind it on the "
                             "target's plane, below the line from the camera over its top. One "
                             "without a height blocks the view at every height.")}});
    if (!m_skipped.isEmpty())
        notes.push_back({QStringLiteral("Records left out"), m_skipped});
    notes.push_back({QStringLiteral("Made by"), {document.producer}});
}

void ReportSink::finish()
{
    if (!m_skipped.isEmpty())
        printLine(m_streams,
                  m_prefix
                          + QStringLiteral("the report is of the %1 cameras that could be "
                                           "placed; %2 could not")
                                    .arg(m_cameras.size())
                                    .arg(m_skipped.size()));
    ReportDocument document;
    document.paper = paperSizes.at(m_plan.pages.paper);
    document.landscape = m_plan.pages.landscape;
    document.title = m_plan.pages.title;
    document.producer = QStringLiteral("%1 " KAVRELO_VERSION).arg(QLatin1String(programName));
    document.date = m_plan.pages.date;
    if (const auto problem = fillPlan(document)) {
        m_fileFailure = problem;
        return;
    }
    if (m_plan.siteGiven) {
        if (const auto problem = fillCoverage(document)) {
            m_fileFailure = problem;
            return;
        }
    }
    fillCameras(document);
    fillSchedule(document);
    fillBill(document);
    fillAssumptions(document);
    if (m_streams.errors.isTerminal()) {
        document.progress = [this](int done, int total) {
            const QString line
                    = QStringLiteral("\r%1page %2 of %3").arg(m_prefix).arg(done).arg(total);
            const std::string bytes
                    = (done == total ? line + QLatin1Char('\n') : line).toStdString();
            m_streams.errors.write(bytes.data(), static_cast<qint64>(bytes.size()));
        };
    }
    m_fileFailure = writeReport(document, *m_plan.output);
}

ReportCommand::ReportCommand()
    : SiteCommand(
            QStringLiteral("report"), QStringLiteral("A site's report for the client, as one PDF."),
            QStringLiteral(
                    "The cameras of the schedule, placed as coverage places them, in a printable\n"
                    "PDF: the site plan, the coverage of each level with the gaps of the\n"
                    "strictest level covered (with --site), the schedule with a bill of\n"
                    "materials (counted by a model column when there is one), a page per\n"
                    "camera with mount's views and figures, and the assumptions. Records that\n"
                    "cannot be placed are left out and listed; the same inputs give the same\n"
                    "bytes, dated by SOURCE_DATE_EPOCH when it is set."))
    , m_output(addInput(
              option("output", QStringLiteral("FILE"), "The PDF to write.", Need::required)))
    , m_paper(addInput(option("paper", choices(paperNames), "The paper size; a4 by default.")))
    , m_orientation(addInput(option("orientation", choices(orientations),
                                    "The pages' orientation; landscape by default.")))
    , m_title(addInput(option("title", QStringLiteral("TEXT"),
                              "The title, on the first page and in every footer; \"Camera "
                              "plan\" by default.")))
{
    setFormats({{"pdf", "the only one", nullptr}});
}

std::optional<QString> ReportCommand::prepareMore(const GivenInputs &given, SitePlan &plan) const
{
    plan.output = given.commandLine[m_output];
    if (plan.output && plan.output->isEmpty())
        return QStringLiteral("--output needs a file name");
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

std::optional<QString> ReportCommand::place(const SitePlan &plan, PlacedRecord &record) const
{
    return plan.engine->addToCoverage(record.camera, plan.levels);
}

std::unique_ptr<RecordSink> ReportCommand::makeSink(const SitePlan &plan,
                                                    const PlacedRecord &record,
                                                    const OutputFormat & /*format*/,
                                                    const QStringList &passThroughNames,
                                                    const Streams &streams) const
{
    return std::make_unique<ReportSink>(*this, plan, record, passThroughNames, streams);
}
