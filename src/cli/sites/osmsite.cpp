#include "osmsite.h"

#include "numbertext.h"
#include "osmtags.h"
#include "recordtable.h"
#include "vectorfilesmodule.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

int keyIndex(const char *key)
{
    for (int index = 0; index < osmKeyCount; ++index) {
        if (std::strcmp(osmKeys[index], key) == 0)
            return index;
    }
    return -1;
}

// A tag's value, or nothing when the element does not have it.
std::optional<QString> tagOf(const OsmElement &element, const char *key)
{
    const QString *value = element.tag(keyIndex(key));
    return value ? std::optional<QString>(*value) : std::nullopt;
}

QString elementName(const OsmElement &element)
{
    const char *kind = element.kind == OsmElement::Kind::node ? "node"
            : element.kind == OsmElement::Kind::way           ? "way"
                                                              : "relation";
    return QStringLiteral("%1/%2").arg(QLatin1String(kind)).arg(element.id);
}

// How many elements were passed over for one reason, and the first.
struct Unread
{
    int count = 0;
    QString first;
    void add(const OsmElement &element, const char *key, const QString &value)
    {
        if (count++ == 0)
            first = QStringLiteral("%1 has %2=\"%3\"")
                            .arg(elementName(element), QLatin1String(key), value);
    }
    void add(const OsmElement &element)
    {
        if (count++ == 0)
            first = elementName(element);
    }
};

// "1 building", "3 buildings".
QString counted(int count, const char *one, const char *many)
{
    return count == 1 ? QStringLiteral("1 %1").arg(QLatin1String(one))
                      : QStringLiteral("%1 %2").arg(count).arg(QLatin1String(many));
}

// A wall's or hedge's height when its mapper gives none: a garden wall's.
constexpr double unmappedWallHeight = 2.0;
// A storey, floor to floor, for buildings mapped by their levels.
constexpr double storeyHeight = 3.0;

// The street space of an extract: each street's way widened by its width
// tag or its class's, and the areas mapped as highways (a square).
class StreetReader
{
public:
    explicit StreetReader(const QString &path) : m_path(path) { }

    void take(OsmElement &element, OsmSite &site);
    void finish(OsmSite &site) const;

private:
    const QString &m_path;
    Unread m_width;
    int m_otherClasses = 0;
    QStringList m_classesLeftOut;
};

void StreetReader::take(OsmElement &element, OsmSite &site)
{
    const auto highway = tagOf(element, "highway");
    if (!highway || (element.line.size() < 2 && element.polygons.empty()) || !element.valid)
        return;
    const QString kind = firstTagValue(*highway).toLower();
    const StreetClass *known = std::find_if(
            std::cbegin(streetClasses), std::cend(streetClasses),
            [&](const StreetClass &street) { return kind == QLatin1String(street.highway); });
    if (known == std::cend(streetClasses)) {
        ++m_otherClasses;
        if (!m_classesLeftOut.contains(kind))
            m_classesLeftOut << kind;
        return;
    }
    SiteFeature feature;
    feature.role = SiteFeature::Role::area;
    feature.number = static_cast<int>(site.features.size()) + 1;
    feature.name = elementName(element);
    feature.polygons = std::move(element.polygons);
    if (feature.polygons.empty()) {
        double width = known->metres;
        if (const auto given = tagOf(element, "width")) {
            if (const auto metres = tagMetres(*given); metres && *metres > 0.0)
                width = *metres;
            else
                m_width.add(element, "width", *given);
        }
        feature.width = width;
        feature.lines.push_back(std::move(element.line));
    }
    site.features.push_back(std::move(feature));
}

void StreetReader::finish(OsmSite &site) const
{
    if (m_width.count > 0)
        site.warnings << QStringLiteral("%1: %2 that cannot be read, so those streets are as "
                                        "wide as their class; the first, %3")
                                 .arg(m_path, counted(m_width.count, "width", "widths"),
                                      m_width.first);
    if (m_otherClasses > 0) {
        QStringList sorted = m_classesLeftOut;
        sorted.sort();
        site.warnings << QStringLiteral("%1: left out %2 of highway=%3, which are no street "
                                        "space")
                                 .arg(m_path, counted(m_otherClasses, "way", "ways"),
                                      sorted.join(QLatin1Char('|')));
    }
}

