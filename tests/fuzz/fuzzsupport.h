#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A fuzz input is the texts of a page's fields, one per line, in the order
// the page reads them. Missing lines are empty fields; the last field keeps
// any further lines, as a pasted text would.
inline QStringList fieldTexts(const std::uint8_t *data, std::size_t size, int count)
{
    const QString all
            = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
    QStringList texts = all.split(QLatin1Char('\n'));
    while (texts.size() > count)
        texts[count - 1] += QLatin1Char('\n') + texts.takeAt(count);
    while (texts.size() < count)
        texts.append(QString());
    return texts;
}

// Aborts, so libFuzzer keeps the input that broke the invariant.
inline void require(bool holds, const char *invariant, const QStringList &texts)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\nfields:\n", invariant);
    for (const QString &text : texts)
        std::fprintf(stderr, "  \"%s\"\n", qUtf8Printable(text));
    std::abort();
}

// Bit for bit, with every NaN equal to every other.
inline bool sameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

// A result label must read as the value it shows: fixed notation with exactly
// `decimals` decimals, within half a unit of the last one, then the unit.
inline bool showsValue(const QString &shown, double value, int decimals, const QString &unit)
{
    if (!shown.endsWith(unit))
        return false;
    const QString number = shown.chopped(unit.size());
    if (std::isnan(value))
        return number == QLatin1String("nan");
    if (std::isinf(value))
        return number == QLatin1String(value > 0 ? "inf" : "-inf");
    const int point = number.indexOf(QLatin1Char('.'));
    if (point < 1 || number.size() - point - 1 != decimals)
        return false;
    bool ok = false;
    const double read = number.toDouble(&ok);
    // The decimal text may itself round once more on the way back. The
    // spacing is measured downwards, so it stays finite at the double maximum.
    const double halfUnit = 0.5 * std::pow(10.0, -decimals);
    const double slack = 8 * (std::fabs(value) - std::nextafter(std::fabs(value), 0.0));
    return ok && std::fabs(read - value) <= halfUnit * (1 + 1e-12) + slack;
}
