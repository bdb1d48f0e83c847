#include "mapsinks.h"

#include "fieldtext.h"
#include "levelcolours.h"
#include "siteinputs.h"
#include "streams.h"
#include "textappend.h"
#include "vectorfilesentry.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int metreDecimals = 2;
constexpr double bandOpacity = 0.6;
constexpr double viewOpacity = 0.25;

// "#rrggbb", simplestyle's form.
std::string htmlColour(const std::vector<SiteLevel> &levels, std::size_t level)
{
    const Rgb rgb = levelColour(levels, level);
    return QStringLiteral("#%1%2%3")
            .arg(rgb.red, 2, 16, QLatin1Char('0'))
            .arg(rgb.green, 2, 16, QLatin1Char('0'))
            .arg(rgb.blue, 2, 16, QLatin1Char('0'))
            .toStdString();
}

// Degrees with at most 7 decimals, without trailing zeros.
void appendDegrees(OutputBuffer &out, double value)
{
    OutputBuffer digits;
    appendFixed(digits, value, degreeDecimals);
    std::string_view text(digits.data(), digits.size());
    while (text.back() == '0')
        text.remove_suffix(1);
    if (text.back() == '.')
        text.remove_suffix(1);
    out += text == "-0" ? std::string_view("0") : text;
}

// A record in error goes to standard error; every camera to the map.
class MapSinkBase : public MapSink
{
public:
    MapSinkBase(const ResultTable &results, const QStringList &passThroughNames,
                const std::vector<SiteLevel> &levels, const Streams &streams,
                const QString &messagePrefix, ByteSink &sink)
        : MapSink(results, passThroughNames, sink)
        , m_levels(levels)
        , m_streams(streams)
        , m_prefix(messagePrefix)
    {
        // A column named camera is the name itself, wherever it stands: as
        // a property too it would be a second "camera" key.
        for (int column = 0; column < passThroughNames.size(); ++column) {
            if (!isNameColumn(passThroughNames.at(column)))
                m_passThroughProperties.push_back(
                        {column, passThroughNames.at(column).toStdString()});
        }
        for (const ResultSpec &result : m_results)
            m_resultKeys.push_back(result.key.toStdString());
        for (std::size_t level = 0; level < levels.size(); ++level) {
            m_levelNames.push_back(levels[level].name.toStdString());
            m_levelColours.push_back(htmlColour(levels, level));
        }
    }

protected:
    // Only errors come this way: a camera needs its footprint.
    void write(const FieldList & /*passThrough*/, const Results * /*results*/,
               const QString &error) final
    {
        printLine(m_streams, m_prefix + error);
    }

    // The camera's own properties, by name: its pass-through fields as
    // text, then its results as numbers.
    template <typename Text, typename Number>
    void cameraProperties(const FieldList &passThrough, const Results &results, Text text,
                          Number number) const
    {
        for (const auto &[column, name] : m_passThroughProperties)
            text(name, passThrough[static_cast<std::size_t>(column)]);
        for (int column = 0; column < m_results.size(); ++column) {
            if (const auto &value = resultValue(results, column))
                number(m_resultKeys[static_cast<std::size_t>(column)], *value,
                       m_results.at(column).decimals);
        }
    }

    // The same, one value for each, none where a result has none.
    std::vector<OutputValue> cameraValues(const FieldList &passThrough,
                                          const Results &results) const
    {
        std::vector<OutputValue> values;
        for (const auto &[column, name] : m_passThroughProperties)
            values.emplace_back(fieldText(passThrough[static_cast<std::size_t>(column)]));
        for (int column = 0; column < m_results.size(); ++column) {
            if (const auto &value = resultValue(results, column))
                values.emplace_back(*value);
            else
                values.emplace_back(std::monostate());
        }
        return values;
    }

    const std::vector<SiteLevel> &m_levels;
    std::vector<std::string> m_levelNames;
    std::vector<std::string> m_levelColours; // as #rrggbb

private:
    const Streams &m_streams;
    QString m_prefix;
    std::vector<std::pair<int, std::string>> m_passThroughProperties; // column, name
    std::vector<std::string> m_resultKeys;
};

