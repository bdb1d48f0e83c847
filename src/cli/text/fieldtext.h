#pragma once

#include <QString>

#include <string_view>
#include <vector>

// Fields travel as their UTF-8 bytes, viewed where they were read or given,
// and become QString only where text is needed: in messages and in the
// output's labels and escapes.
using FieldList = std::vector<std::string_view>;

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// A field's bytes as text. A byte order mark is a character here
// (QString::fromUtf8 would drop one that starts the field); bytes that are
// not UTF-8 become U+FFFD.
QString fieldText(std::string_view bytes);

bool isAscii(std::string_view bytes);
