#include "pointschedule.h"

#include "osmsite.h"
#include "recordtable.h"
#include "vectorfilesmodule.h"

#include <QFileInfo>

#include <array>

namespace {

// Extensions of GIS formats that a schedule of points comes in; a CSV file
// may be named anything else, and GDAL loads for these alone.
constexpr std::array<const char *, 12> pointFormats{"gpkg", "shp", "fgb", "geojson", "json", "kml",
                                                    "kmz",  "gml", "dxf", "sqlite",  "gdb",  "tab"};

} // namespace

std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
pointSchedule(const QString &path, bool bearingGiven)
{
    if (path != QLatin1String("-") && isOsmExtract(path)) {
        auto cameras = osmCameraSchedule(path, bearingGiven);
        if (auto *problem = std::get_if<ModuleProblem>(&cameras))
            return problem->message;
        if (auto *problem = std::get_if<QString>(&cameras))
            return *problem;
        return std::get<std::unique_ptr<RecordSource>>(std::move(cameras));
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool gis
            = std::any_of(pointFormats.cbegin(), pointFormats.cend(),
                          [&](const char *format) { return suffix == QLatin1String(format); });
    if (!gis || path == QLatin1String("-"))
        return std::nullopt;
    auto read = readPointTable(path);
    if (auto *problem = std::get_if<ModuleProblem>(&read))
        return problem->message;
    if (auto *problem = std::get_if<QString>(&read))
        return *problem;
    PointTable &table = std::get<PointTable>(read);
    std::vector<std::string> header;
    for (const QString &name : table.header)
        header.push_back(name.toStdString());
    return std::unique_ptr<RecordSource>(
            std::make_unique<RecordTable>(std::move(header), std::move(table.rows)));
}