class GeoJsonSink final : public MapSinkBase
{
public:
    using MapSinkBase::MapSinkBase;
    void begin() override { m_buffer += "{\"type\":\"FeatureCollection\",\"features\":["; }
    void finish() override { m_buffer += "\n]}\n"; }

private:
    void writeCamera(const QString &name, const FieldList &passThrough, const Results &results,
                     GeoPoint at, const CameraFootprint &footprint) override;
    void startFeature(const char *kind, const std::string &camera);
    void property(const char *key)
    {
        m_buffer += ",\"";
        m_buffer += key;
        m_buffer += "\":";
    }
    void metres(const char *key, double value)
    {
        property(key);
        appendFixed(m_buffer, value, metreDecimals);
    }

    bool m_first = true;
};

void GeoJsonSink::startFeature(const char *kind, const std::string &camera)
{
    m_buffer += m_first ? "\n" : ",\n";
    m_first = false;
    m_buffer += "{\"type\":\"Feature\",\"properties\":{\"";
    m_buffer += kindProperty;
    m_buffer += "\":\"";
    m_buffer += kind;
    m_buffer += "\",\"camera\":";
    appendJsonString(m_buffer, camera);
}

void GeoJsonSink::writeCamera(const QString &name, const FieldList &passThrough,
                              const Results &results, GeoPoint at, const CameraFootprint &footprint)
{
    const std::string camera = name.toStdString();
    startFeature("camera", camera);
    const auto key = [this](const std::string &name) {
        m_buffer += ',';
        appendJsonString(m_buffer, name);
        m_buffer += ':';
    };
    cameraProperties(
            passThrough, results,
            [&](const std::string &name, std::string_view field) {
                key(name);
                appendJsonString(m_buffer, field);
            },
            [&](const std::string &name, double value, int decimals) {
                key(name);
                appendFixed(m_buffer, value, decimals);
            });
    m_buffer += "},\"geometry\":{\"type\":\"Point\",\"coordinates\":[";
    appendDegrees(m_buffer, at.lon);
    m_buffer += ',';
    appendDegrees(m_buffer, at.lat);
    m_buffer += "]}}";

    if (!footprint.view.area.empty()) {
        startFeature("view", camera);
        metres("near_m", footprint.viewSpan->near);
        metres("far_m", footprint.viewSpan->far);
        metres("area_m2", footprint.view.squareMetres);
        m_buffer += "},\"geometry\":";
        appendGeoJsonArea(m_buffer, footprint.view.area);
        m_buffer += '}';
    }
    for (std::size_t level = 0; level < footprint.bands.size(); ++level) {
        const auto &band = footprint.bands[level];
        if (!band)
            continue;
        startFeature("band", camera);
        property("level");
        appendJsonString(m_buffer, m_levelNames[level]);
        property("px_per_m");
        appendFixed(m_buffer, m_levels[level].pixelsPerMetre, 1);
        metres("near_m", band->span.near);
        metres("far_m", band->span.far);
        metres("area_m2", band->area.squareMetres);
        const std::string &colour = m_levelColours[level];
        property("fill");
        appendJsonString(m_buffer, colour);
        property("fill-opacity");
        appendFixed(m_buffer, bandOpacity, 2);
        property("stroke");
        appendJsonString(m_buffer, colour);
        property("stroke-width");
        m_buffer += '1';
        m_buffer += "},\"geometry\":";
        appendGeoJsonArea(m_buffer, band->area.area);
        m_buffer += '}';
    }
}

// XML's five characters escaped.
void appendXml(OutputBuffer &out, std::string_view text)
{
    appendAsUtf8(text, [&out](std::string_view bytes) {
        for (const char c : bytes) {
            switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                // XML 1.0 has no place for other control characters.
                out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r'
                        ? ' '
                        : c;
            }
        }
    });
}

// KML's aabbggrr.
std::string kmlColour(Rgb rgb, double opacity)
{
    char text[9];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x",
                  static_cast<unsigned>(std::lround(opacity * 255.0)), rgb.blue, rgb.green,
                  rgb.red);
    return text;
}

