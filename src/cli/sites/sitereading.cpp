#include "sitereading.h"

#include "osmsite.h"
#include "sitefile.h"
#include "sitemodule.h"
#include "vectorfilesmodule.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <map>

namespace {

// GeoJSON by its name, or by its first character; a pipe or a special file
// is read whole as GeoJSON, as it always was, since OGR could not look
// into it twice.
bool isGeoJson(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (!info.isFile() || suffix == QLatin1String("geojson") || suffix == QLatin1String("json"))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // for its message
    const QByteArray start = file.read(4096).trimmed();
    return start.startsWith('{');
}

std::variant<QString, Site> readGeoJson(const QString &path, const LayerRules &rules)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("cannot read %1: it is a folder").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    const QByteArray json = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return parseSite(json, path, rules);
}

QString featureWhere(const QString &path, const FileFeature &feature)
{
    const QString name
            = feature.name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(feature.name);
    return QStringLiteral("%1, layer %2, feature %3%4")
            .arg(path, feature.layer)
            .arg(feature.number)
            .arg(name);
}

bool onTheEarth(const std::vector<GeoPoint> &points)
{
    return std::all_of(points.cbegin(), points.cend(), [](GeoPoint point) {
        return std::fabs(point.lat) <= 90.0 && std::fabs(point.lon) <= 180.0;
    });
}

// Every ring of every polygon, and every line: a reader may hand over a
// latitude of 96 as readily as one of 48.
bool onTheEarth(const GeoArea &polygons, const std::vector<std::vector<GeoPoint>> &lines)
{
    for (const GeoPolygon &polygon : polygons) {
        if (!onTheEarth(polygon.exterior)
            || !std::all_of(polygon.holes.cbegin(), polygon.holes.cend(),
                            [](const GeoRing &hole) { return onTheEarth(hole); }))
            return false;
    }
    return std::all_of(lines.cbegin(), lines.cend(),
                       [](const std::vector<GeoPoint> &line) { return onTheEarth(line); });
}

bool closedRing(const GeoRing &ring)
{
    return ring.size() >= 4 && ring.front().lat == ring.back().lat
            && ring.front().lon == ring.back().lon;
}

// Why the feature's geometry cannot serve its role, if it cannot.
std::optional<QString> misfit(const FileFeature &feature, SiteFeature::Role role)
{
    const bool area = role == SiteFeature::Role::area || role == SiteFeature::Role::privacy;
    const bool fits = area ? !feature.polygons.empty() && feature.lines.empty()
                           : !feature.polygons.empty() || !feature.lines.empty();
    if (feature.geometryType.isEmpty())
        return QStringLiteral("it has no geometry");
    if (!fits)
        return QStringLiteral("a %1 is not a geometry for %2")
                .arg(feature.geometryType,
                     area && role == SiteFeature::Role::area ? QStringLiteral("an area")
                             : area                          ? QStringLiteral("a privacy zone")
                                                             : QStringLiteral("an obstacle"));
    for (const GeoPolygon &polygon : feature.polygons) {
        if (!closedRing(polygon.exterior)
            || !std::all_of(polygon.holes.cbegin(), polygon.holes.cend(), closedRing))
            return QStringLiteral("a ring is not closed, with 4 positions at least");
    }
    for (const auto &line : feature.lines) {
        if (line.size() < 2)
            return QStringLiteral("a line has fewer than 2 positions");
    }
    return std::nullopt;
}

// The features of a file that OGR read, their roles settled.
class FileFeatures
{
public:
    FileFeatures(const QString &path, const LayerRules &rules, const PlanPlacement &placement,
                 bool severalFiles)
        : m_path(path), m_rules(rules), m_placement(placement), m_severalFiles(severalFiles)
    {
    }

