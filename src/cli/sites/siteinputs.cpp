#include "siteinputs.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "fieldtext.h"
#include "numbertext.h"
#include "picturefiles.h"
#include "picturemodule.h"
#include "planplacement.h"
#include "readfiles.h"
#include "sitelevels.h"
#include "sitemodule.h"
#include "sitereading.h"
#include "vectorfilesentry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

#include <sched.h>

namespace {

const QString degree = QStringLiteral("\u00B0");

// "gpkg, .shp, .fgb or .dxf"
QString inPlanFormats()
{
    QString names = outputExtensions(true).replace(QStringLiteral(", "), QStringLiteral(", ."));
    const int last = names.lastIndexOf(QStringLiteral(", "));
    return last < 0 ? names : names.replace(last, 2, QStringLiteral(" or "));
}
const QString metre = QStringLiteral("m");

PlacedResults declaredResults(const std::function<ResultId(ResultSpec)> &add)
{
    const ResultId bearing
            = add({QStringLiteral("bearing_deg"), QStringLiteral("Bearing"), 4, degree});
    const ResultId height = add({QStringLiteral("height_m"), QStringLiteral("Height"), 2, metre});
    const ResultId tilt = add({QStringLiteral("tilt_deg"), QStringLiteral("Tilt"), 4, degree});
    const ResultId hfov
            = add({QStringLiteral("hfov_deg"), QStringLiteral("Horizontal FOV"), 4, degree});
    const ResultId vfov
            = add({QStringLiteral("vfov_deg"), QStringLiteral("Vertical FOV"), 4, degree});
    const ResultId target
            = add({QStringLiteral("target_height_m"), QStringLiteral("Target height"), 2, metre});
    return {bearing, height, tilt, hfov, vfov, target};
}

InputSpec degreesInput(const char *name, const char *description)
{
    return {QString::fromLatin1(name), QStringLiteral("degrees"), QString::fromLatin1(description)};
}

// Given on the command line alone, as often as wanted, each value whole.
InputSpec wholeValuesInput(InputSpec input)
{
    input = commandLineOnly(std::move(input));
    input.repeatable = true;
    input.joinedBy = wholeValuesSeparator;
    return input;
}

// OpenStreetMap's camera:direction takes these too.
constexpr std::array<const char *, 16> compassPoints{"N",  "NNE", "NE", "ENE", "E",  "ESE",
                                                     "SE", "SSE", "S",  "SSW", "SW", "WSW",
                                                     "W",  "WNW", "NW", "NNW"};

std::optional<double> compassBearing(const QString &text)
{
    const QString point = text.trimmed().toUpper();
    for (std::size_t index = 0; index < compassPoints.size(); ++index) {
        if (point == QLatin1String(compassPoints[index]))
            return 22.5 * static_cast<double>(index);
    }
    return std::nullopt;
}

// "LAT,LON" within the earth's ranges.
std::optional<GeoPoint> parseOrigin(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return std::nullopt;
    bool latOk = false;
    bool lonOk = false;
    const GeoPoint point{parts.at(0).trimmed().toDouble(&latOk),
                         parts.at(1).trimmed().toDouble(&lonOk)};
    if (!latOk || !lonOk || !(std::fabs(point.lat) <= 90.0) || !(std::fabs(point.lon) <= 180.0))
        return std::nullopt;
    return point;
}

} // namespace

PlanePoint inDrawing(const SiteInputs &inputs, GeoPoint point)
{
    return inputs.plan.planOf(inputs.site->toPlane(inputs.planeOrigin(), point),
                              inputs.plan.metresPerUnit.value_or(1.0));
}

int nameColumnOf(const QStringList &passThroughNames)
{
    for (int column = 0; column < passThroughNames.size(); ++column) {
        if (isNameColumn(passThroughNames.at(column)))
            return column;
    }
    return 0;
}

QString cameraName(const FieldList &passThrough, int nameColumn, qint64 line)
{
    const auto column = static_cast<std::size_t>(nameColumn);
    if (column < passThrough.size() && !passThrough[column].empty())
        return fieldText(passThrough[column]);
    // Outside a batch there is no line to name it by.
    if (line == 0)
        return QStringLiteral("camera");
    return QStringLiteral("line-%1").arg(line);
}

bool isNameColumn(const QString &name)
{
    return normalizedColumnName(name) == QLatin1String("camera");
}

