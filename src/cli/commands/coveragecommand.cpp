#include "coveragecommand.h"

#include "mapsinks.h"
#include "picturemodule.h"
#include "sitelevels.h"
#include "streams.h"
#include "textappend.h"

#include <QSaveFile>

namespace {

InputSpec option(const char *name, const char *valueName, const char *description,
                 bool repeatable = false)
{
    InputSpec input = commandLineOnly({QString::fromLatin1(name), QString::fromLatin1(valueName),
                                       QString::fromLatin1(description)});
    input.repeatable = repeatable;
    return input;
}

// The uncovered ground of each level, as GeoJSON.
QByteArray gapsDocument(const CoverageReport &report, const std::vector<SiteLevel> &levels)
{
    OutputBuffer out;
    out += "{\"type\":\"FeatureCollection\",\"features\":[";
    for (std::size_t level = 0; level < report.levels.size(); ++level) {
        const CoverageRow &row = report.levels[level];
        out += level == 0 ? "\n" : ",\n";
        out += "{\"type\":\"Feature\",\"properties\":{\"level\":";
        appendJsonString(out, levels[level].name.toStdString());
        out += ",\"area_m2\":";
        appendFixed(out, row.uncovered.squareMetres, 2);
        out += "},\"geometry\":";
        appendGeoJsonArea(out, row.uncovered.area);
        out += '}';
    }
    out += "\n]}\n";
    return QByteArray(out.data(), static_cast<int>(out.size()));
}

// Bytes into a buffer, so that the rows go out with the sink's own flush.
class IntoBuffer final : public ByteSink
{
public:
    explicit IntoBuffer(OutputBuffer &buffer) : m_buffer(buffer) { }
    bool write(const char *data, qint64 size) override
    {
        m_buffer += std::string_view(data, static_cast<std::size_t>(size));
        return true;
    }
    QString errorString() const override { return {}; }

private:
    OutputBuffer &m_buffer;
};

} // namespace

// Cameras are added to the site as they are placed; the rows come at the
// end, in the record format chosen.
class CoverageSink final : public RecordSink
{
public:
    CoverageSink(const CoverageCommand &command, const SitePlan &plan, const PlacedRecord &record,
                 const OutputFormat &format, const Streams &streams)
        : RecordSink(command.resultTable(), {}, streams.output)
        , m_command(command)
        , m_plan(plan)
        , m_record(record)
        , m_streams(streams)
        , m_intoBuffer(m_buffer)
        , m_rows(format.make(command.m_table.results(), CoverageTable::rowNames(), m_intoBuffer))
        , m_prefix(command.messagePrefix())
    {
    }

    void finish() override;
    bool fallsShort() const override { return m_fallsShort; }
    std::optional<QString> fileFailure() const override { return m_fileFailure; }

private:
    void write(const FieldList &passThrough, const Results *results, const QString &error) override
    {
        if (results) {
            m_names.push_back(cameraName(passThrough, m_record.line));
        } else {
            ++m_unplaced;
            printLine(m_streams, m_prefix + error);
        }
    }

    const CoverageCommand &m_command;
    const SitePlan &m_plan;
    const PlacedRecord &m_record;
    std::vector<QString> m_names; // of the cameras placed, in order
    const Streams &m_streams;
    IntoBuffer m_intoBuffer;
    std::unique_ptr<RecordSink> m_rows;
    QString m_prefix;
    int m_unplaced = 0;
    bool m_fallsShort = false;
    std::optional<QString> m_fileFailure;
};

void CoverageSink::finish()
{
    if (m_unplaced > 0)
        printLine(m_streams,
                  m_prefix
                          + QStringLiteral("the coverage is of the %1 cameras that could be "
                                           "placed; %2 could not")
                                    .arg(m_names.size())
                                    .arg(m_unplaced));
    std::optional<SitePlanDrawing> drawing;
    if (m_plan.plot) {
        auto drawn = m_plan.engine->drawing(m_plan.levels);
        if (const auto *problem = std::get_if<QString>(&drawn)) {
            m_fileFailure = QStringLiteral("cannot draw the plan: %1").arg(*problem);
            return;
        }
        drawing = std::move(std::get<SitePlanDrawing>(drawn));
    }
    const auto worked = m_plan.engine->coverage(m_plan.levels);
    if (const auto *problem = std::get_if<QString>(&worked)) {
        m_fileFailure = QStringLiteral("cannot work out the coverage: %1").arg(*problem);
        return;
    }
    const CoverageReport &report = std::get<CoverageReport>(worked);
    m_command.m_table.write(report, m_plan.levels, *m_rows);
    m_rows->flush();
    for (const Requirement &requirement : m_plan.requirements) {
        const CoverageRow &row = report.levels[requirement.level];
        if (shownPercent(row.covered, row.area) < requirement.percent)
            m_fallsShort = true;
    }
    if (drawing) {
        for (std::size_t camera = 0; camera < drawing->cameras.size() && camera < m_names.size();
             ++camera)
            drawing->cameras[camera].name = m_names[camera];
        if (const auto problem = drawSitePlan(*drawing, *m_plan.plot)) {
            m_fileFailure = problem;
            return;
        }
    }
    if (m_plan.gaps) {
        QSaveFile file(*m_plan.gaps);
        const QByteArray document = gapsDocument(report, m_plan.levels);
        if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size()
            || !file.commit())
            m_fileFailure
                    = QStringLiteral("cannot write %1: %2").arg(*m_plan.gaps, file.errorString());
    }
}

CoverageCommand::CoverageCommand()
    : SiteCommand(
            QStringLiteral("coverage"),
            QStringLiteral("How much of a site each level covers, gaps and redundancy "
                           "included."),
            QStringLiteral(
                    "The cameras of the schedule, placed as footprint places them, over the\n"
                    "areas of --site less its obstacles. A level counts at a point of the\n"
                    "target's plane when at least one camera meets it there, unhidden. One\n"
                    "row per level, loosest first, then one per privacy zone: the part of it\n"
                    "seen at the loosest level."))
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

std::optional<QString> CoverageCommand::prepareMore(const GivenInputs &given, SitePlan &plan) const
{
    plan.gaps = given.commandLine[m_gaps];
    if (plan.gaps && plan.gaps->isEmpty())
        return QStringLiteral("--gaps needs a file name");
    plan.plot = given.commandLine[m_plot];
    if (plan.plot && plan.plot->isEmpty())
        return QStringLiteral("--plot needs a file name");
    if (const auto require = given.commandLine[m_require]) {
        auto parsed = parseRequirements(*require, plan.levels);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return *problem;
        plan.requirements = std::move(std::get<std::vector<Requirement>>(parsed));
    }
    return std::nullopt;
}

QStringList CoverageCommand::outputFiles(const SitePlan &plan) const
{
    QStringList files;
    for (const auto &path : {plan.gaps, plan.plot}) {
        if (path)
            files << *path;
    }
    return files;
}

std::optional<QString> CoverageCommand::place(const SitePlan &plan, PlacedRecord &record) const
{
    return plan.engine->addToCoverage(record.camera, plan.levels);
}

std::unique_ptr<RecordSink> CoverageCommand::makeSink(const SitePlan &plan,
                                                      const PlacedRecord &record,
                                                      const OutputFormat &format,
                                                      const QStringList & /*passThroughNames*/,
                                                      const Streams &streams) const
{
    return std::make_unique<CoverageSink>(*this, plan, record, format, streams);
}