    // Nothing, or why the file cannot be used.
    std::optional<std::variant<ModuleProblem, QString>> take(FileContents contents, SiteRead &read);

private:
    // The plan's units, the drawing's own or --units, for the features of
    // the layers without a coordinate system.
    std::variant<QString, double> planUnits(const FileContents &contents, SiteRead &read) const;
    std::optional<std::variant<ModuleProblem, QString>>
    joinLines(FileContents &contents, std::vector<SiteFeature::Role> &roles,
              std::vector<bool> &consumed, double perUnit, SiteRead &read) const;
    std::optional<QString> placePlan(FileContents &contents, double perUnit) const;
    std::variant<QString, std::optional<SiteFeature::Role>>
    roleOf(const FileFeature &feature) const;
    std::variant<QString, std::optional<double>> heightOf(const FileFeature &feature,
                                                          SiteFeature::Role role) const;

    const QString &m_path;
    const LayerRules &m_rules;
    const PlanPlacement &m_placement;
    bool m_severalFiles;
};

std::variant<QString, double> FileFeatures::planUnits(const FileContents &contents,
                                                      SiteRead &read) const
{
    const bool drawing
            = QFileInfo(m_path).suffix().compare(QLatin1String("dxf"), Qt::CaseInsensitive) == 0;
    std::optional<double> perUnit = m_placement.metresPerUnit;
    if (!perUnit && contents.drawingUnits)
        perUnit = metresPerDrawingUnit(*contents.drawingUnits);
    if (!perUnit && contents.drawingUnits && *contents.drawingUnits != 0)
        return QStringLiteral("%1 is drawn in units that $INSUNITS numbers %2, none of %3: say "
                              "which with --units %3")
                .arg(m_path)
                .arg(*contents.drawingUnits)
                .arg(planUnitNames());
    if (!perUnit)
        return QStringLiteral("%1 is a plan that does not say its units: give them with --units "
                              "%2%3")
                .arg(m_path, planUnitNames(),
                     drawing ? QStringLiteral(", or set $INSUNITS in the drawing") : QString());
    if (read.planMetresPerUnit && *read.planMetresPerUnit != *perUnit)
        return QStringLiteral("%1 is a plan in other units than the plan before it, and the "
                              "schedule's x and y can be in one only: give --units")
                .arg(m_path);
    read.planMetresPerUnit = perUnit;
    return *perUnit;
}

// Rooms and floors drawn as loose lines: on an area's or a privacy zone's
// layer they are joined, layer by layer, into the polygons they close; the
// features they came from are used up.
std::optional<std::variant<ModuleProblem, QString>>
FileFeatures::joinLines(FileContents &contents, std::vector<SiteFeature::Role> &roles,
                        std::vector<bool> &consumed, double perUnit, SiteRead &read) const
{
    struct Loose
    {
        std::vector<std::vector<PlanePoint>> lines;
        int firstNumber = 0;
        SiteFeature::Role role = SiteFeature::Role::area;
    };
    std::map<QString, Loose> byLayer;
    for (std::size_t index = 0; index < contents.features.size(); ++index) {
        FileFeature &feature = contents.features[index];
        if (feature.planLines.empty()
            || (roles[index] != SiteFeature::Role::area
                && roles[index] != SiteFeature::Role::privacy))
            continue;
        Loose &loose = byLayer[feature.layer];
        if (loose.lines.empty()) {
            loose.firstNumber = feature.number;
            loose.role = roles[index];
        }
        for (auto &line : feature.planLines) {
            if (line.size() >= 2)
                loose.lines.push_back(std::move(line));
        }
        feature.planLines.clear();
        consumed[index] = feature.planPolygons.empty();
    }
    // Drawings carry slips of less than a millimetre where lines should meet.
    const double slip = 0.001 / perUnit;
    for (auto &[layer, loose] : byLayer) {
        const std::size_t count = loose.lines.size();
        auto joined = joinRings(loose.lines, slip);
        if (auto *problem = std::get_if<ModuleProblem>(&joined))
            return std::move(*problem);
        if (auto *problem = std::get_if<QString>(&joined))
            return QStringLiteral("%1, layer %2: %3").arg(m_path, layer, *problem);
        JoinedRings &rings = std::get<JoinedRings>(joined);
        for (PlanePolygon &polygon : rings.polygons) {
            FileFeature made;
            made.layer = layer;
            made.number = loose.firstNumber;
            made.geometryType = QStringLiteral("Polygon");
            made.planPolygons.push_back(std::move(polygon));
            contents.features.push_back(std::move(made));
            roles.push_back(loose.role);
            consumed.push_back(false);
        }
        if (!rings.unused.empty())
            read.warnings << QStringLiteral("%1, layer %2: left out %3 of its %4 lines, which "
                                            "close no ring with the others")
                                     .arg(m_path, layer)
                                     .arg(rings.unused.size())
                                     .arg(count);
    }
    return std::nullopt;
}

