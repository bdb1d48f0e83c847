#include "record.h"

#include "fieldtext.h"
#include "recordsource.h"

QStringList Record::texts() const
{
    QStringList texts;
    for (int index = 0; index < size(); ++index)
        texts << fieldText(field(index));
    return texts;
}

RecordSource::~RecordSource() = default;
