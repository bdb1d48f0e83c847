#include "sitefile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>

#if defined(__SANITIZE_ADDRESS__)
#define KAVRELO_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAVRELO_LEAK_CHECKED 1
#endif
#endif
#ifdef KAVRELO_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace {

QString roleNoun(SiteFeature::Role role)
{
    switch (role) {
    case SiteFeature::Role::area:
        return QStringLiteral("an area");
    case SiteFeature::Role::obstacle:
        return QStringLiteral("an obstacle");
    case SiteFeature::Role::privacy:
        return QStringLiteral("a privacy zone");
    case SiteFeature::Role::background:
        break;
    }
    return QStringLiteral("the background");
}

QString fittingGeometries(SiteFeature::Role role)
{
    return role == SiteFeature::Role::area || role == SiteFeature::Role::privacy
            ? QStringLiteral("Polygon or MultiPolygon")
            : QStringLiteral("Polygon, MultiPolygon, LineString or MultiLineString");
}

// A feature's problem, named by its place in the file and its name.
class FeatureReader
{
public:
    FeatureReader(const QString &fileName, int number, const QJsonObject &properties,
                  const QString &layer, const LayerRules &rules)
        : m_fileName(fileName), m_number(number), m_layer(layer), m_rules(rules)
    {
        m_feature.number = number;
        m_feature.name = properties.value(QStringLiteral("name")).toString();
        m_properties = properties;
    }

    std::variant<QString, SiteFeature> read(const QJsonValue &geometry);

private:
    QString problem(const QString &what) const
    {
        const QString name = m_feature.name.isEmpty() ? QString()
                                                      : QStringLiteral(" (%1)").arg(m_feature.name);
        return QStringLiteral("%1: feature %2%3: %4").arg(m_fileName).arg(m_number).arg(name, what);
    }
    bool position(const QJsonValue &value, GeoPoint &point);
    bool positions(const QJsonValue &value, std::vector<GeoPoint> &points);
    bool ring(const QJsonValue &value, GeoRing &points);
    bool polygon(const QJsonValue &value, GeoPolygon &polygon);
    bool line(const QJsonValue &value, std::vector<GeoPoint> &points);

    const QString &m_fileName;
    int m_number;
    const QString &m_layer;
    const LayerRules &m_rules;
    QJsonObject m_properties;
    SiteFeature m_feature;
    QString m_problem;
};

bool FeatureReader::position(const QJsonValue &value, GeoPoint &point)
{
    const QJsonArray pair = value.toArray();
    if (!value.isArray() || pair.size() < 2 || !pair.at(0).isDouble() || !pair.at(1).isDouble()) {
        m_problem = QStringLiteral("a position must be [longitude, latitude]");
        return false;
    }
    point = {pair.at(1).toDouble(), pair.at(0).toDouble()};
    // In all its digits: 180.0005 is not 180.
    const auto shown = [](double degrees) {
        return QString::number(degrees, 'g', QLocale::FloatingPointShortest);
    };
    if (!(std::fabs(point.lon) <= 180.0)) {
        m_problem
                = QStringLiteral("the longitude %1 is not within \u00B1180").arg(shown(point.lon));
        return false;
    }
    if (!(std::fabs(point.lat) <= 90.0)) {
        m_problem = QStringLiteral("the latitude %1 is not within \u00B190").arg(shown(point.lat));
        return false;
    }
    return true;
}

bool FeatureReader::positions(const QJsonValue &value, std::vector<GeoPoint> &points)
{
    if (!value.isArray()) {
        m_problem = QStringLiteral("coordinates must be arrays of positions");
        return false;
    }
    for (const QJsonValue &each : value.toArray()) {
        GeoPoint point{0.0, 0.0};
        if (!position(each, point))
            return false;
        points.push_back(point);
    }
    return true;
}

bool FeatureReader::ring(const QJsonValue &value, GeoRing &points)
{
    if (!positions(value, points))
        return false;
    if (points.size() < 4 || points.front().lat != points.back().lat
        || points.front().lon != points.back().lon) {
        m_problem = QStringLiteral("a ring must be closed, with 4 positions at least");
        return false;
    }
    return true;
}

bool FeatureReader::polygon(const QJsonValue &value, GeoPolygon &polygon)
{
    const QJsonArray rings = value.toArray();
    if (!value.isArray() || rings.isEmpty()) {
        m_problem = QStringLiteral("a polygon needs its rings");
        return false;
    }
    if (!ring(rings.at(0), polygon.exterior))
        return false;
    for (int index = 1; index < rings.size(); ++index) {
        polygon.holes.emplace_back();
        if (!ring(rings.at(index), polygon.holes.back()))
            return false;
    }
    return true;
}

bool FeatureReader::line(const QJsonValue &value, std::vector<GeoPoint> &points)
{
    if (!positions(value, points))
        return false;
    if (points.size() < 2) {
        m_problem = QStringLiteral("a line needs 2 positions at least");
        return false;
    }
    return true;
}