// The plan's layers placed on the earth, or kept in the plan's own plane,
// in metres, when it has no place there.
std::optional<QString> FileFeatures::placePlan(FileContents &contents, double perUnit) const
{
    bool onEarth = true;
    const auto place = [&](const std::vector<PlanePoint> &points, bool ring) {
        std::vector<GeoPoint> placed;
        for (const PlanePoint &point : points) {
            const PlanePoint metres = m_placement.eastNorth(point, perUnit);
            const auto at = m_placement.onEarth
                    ? m_placement.onEarth(metres.x, metres.y)
                    : std::optional<GeoPoint>(GeoPoint{metres.y, metres.x});
            onEarth = onEarth && at;
            placed.push_back(at.value_or(GeoPoint{0.0, 0.0}));
        }
        if (ring && !placed.empty())
            placed.push_back(placed.front());
        return placed;
    };
    for (FileFeature &feature : contents.features) {
        for (const PlanePolygon &polygon : feature.planPolygons) {
            GeoPolygon placed{place(polygon.exterior, true), {}};
            for (const auto &hole : polygon.holes)
                placed.holes.push_back(place(hole, true));
            feature.polygons.push_back(std::move(placed));
        }
        for (const auto &line : feature.planLines)
            feature.lines.push_back(place(line, false));
        if (!onEarth)
            return QStringLiteral("%1: the plan does not fit on the earth from --origin")
                    .arg(featureWhere(m_path, feature));
    }
    return std::nullopt;
}

std::variant<QString, std::optional<SiteFeature::Role>>
FileFeatures::roleOf(const FileFeature &feature) const
{
    if (!feature.role.given())
        return m_rules.roleOf(feature.layer);
    const auto role
            = feature.role.text ? roleNamed(feature.role.text->trimmed().toLower()) : std::nullopt;
    if (!role)
        return QStringLiteral("%1: unknown role %2; use area, obstacle, privacy or background")
                .arg(featureWhere(m_path, feature),
                     feature.role.text ? QStringLiteral("\"%1\"").arg(*feature.role.text)
                                       : QStringLiteral("that is a number"));
    return role;
}

std::variant<QString, std::optional<double>> FileFeatures::heightOf(const FileFeature &feature,
                                                                    SiteFeature::Role role) const
{
    std::optional<double> metres = feature.height.number;
    if (feature.height.text && !feature.height.text->trimmed().isEmpty()) {
        bool ok = false;
        metres = feature.height.text->trimmed().toDouble(&ok);
        if (!ok)
            metres = -1.0;
    }
    if (metres && !(std::isfinite(*metres) && *metres >= 0.0))
        return QStringLiteral("%1: height must be a number of metres, 0 or above")
                .arg(featureWhere(m_path, feature));
    if (!metres && role == SiteFeature::Role::obstacle)
        return m_rules.heightOf(feature.layer);
    return metres;
}

