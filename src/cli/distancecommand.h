#pragma once

#include "command.h"

#include <vector>

// The Distance tab's calculation: the same parse, the same precision and
// the same digits.
class DistanceCommand : public PlannedCommand<NoPlan>
{
public:
    DistanceCommand();

protected:
    std::variant<UsageError, NoPlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> calculate(const NoPlan &plan, const InputValues &values,
                                     Results &results) const override;

private:
    struct Target
    {
        InputId size;
        std::vector<ResultId> distances; // in the order of detailLevelMultipliers
    };

    const InputId m_hfov;
    const InputId m_resolution;
    std::vector<Target> m_targets; // person, car, boat
};
