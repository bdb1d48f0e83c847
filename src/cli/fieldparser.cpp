#include "fieldparser.h"

#include "inputerror.h"
#include "pixeldensity.h"

#include <algorithm>
#include <cmath>

QString fieldError(const QString &fieldWord, const QString &text, const QString &problem)
{
    return QStringLiteral("%1: \"%2\" %3").arg(fieldWord, text, problem);
}

QString noValue(const QString &fieldWord)
{
    return QStringLiteral("%1: no value given").arg(fieldWord);
}

QString notANumber(const InputError &error)
{
    return fieldError(error.fieldWord, error.fieldText, QStringLiteral("is not a number"));
}

namespace {

const QString notAWidthProblem = QStringLiteral("is not a width or WIDTHxHEIGHT above 0");

} // namespace

QString notAWidth(const QString &text)
{
    return fieldError(QStringLiteral("Resolution"), text, notAWidthProblem);
}

namespace {

// x, X and *, and the multiplication sign that the pictures write.
constexpr std::string_view pairSeparators = "xX*";
constexpr QChar multiplicationSign(0x00D7);
constexpr std::string_view multiplicationSignUtf8 = "\xC3\x97";

} // namespace

std::optional<TextPair> splitPair(const QString &text)
{
    const auto separator = std::find_if(text.begin(), text.end(), [](QChar c) {
        return c == multiplicationSign
                || (c.unicode() < 0x80
                    && pairSeparators.find(c.toLatin1()) != std::string_view::npos);
    });
    if (separator == text.end())
        return std::nullopt;
    const int at = static_cast<int>(separator - text.begin());
    return TextPair{text.left(at), text.mid(at + 1)};
}

std::optional<BytePair> splitPair(std::string_view bytes)
{
    // One pass for the separators and the multiplication sign's lead byte.
    constexpr std::string_view candidates = "xX*\xC3";
    for (std::size_t at = bytes.find_first_of(candidates); at != std::string_view::npos;
         at = bytes.find_first_of(candidates, at + 1)) {
        if (bytes[at] != multiplicationSignUtf8[0])
            return BytePair{bytes.substr(0, at), bytes.substr(at + 1)};
        if (bytes.compare(at, multiplicationSignUtf8.size(), multiplicationSignUtf8) == 0)
            return BytePair{bytes.substr(0, at), bytes.substr(at + multiplicationSignUtf8.size())};
    }
    return std::nullopt;
}

QString choices(QStringList names)
{
    const QString last = names.takeLast();
    return names.isEmpty() ? last
                           : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString levelNames()
{
    QStringList names;
    for (const DensityLevel &level : densityLevels)
        names << QString::fromLatin1(level.name);
    return choices(names);
}

const DensityLevel *findLevel(const QString &name)
{
    const auto found = std::find_if(
            densityLevels.cbegin(), densityLevels.cend(), [&](const DensityLevel &level) {
                return name.trimmed().compare(QLatin1String(level.name), Qt::CaseInsensitive) == 0;
            });
    return found == densityLevels.cend() ? nullptr : found;
}

QString unknownLevel(const QString &text)
{
    return fieldError(QStringLiteral("Level"), text, QStringLiteral("is not ") + levelNames());
}

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
    return pixelPair(text, notAWidthProblem).first;
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