std::optional<std::variant<ModuleProblem, QString>> FileFeatures::take(FileContents contents,
                                                                       SiteRead &read)
{
    for (const QString &warning : contents.warnings)
        read.warnings << QStringLiteral("%1: %2").arg(m_path, warning);
    std::vector<SiteFeature::Role> roles;
    for (const FileFeature &feature : contents.features) {
        const auto role = roleOf(feature);
        if (const auto *problem = std::get_if<QString>(&role))
            return *problem;
        roles.push_back(std::get<std::optional<SiteFeature::Role>>(role).value_or(
                SiteFeature::Role::background));
    }
    std::vector<bool> consumed(contents.features.size(), false);
    if (!contents.earthLayers.isEmpty() && read.firstOnEarth.isEmpty())
        read.firstOnEarth = QStringLiteral("%1 (its layer %2 has a coordinate system)")
                                    .arg(m_path, contents.earthLayers.first());
    if (!contents.planLayers.isEmpty()) {
        if (read.firstPlan.isEmpty())
            read.firstPlan = QStringLiteral("%1 (its layer %2 has no coordinate system)")
                                     .arg(m_path, contents.planLayers.first());
        const auto perUnit = planUnits(contents, read);
        if (const auto *problem = std::get_if<QString>(&perUnit))
            return *problem;
        if (auto problem = joinLines(contents, roles, consumed, std::get<double>(perUnit), read))
            return problem;
        if (const auto problem = placePlan(contents, std::get<double>(perUnit)))
            return *problem;
    }
    read.site.features.reserve(read.site.features.size() + contents.features.size());
    struct LayerCount
    {
        int withRole = 0;
        int leftOut = 0;
        QString first; // the first left out, and why
    };
    std::map<QString, LayerCount> counts;
    for (std::size_t index = 0; index < contents.features.size(); ++index) {
        if (consumed[index])
            continue;
        FileFeature &feature = contents.features[index];
        const SiteFeature::Role settled = roles[index];
        const auto height = heightOf(feature, settled);
        if (const auto *problem = std::get_if<QString>(&height))
            return *problem;
        // A plan's, placed, were checked there; unplaced, they are metres.
        const bool fromPlan = !feature.planPolygons.empty() || !feature.planLines.empty();
        if (!fromPlan && !onTheEarth(feature.polygons, feature.lines))
            return QStringLiteral("%1: a position is not on the earth")
                    .arg(featureWhere(m_path, feature));
        if (settled != SiteFeature::Role::background) {
            LayerCount &count = counts[feature.layer];
            ++count.withRole;
            if (const auto why = misfit(feature, settled)) {
                if (count.leftOut++ == 0)
                    count.first = QStringLiteral("feature %1: %2").arg(feature.number).arg(*why);
                continue;
            }
        }
        SiteFeature made;
        made.role = settled;
        made.source = m_severalFiles ? QStringLiteral("%1, layer %2, ").arg(m_path, feature.layer)
                                     : QStringLiteral("layer %1, ").arg(feature.layer);
        made.number = feature.number;
        made.name = feature.name;
        made.height = std::get<std::optional<double>>(height);
        made.polygons = std::move(feature.polygons);
        made.lines = std::move(feature.lines);
        read.site.features.push_back(std::move(made));
    }
    for (const auto &[layer, count] : counts) {
        if (count.leftOut == 0)
            continue;
        if (count.leftOut == count.withRole)
            return QStringLiteral("%1, layer %2: no feature fits its role; %3")
                    .arg(m_path, layer, count.first);
        read.warnings << QStringLiteral("%1, layer %2: left out %3 of %4 features whose "
                                        "geometry does not fit their role; the first, %5")
                                 .arg(m_path, layer)
                                 .arg(count.leftOut)
                                 .arg(count.withRole)
                                 .arg(count.first);
    }
    return std::nullopt;
}

// Why a file cannot be used, as readSite answers it.
std::variant<ModuleProblem, QString, SiteRead>
asReadSite(std::variant<ModuleProblem, QString> &&problem)
{
    return std::visit(
            [](auto &&why) {
                return std::variant<ModuleProblem, QString, SiteRead>(std::move(why));
            },
            std::move(problem));
}

