#include "distancecommand.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "numbertext.h"
#include "pairs.h"
#include "pixeldensity.h"
#include "targetdistance.h"

#include <algorithm>
#include <array>

namespace {

struct TargetKind
{
    const char *name;
    const char *label;
    const char *fieldWord;
    const char *defaultSize; // the tab's defaults
};

constexpr std::array<TargetKind, 3> targetKinds{{
        {"person", "Person", "Person param", "1.8x0.5"},
        {"car", "Car", "Car param", "4x1.4"},
        {"boat", "Boat", "Boat param", "10x5"},
}};

std::optional<TargetSize> plainSize(std::optional<std::string_view> text)
{
    const auto sides = text ? splitPair(*text) : std::nullopt;
    const auto x = sides ? plainFloat(sides->first) : std::nullopt;
    const auto y = sides ? plainFloat(sides->second) : std::nullopt;
    if (!x || !y)
        return std::nullopt;
    return TargetSize{*x, *y};
}

} // namespace

DistanceCommand::DistanceCommand()
    : PlannedCommand(QStringLiteral("distance"),
                     QStringLiteral("Distances at which a person, a car and a boat span 250, 125, "
                                    "62.5 and 25 pixels."),
                     QStringLiteral("Parses, computes and rounds exactly as the window's Distance "
                                    "tab does:\nthe target's smaller side spans the pixels; "
                                    "single-precision inputs."))
    , m_hfov(addInput(horizontalFovInput(true)))
    , m_resolution(addInput(horizontalResolutionInput(true)))
{
    for (const TargetKind &kind : targetKinds) {
        m_targets.push_back(
                {addInput({QString::fromLatin1(kind.name), QStringLiteral("XxY"),
                           QStringLiteral("%1 size in metres (default %2).")
                                   .arg(QLatin1String(kind.label), QLatin1String(kind.defaultSize)),
                           false, QString::fromLatin1(kind.defaultSize)}),
                 {}});
    }
    for (std::size_t target = 0; target < targetKinds.size(); ++target) {
        for (std::size_t index = 0; index < detailLevelMultipliers.size(); ++index) {
            const double multiplier = detailLevelMultipliers[index];
            const QLatin1String level(detailLevelNames[index]);
            m_targets[target].distances.push_back(addResult(
                    {QStringLiteral("%1_%2_m").arg(QLatin1String(targetKinds[target].name), level),
                     QStringLiteral("%1, %2 (%3 px)")
                             .arg(QLatin1String(targetKinds[target].label), level)
                             .arg(250.0 / multiplier),
                     2, QStringLiteral("m")}));
        }
    }
}

// A size that no column feeds is the same on every row, so it is parsed once.
std::variant<UsageError, DistancePlan> DistanceCommand::prepare(const GivenInputs &given) const
{
    DistancePlan plan;
    for (std::size_t target = 0; target < m_targets.size(); ++target) {
        const InputId size = m_targets[target].size;
        if (!given.fedByColumn(size))
            plan.fixedSizes[target] = plainSize(given.commandLine.bytes(size));
    }
    return plan;
}

// Plain numbers skip QString; they parse to the same values, so the
// distances are the same.
std::optional<BaseDistances> DistanceCommand::plainDistances(const DistancePlan &plan,
                                                             const InputValues &values) const
{
    if (!values.given(m_hfov) || !values.given(m_resolution))
        return std::nullopt;
    std::string_view resolution = *values.bytes(m_resolution);
    if (const auto sides = splitPair(resolution)) {
        const auto height = plainFloat(sides->second);
        if (!height || *height <= 0.0f)
            return std::nullopt;
        resolution = sides->first;
    }
    const auto fov = plainFloat(*values.bytes(m_hfov));
    const auto pixels = plainFloat(resolution);
    if (!fov || !pixels)
        return std::nullopt;
    std::array<TargetSize, 3> sizes{};
    for (std::size_t target = 0; target < sizes.size(); ++target) {
        const auto size = plan.fixedSizes[target] ? plan.fixedSizes[target]
                                                  : plainSize(values.bytes(m_targets[target].size));
        if (!size)
            return std::nullopt;
        sizes[target] = *size;
    }
    return BaseDistances{baseDistance(*fov, *pixels, sizes[0]),
                         baseDistance(*fov, *pixels, sizes[1]),
                         baseDistance(*fov, *pixels, sizes[2])};
}