class KmlSink final : public MapSinkBase
{
public:
    using MapSinkBase::MapSinkBase;
    void begin() override;
    void finish() override { m_buffer += "</Document>\n</kml>\n"; }

private:
    void writeCamera(const QString &name, const FieldList &passThrough, const Results &results,
                     GeoPoint at, const CameraFootprint &footprint) override;
    void data(const std::string &name, const std::function<void()> &value);
    void metres(const char *name, double value)
    {
        data(name, [&] { appendFixed(m_buffer, value, metreDecimals); });
    }
    void ring(const GeoRing &points);
    void area(const GeoArea &area);
};

void KmlSink::begin()
{
    m_buffer += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n";
    m_buffer += "<Style id=\"view\"><LineStyle><color>ff7f7f7f</color><width>1</width>"
                "</LineStyle><PolyStyle><color>";
    m_buffer += kmlColour(viewColour, viewOpacity);
    m_buffer += "</color></PolyStyle></Style>\n";
    for (std::size_t level = 0; level < m_levels.size(); ++level) {
        const Rgb rgb = levelColour(m_levels, level);
        m_buffer += "<Style id=\"level-";
        appendXml(m_buffer, m_levelNames[level]);
        m_buffer += "\"><LineStyle><color>";
        m_buffer += kmlColour(rgb, 1.0);
        m_buffer += "</color><width>1</width></LineStyle><PolyStyle><color>";
        m_buffer += kmlColour(rgb, bandOpacity);
        m_buffer += "</color></PolyStyle></Style>\n";
    }
}

void KmlSink::data(const std::string &name, const std::function<void()> &value)
{
    m_buffer += "<Data name=\"";
    appendXml(m_buffer, name);
    m_buffer += "\"><value>";
    value();
    m_buffer += "</value></Data>";
}

void KmlSink::ring(const GeoRing &points)
{
    m_buffer += "<LinearRing><coordinates>";
    for (std::size_t index = 0; index < points.size(); ++index) {
        if (index > 0)
            m_buffer += ' ';
        appendDegrees(m_buffer, points[index].lon);
        m_buffer += ',';
        appendDegrees(m_buffer, points[index].lat);
    }
    m_buffer += "</coordinates></LinearRing>";
}

void KmlSink::area(const GeoArea &area)
{
    m_buffer += "<MultiGeometry>";
    for (const GeoPolygon &polygon : area) {
        m_buffer += "<Polygon><tessellate>1</tessellate><altitudeMode>clampToGround"
                    "</altitudeMode><outerBoundaryIs>";
        ring(polygon.exterior);
        m_buffer += "</outerBoundaryIs>";
        for (const GeoRing &hole : polygon.holes) {
            m_buffer += "<innerBoundaryIs>";
            ring(hole);
            m_buffer += "</innerBoundaryIs>";
        }
        m_buffer += "</Polygon>";
    }
    m_buffer += "</MultiGeometry>";
}

void KmlSink::writeCamera(const QString &name, const FieldList &passThrough, const Results &results,
                          GeoPoint at, const CameraFootprint &footprint)
{
    const std::string camera = name.toStdString();
    const auto placemark = [&](const std::string &title, const std::string &style) {
        m_buffer += "<Placemark><name>";
        appendXml(m_buffer, title);
        m_buffer += "</name>";
        if (!style.empty()) {
            m_buffer += "<styleUrl>#";
            appendXml(m_buffer, style);
            m_buffer += "</styleUrl>";
        }
        m_buffer += "<ExtendedData>";
    };
    m_buffer += "<Folder><name>";
    appendXml(m_buffer, camera);
    m_buffer += "</name>\n";
    placemark(camera, {});
    data(kindProperty, [&] { m_buffer += "camera"; });
    cameraProperties(
            passThrough, results,
            [&](const std::string &name, std::string_view field) {
                data(name, [&] { appendXml(m_buffer, field); });
            },
            [&](const std::string &name, double value, int decimals) {
                data(name, [&] { appendFixed(m_buffer, value, decimals); });
            });
    m_buffer += "</ExtendedData><Point><coordinates>";
    appendDegrees(m_buffer, at.lon);
    m_buffer += ',';
    appendDegrees(m_buffer, at.lat);
    m_buffer += "</coordinates></Point></Placemark>\n";

    if (!footprint.view.area.empty()) {
        placemark(camera + " view", "view");
        data(kindProperty, [&] { m_buffer += "view"; });
        metres("near_m", footprint.viewSpan->near);
        metres("far_m", footprint.viewSpan->far);
        metres("area_m2", footprint.view.squareMetres);
        m_buffer += "</ExtendedData>";
        area(footprint.view.area);
        m_buffer += "</Placemark>\n";
    }
    for (std::size_t level = 0; level < footprint.bands.size(); ++level) {
        const auto &band = footprint.bands[level];
        if (!band)
            continue;
        const std::string &levelName = m_levelNames[level];
        placemark(camera + " " + levelName, "level-" + levelName);
        data(kindProperty, [&] { m_buffer += "band"; });
        data("level", [&] { appendXml(m_buffer, levelName); });
        data("px_per_m", [&] { appendFixed(m_buffer, m_levels[level].pixelsPerMetre, 1); });
        metres("near_m", band->span.near);
        metres("far_m", band->span.far);
        metres("area_m2", band->area.squareMetres);
        m_buffer += "</ExtendedData>";
        area(band->area.area);
        m_buffer += "</Placemark>\n";
    }
    m_buffer += "</Folder>\n";
}

} // namespace