class ObstacleReader
{
public:
    explicit ObstacleReader(const QString &path) : m_path(path) { }

    void take(OsmElement &element, OsmSite &site);
    void finish(OsmSite &site) const;

private:
    std::optional<double> buildingHeight(const OsmElement &element);
    void add(OsmElement &element, std::optional<double> height, OsmSite &site);

    const QString &m_path;
    int m_byHeight = 0;
    int m_byLevels = 0;
    int m_withRoof = 0;
    int m_byNone = 0;
    int m_wallsByHeight = 0;
    int m_wallsUnmapped = 0;
    int m_fences = 0;
    int m_fencesLeftOut = 0;
    int m_notClosed = 0;
    Unread m_invalid;
    Unread m_height;
    Unread m_levels;
    Unread m_roof;
    Unread m_wallHeight;
    Unread m_fenceHeight;
};

std::optional<double> ObstacleReader::buildingHeight(const OsmElement &element)
{
    if (const auto given = tagOf(element, "height")) {
        if (const auto metres = tagMetres(*given)) {
            ++m_byHeight;
            return metres;
        }
        m_height.add(element, "height", *given);
    }
    if (const auto given = tagOf(element, "building:levels")) {
        if (const auto levels = tagCount(*given)) {
            ++m_byLevels;
            double metres = *levels * storeyHeight;
            if (const auto roofGiven = tagOf(element, "roof:height")) {
                if (const auto roof = tagMetres(*roofGiven)) {
                    ++m_withRoof;
                    metres += *roof;
                } else {
                    m_roof.add(element, "roof:height", *roofGiven);
                }
            }
            return metres;
        }
        m_levels.add(element, "building:levels", *given);
    }
    ++m_byNone;
    return std::nullopt;
}

void ObstacleReader::add(OsmElement &element, std::optional<double> height, OsmSite &site)
{
    SiteFeature feature;
    feature.role = SiteFeature::Role::obstacle;
    feature.number = static_cast<int>(site.features.size()) + 1;
    feature.name = elementName(element);
    feature.height = height;
    feature.polygons = std::move(element.polygons);
    if (element.line.size() >= 2)
        feature.lines.push_back(std::move(element.line));
    site.features.push_back(std::move(feature));
}

void ObstacleReader::take(OsmElement &element, OsmSite &site)
{
    const auto building = tagOf(element, "building");
    const auto part = tagOf(element, "building:part");
    const auto isSet = [](const std::optional<QString> &value) {
        return value && firstTagValue(*value).compare(QLatin1String("no"), Qt::CaseInsensitive);
    };
    if (isSet(building) || isSet(part)) {
        // A building is its footprint; a way that does not close is a
        // mapping slip, not a wall.
        if (element.polygons.empty()) {
            ++m_notClosed;
            return;
        }
        if (!element.valid) {
            m_invalid.add(element);
            return;
        }
        add(element, buildingHeight(element), site);
        return;
    }
    const auto barrier = tagOf(element, "barrier");
    if (!barrier || (element.line.size() < 2 && element.polygons.empty()) || !element.valid)
        return;
    const QString kind = firstTagValue(*barrier).toLower();
    const auto given = tagOf(element, "height");
    const auto metres = given ? tagMetres(*given) : std::nullopt;
    if (kind == QLatin1String("wall") || kind == QLatin1String("city_wall")
        || kind == QLatin1String("retaining_wall") || kind == QLatin1String("hedge")) {
        if (given && !metres)
            m_wallHeight.add(element, "height", *given);
        ++(metres ? m_wallsByHeight : m_wallsUnmapped);
        add(element, metres.value_or(unmappedWallHeight), site);
    } else if (kind == QLatin1String("fence")) {
        if (given && !metres)
            m_fenceHeight.add(element, "height", *given);
        if (!metres) {
            ++m_fencesLeftOut;
            return;
        }
        ++m_fences;
        add(element, metres, site);
    }
}

