#pragma once

#include "plannedcommand.h"
#include "ways.h"

#include <optional>
#include <vector>

struct DensityPlan
{
    Way camera; // the second way is pixel size and focal length
    // With --levels: the results with those levels' reaches, and the levels.
    std::optional<ResultTable> table;
    std::vector<double> levels;
    std::vector<ResultId> reach;
};

// Pixels per metre of scene width, as IEC 62676-4 counts them.
class DensityCommand : public PlannedCommand<DensityPlan>
{
public:
    DensityCommand();

protected:
    std::variant<UsageError, DensityPlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> calculate(const DensityPlan &plan, const InputValues &values,
                                     Results &results, NoProduct & /*product*/) const override;
    const ResultTable &results(const DensityPlan &plan) const override
    {
        return plan.table ? *plan.table : resultTable();
    }

private:
    const InputId m_resolution;
    const InputId m_hfov;
    const InputId m_pixelSize;
    const InputId m_focalLength;
    const InputId m_distance;
    const InputId m_levels;
    const Alternatives m_camera;
    const ResultId m_sceneWidth;
    const ResultId m_perMetre;
    const ResultId m_perFoot;
    std::vector<ResultId> m_levelReach; // in the order of densityLevels
};