namespace {

// "extent|streets"
QString areaChoices()
{
    QStringList names;
    for (const NamedGround &named : osmGrounds)
        names << QLatin1String(named.name);
    return names.join(QLatin1Char('|'));
}

// More threads than this only wait for each other.
constexpr int mostJobs = 256;

// The cores this process may run on, which a container or taskset may
// make fewer than the machine's.
int coresAvailable()
{
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof cores, &cores) == 0)
        return std::clamp(CPU_COUNT(&cores), 1, mostJobs);
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, mostJobs);
}

} // namespace

SiteInputReader::SiteInputReader(const std::function<InputId(InputSpec)> &addInput,
                                 const std::function<ResultId(ResultSpec)> &addResult)
    : m_lat(addInput(degreesInput("lat", "Latitude of the camera, WGS84.")))
    , m_lon(addInput(degreesInput("lon", "Longitude of the camera, WGS84.")))
    , m_x(addInput(metresInput("x",
                               "Metres east of --origin, or along a plan's x in its units; "
                               "instead of --lat and --lon.")))
    , m_y(addInput(metresInput("y", "Metres north of --origin, or along a plan's y.")))
    , m_origin(addInput(commandLineOnly(
              {QStringLiteral("origin"), QStringLiteral("LAT,LON"),
               QStringLiteral("Where x and y are measured from, in its azimuthal equidistant "
                              "plane, and where a plan's (0, 0) lies.")})))
    , m_north(addInput(
              commandLineOnly({QStringLiteral("north"), QStringLiteral("degrees"),
                               QStringLiteral("Where north lies from a plan's +y, clockwise; 0 by "
                                              "default.")})))
    , m_units(addInput(commandLineOnly(
              {QStringLiteral("units"), planUnitNames(),
               QStringLiteral("The units of a plan, and of x and y: over the drawing's own; "
                              "else the drawing's, or metres.")})))
    , m_bearing(addInput({QStringLiteral("bearing"), QStringLiteral("degrees"),
                          QStringLiteral("Direction of view, clockwise from north, or a compass "
                                         "point such as NNE."),
                          Need::required, std::nullopt, true,
                          QStringList{QStringLiteral("camera:direction")}}))
    , m_mount(addInput, QStringList{QStringLiteral("camera:angle")})
    , m_maxRange(addInput(metresInput("max-range", "Nothing farther along the bearing counts.")))
    , m_site(addInput(wholeValuesInput(
              {QStringLiteral("site"), QStringLiteral("FILE"),
               QStringLiteral("The site: areas to cover, obstacles, privacy zones, in GeoJSON "
                              "or any GIS or CAD file; repeatable.")})))
    , m_roles(addInput(wholeValuesInput(
              {QStringLiteral("role"), QStringLiteral("PATTERN=ROLE"),
               QStringLiteral("The role of features without one in the layers PATTERN "
                              "matches: area, obstacle, privacy or background; repeatable.")})))
    , m_obstacleHeights(addInput(wholeValuesInput(
              {QStringLiteral("obstacle-height"), QStringLiteral("PATTERN=m"),
               QStringLiteral("The height of obstacles without one in the layers PATTERN "
                              "matches; repeatable.")})))
    , m_area(addInput(commandLineOnly(
              {QStringLiteral("area"), areaChoices(),
               QStringLiteral("The ground to cover from an OpenStreetMap extract in --site: "
                              "its bounds, or its streets, less its buildings.")})))
    , m_jobs(addInput(commandLineOnly(
              {QStringLiteral("jobs"), QStringLiteral("N"),
               QStringLiteral("Work out N cameras at once, each on a thread of its own; as "
                              "many as there are cores by default.")})))
    , m_levels(addInput(levelsInput()))
    , m_maxAngles(addInput(maxAnglesInput()))
    , m_results(declaredResults(addResult))
{
}

std::optional<QString> refusesWrittenAs(const SiteInputs &inputs, const QString &what,
                                        const OutputFormatFile *format)
{
    if (inputs.frame == SiteFrame::plan && (!format || format->earthOnly))
        return QStringLiteral("%1: the plan has no place on the earth, and GeoJSON and KML hold "
                              "longitude and latitude only: write a file of .%2 instead, or "
                              "place the plan's (0, 0) with --origin LAT,LON")
                .arg(what, inPlanFormats());
    if (format && format->drawing && inputs.frame == SiteFrame::earth && !inputs.origin)
        return QStringLiteral("%1: a drawing is in a plan's units about its (0, 0), or in "
                              "metres about a point: give --origin")
                .arg(what);
    return std::nullopt;
}

