#include "gapfiles.h"

#include "mapsinks.h"
#include "textappend.h"
#include "vectorfilesmodule.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A GIS program's format, rather than GeoJSON.
const OutputFormatFile *gisFormatOf(const QString &path)
{
    const OutputFormatFile *format = outputFormatOf(path);
    return format && qstrcmp(format->extension, "geojson") != 0 ? format : nullptr;
}

// A gap too thin to draw at the file's grid has no geometry, as RFC 7946
// allows, rather than an invalid one.
QByteArray gapsDocument(const CoverageReport &report, const std::vector<SiteLevel> &levels)
{
    OutputBuffer out;
    out += "{\"type\":\"FeatureCollection\",\"features\":[";
    bool first = true;
    for (std::size_t level = 0; level < report.levels.size(); ++level) {
        const std::vector<MeasuredArea> &gaps = report.levels[level].gaps;
        for (std::size_t gap = 0; gap < gaps.size(); ++gap) {
            out += first ? "\n" : ",\n";
            first = false;
            out += "{\"type\":\"Feature\",\"properties\":{\"level\":";
            appendJsonString(out, levels[level].name.toStdString());
            out += ",\"gap\":";
            out += std::to_string(gap + 1);
            out += ",\"area_m2\":";
            appendFixed(out, gaps[gap].squareMetres, 2);
            out += "},\"geometry\":";
            if (gaps[gap].area.empty())
                out += "null";
            else
                appendGeoJsonArea(out, gaps[gap].area);
            out += '}';
        }
    }
    out += "\n]}\n";
    return QByteArray(out.data(), static_cast<int>(out.size()));
}

QString gapsLayerName(const QString &level)
{
    return QStringLiteral("KAVRELO-GAPS-%1").arg(level.toUpper());
}

} // namespace

std::optional<QString> refusesGapsFile(const QString &path, const SiteInputs &site)
{
    return refusesWrittenAs(site, QStringLiteral("--gaps %1").arg(path), gisFormatOf(path));
}

std::optional<QString> addGapsFile(const QString &path, const CoverageReport &report,
                                   const SiteInputs &site, WholeFiles &files, QStringList &warnings)
{
    const OutputFormatFile *format = gisFormatOf(path);
    if (!format)
        return files.add(path, gapsDocument(report, site.levels));
    OutputRequest request{path,
                          {{QStringLiteral("gaps"),
                            false,
                            {{QStringLiteral("level"), false},
                             {QStringLiteral("gap"), true},
                             {QStringLiteral("area_m2"), true}}}},
                          {},
                          drawingUnitCode(site.plan.metresPerUnit.value_or(1.0)),
                          site.frame == SiteFrame::earth};
    for (const SiteLevel &level : site.levels)
        request.cadLayers.push_back({gapsLayerName(level.name), gapColour});
    auto started = startOutputFile(request);
    if (auto *problem = std::get_if<ModuleProblem>(&started))
        return problem->message;
    if (auto *problem = std::get_if<QString>(&started))
        return *problem;
    OutputFile &file = *std::get<std::unique_ptr<OutputFile>>(started);
    for (std::size_t level = 0; level < report.levels.size(); ++level) {
        const std::vector<MeasuredArea> &gaps = report.levels[level].gaps;
        for (std::size_t gap = 0; gap < gaps.size(); ++gap) {
            OutputFeature feature{
                    0,
                    {site.levels[level].name, double(gap + 1), gaps[gap].squareMetres},
                    std::nullopt,
                    gaps[gap].area,
                    gapsLayerName(site.levels[level].name),
                    {},
                    {},
                    {}};
            if (writtenInPlanUnits(site, *format))
                feature.planArea = drawnArea(
                        gaps[gap].area, [&site](GeoPoint point) { return inDrawing(site, point); });
            if (const auto problem = file.add(feature))
                return problem;
        }
    }
    auto made = file.finish();
    if (const auto *problem = std::get_if<QString>(&made))
        return *problem;
    for (const QString &warning : file.warnings())
        warnings << QStringLiteral("%1: %2").arg(path, warning);
    const QDir folder = QFileInfo(path).dir();
    for (const MadeFile &each : std::get<std::vector<MadeFile>>(made)) {
        if (const auto problem = files.add(folder.filePath(each.name), each.bytes))
            return problem;
    }
    return std::nullopt;
}
