#pragma once

#include "command.h"

#include <QString>

#include <variant>
#include <vector>

// Two ways of giving one thing, of which exactly one must be given in full:
// a camera by --hfov or by --pixel-size with --focal-length, a mount by
// --tilt or by --aim.
struct Alternatives
{
    std::vector<InputId> first;
    std::vector<InputId> second; // given together
    QString neither;
    QString both;
    QString incomplete; // the second way given in part
};

enum class Way { first, second, eachRow };

// The way the command line and a batch's columns give. Where columns feed
// both ways, each row decides for itself (rowWay).
std::variant<UsageError, Way> chooseWay(const GivenInputs &given, const Alternatives &ways);
// The way that a row's own cells give, or else the command line; true for
// the second. A row that fills both, or neither, is in error.
std::variant<QString, bool> rowWay(const InputValues &values, const Alternatives &ways);
// Whether this calculation takes the second way.
std::variant<QString, bool> takesSecondWay(Way way, const InputValues &values,
                                           const Alternatives &ways);

// A camera by its angle (first) or by its lens (second).
Alternatives cameraWays(InputId hfov, InputId pixelSize, InputId focalLength);
