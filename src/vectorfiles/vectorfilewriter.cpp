#include "vectorfilewriter.h"

#include "dxftemplate.h"
#include "earthsystem.h"
#include "gdalmessages.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <QDateTime>
#include <QFileInfo>

#include <atomic>
#include <cstdlib>

namespace {

// The date a file records, as SOURCE_DATE_EPOCH gives it, else the epoch
// itself: the same inputs make the same bytes.
QDateTime recordedDate()
{
    bool ok = false;
    const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    return QDateTime::fromSecsSinceEpoch(ok ? seconds : 0, Qt::UTC);
}

// A ring on the earth, closed already, longitude first.
std::unique_ptr<OGRLinearRing> earthRing(const GeoRing &points)
{
    auto linear = std::make_unique<OGRLinearRing>();
    for (const GeoPoint &point : points)
        linear->addPoint(point.lon, point.lat);
    return linear;
}

// A plan's ring, open as it comes, closed as OGR has rings.
std::unique_ptr<OGRLinearRing> closedRing(const std::vector<PlanePoint> &points)
{
    auto line = std::make_unique<OGRLinearRing>();
    for (const PlanePoint &point : points)
        line->addPoint(point.x, point.y);
    if (!points.empty())
        line->addPoint(points.front().x, points.front().y);
    return line;
}

// Polygons on the earth or in a plan, each ring made by ring().
template <typename Polygon, typename MakeRing>
std::unique_ptr<OGRMultiPolygon> multiPolygon(const std::vector<Polygon> &area, MakeRing ring)
{
    auto made = std::make_unique<OGRMultiPolygon>();
    for (const Polygon &polygon : area) {
        OGRPolygon part;
        part.addRingDirectly(ring(polygon.exterior).release());
        for (const auto &hole : polygon.holes)
            part.addRingDirectly(ring(hole).release());
        made->addGeometry(&part);
    }
    return made;
}

class OgrOutputFile final : public OutputFile
{
public:
    OgrOutputFile(const OutputRequest &request, const OutputFormatFile &format)
        : m_request(request), m_format(format)
    {
        static std::atomic<int> files{0};
        m_folder = QStringLiteral("/vsimem/kavrelo-%1-%2/").arg(::getpid()).arg(++files);
    }
    ~OgrOutputFile() override;

    std::optional<QString> open();
    std::optional<QString> add(const OutputFeature &feature) override;
    std::variant<QString, std::vector<MadeFile>> finish() override;
    QStringList warnings() const override { return m_warnings; }

private:
    void keepWarnings(const GdalMessages &messages)
    {
        for (const QString &warning : messages.warnings()) {
            if (!m_warnings.contains(warning))
                m_warnings << warning;
        }
    }
    QString failure(const GdalMessages &messages, const QString &what) const
    {
        return QStringLiteral("cannot write %1: %2%3")
                .arg(m_request.path, what,
                     messages.lastError() ? QStringLiteral(": %1").arg(*messages.lastError())
                                          : QString());
    }
    QString fileNameOf(std::size_t layer) const;
    std::optional<QString> addToDrawing(const OutputFeature &feature);

