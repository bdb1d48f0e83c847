#include "ways.h"

#include <algorithm>

namespace {

template <typename Test>
bool any(const std::vector<InputId> &inputs, Test test)
{
    return std::any_of(inputs.cbegin(), inputs.cend(), test);
}

// The one way that is given (true for the second), or what is wrong.
std::variant<QString, bool> oneWay(bool first, bool second, bool secondInFull,
                                   const Alternatives &ways)
{
    if (first && second)
        return ways.both;
    if (!first && !second)
        return ways.neither;
    if (second && !secondInFull)
        return ways.incomplete;
    return second;
}

} // namespace

std::variant<UsageError, Way> chooseWay(const GivenInputs &given, const Alternatives &ways)
{
    const auto fed = [&](InputId input) { return given.fedByColumn(input); };
    const auto onCommandLine = [&](InputId input) { return given.commandLine.given(input); };
    if (any(ways.first, fed) && any(ways.second, fed)) {
        if (any(ways.first, onCommandLine) && any(ways.second, onCommandLine))
            return UsageError{ways.both};
        return Way::eachRow;
    }
    const auto isGiven = [&](InputId input) { return given.given(input); };
    const auto chosen
            = oneWay(any(ways.first, isGiven), any(ways.second, isGiven),
                     std::all_of(ways.second.cbegin(), ways.second.cend(), isGiven), ways);
    if (const auto *problem = std::get_if<QString>(&chosen))
        return UsageError{*problem};
    return std::get<bool>(chosen) ? Way::second : Way::first;
}

std::variant<QString, bool> rowWay(const InputValues &values, const Alternatives &ways)
{
    const auto inRow = [&](InputId input) { return values.fromRow(input); };
    const auto isGiven = [&](InputId input) { return values.given(input); };
    const bool rowFirst = any(ways.first, inRow);
    const bool rowSecond = any(ways.second, inRow);
    const bool rowChose = rowFirst || rowSecond;
    return oneWay(rowChose ? rowFirst : any(ways.first, isGiven),
                  rowChose ? rowSecond : any(ways.second, isGiven),
                  std::all_of(ways.second.cbegin(), ways.second.cend(), isGiven), ways);
}

std::variant<QString, bool> takesSecondWay(Way way, const InputValues &values,
                                           const Alternatives &ways)
{
    if (way == Way::eachRow)
        return rowWay(values, ways);
    return way == Way::second;
}

Alternatives cameraWays(InputId hfov, InputId pixelSize, InputId focalLength)
{
    return {{hfov},
            {pixelSize, focalLength},
            QStringLiteral("give --hfov, or --pixel-size and --focal-length"),
            QStringLiteral("give --hfov, or --pixel-size and --focal-length"),
            QStringLiteral("--pixel-size and --focal-length go together")};
}
