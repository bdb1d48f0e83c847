#include "fieldmessages.h"

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

QString unknownLevel(const QString &text)
{
    return fieldError(Field::level, text, QStringLiteral("is not ") + levelNames());
}
