#pragma once

#include "command.h"
#include "mounting.h"
#include "mountinputs.h"

#include <vector>

struct MountPlan
{
    MountInputs::Ways ways;
    std::optional<QString> plot; // a picture, or in a batch a folder of them
    bool batch;
};

// A camera on a pole: its blind zone, where it sees the ground and a target,
// and how far each IEC 62676-4 level holds on the target.
class MountCommand : public PlannedCommand<MountPlan, MountSurvey>
{
public:
    MountCommand();

protected:
    std::variant<UsageError, MountPlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> calculate(const MountPlan &plan, const InputValues &values,
                                     Results &results, MountSurvey &product) const override;
    bool publishes(const MountPlan &plan) const override { return plan.plot.has_value(); }
    std::optional<QString> refusesOutput(const MountPlan &plan) const override;
    std::optional<PublishFailure> publish(const MountPlan &plan, const MountSurvey &survey,
                                          const QString &recordName) const override;

private:
    std::variant<QString, MountSurvey> survey(const MountPlan &plan,
                                              const InputValues &values) const;
    std::vector<ResultId> addLevelResults();

    const MountInputs m_mount;
    const InputId m_distance;
    const InputId m_plot;
    const ResultId m_hfovDegrees;
    const ResultId m_vfovDegrees;
    const ResultId m_tiltDegrees;
    const ResultId m_blindZone;
    const ResultId m_groundNear;
    const ResultId m_groundFar;
    const ResultId m_groundNearWidth;
    const ResultId m_groundFarWidth;
    const ResultId m_targetNear;
    const ResultId m_targetFar;
    const ResultId m_targetNearDensity;
    const ResultId m_targetFarDensity;
    const std::vector<ResultId> m_levelReach; // in the order of densityLevels
    const ResultId m_slant;
    const ResultId m_depression;
    const ResultId m_groundWidth;
    const ResultId m_targetWidth;
    const ResultId m_density;
    const ResultId m_verticalDensity;
};
