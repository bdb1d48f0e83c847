#include "osmreader.h"

#include "gdalmessages.h"
#include "ogrshapes.h"
#include "vectorfilereader.h"

#include <cpl_vsi.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <array>
#include <atomic>

namespace {

constexpr std::array<const char *, 5> driverLayers{"points", "lines", "multilinestrings",
                                                   "multipolygons", "other_relations"};

// Only buildings are areas by being closed: a closed wall or fence rings a
// yard, and a closed street is a loop. Anything else is an area when its
// mapper says area=yes, as the driver reads that itself.
QByteArray configuration()
{
    QByteArray keys;
    for (const char *key : osmKeys)
        keys += (keys.isEmpty() ? "" : ",") + QByteArray(key);
    QByteArray text = "closed_ways_are_polygons=building,building:part\n"
                      "attribute_name_laundering=no\n";
    for (const char *layer : driverLayers) {
        text += QByteArray("[") + layer + "]\nosm_id=yes\nother_tags=no\nattributes=" + keys + "\n";
    }
    return text;
}

// The configuration as a file in GDAL's memory, for as long as this lives.
class MemoryFile
{
public:
    explicit MemoryFile(const QByteArray &bytes)
    {
        static std::atomic<int> made{0};
        m_name = "/vsimem/kavrelo-osm-" + QByteArray::number(++made) + ".ini";
        m_bytes = bytes;
        VSIFCloseL(VSIFileFromMemBuffer(m_name.constData(),
                                        reinterpret_cast<GByte *>(m_bytes.data()),
                                        static_cast<vsi_l_offset>(m_bytes.size()), FALSE));
    }
    ~MemoryFile() { VSIUnlink(m_name.constData()); }
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;
    const QByteArray &name() const { return m_name; }

private:
    QByteArray m_name;
    QByteArray m_bytes;
};

class ElementReader
{
public:
    explicit ElementReader(OGRLayer &layer) : m_layer(&layer), m_name(layer.GetName())
    {
        OGRFeatureDefn &definition = *layer.GetLayerDefn();
        m_id = definition.GetFieldIndex("osm_id");
        m_wayId = definition.GetFieldIndex("osm_way_id");
        for (int key = 0; key < osmKeyCount; ++key)
            m_fields[static_cast<std::size_t>(key)] = definition.GetFieldIndex(osmKeys[key]);
    }

    const OGRLayer *layer() const { return m_layer; }
    OsmElement read(const OGRFeature &feature) const;

private:
    const OGRLayer *m_layer;
    QByteArray m_name;
    int m_id;
    int m_wayId;
    std::array<int, osmKeyCount> m_fields{};
};

OsmElement ElementReader::read(const OGRFeature &feature) const
{
    OsmElement element;
    // A closed way made an area keeps its id as the way's, apart from the
    // relations' ids that share the field.
    const bool way = m_name == "lines" || (m_wayId >= 0 && feature.IsFieldSetAndNotNull(m_wayId));
    element.kind = m_name == "points" ? OsmElement::Kind::node
            : way                     ? OsmElement::Kind::way
                                      : OsmElement::Kind::relation;
    const int idField = m_wayId >= 0 && feature.IsFieldSetAndNotNull(m_wayId) ? m_wayId : m_id;
    element.id = feature.GetFieldAsInteger64(idField);
    for (int key = 0; key < osmKeyCount; ++key) {
        const int field = m_fields[static_cast<std::size_t>(key)];
        if (field >= 0 && feature.IsFieldSetAndNotNull(field))
            element.tags.emplace_back(key, QString::fromUtf8(feature.GetFieldAsString(field)));
    }
    const OGRGeometry *geometry = feature.GetGeometryRef();
    if (!geometry || geometry->IsEmpty())
        return element;
    if (wkbFlatten(geometry->getGeometryType()) == wkbPoint) {
        element.point = GeoPoint{geometry->toPoint()->getY(), geometry->toPoint()->getX()};
        return element;
    }
    std::vector<std::vector<GeoPoint>> lines;
    flatten(*geometry, element.polygons, lines);
    if (!element.polygons.empty()) {
        // Where it crosses itself is said by the feature's name, not by
        // GEOS's coordinates among GDAL's warnings.
        CPLPushErrorHandler(CPLQuietErrorHandler);
        element.valid = geometry->IsValid();
        CPLPopErrorHandler();
    }
    if (lines.size() == 1)
        element.line = std::move(lines.front());
    return element;
}

} // namespace

std::variant<QString, OsmContents> readOsmFile(const QString &path, OsmInterest interest)
{
    GdalMessages messages;
    const MemoryFile settings(configuration());
    const QByteArray option = "CONFIG_FILE=" + settings.name();
    const char *const options[] = {option.constData(), nullptr};
    auto opened = openForReading(path, messages, options);
    if (auto *problem = std::get_if<QString>(&opened))
        return std::move(*problem);
    GDALDataset &dataset = *std::get<std::unique_ptr<GDALDataset>>(opened);
    if (QByteArray(dataset.GetDriver()->GetDescription()) != "OSM")
        return QStringLiteral("%1 is not an OpenStreetMap extract").arg(path);
    // Cameras are nodes: the ways, and the work of building them, are
    // skipped.
    dataset.ExecuteSQL(interest == OsmInterest::cameras
                               ? "SET interest_layers = points"
                               : "SET interest_layers = lines,multipolygons",
                       nullptr, nullptr);
    std::vector<ElementReader> readers;
    for (OGRLayer *layer : dataset.GetLayers())
        readers.emplace_back(*layer);
    OsmContents contents;
    // Not forced: without bounds of its own the driver would read the
    // whole file for a box around it.
    OGREnvelope bounds;
    if (dataset.GetLayerCount() > 0
        && dataset.GetLayer(0)->GetExtent(&bounds, FALSE) == OGRERR_NONE)
        contents.bounds = std::array<double, 4>{bounds.MinX, bounds.MinY, bounds.MaxX, bounds.MaxY};
    dataset.ResetReading();
    OGRLayer *layer = nullptr;
    while (const OGRFeatureUniquePtr feature{
            dataset.GetNextFeature(&layer, nullptr, nullptr, nullptr)}) {
        const auto reader
                = std::find_if(readers.cbegin(), readers.cend(),
                               [&](const ElementReader &each) { return each.layer() == layer; });
        if (reader != readers.cend())
            contents.elements.push_back(reader->read(*feature));
    }
    if (messages.lastError())
        return QStringLiteral("cannot read %1: %2").arg(path, *messages.lastError());
    contents.warnings = messages.warnings();
    return contents;
}
