#include "dxftemplate.h"

#include <cpl_conv.h>

#include <QFile>

namespace {

// A layer's entry in the LAYER table, as GDAL's own layer 0 has it, with a
// handle far from GDAL's (its header's are below 0x100, its entities'
// from 0x20000); 62 is the indexed colour of readers without true colour.
QByteArray layerEntry(const CadLayer &layer, int handle)
{
    const int colour = (layer.colour.red << 16) | (layer.colour.green << 8) | layer.colour.blue;
    return "  0\nLAYER\n  5\n" + QByteArray::number(handle, 16).toUpper()
            + "\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\n"
            + layer.name.toUtf8() + "\n 70\n     0\n 62\n     7\n420\n" + QByteArray::number(colour)
            + "\n  6\nContinuous\n370\n    -3\n390\nF\n";
}

} // namespace

std::optional<QByteArray> drawingHeader(int units, const std::vector<CadLayer> &layers)
{
    const char *found = CPLFindFile("GDAL", "header.dxf");
    if (!found)
        return std::nullopt;
    QFile file(QString::fromUtf8(found));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray header = file.readAll();
    header.replace("\r\n", "\n");
    const QByteArray insunits = "$INSUNITS\n 70\n";
    const int unitsAt = header.indexOf(insunits);
    const int tableAt = header.indexOf("  2\nLAYER\n");
    const int endAt = tableAt < 0 ? -1 : header.indexOf("  0\nENDTAB\n", tableAt);
    if (unitsAt < 0 || endAt < 0)
        return std::nullopt;
    QByteArray entries;
    int handle = 0x1000;
    for (const CadLayer &layer : layers)
        entries += layerEntry(layer, handle++);
    header.insert(endAt, entries);
    const int valueAt = unitsAt + insunits.size();
    const int valueEnd = header.indexOf('\n', valueAt);
    header.replace(valueAt, valueEnd - valueAt, QByteArray::number(units).rightJustified(6));
    return header;
}
