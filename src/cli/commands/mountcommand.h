#pragma once

#include "command.h"
#include "mounting.h"
#include "ways.h"

#include <vector>

struct MountPlan
{
    Way camera; // the second way is pixel size and focal length
    Way pointing; // the second way is --aim
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

    const InputId m_resolution;
    const InputId m_hfov;
    const InputId m_vfov;
    const InputId m_pixelSize;
    const InputId m_focalLength;
    const InputId m_height;
    const InputId m_tilt;
    const InputId m_aim;
    const InputId m_targetHeight;
    const InputId m_distance;
    const InputId m_plot;
    const Alternatives m_camera;
    const Alternatives m_pointing;
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
