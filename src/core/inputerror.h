#pragma once

#include "fields.h"

#include <QString>

// The first input field that failed to parse, and the text the user left in
// it.
struct InputError
{
    Field field;
    QString fieldText;

    QString fieldWord() const { return ::fieldWord(field); }
    // Word and text run together on purpose: an empty field reads
    // "Focal length is error", a bad one "Resolution12a is error".
    QString message() const { return fieldWord() + fieldText + QStringLiteral(" is error"); }
};
