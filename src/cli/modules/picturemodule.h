#pragma once

#include <QString>

#include <optional>

struct MountSurvey;
struct ReportDocument;
struct SiteDrawing;
class WholeFiles;

// The program's side of the picture module: found where the build and the
// installation both put it beside the program, loaded on the first picture,
// its version checked before anything else of it is called.

// Why pictures cannot be drawn at all, such as a module that is missing or
// from another version, if they cannot.
std::optional<QString> pictureModuleProblem();
// Draws mount's picture into path; why it could not, if it could not.
std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path);
// Draws the site into the files, to be put in place with the others.
std::optional<QString> drawSite(const SiteDrawing &drawing, const QString &path, WholeFiles &files);
std::optional<QString> writeReport(const ReportDocument &report, const QString &path);
