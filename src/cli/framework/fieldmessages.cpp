#include "fieldmessages.h"

#include "inputerror.h"
#include "pixeldensity.h"

#include <algorithm>

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

QString notAWidthProblem()
{
    return QStringLiteral("is not a width or WIDTHxHEIGHT above 0");
}

QString notAWidth(const QString &text)
{
    return fieldError(QStringLiteral("Resolution"), text, notAWidthProblem());
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
