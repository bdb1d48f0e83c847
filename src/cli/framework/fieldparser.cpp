#include "fieldparser.h"

#include "fieldmessages.h"
#include "inputerror.h"
#include "pairs.h"
#include "pixeldensity.h"

#include <cmath>

void FieldParser::fail(const QString &message)
{
    if (!m_error)
        m_error = message;
}

bool FieldParser::present(const QString &fieldWord, const std::optional<QString> &text)
{
    if (!text)
        fail(noValue(fieldWord));
    return text.has_value();
}

std::optional<double> FieldParser::finite(const QString &fieldWord,
                                          const std::optional<QString> &text)
{
    if (!present(fieldWord, text))
        return std::nullopt;
    bool ok = false;
    const double value = text->toDouble(&ok);
    if (!ok) {
        fail(notANumber({fieldWord, *text}));
        return std::nullopt;
    }
    return value;
}

double FieldParser::positive(const QString &fieldWord, const std::optional<QString> &text)
{
    const auto value = finite(fieldWord, text);
    if (value && !(std::isfinite(*value) && *value > 0.0))
        fail(fieldError(fieldWord, *text, QStringLiteral("must be a finite number above 0")));
    return value.value_or(0.0);
}

double FieldParser::nonNegative(const QString &fieldWord, const std::optional<QString> &text)
{
    const auto value = finite(fieldWord, text);
    if (value && !(std::isfinite(*value) && *value >= 0.0))
        fail(fieldError(fieldWord, *text, QStringLiteral("must be a finite number, 0 or above")));
    return value.value_or(0.0);
}

double FieldParser::between(const QString &fieldWord, const std::optional<QString> &text,
                            double lowest, double highest, const QString &unit)
{
    const auto value = finite(fieldWord, text);
    if (value && !(*value >= lowest && *value <= highest))
        fail(fieldError(fieldWord, *text,
                        QStringLiteral("must lie between %1 and %2 %3")
                                .arg(lowest)
                                .arg(highest)
                                .arg(unit)));
    return value.value_or(0.0);
}

double FieldParser::fieldOfView(const std::optional<QString> &text, const QString &fieldWord)
{
    const auto degrees = finite(fieldWord, text);
    if (degrees && !(*degrees > 0.0 && *degrees < 180.0))
        fail(fieldError(fieldWord, *text, QStringLiteral("must be above 0 and below 180 degrees")));
    return degrees.value_or(0.0);
}

double FieldParser::horizontalPixels(const std::optional<QString> &text)
{
    if (text && !splitPair(*text))
        return positive(QStringLiteral("Resolution"), text);
    return pixelPair(text, notAWidthProblem()).first;
}

std::pair<double, double> FieldParser::resolution(const std::optional<QString> &text)
{
    return pixelPair(text, QStringLiteral("is not WIDTHxHEIGHT above 0"));
}

std::pair<double, double> FieldParser::pixelPair(const std::optional<QString> &text,
                                                 const QString &problem)
{
    const QString word = QStringLiteral("Resolution");
    if (!present(word, text))
        return {};
    const auto pair = splitPair(*text);
    FieldParser sides;
    const double width = sides.positive(word, pair ? pair->first : QString());
    const double height = sides.positive(word, pair ? pair->second : QString());
    if (sides.error())
        fail(fieldError(word, *text, problem));
    return {width, height};
}

const DensityLevel *FieldParser::level(const std::optional<QString> &text)
{
    if (!present(QStringLiteral("Level"), text))
        return nullptr;
    const DensityLevel *found = findLevel(*text);
    if (!found)
        fail(unknownLevel(*text));
    return found;
}