    const OutputRequest m_request;
    const OutputFormatFile &m_format;
    QString m_folder;
    std::vector<std::unique_ptr<GDALDataset>> m_datasets;
    std::vector<OGRLayer *> m_layers; // per layer of the request, or the drawing's one
    QStringList m_warnings;
};

OgrOutputFile::~OgrOutputFile()
{
    m_datasets.clear();
    VSIRmdirRecursive(m_folder.toUtf8().constData());
}

QString OgrOutputFile::fileNameOf(std::size_t layer) const
{
    const QFileInfo asked(m_request.path);
    if (layer == 0)
        return asked.fileName();
    return QStringLiteral("%1_%2.%3")
            .arg(asked.completeBaseName(), m_request.layers[layer].name, asked.suffix());
}

std::optional<QString> OgrOutputFile::open()
{
    GdalMessages messages;
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName(m_format.driver);
    if (!driver)
        return failure(messages,
                       QStringLiteral("GDAL has no %1 driver").arg(QLatin1String(m_format.driver)));
    OGRSpatialReference wgs84 = longitudeFirstWgs84();
    // A plan's file has no coordinate system. A GeoPackage says so by its
    // undefined Cartesian system (srs_id -1), which GDAL takes by this
    // name; with none at all it would call the plan undefined geographic.
    OGRSpatialReference cartesian;
    cartesian.SetLocalCS("Undefined Cartesian SRS");
    const bool geoPackage = qstrcmp(m_format.driver, "GPKG") == 0;
    OGRSpatialReference *system = m_request.onEarth ? &wgs84 : (geoPackage ? &cartesian : nullptr);
    const QDateTime recorded = recordedDate();
    const QByteArray date = recorded.toString(Qt::ISODate).toUtf8();
    CPLSetThreadLocalConfigOption("OGR_CURRENT_DATE", date.constData());
    const bool oneDataset = m_format.layersInOneFile;
    // A drawing starts from a header with its units and its layers.
    QByteArray headerOption;
    if (m_format.drawing) {
        const auto header = drawingHeader(m_request.cadUnits, m_request.cadLayers);
        if (!header)
            return failure(messages, QStringLiteral("GDAL's header.dxf is not found"));
        const QByteArray headerPath = (m_folder + QStringLiteral("header/header.dxf")).toUtf8();
        VSILFILE *file = VSIFOpenL(headerPath.constData(), "wb");
        const bool written = file
                && VSIFWriteL(header->constData(), 1, static_cast<size_t>(header->size()), file)
                        == static_cast<size_t>(header->size());
        if (file)
            VSIFCloseL(file);
        if (!written)
            return failure(messages, QStringLiteral("its header cannot be made"));
        headerOption = "HEADER=" + headerPath;
    }
    const char *const drawingOptions[] = {headerOption.constData(), nullptr};
    for (std::size_t index = 0; index < m_request.layers.size(); ++index) {
        const OutputLayer &layer = m_request.layers[index];
        if (index == 0 || !oneDataset) {
            const QByteArray path = (m_folder + fileNameOf(index)).toUtf8();
            m_datasets.emplace_back(driver->Create(
                    path.constData(), 0, 0, 0, GDT_Unknown,
                    const_cast<char **>(m_format.drawing ? drawingOptions : nullptr)));
            if (!m_datasets.back())
                return failure(messages, QStringLiteral("GDAL cannot make it"));
        }
        GDALDataset &dataset = *m_datasets.back();
        if (m_format.drawing) {
            // A drawing's one table of entities, each on its CAD layer.
            if (index == 0)
                m_layers.push_back(dataset.CreateLayer("entities", nullptr, wkbUnknown, nullptr));
            if (!m_layers.back())
                return failure(messages, QStringLiteral("GDAL cannot make its entities"));
            continue;
        }
        const QByteArray dbfDate = recorded.date().toString(Qt::ISODate).toUtf8();
        const QByteArray dbfOption = "DBF_DATE_LAST_UPDATE=" + dbfDate;
        const char *const shapefileOptions[] = {dbfOption.constData(), "ENCODING=UTF-8", nullptr};
        const bool shapefile = qstrcmp(m_format.driver, "ESRI Shapefile") == 0;
        OGRLayer *made = dataset.CreateLayer(
                layer.name.toUtf8().constData(), system, layer.points ? wkbPoint : wkbMultiPolygon,
                const_cast<char **>(shapefile ? shapefileOptions : nullptr));
        if (!made)
            return failure(messages,
                           QStringLiteral("GDAL cannot make its layer %1").arg(layer.name));
        for (const OutputField &field : layer.fields) {
            OGRFieldDefn definition(field.name.toUtf8().constData(),
                                    field.real ? OFTReal : OFTString);
            if (made->CreateField(&definition) != OGRERR_NONE)
                return failure(messages,
                               QStringLiteral("GDAL cannot make its field %1").arg(field.name));
        }
        m_layers.push_back(made);
    }
    keepWarnings(messages);
    return std::nullopt;
}

std::optional<QString> OgrOutputFile::add(const OutputFeature &given)
{
    if (m_format.drawing)
        return addToDrawing(given);
    GdalMessages messages;
    OGRLayer &layer = *m_layers.at(given.layer);
    OGRFeature feature(layer.GetLayerDefn());
    for (std::size_t field = 0; field < given.values.size(); ++field) {
        const int index = static_cast<int>(field);
        if (const auto *text = std::get_if<QString>(&given.values[field]))
            feature.SetField(index, text->toUtf8().constData());
        else if (const auto *real = std::get_if<double>(&given.values[field]))
            feature.SetField(index, *real);
        else
            feature.SetFieldNull(index);
    }
    if (given.planPoint)
        feature.SetGeometryDirectly(new OGRPoint(given.planPoint->x, given.planPoint->y));
    else if (!given.planArea.empty())
        feature.SetGeometryDirectly(multiPolygon(given.planArea, closedRing).release());
    else if (given.point)
        feature.SetGeometryDirectly(new OGRPoint(given.point->lon, given.point->lat));
    else if (!given.area.empty())
        feature.SetGeometryDirectly(multiPolygon(given.area, earthRing).release());
    if (layer.CreateFeature(&feature) != OGRERR_NONE)
        return failure(messages, QStringLiteral("GDAL cannot write a feature"));
    keepWarnings(messages);
    return std::nullopt;
}

// In a drawing, in the plan's units: an area as a solid hatch and its
// outline as closed polylines, a point with its label beside it.
std::optional<QString> OgrOutputFile::addToDrawing(const OutputFeature &given)
{
    GdalMessages messages;
    OGRLayer &layer = *m_layers.front();
    const auto written = [&](OGRGeometry *geometry, const QString &style) {
        OGRFeature feature(layer.GetLayerDefn());
        feature.SetField("Layer", given.cadLayer.toUtf8().constData());
        if (!style.isEmpty())
            feature.SetStyleString(style.toUtf8().constData());
        feature.SetGeometryDirectly(geometry);
        return layer.CreateFeature(&feature) == OGRERR_NONE;
    };
    bool ok = true;
    if (given.planPoint) {
        const PlanePoint at = *given.planPoint;
        ok = written(new OGRPoint(at.x, at.y), QString());
        if (ok && !given.label.isEmpty()) {
            QString text = given.label;
            text.replace(QLatin1Char('"'), QLatin1String("\\\""));
            ok = written(new OGRPoint(at.x, at.y), QStringLiteral("LABEL(t:\"%1\",p:1)").arg(text));
        }
    } else if (!given.planArea.empty()) {
        ok = written(multiPolygon(given.planArea, closedRing).release(), QString());
        for (const PlanePolygon &polygon : given.planArea) {
            ok = ok && written(new OGRLineString(*closedRing(polygon.exterior)), QString());
            for (const auto &hole : polygon.holes)
                ok = ok && written(new OGRLineString(*closedRing(hole)), QString());
        }
    }
    if (!ok)
        return failure(messages, QStringLiteral("GDAL cannot write an entity"));
    keepWarnings(messages);
    return std::nullopt;
}

std::variant<QString, std::vector<MadeFile>> OgrOutputFile::finish()
{
    GdalMessages messages;
    // Closing writes what GDAL held back; its failure is the file's.
    m_datasets.clear();
    if (messages.lastError())
        return failure(messages, QStringLiteral("GDAL could not finish it"));
    keepWarnings(messages);
    std::vector<MadeFile> made;
    char **names = VSIReadDir(m_folder.toUtf8().constData());
    for (char **name = names; name && *name; ++name) {
        if (qstrcmp(*name, "header") == 0)
            continue;
        const QByteArray path = (m_folder + QString::fromUtf8(*name)).toUtf8();
        vsi_l_offset size = 0;
        GByte *bytes = VSIGetMemFileBuffer(path.constData(), &size, FALSE);
        if (!bytes)
            continue;
        made.push_back({QString::fromUtf8(*name),
                        QByteArray(reinterpret_cast<const char *>(bytes), static_cast<int>(size))});
    }
    CSLDestroy(names);
    std::sort(made.begin(), made.end(),
              [](const MadeFile &a, const MadeFile &b) { return a.name < b.name; });
    return made;
}

} // namespace

std::variant<QString, std::unique_ptr<OutputFile>> startOutputFile(const OutputRequest &request)
{
    static const bool registered = [] {
        GDALAllRegister();
        return true;
    }();
    (void)registered;
    const OutputFormatFile *format = outputFormatOf(request.path);
    if (!format)
        return QStringLiteral("cannot write %1: its extension names none of the formats")
                .arg(request.path);
    auto file = std::make_unique<OgrOutputFile>(request, *format);
    if (const auto problem = file->open())
        return *problem;
    return std::unique_ptr<OutputFile>(std::move(file));
}
