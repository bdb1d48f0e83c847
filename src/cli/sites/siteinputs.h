#pragma once

#include "command.h"
#include "mountinputs.h"
#include "planplacement.h"
#include "sitelevels.h"
#include "sitemodel.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What every site command knows before its first camera.
struct SiteInputs
{
    MountInputs::Ways ways{};
    bool byPlane = false; // x and y from --origin or in a plan, rather than lat and lon
    std::optional<GeoPoint> origin;
    // A plan with no place on the earth: its points are metres about its
    // (0, 0), and nothing is written as longitude and latitude.
    SiteFrame frame = SiteFrame::earth;
    // Where x and y start: --origin, or a plan's (0, 0).
    GeoPoint planeOrigin() const { return origin.value_or(GeoPoint{0.0, 0.0}); }
    // How -x and -y, and a plan's features, come onto the earth.
    PlanPlacement plan;
    QStringList sitePaths; // from --site, each once or more
    // What reading the site left out or found odd, said before the run.
    QStringList warnings;
    // How an extract's obstacles got their heights, for the report.
    QStringList heightRules;
    std::vector<SiteLevel> levels;
    int jobs = 1; // cameras worked out at once, on threads of their own
    // The standard's editions whose levels these are, by year, and whether
    // --levels gave levels of one's own too, or alone.
    QStringList editions{QLatin1String(levelEditions.front().year)};
    bool ownLevels = false;
    // The site placed, or a site without features when none was given;
    // none when the module cannot be used, and then why.
    std::shared_ptr<const SiteGeometry> site;
    std::optional<QString> moduleProblem;
};

// A drawing's point for a site's point: in the plan's units about its
// (0, 0), or in metres east and north of --origin; only with either.
PlanePoint inDrawing(const SiteInputs &inputs, GeoPoint point);

// Why the site's results cannot be written as what says (an option and
// its file, or the map on standard output): in a format of GIS and CAD
// programs, or in the program's own GeoJSON and KML when format is none.
// A plan with no place on the earth has no longitude and latitude, and a
// drawing of a site on the earth needs a point to measure from.
struct OutputFormatFile;
std::optional<QString> refusesWrittenAs(const SiteInputs &inputs, const QString &what,
                                        const OutputFormatFile *format);

// Whether such a file takes the site's points in the plan's units, through
// inDrawing: a drawing does, and so does every file of a plan with no place
// on the earth.
bool writtenInPlanUnits(const SiteInputs &inputs, const OutputFormatFile &format);

// One camera as placed from its record.
struct PlacedRecord
{
    PlacedCamera camera{};
    std::optional<MountInputs::Lens> lens; // when the row gave the lens
    // Its share of a coverage, when the calculation worked it out.
    std::optional<CameraShare> share = {};
};

// The results every site command gives of a placed camera.
struct PlacedResults
{
    ResultId bearingDegrees;
    ResultId heightMetres;
    ResultId tiltDegrees;
    ResultId hfovDegrees;
    ResultId vfovDegrees;
    ResultId targetHeight;
};

// Cameras on a map, as footprint, coverage and report take them: a
// schedule of positions (lat and lon, or x and y about --origin) and
// bearings, each with a camera on a pole as mount takes it, and a site of
// areas, obstacles and privacy zones. Rows are placed by the site module.
class SiteInputReader
{
public:
    // Declares the inputs and results, in the order the help lists them,
    // through the command's own.
    SiteInputReader(const std::function<InputId(InputSpec)> &addInput,
                    const std::function<ResultId(ResultSpec)> &addResult);

    // Whether the site must have an area to cover: always (coverage), when
    // one is given (report), or never (footprint).
    enum class Area { needed, whenGiven, optional };
    // The site read, the command's own options checked by ownOptions, then
    // the site placed by the module.
    std::variant<UsageError, SiteInputs>
    prepare(const GivenInputs &given, Area area,
            const std::function<std::optional<QString>()> &ownOptions) const;
    // The site module, then the command's own files, refused where they may
    // not be written (not a regular file, or the site read), then the
    // picture module when the command draws.
    std::optional<QString> refusesOutput(const SiteInputs &inputs, const QStringList &files,
                                         bool draws) const;
    // Places a row's camera; nearSite: whether it must stand near the site,
    // being measured over it.
    std::optional<QString> place(const SiteInputs &inputs, const InputValues &values, bool nearSite,
                                 Results &results, PlacedRecord &placed) const;
    const PlacedResults &results() const { return m_results; }
    // Whether the command line gives a bearing, for the cameras of a
    // schedule that map none.
    bool bearingGiven(const InputValues &commandLine) const { return commandLine.given(m_bearing); }

private:
    // The files of --site, as one site; nothing when none is given, or the
    // module of their format cannot be used (then inputs says why).
    std::optional<QString> readSiteFiles(const GivenInputs &given, SiteInputs &inputs,
                                         Site &site) const;
    std::variant<QString, GeoPoint> position(const SiteInputs &inputs, const InputValues &values,
                                             FieldParser &parse) const;

    const InputId m_lat;
    const InputId m_lon;
    const InputId m_x;
    const InputId m_y;
    const InputId m_origin;
    const InputId m_north;
    const InputId m_units;
    const InputId m_bearing;
    const MountInputs m_mount;
    const InputId m_maxRange;
    const InputId m_site;
    const InputId m_roles;
    const InputId m_obstacleHeights;
    const InputId m_area;
    const InputId m_jobs;
    const InputId m_levels;
    const InputId m_maxAngles;
    const PlacedResults m_results;
};

// The pass-through column that names each camera: the one named camera,
// wherever it stands, else the first.
int nameColumnOf(const QStringList &passThroughNames);
// The camera's name in output: that column's field, else line-N, or
// "camera" outside a batch.
QString cameraName(const FieldList &passThrough, int nameColumn, qint64 line);
// Whether a pass-through column is the name's own, and not repeated beside it.
bool isNameColumn(const QString &name);