bool writtenInPlanUnits(const SiteInputs &inputs, const OutputFormatFile &format)
{
    return format.drawing || inputs.frame == SiteFrame::plan;
}

std::variant<UsageError, SiteInputs>
SiteInputReader::prepare(const GivenInputs &given, Area area,
                         const std::function<std::optional<QString>()> &ownOptions) const
{
    const auto ways = m_mount.prepare(given);
    if (const auto *error = std::get_if<UsageError>(&ways))
        return *error;
    SiteInputs inputs;
    inputs.ways = std::get<MountInputs::Ways>(ways);
    inputs.levels = standardLevels();
    const bool geographic = given.given(m_lat) || given.given(m_lon);
    const bool planar = given.given(m_x) || given.given(m_y);
    if (geographic && planar)
        return UsageError{QStringLiteral("give --lat and --lon, or -x and -y, not both")};
    if (!geographic && !planar)
        return UsageError{QStringLiteral("give --lat and --lon, or -x and -y with --origin")};
    inputs.byPlane = planar;
    if (const auto origin = given.commandLine[m_origin]) {
        inputs.origin = parseOrigin(*origin);
        if (!inputs.origin)
            return UsageError{
                    QStringLiteral("--origin \"%1\" is not LAT,LON on the earth").arg(*origin)};
    }
    if (const auto levels = given.commandLine[m_levels]) {
        auto parsed = parseLevels(*levels);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return UsageError{*problem};
        inputs.levels = std::move(std::get<std::vector<SiteLevel>>(parsed));
        inputs.editions = levelEditionsIn(*levels);
        inputs.ownLevels = inputs.editions.size() < levels->split(QLatin1Char(',')).size();
    }
    if (const auto problem
        = applyMaxAngles(wholeValues(given.commandLine[m_maxAngles]), inputs.levels))
        return UsageError{*problem};
    if (const auto jobs = given.commandLine[m_jobs]) {
        // Digits only: "+2", " 2" and "2.0" are no count of threads either.
        const QByteArray digits = jobs->toUtf8();
        const auto count = plainInt(std::string_view(digits.constData(), digits.size()));
        if (!count || *count < 1 || *count > mostJobs)
            return UsageError{QStringLiteral("--jobs \"%1\" is not a whole number from 1 to %2")
                                      .arg(*jobs)
                                      .arg(mostJobs)};
        inputs.jobs = *count;
    } else
        inputs.jobs = coresAvailable();
    Site site;
    if (const auto problem = readSiteFiles(given, inputs, site))
        return UsageError{*problem};
    if (inputs.moduleProblem)
        return inputs;
    inputs.frame = site.frame;
    if (planar && !inputs.origin && inputs.frame != SiteFrame::plan)
        return UsageError{QStringLiteral("-x and -y need --origin, or a plan as --site")};
    if (geographic && inputs.frame == SiteFrame::plan)
        return UsageError{QStringLiteral("the plan has no place on the earth, so cameras stand "
                                         "at -x and -y in its units; or place its (0, 0) with "
                                         "--origin LAT,LON")};
    // A lone file names the site in messages; several name their features.
    const QString siteName = inputs.sitePaths.size() == 1 ? inputs.sitePaths.first() : QString();
    if (area == Area::needed && inputs.sitePaths.isEmpty())
        return UsageError{QStringLiteral("--site is required")};
    if (!inputs.sitePaths.isEmpty() && area != Area::optional) {
        const bool hasArea = std::any_of(
                site.features.cbegin(), site.features.cend(),
                [](const SiteFeature &feature) { return feature.role == SiteFeature::Role::area; });
        const bool background = std::any_of(
                site.features.cbegin(), site.features.cend(), [](const SiteFeature &feature) {
                    return feature.role == SiteFeature::Role::background;
                });
        if (!hasArea)
            return UsageError{
                    QStringLiteral("%1 has no area to cover%2")
                            .arg(siteName.isEmpty() ? QStringLiteral("the site") : siteName,
                                 background ? QStringLiteral(": its features without a role are "
                                                             "only drawn; give their layers one "
                                                             "with --role PATTERN=area")
                                            : QString())};
    }
    if (const auto problem = ownOptions())
        return UsageError{*problem};
    // Only a footprint's site is placed without its ground.
    auto placed = placeSite(std::move(site),
                            area == Area::optional ? SiteUse::footprints : SiteUse::coverage);
    if (const auto *problem = std::get_if<ModuleProblem>(&placed)) {
        inputs.moduleProblem = problem->message;
        return inputs;
    }
    if (const auto *problem = std::get_if<QString>(&placed))
        return UsageError{siteName.isEmpty() ? *problem
                                             : QStringLiteral("%1: %2").arg(siteName, *problem)};
    inputs.site = std::get<std::shared_ptr<const SiteGeometry>>(std::move(placed));
    return inputs;
}

