#include "distancecommand.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "fieldtext.h"
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
    Field field;
    const char *defaultSize; // the tab's defaults
};

constexpr std::array<TargetKind, 3> targetKinds{{
        {"person", "Person", Field::person, "1.8x0.5"},
        {"car", "Car", Field::car, "4x1.4"},
        {"boat", "Boat", Field::boat, "10x5"},
}};

// "XxY" as the window parses each side, or nothing.
std::optional<TargetSize> parsedSize(std::optional<std::string_view> bytes)
{
    const auto sides = bytes ? splitPair(*bytes) : std::nullopt;
    const auto x = sides ? toFloatLikeQt(sides->first) : std::nullopt;
    const auto y = sides ? toFloatLikeQt(sides->second) : std::nullopt;
    if (!x || !y)
        return std::nullopt;
    return TargetSize{*x, *y};
}

TargetSize targetSize(FieldParser &parse, Field field, std::optional<std::string_view> bytes)
{
    const auto size = parsedSize(bytes);
    if (!size)
        parse.fail(fieldError(field, bytes ? fieldText(*bytes) : QString(),
                              QStringLiteral("is not XxY")));
    return size.value_or(TargetSize{});
}

// The pixels across: of WIDTHxHEIGHT the width, and the height must be a
// number above 0 too.
float pixelsAcross(FieldParser &parse, std::optional<std::string_view> bytes)
{
    const auto sides = bytes ? splitPair(*bytes) : std::nullopt;
    if (!sides)
        return parse.windowFloat(Field::resolution, bytes);
    const auto width = toFloatLikeQt(sides->first);
    FieldParser height;
    height.positive(Field::resolution, {sides->second});
    if (!width || height.error())
        parse.fail(notAWidth(fieldText(*bytes)));
    return width.value_or(0.0f);
}

} // namespace

DistanceCommand::DistanceCommand()
    : PlannedCommand(QStringLiteral("distance"),
                     QStringLiteral("Distances at which a person, a car and a boat span 250, 125, "
                                    "62.5 and 25 pixels."),
                     QStringLiteral("Parses, computes and rounds exactly as the window's Distance "
                                    "tab does:\nthe target's smaller side spans the pixels; "
                                    "single-precision inputs."))
    , m_hfov(addInput(horizontalFovInput(Need::required)))
    , m_resolution(addInput(horizontalResolutionInput(Need::required)))
{
    for (const TargetKind &kind : targetKinds) {
        m_targets.push_back(
                {addInput({QString::fromLatin1(kind.name), QStringLiteral("XxY"),
                           QStringLiteral("%1 size in metres (default %2).")
                                   .arg(QLatin1String(kind.label), QLatin1String(kind.defaultSize)),
                           Need::optional, QString::fromLatin1(kind.defaultSize)}),
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
            plan.fixedSizes[target] = parsedSize(given.commandLine.bytes(size));
    }
    return plan;
}

// The tab's fields in its order, each parsed as the window parses it: the
// angle, the resolution, then each target's X and Y. The first that does not
// parse is reported, in the command line's words.
std::optional<QString> DistanceCommand::calculate(const DistancePlan &plan,
                                                  const InputValues &values, Results &results,
                                                  NoProduct & /*product*/) const
{
    FieldParser parse;
    const float fov = parse.windowFloat(Field::fov, values.bytes(m_hfov));
    const float pixels = pixelsAcross(parse, values.bytes(m_resolution));
    std::array<double, 3> bases{};
    for (std::size_t target = 0; target < m_targets.size(); ++target) {
        const TargetSize size = plan.fixedSizes[target]
                ? *plan.fixedSizes[target]
                : targetSize(parse, targetKinds[target].field,
                             values.bytes(m_targets[target].size));
        bases[target] = baseDistance(fov, pixels, size);
    }
    if (parse.error())
        return parse.error();
    for (std::size_t target = 0; target < m_targets.size(); ++target) {
        for (std::size_t level = 0; level < detailLevelMultipliers.size(); ++level)
            results.set(m_targets[target].distances[level],
                        bases[target] * detailLevelMultipliers[level]);
    }
    return std::nullopt;
}
