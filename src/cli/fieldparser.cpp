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

constexpr std::string_view pairSeparators = "xX*";

} // namespace

std::optional<TextPair> splitPair(const QString &text)
{
    const auto separator = std::find_if(text.begin(), text.end(), [](QChar c) {
        return pairSeparators.find(c.toLatin1()) != std::string_view::npos;
    });
    if (separator == text.end())
        return std::nullopt;
    const int at = static_cast<int>(separator - text.begin());
    return TextPair{text.left(at), text.mid(at + 1)};
}

std::optional<BytePair> splitPair(std::string_view bytes)
{
    const std::size_t at = bytes.find_first_of(pairSeparators);
    if (at == std::string_view::npos)
        return std::nullopt;
    return BytePair{bytes.substr(0, at), bytes.substr(at + 1)};
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

double FieldParser::positive(const QString &fieldWord, const std::optional<QString> &text)
{
    if (!present(fieldWord, text))
        return 0.0;
    bool ok = false;
    const double value = text->toDouble(&ok);
    if (!ok)
        fail(notANumber({fieldWord, *text}));
    else if (!std::isfinite(value) || value <= 0.0)
        fail(fieldError(fieldWord, *text, QStringLiteral("must be a finite number above 0")));
    return value;
}

double FieldParser::fieldOfView(const std::optional<QString> &text)
{
    const QString word = QStringLiteral("FOV");
    const double degrees = positive(word, text);
    if (text && degrees >= 180.0)
        fail(fieldError(word, *text, QStringLiteral("must lie between 0 and 180 degrees")));
    return degrees;
}

double FieldParser::horizontalPixels(const std::optional<QString> &text)
{
    const QString word = QStringLiteral("Resolution");
    const auto pair = text ? splitPair(*text) : std::nullopt;
    if (!pair)
        return positive(word, text);
    FieldParser sides;
    const double width = sides.positive(word, pair->first);
    sides.positive(word, pair->second);
    if (sides.error())
        fail(fieldError(word, *text, QStringLiteral("is not a width or WIDTHxHEIGHT above 0")));
    return width;
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