std::optional<QString> SiteInputReader::readSiteFiles(const GivenInputs &given, SiteInputs &inputs,
                                                      Site &site) const
{
    auto rules = LayerRules::parse(wholeValues(given.commandLine[m_roles]),
                                   wholeValues(given.commandLine[m_obstacleHeights]));
    if (const auto *problem = std::get_if<QString>(&rules))
        return *problem;
    PlanPlacement &plan = inputs.plan;
    if (const auto units = given.commandLine[m_units]) {
        plan.metresPerUnit = metresPerUnitNamed(*units);
        if (!plan.metresPerUnit)
            return QStringLiteral("--units \"%1\" is none of %2").arg(*units, planUnitNames());
    }
    if (const auto north = given.commandLine[m_north]) {
        bool ok = false;
        plan.northDegrees = north->toDouble(&ok);
        plan.northGiven = true;
        if (!ok || !std::isfinite(plan.northDegrees))
            return QStringLiteral("--north \"%1\" is not a number of degrees").arg(*north);
    }
    inputs.sitePaths = wholeValues(given.commandLine[m_site]);
    if (inputs.sitePaths.isEmpty()
        && (given.commandLine.given(m_roles) || given.commandLine.given(m_obstacleHeights)
            || given.commandLine.given(m_area)))
        return QStringLiteral("--role, --obstacle-height and --area need --site");
    if (inputs.sitePaths.isEmpty())
        return std::nullopt;
    // The earth's points about the origin come from the site module, as a
    // site without features has them.
    std::shared_ptr<const SiteGeometry> surveyor;
    if (inputs.origin) {
        auto made = placeSite(Site{}, SiteUse::footprints);
        if (const auto *problem = std::get_if<ModuleProblem>(&made)) {
            inputs.moduleProblem = problem->message;
            return std::nullopt;
        }
        surveyor = std::get<std::shared_ptr<const SiteGeometry>>(std::move(made));
        plan.onEarth = [surveyor, origin = *inputs.origin](double east, double north) {
            return surveyor->fromPlane(origin, east, north);
        };
    }
    OsmGround ground = OsmGround::none;
    if (const auto area = given.commandLine[m_area]) {
        const auto named = std::find_if(
                std::cbegin(osmGrounds), std::cend(osmGrounds),
                [&](const NamedGround &each) { return *area == QLatin1String(each.name); });
        if (named == std::cend(osmGrounds))
            return QStringLiteral("--area \"%1\" is none of %2")
                    .arg(*area, areaChoices().replace(QLatin1Char('|'), QStringLiteral(", ")));
        ground = named->ground;
    }
    auto read = readSite(inputs.sitePaths, std::get<LayerRules>(rules), plan, ground);
    if (const auto *problem = std::get_if<ModuleProblem>(&read)) {
        inputs.moduleProblem = problem->message;
        return std::nullopt;
    }
    if (const auto *problem = std::get_if<QString>(&read))
        return *problem;
    SiteRead &found = std::get<SiteRead>(read);
    site = std::move(found.site);
    inputs.warnings = std::move(found.warnings);
    inputs.heightRules = std::move(found.heightRules);
    if (!plan.metresPerUnit)
        plan.metresPerUnit = found.planMetresPerUnit;
    return std::nullopt;
}

