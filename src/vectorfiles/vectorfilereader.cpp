#include "vectorfilereader.h"

#include "dxfheader.h"
#include "earthsystem.h"
#include "gdalmessages.h"
#include "ogrshapes.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <memory>

namespace {

// A drawing's closed polyline is a room or a column, not a wall around
// nothing; three corners at least.
void closedLinesAsPolygons(FileFeature &feature)
{
    auto &lines = feature.planLines;
    for (auto line = lines.begin(); line != lines.end();) {
        if (line->size() >= 4 && line->front().x == line->back().x
            && line->front().y == line->back().y) {
            PlanePolygon polygon{std::move(*line), {}};
            open(polygon.exterior);
            feature.planPolygons.push_back(std::move(polygon));
            line = lines.erase(line);
        } else {
            ++line;
        }
    }
}

FileAttribute attribute(const OGRFeature &feature, int field)
{
    FileAttribute value;
    if (field < 0 || !feature.IsFieldSetAndNotNull(field))
        return value;
    switch (feature.GetFieldDefnRef(field)->GetType()) {
    case OFTInteger:
    case OFTInteger64:
    case OFTReal:
        value.number = feature.GetFieldAsDouble(field);
        break;
    default:
        value.text = QString::fromUtf8(feature.GetFieldAsString(field));
        break;
    }
    return value;
}

// A field by its name in any case, as shapefiles and DXF write them.
int fieldNamed(const OGRFeatureDefn &definition, const char *name)
{
    for (int field = 0; field < definition.GetFieldCount(); ++field) {
        if (QString::fromUtf8(definition.GetFieldDefn(field)->GetNameRef())
                    .compare(QLatin1String(name), Qt::CaseInsensitive)
            == 0)
            return field;
    }
    return -1;
}

class LayerReader
{
public:
    LayerReader(const QString &path, OGRLayer &layer, bool byCadLayer)
        : m_path(path), m_layer(layer), m_name(QString::fromUtf8(layer.GetName()))
    {
        OGRFeatureDefn &definition = *layer.GetLayerDefn();
        m_role = fieldNamed(definition, "role");
        m_height = fieldNamed(definition, "height");
        m_featureName = fieldNamed(definition, "name");
        m_cadLayer = byCadLayer ? fieldNamed(definition, "layer") : -1;
    }

    std::optional<QString> read(FileContents &contents);

private:
    QString problem(const QString &what) const
    {
        return QStringLiteral("%1, layer %2: %3").arg(m_path, m_name, what);
    }

    const QString &m_path;
    OGRLayer &m_layer;
    QString m_name;
    int m_role;
    int m_height;
    int m_featureName;
    int m_cadLayer;
};

std::optional<QString> LayerReader::read(FileContents &contents)
{
    const OGRSpatialReference *system = m_layer.GetSpatialRef();
    std::unique_ptr<OGRCoordinateTransformation> toEarth;
    if (system) {
        toEarth = toEarthFrom(*system);
        if (!toEarth)
            return problem(QStringLiteral("its coordinate system cannot be turned into "
                                          "longitude and latitude"));
    }
    int number = 0;
    m_layer.ResetReading();
    const GIntBig count = m_layer.GetFeatureCount(FALSE);
    if (count > 0)
        contents.features.reserve(contents.features.size() + static_cast<std::size_t>(count));
    for (const auto &feature : m_layer) {
        ++number;
        FileFeature read;
        read.layer = m_cadLayer >= 0 ? QString::fromUtf8(feature->GetFieldAsString(m_cadLayer))
                                     : m_name;
        read.number = number;
        if (m_featureName >= 0 && feature->IsFieldSetAndNotNull(m_featureName))
            read.name = QString::fromUtf8(feature->GetFieldAsString(m_featureName));
        read.role = attribute(*feature, m_role);
        read.height = attribute(*feature, m_height);
        if (!contents.layers.contains(read.layer))
            contents.layers << read.layer;
        OGRGeometry *geometry = feature->GetGeometryRef();
        if (geometry && !geometry->IsEmpty()) {
            read.geometryType = geometryTypeName(*geometry);
            if (!system) {
                if (!contents.planLayers.contains(read.layer))
                    contents.planLayers << read.layer;
                flatten(*geometry, read.planPolygons, read.planLines);
                if (m_cadLayer >= 0)
                    closedLinesAsPolygons(read);
            } else {
                if (!contents.earthLayers.contains(read.layer))
                    contents.earthLayers << read.layer;
                if (geometry->transform(toEarth.get()) != OGRERR_NONE)
                    return problem(QStringLiteral("feature %1 cannot be turned into longitude "
                                                  "and latitude from the layer's coordinate "
                                                  "system")
                                           .arg(number));
                flatten(*geometry, read.polygons, read.lines);
            }
        }
        contents.features.push_back(std::move(read));
    }
    return std::nullopt;
}

} // namespace

