#pragma once

#include <QLocale>
#include <QString>

// QCOMPARE on floating point is fuzzy, and takes anything near zero for
// zero; the shortest text that reads back as the same double is not.
inline QString exactly(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}
