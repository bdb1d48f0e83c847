#pragma once

#include <QMetaType>
#include <QtGlobal>

// A sensor resolution as carried by the preset list. Kept an aggregate so a
// value-initialised Resolution reads (0, 0), which is what a QVariant that
// holds no Resolution converts to.
struct Resolution
{
    qint32 x;
    qint32 y;
};

// The "Other" preset carries (-1, -1); either field alone is enough to mark it.
constexpr bool isCustomResolutionMark(Resolution resolution)
{
    return resolution.x == -1 || resolution.y == -1;
}

Q_DECLARE_METATYPE(Resolution)
