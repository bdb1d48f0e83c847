#pragma once

#include <QColor>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <variant>
#include <vector>

struct NamedLevel;
struct MountSurvey;
struct PlanePolygon;
struct SiteDrawing;

// What every picture of the module shares: an SVG document, in
// DejaVu Sans at 12 px, one pixel to the unit, and the ink it is drawn in.
// The report's pages draw the same pictures.
const QColor inkColour(0x25, 0x25, 0x25);
// The pictures' text, in their own units, where a page does not ask for more.
constexpr int pictureTextPixels = 12;

// Text needs fonts, and fonts a QGuiApplication, which the first picture
// of a run starts, off screen. False when another kind of application runs.
bool haveGuiApplication();

// The module's pictures on any painter, in their own units: as SVG, or
// fitted into a page of the report.
// 900 by 1000, and taller by a line for each line of its legend past ten,
// so that no figure falls off the foot.
QSize mountPictureSize(const MountSurvey &survey);
void drawMount(QPainter &painter, const MountSurvey &survey);
constexpr QSize siteDrawingSize(1000, 1000);
// What a copy of the site plan marks beside the site and its bands.
struct DrawingMarks
{
    bool titled = true;
    bool camerasInGrey = false; // to stand back behind one drawn out
    const std::vector<PlanePolygon> *gaps = nullptr;
    QString gapsLabel; // the gaps' entry in the legend
};
void drawSite(QPainter &painter, const SiteDrawing &drawing, const DrawingMarks &marks = {});
// One camera of the plan drawn out, over the plan in grey.
void drawSiteCamera(QPainter &painter, const SiteDrawing &drawing, std::size_t camera);

// The SVG document of a drawing; why it could not be drawn, if it could
// not. The program writes it.
std::variant<QString, QByteArray> svgDocument(QSize size, const QString &title,
                                              const QString &description,
                                              const std::function<void(QPainter &)> &draw);

// An entry point's answer: the bytes drawn into *bytes, or why not into
// *error.
inline bool handOn(std::variant<QString, QByteArray> drawn, QByteArray *bytes, QString *error)
{
    if (auto *problem = std::get_if<QString>(&drawn)) {
        *error = std::move(*problem);
        return false;
    }
    *bytes = std::get<QByteArray>(std::move(drawn));
    return true;
}

// 1, 2 or 5 times a power of ten, so that a length has about `parts` of them.
double roundStep(double length, double parts);
// The level's colour in the one palette.
QColor paletteColour(const std::vector<NamedLevel> &levels, std::size_t level);
