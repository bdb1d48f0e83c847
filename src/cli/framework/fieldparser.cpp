#include "fieldparser.h"

#include "fieldmessages.h"
#include "fieldtext.h"
#include "numbertext.h"
#include "pairs.h"
#include "pixeldensity.h"

#include <cmath>

void FieldParser::fail(const QString &message)
{
    if (!m_error)
        m_error = message;
}

bool FieldParser::present(Field field, const FieldValue &value)
{
    if (!value.bytes)
        fail(noValue(field));
    return value.bytes.has_value();
}

std::optional<double> FieldParser::finite(Field field, const FieldValue &value)
{
    if (!present(field, value))
        return std::nullopt;
    const auto number = value.number ? value.number : toDoubleLikeQt(*value.bytes);
    if (!number)
        fail(notANumber(field, fieldText(*value.bytes)));
    return number;
}

double FieldParser::finiteNumber(Field field, const FieldValue &value)
{
    const auto number = finite(field, value);
    if (number && !std::isfinite(*number))
        fail(fieldError(field, fieldText(*value.bytes), QStringLiteral("must be a finite number")));
    return number.value_or(0.0);
}

double FieldParser::positive(Field field, const FieldValue &value)
{
    const auto number = finite(field, value);
    if (number && !(std::isfinite(*number) && *number > 0.0))
        fail(fieldError(field, fieldText(*value.bytes),
                        QStringLiteral("must be a finite number above 0")));
    return number.value_or(0.0);
}

double FieldParser::nonNegative(Field field, const FieldValue &value)
{
    const auto number = finite(field, value);
    if (number && !(std::isfinite(*number) && *number >= 0.0))
        fail(fieldError(field, fieldText(*value.bytes),
                        QStringLiteral("must be a finite number, 0 or above")));
    return number.value_or(0.0);
}

double FieldParser::between(Field field, const FieldValue &value, double lowest, double highest,
                            const QString &unit)
{
    const auto number = finite(field, value);
    if (number && !(*number >= lowest && *number <= highest))
        fail(fieldError(field, fieldText(*value.bytes),
                        QStringLiteral("must lie between %1 and %2 %3")
                                .arg(lowest)
                                .arg(highest)
                                .arg(unit)));
    return number.value_or(0.0);
}

double FieldParser::fieldOfView(const FieldValue &value, Field field)
{
    const auto degrees = finite(field, value);
    if (degrees && !(*degrees > 0.0 && *degrees < 180.0))
        fail(fieldError(field, fieldText(*value.bytes),
                        QStringLiteral("must be above 0 and below 180 degrees")));
    return degrees.value_or(0.0);
}

double FieldParser::horizontalPixels(const FieldValue &value)
{
    if (value.bytes && !splitPair(*value.bytes))
        return positive(Field::resolution, value);
    return pixelPair(value, notAWidthProblem()).first;
}

std::pair<double, double> FieldParser::resolution(const FieldValue &value)
{
    return pixelPair(value, QStringLiteral("is not WIDTHxHEIGHT above 0"));
}

std::pair<double, double> FieldParser::pixelPair(const FieldValue &value, const QString &problem)
{
    const Field word = Field::resolution;
    if (!present(word, value))
        return {};
    const auto pair = splitPair(*value.bytes);
    FieldParser sides;
    const auto &numbers = value.pair;
    const double width = sides.positive(word,
                                        {pair ? pair->first : std::string_view(),
                                         numbers ? std::optional(numbers->first) : std::nullopt});
    const double height = sides.positive(word,
                                         {pair ? pair->second : std::string_view(),
                                          numbers ? std::optional(numbers->second) : std::nullopt});
    if (sides.error())
        fail(fieldError(word, fieldText(*value.bytes), problem));
    return {width, height};
}

const DensityLevel *FieldParser::level(const FieldValue &value)
{
    if (!present(Field::level, value))
        return nullptr;
    const DensityLevel *found = findLevel(*value.bytes);
    if (!found)
        fail(unknownLevel(fieldText(*value.bytes)));
    return found;
}

namespace {

// A number as the window parses it, or the failure noted in its place.
template <typename Number>
Number windowNumber(FieldParser &parser, Field field, std::optional<std::string_view> bytes,
                    std::optional<Number> (*parse)(std::string_view))
{
    if (!bytes) {
        parser.fail(noValue(field));
        return Number();
    }
    const auto value = parse(*bytes);
    if (!value)
        parser.fail(notANumber(field, fieldText(*bytes)));
    return value.value_or(Number());
}

} // namespace

float FieldParser::windowFloat(Field field, std::optional<std::string_view> bytes)
{
    return windowNumber<float>(*this, field, bytes, toFloatLikeQt);
}

int FieldParser::windowInt(Field field, std::optional<std::string_view> bytes)
{
    return windowNumber<int>(*this, field, bytes, toIntLikeQt);
}

std::optional<float> toFloatLikeQt(std::string_view bytes)
{
    if (const auto plain = plainFloat(bytes))
        return plain;
    bool ok = false;
    const float value = fieldText(bytes).toFloat(&ok);
    return ok ? std::optional<float>(value) : std::nullopt;
}

std::optional<int> toIntLikeQt(std::string_view bytes)
{
    if (const auto plain = plainInt(bytes))
        return plain;
    bool ok = false;
    const int value = fieldText(bytes).toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<std::pair<double, double>> pairLikeQt(std::string_view bytes)
{
    const auto sides = splitPair(bytes);
    if (!sides)
        return std::nullopt;
    const auto first = toDoubleLikeQt(sides->first);
    const auto second = toDoubleLikeQt(sides->second);
    if (!first || !second)
        return std::nullopt;
    return std::pair(*first, *second);
}

std::optional<double> toDoubleLikeQt(std::string_view bytes)
{
    if (const auto plain = plainDouble(bytes))
        return plain;
    bool ok = false;
    const double value = fieldText(bytes).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}
