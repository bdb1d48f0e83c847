#pragma once

#include "mountfigures.h"
#include "mountinputs.h"
#include "plannedcommand.h"

#include <memory>
#include <optional>
#include <vector>

struct MountPlan
{
    MountInputs::Ways ways{};
    std::optional<QString> plot; // a picture, or in a batch a folder of them
    bool batch = false;
    // With --levels or --max-angle: the figures with those levels' reaches
    // in the place of the standard's.
    std::optional<MountFigureTable> own;
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
    const ResultTable &results(const MountPlan &plan) const override
    {
        return plan.own ? plan.own->table : resultTable();
    }
    std::optional<QString> refusesOutput(const MountPlan &plan) const override;
    QStringList outputFiles(const MountPlan &plan) const override
    {
        return plan.plot && !plan.batch ? QStringList{*plan.plot} : QStringList{};
    }
    std::optional<PublishFailure> publish(const MountPlan &plan, const MountSurvey &survey,
                                          const QString &recordName) const override;

private:
    std::variant<QString, MountSurvey> survey(const MountPlan &plan,
                                              const InputValues &values) const;

    const MountInputs m_mount;
    const InputId m_distance;
    const InputId m_plot;
    const InputId m_levels;
    const InputId m_maxAngles;
    const std::vector<NamedLevel> m_standardLevels; // each survey points to them
    const MountFigures m_figures; // of the standard's levels
};
