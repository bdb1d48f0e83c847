#pragma once

#include "command.h"

// The FOV tab's calculation: the same parse, the same single precision and
// the same digits.
class FovCommand : public Command
{
public:
    FovCommand();

protected:
    QString calculate(const QStringList &values, Results &results) const override;
};
