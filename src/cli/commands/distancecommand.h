#pragma once

#include "plannedcommand.h"
#include "targetdistance.h"

#include <array>
#include <optional>
#include <vector>

struct DistancePlan
{
    // Person, car and boat sizes that come from the command line alone and
    // parse.
    std::array<std::optional<TargetSize>, 3> fixedSizes;
};

// The Distance tab's calculation: the same parse, the same precision and
// the same digits.
class DistanceCommand : public PlannedCommand<DistancePlan>
{
public:
    DistanceCommand();

protected:
    std::variant<UsageError, DistancePlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> calculate(const DistancePlan &plan, const InputValues &values,
                                     Results &results, NoProduct & /*product*/) const override;

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