// Any other text as the window parses it, and reports it in the command
// line's words.
std::variant<QString, BaseDistances>
DistanceCommand::parsedDistances(const InputValues &values) const
{
    // Of WIDTHxHEIGHT the width counts, and the height must be a number too.
    const QString resolution = values[m_resolution].value_or(QString());
    const auto resolutionSides = splitPair(resolution);
    FieldParser height;
    if (resolutionSides)
        height.positive(QStringLiteral("Resolution"), resolutionSides->second);
    DistanceInput input{values[m_hfov].value_or(QString()),
                        resolutionSides ? resolutionSides->first : resolution,
                        {},
                        {},
                        {},
                        {},
                        {},
                        {}};
    const std::array<std::pair<QString *, QString *>, 3> sizes{{{&input.personX, &input.personY},
                                                                {&input.carX, &input.carY},
                                                                {&input.boatX, &input.boatY}}};
    // A size without its "x" is reported in the place its field takes in the
    // window's order, so the core parses a stand-in for it meanwhile.
    std::optional<std::size_t> unsplit;
    for (std::size_t target = 0; target < targetKinds.size(); ++target) {
        const auto pair = splitPair(values[m_targets[target].size].value_or(QString()));
        *sizes[target].first = pair ? pair->first : QStringLiteral("1");
        *sizes[target].second = pair ? pair->second : QStringLiteral("1");
        if (!pair && !unsplit)
            unsplit = target;
    }
    const auto outcome = calculateDistances(input);
    const auto *error = std::get_if<InputError>(&outcome);
    const auto failed = !error
            ? targetKinds.cend()
            : std::find_if(targetKinds.cbegin(), targetKinds.cend(), [&](const TargetKind &kind) {
                  return error->fieldWord == QLatin1String(kind.fieldWord);
              });
    // The angle and the resolution come before the sizes in the window's
    // order; a value not given parsed as empty, in its place.
    if (error && failed == targetKinds.cend()) {
        if (error->fieldWord == QLatin1String("FOV"))
            return values.given(m_hfov) ? notANumber(*error) : noValue(error->fieldWord);
        if (resolutionSides)
            return notAWidth(resolution);
        return values.given(m_resolution) ? notANumber(*error) : noValue(error->fieldWord);
    }
    if (height.error())
        return notAWidth(resolution);
    if (error) {
        const auto failedTarget = static_cast<std::size_t>(failed - targetKinds.cbegin());
        if (!unsplit || failedTarget < *unsplit) {
            return fieldError(error->fieldWord, *values[m_targets[failedTarget].size],
                              QStringLiteral("is not XxY"));
        }
    }
    if (unsplit) {
        return fieldError(QString::fromLatin1(targetKinds[*unsplit].fieldWord),
                          values[m_targets[*unsplit].size].value_or(QString()),
                          QStringLiteral("is not XxY"));
    }
    return std::get<BaseDistances>(outcome);
}

std::optional<QString> DistanceCommand::calculate(const DistancePlan &plan,
                                                  const InputValues &values, Results &results) const
{
    auto distances = plainDistances(plan, values);
    if (!distances) {
        const auto parsed = parsedDistances(values);
        if (const auto *problem = std::get_if<QString>(&parsed))
            return *problem;
        distances = std::get<BaseDistances>(parsed);
    }
    const std::array<double, 3> bases{distances->person, distances->car, distances->boat};
    for (std::size_t target = 0; target < m_targets.size(); ++target) {
        for (std::size_t level = 0; level < detailLevelMultipliers.size(); ++level)
            results.set(m_targets[target].distances[level],
                        bases[target] * detailLevelMultipliers[level]);
    }
    return std::nullopt;
}