// The file opened for reading, GDAL's drivers registered once; or why not.
std::variant<QString, std::unique_ptr<GDALDataset>>
openForReading(const QString &path, const GdalMessages &messages, const char *const *options)
{
    static const bool registered = [] {
        GDALAllRegister();
        return true;
    }();
    (void)registered;
    const QByteArray name = path.toUtf8();
    // Reading writes nothing: GML would leave a .gfs of the schema it
    // guessed beside the file, unless told not to; other drivers would warn
    // of the option, so only GML is told.
    const GDALDriverH driver
            = GDALIdentifyDriverEx(name.constData(), GDAL_OF_VECTOR, nullptr, nullptr);
    const bool gml = driver && QByteArray(GDALGetDriverShortName(driver)) == "GML";
    const char *const gmlOptions[] = {"WRITE_GFS=NO", nullptr};
    if (!options && gml)
        options = gmlOptions;
    std::unique_ptr<GDALDataset> dataset(GDALDataset::Open(
            name.constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr,
            options, nullptr));
    if (!dataset) {
        const QString what = QStringLiteral("cannot read %1 as a GIS or CAD file").arg(path);
        return messages.lastError() ? QStringLiteral("%1: %2").arg(what, *messages.lastError())
                                    : what;
    }
    return dataset;
}

namespace {

// A coordinate in its shortest digits, which read back as the same double.
std::string shortest(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toStdString();
}

} // namespace

std::variant<QString, PointTable> readPointTable(const QString &path)
{
    GdalMessages messages;
    auto opened = openForReading(path, messages);
    if (auto *problem = std::get_if<QString>(&opened))
        return std::move(*problem);
    GDALDataset &dataset = *std::get<std::unique_ptr<GDALDataset>>(opened);
    if (dataset.GetLayerCount() != 1)
        return QStringLiteral("%1 has %2 layers, and a schedule is one layer of points")
                .arg(path)
                .arg(dataset.GetLayerCount());
    OGRLayer &layer = *dataset.GetLayer(0);
    const QString layerName = QString::fromUtf8(layer.GetName());
    const OGRSpatialReference *system = layer.GetSpatialRef();
    std::unique_ptr<OGRCoordinateTransformation> toEarth;
    if (system) {
        toEarth = toEarthFrom(*system);
        if (!toEarth)
            return QStringLiteral("%1, layer %2: its coordinate system cannot be turned into "
                                  "longitude and latitude")
                    .arg(path, layerName);
    }
    PointTable table;
    OGRFeatureDefn &definition = *layer.GetLayerDefn();
    for (int field = 0; field < definition.GetFieldCount(); ++field)
        table.header << QString::fromUtf8(definition.GetFieldDefn(field)->GetNameRef());
    table.header << (system ? QStringList{QStringLiteral("lat"), QStringLiteral("lon")}
                            : QStringList{QStringLiteral("x"), QStringLiteral("y")});
    int number = 0;
    for (const auto &feature : layer) {
        ++number;
        std::vector<std::string> row;
        for (int field = 0; field < definition.GetFieldCount(); ++field)
            row.emplace_back(feature->IsFieldSetAndNotNull(field) ? feature->GetFieldAsString(field)
                                                                  : "");
        OGRGeometry *geometry = feature->GetGeometryRef();
        if (!geometry || geometry->IsEmpty()) {
            row.emplace_back();
            row.emplace_back();
        } else if (wkbFlatten(geometry->getGeometryType()) != wkbPoint) {
            return QStringLiteral("%1, layer %2, feature %3: a %4 is not where a camera stands; "
                                  "a schedule is a layer of points")
                    .arg(path, layerName)
                    .arg(number)
                    .arg(geometryTypeName(*geometry));
        } else {
            OGRPoint &point = *geometry->toPoint();
            if (toEarth && point.transform(toEarth.get()) != OGRERR_NONE)
                return QStringLiteral("%1, layer %2, feature %3 cannot be turned into "
                                      "longitude and latitude")
                        .arg(path, layerName)
                        .arg(number);
            if (toEarth) {
                row.push_back(shortest(point.getY()));
                row.push_back(shortest(point.getX()));
            } else {
                row.push_back(shortest(point.getX()));
                row.push_back(shortest(point.getY()));
            }
        }
        table.rows.push_back(std::move(row));
    }
    if (messages.lastError())
        return QStringLiteral("cannot read %1: %2").arg(path, *messages.lastError());
    return table;
}

std::variant<QString, FileContents> readVectorFile(const QString &path)
{
    GdalMessages messages;
    const auto failed = [&](const QString &what) {
        return messages.lastError() ? QStringLiteral("%1: %2").arg(what, *messages.lastError())
                                    : what;
    };
    auto opened = openForReading(path, messages);
    if (auto *problem = std::get_if<QString>(&opened))
        return std::move(*problem);
    const std::unique_ptr<GDALDataset> dataset
            = std::get<std::unique_ptr<GDALDataset>>(std::move(opened));
    const QByteArray format = dataset->GetDriver()->GetDescription();
    // A drawing holds one table of entities, each on its CAD layer.
    const bool byCadLayer = format == "DXF" || format == "CAD";
    FileContents contents;
    for (OGRLayer *layer : dataset->GetLayers()) {
        LayerReader reader(path, *layer, byCadLayer);
        if (const auto problem = reader.read(contents))
            return failed(*problem);
        if (messages.lastError())
            return failed(QStringLiteral("cannot read %1, layer %2")
                                  .arg(path, QString::fromUtf8(layer->GetName())));
    }
    if (byCadLayer)
        contents.drawingUnits = drawingUnits(path);
    contents.warnings = messages.warnings();
    return contents;
}
