#pragma once

// text/: numbers and fields as text: Qt's number texts without QString
// (here), the shortest digits, fixed digits appended to output, and fields
// as the bytes they were read as.

#include <QtGlobal>

#include <optional>
#include <string>
#include <string_view>

// Qt's C-locale number texts without QString, for the plain texts that make
// up nearly every batch. Each function gives exactly what Qt gives, or
// declines, and the caller then takes Qt's own path; so a fast path can never
// change a digit or a message.

// QString::toInt(&ok, 10) for one to nine ASCII digits.
std::optional<qint32> plainInt(std::string_view text);
// QString::toFloat for ASCII digits with at most one point ("2.9", "4.",
// ".5") whose value is zero or within float's normal range.
std::optional<float> plainFloat(std::string_view text);
// QString::toDouble for the same texts, whose value is zero or within
// double's normal range.
std::optional<double> plainDouble(std::string_view text);

// QString::number(value, 'f', decimals), written at `at`, for the values it
// can take exactly (not negative, below 1e15, at most four decimals): the
// end of the digits, or nullptr for the other values.
constexpr std::size_t fixedDirectlyMaximumLength = 15 + 1 + 4;
char *writeFixedDirectly(char *at, double value, int decimals);

// QString::number(value, 'g', QLocale::FloatingPointShortest), written at
// `at`, for a finite value: the end of the text, at most
// "-1.2345678901234567e-308" long.
constexpr std::size_t shortestMaximumLength = 24;
char *writeShortest(char *at, double value);
