#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>
#include <utility>

struct DensityLevel;
struct InputError;

// "Focal length: "4mm" is not a number": the field's word, as the window
// names it, its text and what is wrong with it.
QString fieldError(const QString &fieldWord, const QString &text, const QString &problem);
// "Distance: no value given", for a batch cell left empty with no value on
// the command line.
QString noValue(const QString &fieldWord);
// The window's parse failure in the command line's words.
QString notANumber(const InputError &error);
// A resolution of which the width counts, as "1920" or "1920x1080", that is
// neither.
QString notAWidth(const QString &text);

struct TextPair
{
    QString first;
    QString second;
};

// Splits "1920x1080" (or "1920*1080") at the first x or *.
std::optional<TextPair> splitPair(const QString &text);

struct BytePair
{
    std::string_view first;
    std::string_view second;
};

std::optional<BytePair> splitPair(std::string_view bytes);

// "a, b or c", for messages and help that list choices.
QString choices(QStringList names);

// "monitor, detect, observe, recognize, identify or inspect"
QString levelNames();
// A level by its name, whatever its case and surrounding blanks.
const DensityLevel *findLevel(const QString &name);
QString unknownLevel(const QString &text);

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
