#pragma once

#include <QString>

// The input fields that a report can name, and the one word for each: the
// window's words for its own fields ("Focal length", "Person param"), and the
// command line's for those the window has not.
enum class Field {
    resolution,
    pixelSize,
    focalLength,
    fov,
    person,
    car,
    boat,
    horizontalFov,
    verticalFov,
    height,
    tilt,
    aim,
    targetHeight,
    distance,
    density,
    level,
    latitude,
    longitude,
    x,
    y,
    bearing,
    maxRange,
};

QString fieldWord(Field field);
