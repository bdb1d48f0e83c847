#pragma once

#include "fieldtext.h"

#include <QSet>
#include <QString>
#include <QtGlobal>

// Names for what a batch writes beside its output, one file per record:
// the first pass-through field where there is one, made safe as a file name
// and cut to whole characters within 200 bytes of UTF-8, else the line; the
// line is added to a name already taken.
class PictureNames
{
public:
    QString next(const FieldList &passThrough, qint64 line);

private:
    // With "-line-" and a line number and an extension, still well within
    // the 255 bytes that file systems allow a name.
    static constexpr int maximumBytes = 200;
    QSet<QString> m_taken;
};
