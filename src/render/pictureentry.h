#pragma once

#include <QByteArray>
#include <QString>

struct MountSurvey;
struct ReportDocument;
struct SiteDrawing;

// The pictures' room: the one module that links QtGui and QtSvg, which
// would double the start-up time and memory of every other run of
// kavrelo-cli. The program loads it for its first picture and reaches it
// through the entry points below, by name.
//
// A module from another build (another prefix, an older install) may lay
// out MountSurvey otherwise, so the program checks the module's version
// first and calls nothing else of a module that differs.

// The version the module was built as: the project's version and the
// interface's number.
using PictureModuleVersion = const char *(*)();
constexpr char pictureModuleVersionSymbol[] = "kavreloPictureModuleVersion";
// Bump with any change to the entry points or to what they take.
#define KAVRELO_PICTURE_INTERFACE "10"

// Each entry point draws into bytes, which the program writes whole: false,
// with the reason, when the picture could not be drawn.

// Draws a camera on a pole as SVG: a side view (pole, camera, the view, the
// blind zone and the target's height) above a top view (the ground in view
// and each level's band on the target), on one distance axis in metres, and
// a legend with every figure as the command prints it. The same survey gives
// the same bytes.
using DrawMountPicture = bool (*)(const MountSurvey &survey, QByteArray *svg, QString *error);
constexpr char drawMountPictureSymbol[] = "kavreloDrawMountPicture";

// Draws a site from above as SVG, with every camera's bands, the obstacles
// and privacy zones, a north arrow, a scale bar and a legend.
using DrawSite = bool (*)(const SiteDrawing &drawing, QByteArray *svg, QString *error);
constexpr char drawSiteSymbol[] = "kavreloDrawSite";

// Makes a site's report as a PDF of vector pages, with real text in
// embedded fonts. The same document gives the same bytes.
using MakeReport = bool (*)(const ReportDocument &report, QByteArray *pdf, QString *error);
constexpr char makeReportSymbol[] = "kavreloMakeReport";