std::variant<QString, SiteFeature> FeatureReader::read(const QJsonValue &geometry)
{
    const QJsonValue role = m_properties.value(QStringLiteral("role"));
    if (role.isUndefined() || role.isNull())
        m_feature.role = m_rules.roleOf(m_layer).value_or(SiteFeature::Role::area);
    else if (role.toString() == QLatin1String("area"))
        m_feature.role = SiteFeature::Role::area;
    else if (role.toString() == QLatin1String("obstacle"))
        m_feature.role = SiteFeature::Role::obstacle;
    else if (role.toString() == QLatin1String("privacy"))
        m_feature.role = SiteFeature::Role::privacy;
    else
        return problem(QStringLiteral("unknown role %1; use area, obstacle or privacy")
                               .arg(role.isString() ? QStringLiteral("\"%1\"").arg(role.toString())
                                                    : QStringLiteral("that is not a string")));
    const QJsonValue height = m_properties.value(QStringLiteral("height"));
    if (!height.isUndefined() && !height.isNull()) {
        if (!height.isDouble() || !(height.toDouble() >= 0.0))
            return problem(QStringLiteral("height must be a number of metres, 0 or above"));
        m_feature.height = height.toDouble();
    } else if (m_feature.role == SiteFeature::Role::obstacle) {
        m_feature.height = m_rules.heightOf(m_layer);
    }

    if (geometry.isNull()) {
        if (m_feature.role == SiteFeature::Role::background)
            return m_feature;
        return problem(QStringLiteral("its geometry is null"));
    }
    const QJsonObject shape = geometry.toObject();
    const QString type = shape.value(QStringLiteral("type")).toString();
    const QJsonValue coordinates = shape.value(QStringLiteral("coordinates"));
    const bool lines
            = type == QLatin1String("LineString") || type == QLatin1String("MultiLineString");
    const bool polygons = type == QLatin1String("Polygon") || type == QLatin1String("MultiPolygon");
    // Drawn as it is, so what cannot be drawn is simply not.
    if (m_feature.role == SiteFeature::Role::background && !polygons && !lines)
        return m_feature;
    const bool fits = polygons
            || (lines
                && (m_feature.role == SiteFeature::Role::obstacle
                    || m_feature.role == SiteFeature::Role::background));
    if (!fits)
        return problem(QStringLiteral("%1 is not a geometry for %2; use %3")
                               .arg(type.isEmpty() ? QStringLiteral("a geometry without a type")
                                                   : QStringLiteral("a %1").arg(type),
                                    roleNoun(m_feature.role), fittingGeometries(m_feature.role)));
    bool ok = true;
    if (type == QLatin1String("Polygon")) {
        m_feature.polygons.emplace_back();
        ok = polygon(coordinates, m_feature.polygons.back());
    } else if (type == QLatin1String("MultiPolygon")) {
        for (const QJsonValue &each : coordinates.toArray()) {
            m_feature.polygons.emplace_back();
            if (!(ok = polygon(each, m_feature.polygons.back())))
                break;
        }
    } else if (type == QLatin1String("LineString")) {
        m_feature.lines.emplace_back();
        ok = line(coordinates, m_feature.lines.back());
    } else {
        for (const QJsonValue &each : coordinates.toArray()) {
            m_feature.lines.emplace_back();
            if (!(ok = line(each, m_feature.lines.back())))
                break;
        }
    }
    if (ok && !coordinates.isArray())
        return problem(QStringLiteral("a %1 needs its coordinates").arg(type));
    if (!ok)
        return problem(m_problem);
    return m_feature;
}

// The line and column of a byte offset, for a parser's stop.
QString whereInText(const QByteArray &text, int offset)
{
    int line = 1;
    int column = 1;
    for (int at = 0; at < offset && at < text.size(); ++at) {
        if (text.at(at) == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

} // namespace

std::variant<QString, Site> parseSite(const QByteArray &json, const QString &fileName,
                                      const LayerRules &rules)
{
    QJsonParseError error{};
    // Qt 5.15's parser loses the first value of a name that an object gives
    // twice, when that value is an object or an array; a leak checker is
    // told to look away from its allocations alone.
#ifdef KAVRELO_LEAK_CHECKED
    __lsan_disable();
#endif
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
#ifdef KAVRELO_LEAK_CHECKED
    __lsan_enable();
#endif
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("%1 is not GeoJSON: %2 at %3")
                .arg(fileName, error.errorString(), whereInText(json, error.offset));
    if (!document.isObject())
        return QStringLiteral("%1 is not GeoJSON: it is not an object").arg(fileName);
    const QJsonObject root = document.object();
    const QString type = root.value(QStringLiteral("type")).toString();
    QJsonArray features;
    if (type == QLatin1String("FeatureCollection")) {
        const QJsonValue all = root.value(QStringLiteral("features"));
        if (!all.isArray())
            return QStringLiteral("%1: a FeatureCollection needs its features").arg(fileName);
        features = all.toArray();
    } else if (type == QLatin1String("Feature")) {
        features.append(root);
    } else {
        features.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Feature")},
                                    {QStringLiteral("geometry"), root},
                                    {QStringLiteral("properties"), QJsonObject()}});
    }
    // Its one layer is named as OGR names it.
    const QJsonValue ownName = root.value(QStringLiteral("name"));
    const QString layer
            = ownName.isString() ? ownName.toString() : QFileInfo(fileName).completeBaseName();
    Site site;
    int number = 0;
    for (const QJsonValue &each : features) {
        ++number;
        const QJsonObject feature = each.toObject();
        if (feature.value(QStringLiteral("type")).toString() != QLatin1String("Feature"))
            return QStringLiteral("%1: feature %2 is not a Feature").arg(fileName).arg(number);
        FeatureReader reader(fileName, number,
                             feature.value(QStringLiteral("properties")).toObject(), layer, rules);
        auto read = reader.read(feature.value(QStringLiteral("geometry")));
        if (auto *problem = std::get_if<QString>(&read))
            return *problem;
        site.features.push_back(std::move(std::get<SiteFeature>(read)));
    }
    return site;
}
