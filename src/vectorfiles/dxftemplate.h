#pragma once

#include "vectorfilesentry.h"

#include <QByteArray>

#include <optional>
#include <vector>

// The header that GDAL's DXF writer starts a drawing from, made from GDAL's
// own: GDAL 3.6 writes a fill's nearest indexed colour and no units, so the
// drawing's units ($INSUNITS) and its layers, each with its true colour
// (group 420), are put in its header, as CAD programs keep them. Features
// then take their layer's colour. Nothing when GDAL's header is not found.
std::optional<QByteArray> drawingHeader(int units, const std::vector<CadLayer> &layers);
