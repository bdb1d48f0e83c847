#pragma once

#include <QString>

#include <optional>

struct MountSurvey;

// Draws a camera on a pole as SVG: a side view (pole, camera, the view, the
// blind zone and the target's height) above a top view (the ground in view
// and each level's band on the target), on one distance axis in metres, and
// a legend with every figure as the command prints it. The same survey gives
// the same bytes. Returns why the picture could not be written, if it could
// not.
std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path);
