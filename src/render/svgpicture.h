#pragma once

#include <QColor>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

// What every picture of the module shares: an SVG written atomically, in
// DejaVu Sans at 12 px, one pixel to the unit, and the ink it is drawn in.
const QColor inkColour(0x25, 0x25, 0x25);

// Draws into path; why it could not, if it could not.
std::optional<QString> writeSvg(const QString &path, QSize size, const QString &title,
                                const QString &description,
                                const std::function<void(QPainter &)> &draw);

// 1, 2 or 5 times a power of ten, so that a length has about `parts` of them.
double roundStep(double length, double parts);
// The level's colour in the one palette.
QColor paletteColour(std::size_t level, std::size_t count);
