#pragma once

// mount/: a camera on a pole as the commands take it (mountinputs.h) and as
// mount shows it (here): mount itself, the site commands and the report's
// camera pages.

#include "mounting.h"
#include "results.h"

#include <functional>
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

// Mount's figures of a survey, each declared once with its key, label,
// decimals and unit, and set from a survey: mount writes them, and the
// report shows them on each camera's page.
class MountFigures
{
public:
    using AddResult = std::function<ResultId(ResultSpec)>;
    // Declares the figures through add, in the order they are shown, with
    // a reach for each level.
    MountFigures(const AddResult &add, const std::vector<NamedLevel> &levels);

    void set(const MountSurvey &survey, Results &results) const;
    // The figures of the survey whose answer is infinity where it is not
    // finite: the far edges where the view reaches the horizon, and the
    // densities where the depth is 0.
    std::vector<ResultId> infiniteAnswers(const MountSurvey &survey) const;
    // How far the level holds.
    ResultId levelReach(std::size_t level) const { return m_levelReach.at(level); }

private:
    ResultId m_hfovDegrees;
    ResultId m_vfovDegrees;
    ResultId m_tiltDegrees;
    ResultId m_blindZone;
    ResultId m_groundNear;
    ResultId m_groundFar;
    ResultId m_groundNearWidth;
    ResultId m_groundFarWidth;
    ResultId m_targetNear;
    ResultId m_targetFar;
    ResultId m_targetNearDensity;
    ResultId m_targetFarDensity;
    std::vector<std::optional<ResultId>> m_levelFrom; // of the levels with a steepest angle
    std::vector<ResultId> m_levelReach; // loosest first
    AtDistanceResults m_atDistance;
};

// Mount's figures in a table of their own, for a run's own levels.
struct MountFigureTable
{
    explicit MountFigureTable(std::vector<NamedLevel> levels);

    ResultTable table;
    std::vector<NamedLevel> levels; // each survey points to them
    MountFigures figures; // declared into the table, after it
};