void appendGeoJsonArea(OutputBuffer &out, const GeoArea &area)
{
    const bool multi = area.size() != 1;
    out += multi ? "{\"type\":\"MultiPolygon\",\"coordinates\":["
                 : "{\"type\":\"Polygon\",\"coordinates\":";
    for (std::size_t part = 0; part < area.size(); ++part) {
        if (part > 0)
            out += ',';
        out += '[';
        const auto ring = [&out](const GeoRing &points) {
            out += '[';
            for (std::size_t index = 0; index < points.size(); ++index) {
                if (index > 0)
                    out += ',';
                out += '[';
                appendDegrees(out, points[index].lon);
                out += ',';
                appendDegrees(out, points[index].lat);
                out += ']';
            }
            out += ']';
        };
        ring(area[part].exterior);
        for (const GeoRing &hole : area[part].holes) {
            out += ',';
            ring(hole);
        }
        out += ']';
    }
    out += multi ? "]}" : "}";
}

namespace {

// The layers of a map file, in this order.
enum MapLayer : std::size_t { bandsLayer, viewsLayer, camerasLayer };

QString cadLayerName(const QString &kind)
{
    return QStringLiteral("KAVRELO-%1").arg(kind.toUpper());
}

class FileMapSink final : public MapSinkBase
{
public:
    FileMapSink(OutputFile &file, ToDrawing toDrawing, const ResultTable &results,
                const QStringList &passThroughNames, const std::vector<SiteLevel> &levels,
                const Streams &streams, const QString &messagePrefix)
        : MapSinkBase(results, passThroughNames, levels, streams, messagePrefix, streams.output)
        , m_file(file)
        , m_toDrawing(std::move(toDrawing))
    {
    }
    void begin() override { }
    void finish() override { }

private:
    void writeCamera(const QString &name, const FieldList &passThrough, const Results &results,
                     GeoPoint at, const CameraFootprint &footprint) override;
    void add(OutputFeature feature)
    {
        if (m_toDrawing) {
            if (feature.point)
                feature.planPoint = m_toDrawing(*feature.point);
            feature.planArea = drawnArea(feature.area, m_toDrawing);
        }
        // The first failure is the file's; nothing after it is written.
        if (!m_problem)
            m_problem = m_file.add(feature);
    }

    std::optional<QString> problem() const override { return m_problem; }