void ObstacleReader::finish(OsmSite &site) const
{
    const auto warn = [&](const Unread &unread, const QString &then) {
        if (unread.count > 0)
            site.warnings << QStringLiteral("%1: %2 that cannot be read, %3; the first, %4")
                                     .arg(m_path, counted(unread.count, "value", "values"), then,
                                          unread.first);
    };
    warn(m_height, QStringLiteral("so the buildings' levels count instead"));
    warn(m_levels, QStringLiteral("so those buildings hide at every height"));
    warn(m_roof, QStringLiteral("so those roofs add nothing"));
    warn(m_wallHeight, QStringLiteral("so those walls and hedges hide up to 2 m"));
    warn(m_fenceHeight, QStringLiteral("so those fences are left out"));
    if (m_notClosed > 0)
        site.warnings << QStringLiteral("%1: left out %2 whose outline does not close")
                                 .arg(m_path, counted(m_notClosed, "building", "buildings"));
    if (m_invalid.count > 0)
        site.warnings << QStringLiteral("%1: left out %2 whose outline crosses itself; the "
                                        "first, %3")
                                 .arg(m_path, counted(m_invalid.count, "building", "buildings"),
                                      m_invalid.first);
    const int buildings = m_byHeight + m_byLevels + m_byNone;
    if (buildings > 0)
        site.heightRules << QStringLiteral("of its %1 buildings and building parts, %2 took their "
                                           "height from height, %3 from building:levels at 3 m a "
                                           "storey (%4 with roof:height added), and %5 had neither "
                                           "and hide at every height.")
                                    .arg(buildings)
                                    .arg(m_byHeight)
                                    .arg(m_byLevels)
                                    .arg(m_withRoof)
                                    .arg(m_byNone);
    if (m_wallsByHeight + m_wallsUnmapped > 0)
        site.heightRules << QStringLiteral("of its %1 walls and hedges, %2 took their height "
                                           "from height, and %3 without one hide up to 2 m.")
                                    .arg(m_wallsByHeight + m_wallsUnmapped)
                                    .arg(m_wallsByHeight)
                                    .arg(m_wallsUnmapped);
    if (m_fences + m_fencesLeftOut > 0)
        site.heightRules << QStringLiteral("of its %1 fences, %2 with a height hide up to it, "
                                           "and %3 without one were left out, since most "
                                           "fences are seen through.")
                                    .arg(m_fences + m_fencesLeftOut)
                                    .arg(m_fences)
                                    .arg(m_fencesLeftOut);
}

// Digits that read back as the same double, as the schedule's cells are.
std::string shortest(double value)
{
    char digits[shortestMaximumLength];
    return std::string(digits, writeShortest(digits, value));
}

// A camera's record, or why it has none.
struct CameraRow
{
    std::vector<std::string> cells;
    std::optional<QString> problem;
};

CameraRow cameraRow(const OsmElement &node, bool bearingGiven)
{
    CameraRow row;
    QString name = elementName(node);
    for (const char *key : {"ref", "name"}) {
        const auto given = tagOf(node, key);
        if (given && !given->trimmed().isEmpty()) {
            name = given->trimmed();
            break;
        }
    }
    std::string bearing;
    const char *directionKey = tagOf(node, "camera:direction") ? "camera:direction" : "direction";
    if (const auto direction = tagOf(node, directionKey)) {
        const TagBearing read = tagBearing(QLatin1String(directionKey), *direction);
        if (read.problem)
            row.problem = QStringLiteral("%1: %2").arg(elementName(node), *read.problem);
        else
            bearing = read.bearing->toStdString();
    } else if (!bearingGiven) {
        row.problem = QStringLiteral("%1 has no camera:direction, as a dome often has not: give "
                                     "every such camera one bearing with --bearing DEGREES, or "
                                     "map its direction")
                              .arg(elementName(node));
    }
    std::string height;
    if (const auto given = tagOf(node, "height")) {
        if (const auto metres = tagMetres(*given))
            height = shortest(*metres);
        else if (!row.problem)
            row.problem = QStringLiteral("%1: height=\"%2\" is not a length in metres or feet")
                                  .arg(elementName(node), *given);
    }
    const auto tilt = tagOf(node, "camera:angle");
    row.cells = {name.toStdString(),
                 bearing,
                 tilt ? firstTagValue(*tilt).toStdString() : std::string(),
                 height,
                 shortest(node.point->lat),
                 shortest(node.point->lon)};
    return row;
}

