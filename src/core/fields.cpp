#include "fields.h"

QString fieldWord(Field field)
{
    switch (field) {
    case Field::resolution:
        return QStringLiteral("Resolution");
    case Field::pixelSize:
        return QStringLiteral("Pixel size");
    case Field::focalLength:
        return QStringLiteral("Focal length");
    case Field::fov:
        return QStringLiteral("FOV");
    case Field::person:
        return QStringLiteral("Person param");
    case Field::car:
        return QStringLiteral("Car param");
    case Field::boat:
        return QStringLiteral("Boat param");
    case Field::horizontalFov:
        return QStringLiteral("Horizontal FOV");
    case Field::verticalFov:
        return QStringLiteral("Vertical FOV");
    case Field::height:
        return QStringLiteral("Height");
    case Field::tilt:
        return QStringLiteral("Tilt");
    case Field::aim:
        return QStringLiteral("Aim");
    case Field::targetHeight:
        return QStringLiteral("Target height");
    case Field::distance:
        return QStringLiteral("Distance");
    case Field::density:
        return QStringLiteral("Density");
    case Field::level:
        return QStringLiteral("Level");
    case Field::latitude:
        return QStringLiteral("Latitude");
    case Field::longitude:
        return QStringLiteral("Longitude");
    case Field::x:
        return QStringLiteral("X");
    case Field::y:
        return QStringLiteral("Y");
    case Field::bearing:
        return QStringLiteral("Bearing");
    case Field::maxRange:
        return QStringLiteral("Max range");
    }
    return {};
}
