#pragma once

#include "command.h"
#include "mounting.h"
#include "mountinputs.h"

#include <functional>
#include <memory>
#include <vector>

// What holds at --distance, after the levels' reaches.
struct AtDistanceResults
{
    ResultId slant;
    ResultId depression;
    ResultId groundWidth;
    ResultId targetWidth;
    ResultId density;
    ResultId verticalDensity;
};

struct MountPlan
{
    MountInputs::Ways ways;
    std::optional<QString> plot; // a picture, or in a batch a folder of them
    bool batch;
    // With --levels: the results with those levels' reaches in the place of
    // the standard's, and the levels.
    struct OwnLevels
    {
        ResultTable table;
        std::vector<NamedLevel> levels;
        std::vector<ResultId> reach;
        AtDistanceResults atDistance;
    };
    std::optional<OwnLevels> own;
};

// A camera on a pole: its blind zone, where it sees the ground and a target,
// and how far each IEC 62676-4 level holds on the target.
class MountCommand : public PlannedCommand<MountPlan, MountSurvey>
{
public:
    MountCommand();

    // For another command to show a camera's figures as mount shows them:
    // a run with these levels, or the standard's, and its results for a
    // survey, as calculate() sets them.
    MountPlan planFor(const std::optional<std::vector<NamedLevel>> &levels) const;
    const ResultTable &tableOf(const MountPlan &plan) const { return results(plan); }
    void setResults(const MountPlan &plan, const MountSurvey &survey, Results &results) const;

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
    std::vector<ResultId> addLevelResults();
    MountPlan::OwnLevels ownLevels(const std::vector<NamedLevel> &levels) const;
    // Results declared, or added to a run's own table.
    using AddResult = std::function<ResultId(ResultSpec)>;
    AddResult declared();
    static AddResult into(ResultTable &table);
    static ResultId addLevelResult(const AddResult &add, const NamedLevel &level);
    static AtDistanceResults addAtDistanceResults(const AddResult &add);

    const MountInputs m_mount;
    const InputId m_distance;
    const InputId m_plot;
    const InputId m_levels;
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
    const std::vector<NamedLevel> m_standardLevels; // each survey points to them
    const int m_resultsBeforeLevels;
    const std::vector<ResultId> m_levelReach; // in the order of densityLevels
    const AtDistanceResults m_atDistance;
};
