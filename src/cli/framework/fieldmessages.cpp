#include "fieldmessages.h"

#include "fieldtext.h"
#include "pixeldensity.h"

#include <algorithm>

QString fieldError(Field field, const QString &text, const QString &problem)
{
    return QStringLiteral("%1: \"%2\" %3").arg(fieldWord(field), text, problem);
}

QString noValue(Field field)
{
    return QStringLiteral("%1: no value given").arg(fieldWord(field));
}

QString notANumber(Field field, const QString &text)
{
    return fieldError(field, text, QStringLiteral("is not a number"));
}

QString notAWidthProblem()
{
    return QStringLiteral("is not a width or WIDTHxHEIGHT above 0");
}

QString notAWidth(const QString &text)
{
    return fieldError(Field::resolution, text, notAWidthProblem());
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

const DensityLevel *findLevel(std::string_view name)
{
    if (!isAscii(name))
        return findLevel(fieldText(name));
    // QString::trimmed's whitespace and its case-insensitive comparison, as
    // they are for ASCII.
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!name.empty() && blank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && blank(name.back()))
        name.remove_suffix(1);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    const auto found = std::find_if(
            densityLevels.cbegin(), densityLevels.cend(), [&](const DensityLevel &level) {
                const std::string_view wanted(level.name);
                return wanted.size() == name.size()
                        && std::equal(name.begin(), name.end(), wanted.begin(),
                                      [&](char a, char b) { return lower(a) == b; });
            });
    return found == densityLevels.cend() ? nullptr : found;
}

QString unknownLevel(const QString &text)
{
    return fieldError(Field::level, text, QStringLiteral("is not ") + levelNames());
}

QString unknownLevel(const QString &text, const QStringList &names)
{
    return fieldError(Field::level, text, QStringLiteral("is not ") + choices(names));
}
