#pragma once

#include "command.h"

// The Distance tab's calculation: the same parse, the same precision and
// the same digits.
class DistanceCommand : public Command
{
public:
    DistanceCommand();

protected:
    QString calculate(const QStringList &values, Results &results) const override;
};
