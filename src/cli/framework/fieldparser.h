#pragma once

#include "fields.h"
#include "inputs.h"

#include <QString>

#include <optional>
#include <string_view>
#include <utility>

struct DensityLevel;

// Parses fields in turn and keeps the first failure, so a calculation can
// read all it needs and check once. Numbers take the window's
// locale-independent syntax, in double precision; what is not finite and
// above zero is refused.
class FieldParser
{
public:
    // Any finite number.
    double finiteNumber(Field field, const FieldValue &value);
    double positive(Field field, const FieldValue &value);
    // Finite and at least zero.
    double nonNegative(Field field, const FieldValue &value);
    // From one limit to the other, both included; they are in the unit named.
    double between(Field field, const FieldValue &value, double lowest, double highest,
                   const QString &unit);
    // An angle of view, strictly between 0 and 180 degrees.
    double fieldOfView(const FieldValue &value, Field field = Field::fov);
    // "1920" or "1920x1080": the pixels across. The height must be a
    // number too, so that a typing slip does not pass.
    double horizontalPixels(const FieldValue &value);
    // "1920x1080": both counts.
    std::pair<double, double> resolution(const FieldValue &value);
    const DensityLevel *level(const FieldValue &value);

    // The window's toFloat and toInt(10), which single-precision commands
    // share with it: nothing given is no value, text that does not parse is
    // not a number.
    float windowFloat(Field field, std::optional<std::string_view> bytes);
    int windowInt(Field field, std::optional<std::string_view> bytes);

    void fail(const QString &message);
    const std::optional<QString> &error() const { return m_error; }

private:
    bool present(Field field, const FieldValue &value);
    std::optional<double> finite(Field field, const FieldValue &value);
    std::pair<double, double> pixelPair(const FieldValue &value, const QString &problem);

    std::optional<QString> m_error;
};

// Qt's QString::toFloat and toInt(&ok, 10) of a field's bytes: the plain
// texts that fill nearly every batch take a road without QString, which
// gives the same values; all others take Qt's own.
std::optional<float> toFloatLikeQt(std::string_view bytes);
std::optional<int> toIntLikeQt(std::string_view bytes);
// And QString::toDouble.
std::optional<double> toDoubleLikeQt(std::string_view bytes);
// The numbers on either side of a pair's separator, read as toDoubleLikeQt
// reads them, when there is a separator and both sides are numbers.
std::optional<std::pair<double, double>> pairLikeQt(std::string_view bytes);
