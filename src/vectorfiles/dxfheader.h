#pragma once

#include <QIODevice>
#include <QString>

#include <optional>

// A drawing's $INSUNITS, from the HEADER section of a DXF in text, which
// GDAL reads but does not give; nothing when the drawing does not say, or
// is binary. Only the header is read: it ends before the first entity.
std::optional<int> drawingUnits(const QString &path);
std::optional<int> drawingUnits(QIODevice &drawing);
