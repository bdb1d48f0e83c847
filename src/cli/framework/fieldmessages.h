#pragma once

#include "fields.h"

#include <QString>
#include <QStringList>

#include <string_view>

struct DensityLevel;

// The command line's messages about a field, in the window's words where the
// window has them.

// "Focal length: "4mm" is not a number": the field's word, as the window
// names it, its text and what is wrong with it.
QString fieldError(Field field, const QString &text, const QString &problem);
// "Distance: no value given", for a batch cell left empty with no value on
// the command line.
QString noValue(Field field);
// The window's parse failure in the command line's words.
QString notANumber(Field field, const QString &text);
// A resolution of which the width counts, as "1920" or "1920x1080", that is
// neither; and what is wrong with it.
QString notAWidth(const QString &text);
QString notAWidthProblem();

// "a, b or c", for messages and help that list choices.
QString choices(QStringList names);

// "monitor, detect, observe, recognize, identify or inspect"
QString levelNames();
// A level by its name, whatever its case and surrounding blanks.
const DensityLevel *findLevel(const QString &name);
// The same for a field's bytes, without QString where they are ASCII.
const DensityLevel *findLevel(std::string_view name);
QString unknownLevel(const QString &text);
// The same among levels of one's own.
QString unknownLevel(const QString &text, const QStringList &names);