// An extract's obstacles, each on the earth.
std::optional<std::variant<ModuleProblem, QString>> takeOsm(const QString &path, bool severalFiles,
                                                            OsmGround ground, SiteRead &read)
{
    auto osm = readOsmSite(path, severalFiles ? QStringLiteral("%1, ").arg(path) : QString(),
                           ground);
    if (auto *problem = std::get_if<ModuleProblem>(&osm))
        return std::move(*problem);
    if (auto *problem = std::get_if<QString>(&osm))
        return std::move(*problem);
    OsmSite &site = std::get<OsmSite>(osm);
    for (SiteFeature &feature : site.features) {
        if (!onTheEarth(feature.polygons, feature.lines))
            return QStringLiteral("%1, %2: a position is not on the earth").arg(path, feature.name);
        read.site.features.push_back(std::move(feature));
    }
    read.warnings << site.warnings;
    for (const QString &rule : site.heightRules)
        read.heightRules << QStringLiteral("In %1, %2").arg(QFileInfo(path).fileName(), rule);
    if (read.firstOnEarth.isEmpty())
        read.firstOnEarth = path;
    return std::nullopt;
}

} // namespace

std::variant<ModuleProblem, QString, SiteRead> readSite(const QStringList &paths,
                                                        const LayerRules &rules,
                                                        const PlanPlacement &placement,
                                                        OsmGround ground)
{
    SiteRead read;
    if (ground != OsmGround::none
        && std::none_of(paths.cbegin(), paths.cend(),
                        [](const QString &path) { return isOsmExtract(path); }))
        return QStringLiteral("--area %1 takes its ground from an OpenStreetMap extract "
                              "(.osm or .osm.pbf) among --site, and none is given")
                .arg(QLatin1String(osmGroundName(ground)));
    QStringList layers;
    for (const QString &path : paths) {
        if (isOsmExtract(path)) {
            if (auto problem = takeOsm(path, paths.size() > 1, ground, read))
                return asReadSite(std::move(*problem));
            continue;
        }
        if (isGeoJson(path)) {
            auto site = readGeoJson(path, rules);
            if (auto *problem = std::get_if<QString>(&site))
                return std::move(*problem);
            for (SiteFeature &feature : std::get<Site>(site).features) {
                if (paths.size() > 1)
                    feature.source = QStringLiteral("%1, ").arg(path);
                read.site.features.push_back(std::move(feature));
            }
            // Its one layer, as parseSite names it, for the rules.
            layers << QFileInfo(path).completeBaseName();
            if (read.firstOnEarth.isEmpty())
                read.firstOnEarth = path;
            continue;
        }
        auto contents = readVectorFile(path);
        if (auto *problem = std::get_if<ModuleProblem>(&contents))
            return std::move(*problem);
        if (auto *problem = std::get_if<QString>(&contents))
            return std::move(*problem);
        FileContents &found = std::get<FileContents>(contents);
        layers << found.layers;
        FileFeatures files(path, rules, placement, paths.size() > 1);
        if (auto problem = files.take(std::move(found), read))
            return asReadSite(std::move(*problem));
    }
    if (!read.firstPlan.isEmpty() && !placement.onEarth) {
        if (!read.firstOnEarth.isEmpty())
            return QStringLiteral("%1 is a plan with no place on the earth, and %2 lies on the "
                                  "earth: place the plan's (0, 0) with --origin LAT,LON and its "
                                  "north with --north DEGREES")
                    .arg(read.firstPlan, read.firstOnEarth);
        read.site.frame = SiteFrame::plan;
        read.site.northKnown = placement.northGiven;
    }
    for (const QString &pattern : rules.unmatchedRoles(layers))
        read.warnings << QStringLiteral("--role \"%1\" matches no layer of the site, whose layers "
                                        "are %2")
                                 .arg(pattern, layers.join(QStringLiteral(", ")));
    return read;
}
