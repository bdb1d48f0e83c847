#pragma once

#include <QString>

#include <optional>
#include <utility>

struct DensityLevel;

// Parses fields in turn and keeps the first failure, so a calculation can
// read all it needs and check once. Numbers take the window's
// locale-independent syntax, in double precision; what is not finite and
// above zero is refused.
class FieldParser
{
public:
    double positive(const QString &fieldWord, const std::optional<QString> &text);
    // Finite and at least zero.
    double nonNegative(const QString &fieldWord, const std::optional<QString> &text);
    // From one limit to the other, both included; they are in the unit named.
    double between(const QString &fieldWord, const std::optional<QString> &text, double lowest,
                   double highest, const QString &unit);
    // An angle of view, strictly between 0 and 180 degrees.
    double fieldOfView(const std::optional<QString> &text,
                       const QString &fieldWord = QStringLiteral("FOV"));
    // "1920" or "1920x1080": the pixels across. The height must be a
    // number too, so that a typing slip does not pass.
    double horizontalPixels(const std::optional<QString> &text);
    // "1920x1080": both counts.
    std::pair<double, double> resolution(const std::optional<QString> &text);
    const DensityLevel *level(const std::optional<QString> &text);

    void fail(const QString &message);
    const std::optional<QString> &error() const { return m_error; }

private:
    bool present(const QString &fieldWord, const std::optional<QString> &text);
    std::optional<double> finite(const QString &fieldWord, const std::optional<QString> &text);
    std::pair<double, double> pixelPair(const std::optional<QString> &text, const QString &problem);

    std::optional<QString> m_error;
};