// The extract's bounds as an area, or the box around what it maps.
SiteFeature extentOf(const QString &path, const OsmContents &contents, QStringList &warnings)
{
    std::array<double, 4> box{180.0, 90.0, -180.0, -90.0};
    if (contents.bounds) {
        box = *contents.bounds;
    } else {
        const auto take = [&box](const std::vector<GeoPoint> &points) {
            for (const GeoPoint &point : points)
                box = {std::min(box[0], point.lon), std::min(box[1], point.lat),
                       std::max(box[2], point.lon), std::max(box[3], point.lat)};
        };
        for (const OsmElement &element : contents.elements) {
            take(element.line);
            for (const GeoPolygon &polygon : element.polygons)
                take(polygon.exterior);
        }
        warnings << QStringLiteral("%1 declares no bounds, so the ground to cover is the box "
                                   "around what it maps")
                            .arg(path);
    }
    SiteFeature feature;
    feature.role = SiteFeature::Role::area;
    feature.number = 1;
    feature.name = QStringLiteral("the extract's bounds");
    const auto [west, south, east, north] = box;
    if (west < east && south < north)
        feature.polygons.push_back(
                {{{south, west}, {south, east}, {north, east}, {north, west}, {south, west}}, {}});
    return feature;
}

} // namespace

bool isOsmExtract(const QString &path)
{
    const QString name = QFileInfo(path).fileName().toLower();
    return name.endsWith(QLatin1String(".osm")) || name.endsWith(QLatin1String(".pbf"));
}

std::variant<ModuleProblem, QString, OsmSite> readOsmSite(const QString &path,
                                                          const QString &source, OsmGround ground)
{
    auto read = readOsmFile(path, OsmInterest::site);
    if (auto *problem = std::get_if<ModuleProblem>(&read))
        return std::move(*problem);
    if (auto *problem = std::get_if<QString>(&read))
        return std::move(*problem);
    OsmContents &contents = std::get<OsmContents>(read);
    OsmSite site;
    for (const QString &warning : contents.warnings)
        site.warnings << QStringLiteral("%1: %2").arg(path, warning);
    if (ground == OsmGround::extent) {
        SiteFeature extent = extentOf(path, contents, site.warnings);
        if (!extent.polygons.empty())
            site.features.push_back(std::move(extent));
    }
    ObstacleReader obstacles(path);
    StreetReader streets(path);
    for (OsmElement &element : contents.elements) {
        if (ground == OsmGround::streets)
            streets.take(element, site);
        obstacles.take(element, site);
    }
    obstacles.finish(site);
    streets.finish(site);
    for (SiteFeature &feature : site.features)
        feature.source = source;
    return site;
}

std::variant<ModuleProblem, QString, std::unique_ptr<RecordSource>>
osmCameraSchedule(const QString &path, bool bearingGiven)
{
    auto read = readOsmFile(path, OsmInterest::cameras);
    if (auto *problem = std::get_if<ModuleProblem>(&read))
        return std::move(*problem);
    if (auto *problem = std::get_if<QString>(&read))
        return std::move(*problem);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::optional<QString>> problems;
    for (const OsmElement &node : std::get<OsmContents>(read).elements) {
        const auto surveillance = tagOf(node, "man_made");
        const auto type = tagOf(node, "surveillance:type");
        if (!node.point || !surveillance
            || firstTagValue(*surveillance) != QLatin1String("surveillance")
            || (type && firstTagValue(*type).compare(QLatin1String("camera"), Qt::CaseInsensitive)))
            continue;
        CameraRow row = cameraRow(node, bearingGiven);
        rows.push_back(std::move(row.cells));
        problems.push_back(std::move(row.problem));
    }
    return std::unique_ptr<RecordSource>(std::make_unique<RecordTable>(
            std::vector<std::string>{"camera", "bearing", "tilt", "height", "lat", "lon"},
            std::move(rows), std::move(problems)));
}
