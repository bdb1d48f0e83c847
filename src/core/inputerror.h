#pragma once

#include <QString>

// The first input field that failed to parse: the word the report names it by
// and the text the user left in it.
struct InputError
{
    QString fieldWord;
    QString fieldText;

    // Word and text run together on purpose: an empty field reads
    // "Focal length is error", a bad one "Resolution12a is error".
    QString message() const { return fieldWord + fieldText + QStringLiteral(" is error"); }
};