    OutputFile &m_file;
    ToDrawing m_toDrawing;
    std::optional<QString> m_problem;
};

void FileMapSink::writeCamera(const QString &name, const FieldList &passThrough,
                              const Results &results, GeoPoint at, const CameraFootprint &footprint)
{
    OutputFeature camera{camerasLayer, {name}, at, {}, cadLayerName(QStringLiteral("cameras")),
                         name,         {},     {}};
    for (OutputValue &value : cameraValues(passThrough, results))
        camera.values.push_back(std::move(value));
    add(camera);
    if (!footprint.view.area.empty())
        add({viewsLayer,
             {name, footprint.viewSpan->near, footprint.viewSpan->far, footprint.view.squareMetres},
             std::nullopt,
             footprint.view.area,
             cadLayerName(QStringLiteral("views")),
             {},
             {},
             {}});
    for (std::size_t level = 0; level < footprint.bands.size(); ++level) {
        const auto &band = footprint.bands[level];
        if (!band)
            continue;
        const QString levelName = QString::fromStdString(m_levelNames[level]);
        add({bandsLayer,
             {name, levelName, m_levels[level].pixelsPerMetre, band->span.near, band->span.far,
              band->area.squareMetres, QString::fromStdString(m_levelColours[level])},
             std::nullopt,
             band->area.area,
             cadLayerName(levelName),
             {},
             {},
             {}});
    }
}

} // namespace

std::vector<PlanePolygon> drawnArea(const GeoArea &area, const ToDrawing &toDrawing)
{
    const auto open = [&](const GeoRing &ring) {
        std::vector<PlanePoint> drawn;
        for (std::size_t index = 0; index + 1 < ring.size(); ++index)
            drawn.push_back(toDrawing(ring[index]));
        return drawn;
    };
    std::vector<PlanePolygon> drawn;
    for (const GeoPolygon &polygon : area) {
        drawn.push_back({open(polygon.exterior), {}});
        for (const GeoRing &hole : polygon.holes)
            drawn.back().holes.push_back(open(hole));
    }
    return drawn;
}

OutputRequest mapFileRequest(const QString &path, const ResultTable &results,
                             const QStringList &passThroughNames,
                             const std::vector<SiteLevel> &levels, int drawingUnits)
{
    const auto real = [](const char *name) { return OutputField{QLatin1String(name), true}; };
    const auto text = [](const QString &name) { return OutputField{name, false}; };
    OutputLayer bands{QStringLiteral("bands"),
                      false,
                      {text(QStringLiteral("camera")), text(QStringLiteral("level")),
                       real("px_per_m"), real("near_m"), real("far_m"), real("area_m2"),
                       text(QStringLiteral("fill"))}};
    OutputLayer views{
            QStringLiteral("views"),
            false,
            {text(QStringLiteral("camera")), real("near_m"), real("far_m"), real("area_m2")}};
    OutputLayer cameras{QStringLiteral("cameras"), true, {text(QStringLiteral("camera"))}};
    for (const QString &column : passThroughNames) {
        if (!isNameColumn(column))
            cameras.fields.push_back(text(column));
    }
    for (const ResultSpec &result : results.specs())
        cameras.fields.push_back({result.key, true});
    OutputRequest request{path, {bands, views, cameras}, {}, drawingUnits};
    request.cadLayers.push_back({cadLayerName(QStringLiteral("cameras")), Rgb{0, 0, 0}});
    request.cadLayers.push_back({cadLayerName(QStringLiteral("views")), viewColour});
    for (std::size_t level = 0; level < levels.size(); ++level)
        request.cadLayers.push_back({cadLayerName(levels[level].name), levelColour(levels, level)});
    return request;
}

std::unique_ptr<MapSink> makeFileMapSink(OutputFile &file, ToDrawing toDrawing,
                                         const ResultTable &results,
                                         const QStringList &passThroughNames,
                                         const std::vector<SiteLevel> &levels,
                                         const Streams &streams, const QString &messagePrefix)
{
    return std::make_unique<FileMapSink>(file, std::move(toDrawing), results, passThroughNames,
                                         levels, streams, messagePrefix);
}

std::unique_ptr<MapSink> makeMapSink(MapFormat format, const ResultTable &results,
                                     const QStringList &passThroughNames,
                                     const std::vector<SiteLevel> &levels, const Streams &streams,
                                     const QString &messagePrefix)
{
    if (format == MapFormat::kml)
        return std::make_unique<KmlSink>(results, passThroughNames, levels, streams, messagePrefix,
                                         streams.output);
    return std::make_unique<GeoJsonSink>(results, passThroughNames, levels, streams, messagePrefix,
                                         streams.output);
}
