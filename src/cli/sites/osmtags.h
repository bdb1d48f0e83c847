#pragma once

#include <QString>

#include <optional>

// Tag values as OpenStreetMap's mappers write them, read for what they
// say, and for nothing that they do not.

// The first of a semicolon list ("12;15" is 12), without its blanks.
QString firstTagValue(const QString &value);

// A length: metres as "12", "12 m", "12.5m"; feet as "40'", "40 ft", and
// with inches as "40'6\"" or "40 ft 6 in". The first of a list counts.
// Nothing for anything else: a sign, a comma for a point, other units,
// or 12 inches or more beside feet.
std::optional<double> tagMetres(const QString &value);

// A number of storeys, 0 or more, whole or not ("2.5" for a mezzanine).
std::optional<double> tagCount(const QString &value);

// What a camera's direction says: its one bearing as text, degrees or a
// compass point, for the bearing's own reader; or why it is none, the
// value named.
struct TagBearing
{
    std::optional<QString> bearing;
    std::optional<QString> problem;
};
TagBearing tagBearing(const QString &key, const QString &value);