std::optional<QString> SiteInputReader::refusesOutput(const SiteInputs &inputs,
                                                      const QStringList &files, bool draws) const
{
    if (inputs.moduleProblem)
        return inputs.moduleProblem;
    for (const QString &file : files) {
        if (const auto refusal = refusesPictureFile(file))
            return refusal;
        // A Shapefile read is several files, and so is one written.
        for (const QString &sitePath : inputs.sitePaths) {
            for (const QString &read : filesOf(sitePath)) {
                for (const QString &written : filesOf(file)) {
                    if (const auto refusal = refusesReadFile(written, read, QStringLiteral("site")))
                        return refusal;
                }
            }
        }
    }
    if (draws)
        return pictureModuleProblem();
    return std::nullopt;
}

std::variant<QString, GeoPoint> SiteInputReader::position(const SiteInputs &inputs,
                                                          const InputValues &values,
                                                          FieldParser &parse) const
{
    if (!inputs.byPlane)
        return GeoPoint{parse.between(Field::latitude, values.field(m_lat), -90.0, 90.0,
                                      QStringLiteral("degrees")),
                        parse.between(Field::longitude, values.field(m_lon), -180.0, 180.0,
                                      QStringLiteral("degrees"))};
    const double x = parse.finiteNumber(Field::x, values.field(m_x));
    const double y = parse.finiteNumber(Field::y, values.field(m_y));
    if (parse.error())
        return *parse.error();
    const PlanePoint metres
            = inputs.plan.eastNorth({x, y}, inputs.plan.metresPerUnit.value_or(1.0));
    const auto point = inputs.site->fromPlane(inputs.planeOrigin(), metres.x, metres.y);
    if (!point)
        return QStringLiteral("x %1, y %2 is not on the earth from --origin").arg(x).arg(y);
    return *point;
}

std::optional<QString> SiteInputReader::place(const SiteInputs &inputs, const InputValues &values,
                                              bool nearSite, Results &results,
                                              PlacedRecord &product) const
{
    FieldParser parse;
    const auto at = position(inputs, values, parse);
    if (const auto *problem = std::get_if<QString>(&at))
        return *problem;
    // A number first: it is what nearly every row holds, and no number is
    // a compass point.
    double bearing = 0.0;
    const FieldValue &given = values.field(m_bearing);
    if (!given.bytes) {
        parse.fail(noValue(Field::bearing));
    } else if (const auto number = given.number ? given.number : toDoubleLikeQt(*given.bytes);
               number && std::isfinite(*number)) {
        // The outer fmod turns a tiny negative's 360 back into 0; and a
        // bearing that its four decimals would show as 360.0000 is north.
        bearing = std::fmod(std::fmod(*number, 360.0) + 360.0, 360.0);
        if (bearing >= 360.0 - 0.5e-4)
            bearing = 0.0;
    } else if (const auto point = compassBearing(fieldText(*given.bytes))) {
        bearing = *point;
    } else {
        parse.fail(fieldError(Field::bearing, fieldText(*given.bytes),
                              QStringLiteral("is neither a number nor a compass point")));
    }
    MountInputs::Unpointed unpointed{};
    if (const auto problem = m_mount.readCamera(inputs.ways, values, parse, unpointed))
        return *problem;
    const MountedCamera camera = m_mount.point(unpointed, values, parse);
    const auto maxRange = values.given(m_maxRange)
            ? std::optional<double>(parse.positive(Field::maxRange, values.field(m_maxRange)))
            : std::nullopt;
    if (parse.error())
        return *parse.error();
    const GeoPoint point = std::get<GeoPoint>(at);
    if (const auto centre = inputs.site->centre(); centre && nearSite) {
        const double distance = inputs.site->distance(*centre, point);
        // Surely misplaced, and the site's plane would no longer hold it.
        if (distance > localPlaneReach)
            return QStringLiteral("the camera is %1 km from the site's centre, more than %2 km")
                    .arg(distance / 1000.0, 0, 'f', 1)
                    .arg(localPlaneReach / 1000.0);
    }
    product.camera = {point, bearing, camera, unpointed.targetHeight, maxRange};
    product.lens = unpointed.lens;
    results.set(m_results.bearingDegrees, product.camera.bearingDegrees);
    results.set(m_results.heightMetres, camera.height);
    results.set(m_results.tiltDegrees, camera.tiltDegrees);
    results.set(m_results.hfovDegrees, camera.view.horizontalFovDegrees);
    results.set(m_results.vfovDegrees, camera.view.verticalFovDegrees);
    results.set(m_results.targetHeight, unpointed.targetHeight);
    return std::nullopt;
}
