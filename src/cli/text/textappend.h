#pragma once

#include "fieldtext.h"
#include "numbertext.h"
#include "outputbuffer.h"

#include <QString>

#include <string>
#include <string_view>

// Numbers and fields appended to output as each format writes them.

// Fixed decimals exactly as the window's labels show them, inf and nan
// included.
QString fixed(double value, int decimals);
// A unit as a person reads it after a number: degrees and counts joined to
// it, anything else after a space.
QString unitAfterNumber(const QString &unit);
// A result's value and unit as the text table shows them.
inline QString shownWithUnit(double value, int decimals, const QString &unit)
{
    return fixed(value, decimals) + unitAfterNumber(unit);
}
// Qt's road, for what the direct writer declines.
void appendFixedLikeQt(OutputBuffer &out, double value, int decimals);
// Inline: every number of a CSV row comes through here.
inline void appendFixed(OutputBuffer &out, double value, int decimals)
{
    if (const char *end = writeFixedDirectly(out.room(fixedDirectlyMaximumLength), value, decimals))
        out.commit(end);
    else
        appendFixedLikeQt(out, value, decimals);
}

// The bytes as they are when they are text already; else what their text
// is in UTF-8, U+FFFD for what was not UTF-8.
template <typename Append>
void appendAsUtf8(std::string_view bytes, Append appendUtf8)
{
    if (isAscii(bytes)) {
        appendUtf8(bytes);
    } else {
        const std::string text = fieldText(bytes).toStdString();
        appendUtf8(std::string_view(text));
    }
}

void appendCsvField(OutputBuffer &line, std::string_view field);
// A JSON string, quoted and escaped.
void appendJsonString(OutputBuffer &line, std::string_view field);
