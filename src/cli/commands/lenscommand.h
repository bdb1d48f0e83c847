#pragma once

#include "plannedcommand.h"

#include "sitemodel.h"

#include <optional>
#include <vector>

struct LensPlan
{
    enum class Goal { fieldOfView, density, level };
    Goal goal;
    std::optional<std::vector<SiteLevel>> levels; // of the user's, by --levels
};

// The focal length that gives a wanted angle of view, or a wanted pixel
// density at a distance.
class LensCommand : public PlannedCommand<LensPlan>
{
public:
    LensCommand();

protected:
    std::variant<UsageError, LensPlan> prepare(const GivenInputs &given) const override;
    std::optional<QString> calculate(const LensPlan &plan, const InputValues &values,
                                     Results &results, NoProduct & /*product*/) const override;

private:
    const InputId m_pixelSize;
    const InputId m_resolution;
    const InputId m_hfov;
    const InputId m_density;
    const InputId m_level;
    const InputId m_distance;
    const InputId m_levels;
    const ResultId m_focalLength;
    const ResultId m_horizontalFov;
};
