#pragma once

#include "command.h"

// The focal length that gives a wanted angle of view, or a wanted pixel
// density at a distance.
class LensCommand : public Command
{
public:
    LensCommand();

protected:
    QString prepare(const QVector<bool> &given, const QStringList &commandLine) override;
    QString calculate(const QStringList &values, Results &results) const override;

private:
    enum class Goal { FieldOfView, Density, Level };
    Goal m_goal = Goal::FieldOfView;
};
