#pragma once

#include "fieldofview.h"
#include "plannedcommand.h"

// The FOV tab's calculation: the same parse, the same single precision and
// the same digits.
class FovCommand : public PlannedCommand<NoPlan>
{
public:
    FovCommand();

protected:
    std::variant<UsageError, NoPlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> calculate(const NoPlan &plan, const InputValues &values,
                                     Results &results, NoProduct & /*product*/) const override;

private:
    const InputId m_resolution;
    const InputId m_pixelSize;
    const InputId m_focalLength;
    const ResultId m_horizontal;
    const ResultId m_vertical;
    const ResultId m_diagonal;
};
