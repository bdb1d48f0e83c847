#pragma once

#include "command.h"

// Pixels per metre of scene width, as IEC 62676-4 counts them.
class DensityCommand : public Command
{
public:
    DensityCommand();

protected:
    QString prepare(const QVector<bool> &given, const QStringList &commandLine) override;
    QString calculate(const QStringList &values, Results &results) const override;

private:
    bool m_fromLens = false; // pixel size and focal length instead of the angle
};
