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
//
// The drawing needs QtGui and QtSvg, which would double the start-up time
// and memory of every other run: it lives in a module beside the program,
// loaded on the first picture.
std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path);
// Why pictures cannot be drawn at all, such as a module that is missing or
// from another version, if they cannot.
std::optional<QString> mountPictureModuleProblem();

// The module's one entry point, by this name: false, with the reason, when
// the picture could not be written.
using DrawMountPicture = bool (*)(const MountSurvey &survey, const QString &path, QString *error);
constexpr char drawMountPictureSymbol[] = "kavreloDrawMountPicture";
