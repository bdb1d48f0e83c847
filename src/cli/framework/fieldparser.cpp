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

bool FieldParser::present(Field field, const std::optional<QString> &text)
{
    if (!text)
        fail(noValue(field));
    return text.has_value();
}

std::optional<double> FieldParser::finite(Field field, const std::optional<QString> &text)
{
    if (!present(field, text))
        return std::nullopt;
    bool ok = false;
    const double value = text->toDouble(&ok);
    if (!ok) {
        fail(notANumber(field, *text));
        return std::nullopt;
    }
    return value;
}

double FieldParser::positive(Field field, const std::optional<QString> &text)
{
    const auto value = finite(field, text);
    if (value && !(std::isfinite(*value) && *value > 0.0))
        fail(fieldError(field, *text, QStringLiteral("must be a finite number above 0")));
    return value.value_or(0.0);
}

double FieldParser::nonNegative(Field field, const std::optional<QString> &text)
{
    const auto value = finite(field, text);
    if (value && !(std::isfinite(*value) && *value >= 0.0))
        fail(fieldError(field, *text, QStringLiteral("must be a finite number, 0 or above")));
    return value.value_or(0.0);
}

double FieldParser::between(Field field, const std::optional<QString> &text, double lowest,
                            double highest, const QString &unit)
{
    const auto value = finite(field, text);
    if (value && !(*value >= lowest && *value <= highest))
        fail(fieldError(field, *text,
                        QStringLiteral("must lie between %1 and %2 %3")
                                .arg(lowest)
                                .arg(highest)
                                .arg(unit)));
    return value.value_or(0.0);
}

double FieldParser::fieldOfView(const std::optional<QString> &text, Field field)
{
    const auto degrees = finite(field, text);
    if (degrees && !(*degrees > 0.0 && *degrees < 180.0))
        fail(fieldError(field, *text, QStringLiteral("must be above 0 and below 180 degrees")));
    return degrees.value_or(0.0);
}

double FieldParser::horizontalPixels(const std::optional<QString> &text)
{
    if (text && !splitPair(*text))
        return positive(Field::resolution, text);
    return pixelPair(text, notAWidthProblem()).first;
}

std::pair<double, double> FieldParser::resolution(const std::optional<QString> &text)
{
    return pixelPair(text, QStringLiteral("is not WIDTHxHEIGHT above 0"));
}

std::pair<double, double> FieldParser::pixelPair(const std::optional<QString> &text,
                                                 const QString &problem)
{
    const Field word = Field::resolution;
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
    if (!present(Field::level, text))
        return nullptr;
    const DensityLevel *found = findLevel(*text);
    if (!found)
        fail(unknownLevel(*text));
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
