#include "distancecommand.h"

#include "targetdistance.h"

#include <algorithm>
#include <array>

namespace {

enum Input { hfov, resolution, person, car, boat };

struct Target
{
    const char *name;
    const char *label;
    const char *fieldWord;
    const char *defaultSize; // the tab's defaults
};

constexpr std::array<Target, 3> targets{{
        {"person", "Person", "Person param", "1.8x0.5"},
        {"car", "Car", "Car param", "4x1.4"},
        {"boat", "Boat", "Boat param", "10x5"},
}};

// In the order of detailLevelMultipliers.
constexpr std::array<const char *, 4> levels{"identify", "recognize", "observe", "detect"};

} // namespace

DistanceCommand::DistanceCommand()
    : Command(QStringLiteral("distance"),
              QStringLiteral("Distances at which a person, a car and a boat span 250, 125, 62.5 "
                             "and 25 pixels."),
              QStringLiteral("Parses, computes and rounds exactly as the window's Distance tab "
                             "does:\nthe target's smaller side spans the pixels; single-precision "
                             "inputs."))
{
    addInput(horizontalFovInput(true));
    addInput(horizontalResolutionInput(true));
    for (const Target &target : targets) {
        addInput({QString::fromLatin1(target.name), QStringLiteral("XxY"),
                  QStringLiteral("%1 size in metres (default %2).")
                          .arg(QLatin1String(target.label), QLatin1String(target.defaultSize)),
                  false, QString::fromLatin1(target.defaultSize)});
    }
    for (const Target &target : targets) {
        for (std::size_t level = 0; level < levels.size(); ++level) {
            addResult({QStringLiteral("%1_%2_m").arg(QLatin1String(target.name),
                                                     QLatin1String(levels[level])),
                       QStringLiteral("%1, %2 (%3 px)")
                               .arg(QLatin1String(target.label), QLatin1String(levels[level]))
                               .arg(250.0 / detailLevelMultipliers[level]),
                       2, QStringLiteral("m")});
        }
    }
}

QString DistanceCommand::calculate(const QStringList &values, Results &results) const
{
    DistanceInput input{values.at(hfov), values.at(resolution), {}, {}, {}, {}, {}, {}};
    std::array<std::pair<QString *, QString *>, 3> sizes{{{&input.personX, &input.personY},
                                                          {&input.carX, &input.carY},
                                                          {&input.boatX, &input.boatY}}};
    // A size without its "x" is reported in the place its field takes in the
    // window's order, so the core parses a stand-in for it meanwhile.
    int unsplit = -1;
    for (int target = 0; target < static_cast<int>(targets.size()); ++target) {
        if (!splitPair(values.at(person + target), *sizes[target].first, *sizes[target].second)) {
            *sizes[target].first = *sizes[target].second = QStringLiteral("1");
            if (unsplit < 0)
                unsplit = target;
        }
    }
    const auto outcome = calculateDistances(input);
    if (const auto *error = std::get_if<InputError>(&outcome)) {
        const auto failed = std::find_if(targets.cbegin(), targets.cend(), [&](const Target &t) {
            return error->fieldWord == QLatin1String(t.fieldWord);
        });
        const auto failedTarget = failed == targets.cend() ? -1 : failed - targets.cbegin();
        if (unsplit < 0 || failedTarget < unsplit)
            return notANumber(*error);
    }
    if (unsplit >= 0) {
        return fieldError(QString::fromLatin1(targets[unsplit].fieldWord),
                          values.at(person + unsplit), QStringLiteral("is not XxY"));
    }
    const auto &distances = std::get<BaseDistances>(outcome);
    int column = 0;
    for (const double base : {distances.person, distances.car, distances.boat}) {
        for (const double multiplier : detailLevelMultipliers)
            results[column++] = base * multiplier;
    }
    return {};
}
