#include "pictureentry.h"
#include "svgpicture.h"

#include "angles.h"
#include "levelcolours.h"

#include "mounting.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>
#include <vector>

namespace {

const QRectF sideArea(90, 60, 770, 330);
const QRectF topArea(90, 460, 770, 300);
constexpr double legendTop = 822;
constexpr double legendLineHeight = 17;

QColor levelColour(const MountSurvey &survey, std::size_t level)
{
    return paletteColour(*survey.levels, level);
}
const QColor groundColour(0xd9, 0xd9, 0xd9);
const QColor viewColour(::viewColour.red, ::viewColour.green, ::viewColour.blue, 0x90);
const QColor blindColour(0xcb, 0x18, 0x1d);
// The ground in view is a thick grey line and the target's height a blue
// one, told apart by hue as well as by shade.
const QPen groundPen(groundColour.darker(150), 6, Qt::SolidLine, Qt::FlatCap);
const QPen targetPen(QColor(0x21, 0x66, 0xac), 3, Qt::SolidLine, Qt::FlatCap);
const QPen blindPen(blindColour, 6, Qt::SolidLine, Qt::FlatCap);
const QPen distancePen(inkColour, 1, Qt::DotLine);

// The command's own digits, so that the legend reads as its output does.
QString metres(double value)
{
    return QString::number(value, 'f', 2);
}

QString span(const Span &inView)
{
    return std::isinf(inView.far)
            ? QStringLiteral("%1 m to the horizon").arg(metres(inView.near))
            : QStringLiteral("%1 to %2 m").arg(metres(inView.near), metres(inView.far));
}

// About six ticks to an axis.
double tickStep(double length)
{
    return roundStep(length, 6.0);
}

// Metres to the pixels of one view: x shared by both views, y up.
struct View
{
    QRectF area;
    double xFrom;
    double xTo;
    double yFrom;
    double yTo;

    QTransform transform() const
    {
        const double xScale = area.width() / (xTo - xFrom);
        const double yScale = area.height() / (yTo - yFrom);
        return QTransform(xScale, 0, 0, -yScale, area.left() - xFrom * xScale,
                          area.bottom() + yFrom * yScale);
    }
    QPointF at(double x, double y) const { return transform().map(QPointF(x, y)); }
    QRectF bounds() const { return QRectF(QPointF(xFrom, yFrom), QPointF(xTo, yTo)); }
    double clamped(double x) const { return std::clamp(x, xFrom, xTo); }
};

// A tick's value as text: a step of 1, 2 or 5 times a power of ten needs
// no more digits than that power shows, and -0 is 0.
QString tickLabel(double value, double step)
{
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    const QString text = QString::number(value, 'f', decimals);
    return text.toDouble() == 0.0 ? QString::number(0.0, 'f', decimals) : text;
}

// The frame, ticks and titles. Tick labels stand right-aligned beside the
// y axis and centred under the x axis, and each title stands clear of the
// widest label.
void drawAxes(QPainter &painter, const View &view, const QString &xTitle, const QString &yTitle)
{
    constexpr double tickLength = 5;
    constexpr double gap = 3;
    const QFontMetricsF metrics(painter.font());
    painter.setPen(QPen(inkColour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(view.area);
    const double xStep = tickStep(view.xTo - view.xFrom);
    for (double x = std::ceil(view.xFrom / xStep) * xStep; x <= view.xTo; x += xStep) {
        const QPointF tick = view.at(x, view.yFrom);
        const QString label = tickLabel(x, xStep);
        painter.drawLine(tick, tick + QPointF(0, tickLength));
        painter.drawText(tick
                                 + QPointF(-metrics.horizontalAdvance(label) / 2,
                                           tickLength + gap + metrics.ascent()),
                         label);
    }
    const double xTitleTop = tickLength + 2 * gap + metrics.height();
    painter.drawText(view.area.bottomLeft()
                             + QPointF((view.area.width() - metrics.horizontalAdvance(xTitle)) / 2,
                                       xTitleTop + gap + metrics.ascent()),
                     xTitle);
    const double yStep = tickStep(view.yTo - view.yFrom);
    double widestLabel = 0;
    for (double y = std::ceil(view.yFrom / yStep) * yStep; y <= view.yTo; y += yStep) {
        const QPointF tick = view.at(view.xFrom, y);
        const QString label = tickLabel(y, yStep);
        const double width = metrics.horizontalAdvance(label);
        widestLabel = std::max(widestLabel, width);
        painter.drawLine(tick, tick - QPointF(tickLength, 0));
        painter.drawText(tick + QPointF(-tickLength - gap - width, metrics.ascent() / 2 - 1),
                         label);
    }
    // Turned a quarter to the left, the title's ascent reaches leftwards from
    // its baseline and its descent rightwards, towards the labels.
    painter.save();
    painter.translate(view.area.left() - tickLength - 3 * gap - widestLabel - metrics.descent(),
                      view.area.center().y() + metrics.horizontalAdvance(yTitle) / 2);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), yTitle);
    painter.restore();
}

// The part of the view between two image edges, within the view's bounds:
// a sector about the lens, its arc far outside the bounds. Corners at most
// 45 degrees apart keep every chord of the arc outside too (its nearest
// point is reach * cos 22.5 degrees away), however wide the view.
QPainterPath wedge(const View &view, const MountedCamera &camera)
{
    const double reach = 10.0
            * (std::abs(view.xTo) + std::abs(view.xFrom) + std::abs(view.yTo) + std::abs(view.yFrom)
               + camera.height);
    const auto towards = [&](double depressionDegrees) {
        const double radians = depressionDegrees * pi / 180.0;
        return QPointF(reach * std::cos(radians), camera.height - reach * std::sin(radians));
    };
    const double vertical = camera.view.verticalFovDegrees;
    const double top = camera.tiltDegrees - vertical / 2.0;
    const int steps = static_cast<int>(std::ceil(vertical / 45.0));
    QPainterPath path(QPointF(0, camera.height));
    for (int step = 0; step <= steps; ++step)
        path.lineTo(towards(top + vertical * step / steps));
    path.closeSubpath();
    QPainterPath bounds;
    bounds.addRect(view.bounds());
    return path.intersected(bounds);
}

void drawHorizonMark(QPainter &painter, const View &view, double y)
{
    painter.save();
    painter.setPen(inkColour);
    painter.drawText(view.at(view.xTo, y) + QPointF(-110, -6),
                     QStringLiteral("to the horizon \u2192"));
    painter.restore();
}

void drawSideView(QPainter &painter, const View &view, const MountSurvey &survey)
{
    const MountedCamera &camera = survey.camera;
    painter.setPen(Qt::NoPen);
    painter.setBrush(viewColour);
    painter.drawPath(view.transform().map(wedge(view, camera)));

    if (survey.ground) {
        painter.setPen(groundPen);
        painter.drawLine(view.at(view.clamped(survey.ground->near), 0),
                         view.at(view.clamped(survey.ground->far), 0));
        if (std::isinf(survey.ground->far))
            drawHorizonMark(painter, view, 0);
    }
    if (survey.blindZone && *survey.blindZone > 0) {
        painter.setPen(blindPen);
        painter.drawLine(view.at(0, 0), view.at(view.clamped(*survey.blindZone), 0));
    }
    painter.setPen(QPen(inkColour, 1, Qt::DashLine));
    painter.drawLine(view.at(view.xFrom, survey.targetHeight),
                     view.at(view.xTo, survey.targetHeight));
    if (survey.target) {
        painter.setPen(targetPen);
        painter.drawLine(view.at(view.clamped(survey.target->near), survey.targetHeight),
                         view.at(view.clamped(survey.target->far), survey.targetHeight));
        if (std::isinf(survey.target->far))
            drawHorizonMark(painter, view, survey.targetHeight);
    }
    // Each steepest angle's line of sight, to where it meets the target.
    const double drop = camera.height - survey.targetHeight;
    for (std::size_t level = 0; level < survey.levels->size(); ++level) {
        const auto &steepest = (*survey.levels)[level].maxAngleDegrees;
        if (const auto radius = steepest ? steepestRadius(drop, *steepest) : std::nullopt) {
            painter.setPen(QPen(levelColour(survey, level).darker(130), 2, Qt::DashLine));
            painter.drawLine(view.at(0, camera.height),
                             view.at(view.clamped(*radius), survey.targetHeight));
        }
    }
    painter.setPen(QPen(inkColour, 4, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(view.at(0, 0), view.at(0, camera.height));
    painter.setPen(Qt::NoPen);
    painter.setBrush(inkColour);
    painter.drawRect(QRectF(view.at(0, camera.height) - QPointF(6, 5), QSizeF(12, 10)));
}

// The band between two ground distances on a plane, as wide as the view.
QPolygonF band(const View &view, const MountedCamera &camera, double drop, double from, double to)
{
    from = view.clamped(from);
    to = view.clamped(to);
    const double nearHalf = widthAcross(camera, from, drop) / 2.0;
    const double farHalf = widthAcross(camera, to, drop) / 2.0;
    return QPolygonF({view.at(from, -nearHalf), view.at(to, -farHalf), view.at(to, farHalf),
                      view.at(from, nearHalf)});
}

void drawTopView(QPainter &painter, const View &view, const MountSurvey &survey)
{
    const MountedCamera &camera = survey.camera;
    painter.setPen(Qt::NoPen);
    if (survey.ground) {
        painter.setBrush(groundColour);
        painter.drawPolygon(
                band(view, camera, camera.height, survey.ground->near, survey.ground->far));
    }
    const double drop = camera.height - survey.targetHeight;
    if (survey.target) {
        painter.setPen(QPen(inkColour, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(band(view, camera, drop, survey.target->near, survey.target->far));
        painter.setPen(Qt::NoPen);
        for (std::size_t level = 0; level < survey.levels->size(); ++level) {
            const auto &reach = survey.levelReach[level];
            if (!reach)
                continue;
            painter.setBrush(levelColour(survey, level));
            QPainterPath shape;
            shape.addPolygon(band(view, camera, drop, survey.target->near, *reach));
            // A level under a steepest angle is not met within its circle.
            const auto &steepest = (*survey.levels)[level].maxAngleDegrees;
            if (const auto radius = steepest ? steepestRadius(drop, *steepest) : std::nullopt) {
                QPainterPath circle;
                circle.addEllipse(QRectF(view.at(-*radius, *radius), view.at(*radius, -*radius))
                                          .normalized());
                shape = shape.subtracted(circle);
            }
            painter.drawPath(shape);
        }
        if (std::isinf(survey.target->far))
            drawHorizonMark(painter, view, view.yTo * 0.85);
    }
    painter.setBrush(inkColour);
    painter.drawEllipse(view.at(0, 0), 5, 5);
}

void drawDistanceMark(QPainter &painter, const View &view, double distance)
{
    painter.setPen(distancePen);
    painter.drawLine(view.at(view.clamped(distance), view.yFrom),
                     view.at(view.clamped(distance), view.yTo));
}

// Whether a level's band shows in the top view: the next stricter level's
// band, drawn over it from the same near edge, must not reach as far.
bool bandShows(const MountSurvey &survey, std::size_t level)
{
    const auto &reach = survey.levelReach[level];
    if (!reach)
        return false;
    const auto stricter
            = level + 1 < survey.levels->size() ? survey.levelReach[level + 1] : std::nullopt;
    return !stricter || *stricter < *reach;
}

// A line of the legend and the mark of what it describes in the views, if
// that is drawn: a patch of colour or a stroke.
struct LegendLine
{
    QString text;
    std::optional<QColor> patch = {};
    std::optional<QPen> stroke = {};
};

// Every figure of the legend as the command prints it.
std::vector<LegendLine> legendLines(const MountSurvey &survey)
{
    std::vector<LegendLine> lines;
    if (!survey.ground) {
        lines.push_back({QStringLiteral("Ground: never in view")});
    } else {
        lines.push_back({QStringLiteral("Ground in view: ") + span(*survey.ground), groundColour});
        if (*survey.blindZone > 0)
            lines.push_back(
                    {QStringLiteral("Blind zone: 0.00 to %1 m").arg(metres(*survey.blindZone)),
                     blindColour});
        else
            lines.push_back({QStringLiteral("Blind zone: none, the view reaches behind the pole")});
    }
    const QString target = QStringLiteral("Target at %1 m: ").arg(metres(survey.targetHeight));
    if (survey.target)
        lines.push_back({target + span(*survey.target), std::nullopt, targetPen});
    else
        lines.push_back({target + QStringLiteral("never in view")});
    for (std::size_t level = 0; level < survey.levels->size(); ++level) {
        const auto &reach = survey.levelReach[level];
        LegendLine line{
                levelLabel((*survey.levels)[level].name, (*survey.levels)[level].pixelsPerMetre)
                + QStringLiteral(": ")
                + (reach ? QStringLiteral("%1 to %2 m")
                                   .arg(metres(survey.levelFrom[level].value_or(
                                                survey.target->near)),
                                        metres(*reach))
                         : QStringLiteral("not met"))};
        if (const auto &steepest = (*survey.levels)[level].maxAngleDegrees)
            line.text += QStringLiteral(", seen at most %1\u00B0 down").arg(*steepest);
        if (bandShows(survey, level))
            line.patch = levelColour(survey, level);
        lines.push_back(line);
    }
    if (const auto &at = survey.at) {
        QString text = QStringLiteral("At %1 m: ").arg(metres(at->distance));
        if (at->horizontalDensity)
            text += QStringLiteral("target %1 m wide, %2 px/m across, %3 px/m upright")
                            .arg(metres(*at->targetWidth))
                            .arg(*at->horizontalDensity, 0, 'f', 1)
                            .arg(*at->verticalDensity, 0, 'f', 1);
        else
            text += QStringLiteral("the target is not in view");
        lines.push_back({text, std::nullopt, distancePen});
    }
    return lines;
}

void drawLegend(QPainter &painter, const MountSurvey &survey)
{
    const std::vector<LegendLine> lines = legendLines(survey);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const LegendLine &line = lines[index];
        const double y = legendTop + static_cast<double>(index) * legendLineHeight;
        const QRectF mark(sideArea.left(), y - 10, 14, 12);
        if (line.patch) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(*line.patch);
            painter.drawRect(mark);
        }
        if (line.stroke) {
            QPen stroke = *line.stroke;
            stroke.setWidthF(std::min(stroke.widthF(), mark.height() / 2));
            painter.setPen(stroke);
            painter.drawLine(QPointF(mark.left(), mark.center().y()),
                             QPointF(mark.right(), mark.center().y()));
        }
        painter.setPen(inkColour);
        painter.drawText(QPointF(sideArea.left() + 22, y), line.text);
    }
}

// From the pole, or from behind it, to a little past the farthest figure;
// far enough to show a horizon. A view straight down spans little ground, so
// the axis spans at least the pole's height, about the figures' middle.
std::pair<double, double> distanceRange(const MountSurvey &survey)
{
    std::vector<double> figures{0.0};
    bool horizon = false;
    for (const auto &inView : {survey.ground, survey.target}) {
        if (!inView)
            continue;
        figures.push_back(inView->near);
        if (std::isinf(inView->far))
            horizon = true;
        else
            figures.push_back(inView->far);
    }
    for (const auto &reach : survey.levelReach) {
        if (reach && std::isfinite(*reach))
            figures.push_back(*reach);
    }
    if (survey.at)
        figures.push_back(survey.at->distance);
    auto [nearest, farthest] = [&] {
        const auto [least, most] = std::minmax_element(figures.begin(), figures.end());
        return std::pair(*least, *most);
    }();
    const double least = survey.camera.height;
    if (farthest - nearest < least) {
        const double middle = (nearest + farthest) / 2.0;
        nearest = middle - least / 2.0;
        farthest = middle + least / 2.0;
    }
    const double to = farthest + (horizon ? 0.3 : 0.1) * std::max(farthest, farthest - nearest);
    return {nearest - 0.04 * (to - nearest), to};
}

} // namespace

QSize mountPictureSize(const MountSurvey &survey)
{
    constexpr int linesInRoom = 10;
    const int lines = static_cast<int>(legendLines(survey).size());
    return {900, 1000 + std::max(0, lines - linesInRoom) * static_cast<int>(legendLineHeight)};
}

void drawMount(QPainter &painter, const MountSurvey &survey)
{
    const MountedCamera &camera = survey.camera;
    const auto [from, to] = distanceRange(survey);
    const View side{sideArea, from, to, 0.0, 1.25 * std::max(camera.height, survey.targetHeight)};
    double halfWidth = 1.0;
    for (const auto &[inView, drop] :
         {std::pair(survey.ground, camera.height),
          std::pair(survey.target, camera.height - survey.targetHeight)}) {
        if (inView)
            halfWidth
                    = std::max(halfWidth, widthAcross(camera, side.clamped(inView->far), drop) / 2);
    }
    const View top{topArea, from, to, -1.15 * halfWidth, 1.15 * halfWidth};

    painter.drawText(QPointF(sideArea.left(), 30),
                     QStringLiteral("Camera %1 m up, tilted %2\u00B0; %3 \u00D7 %4 px, %5\u00B0 "
                                    "\u00D7 %6\u00B0")
                             .arg(metres(camera.height))
                             .arg(camera.tiltDegrees, 0, 'f', 4)
                             .arg(camera.view.horizontal.horizontalPixels)
                             .arg(camera.view.verticalPixels)
                             .arg(camera.view.horizontalFovDegrees, 0, 'f', 4)
                             .arg(camera.view.verticalFovDegrees, 0, 'f', 4));
    painter.drawText(sideArea.topLeft() + QPointF(8, 16), QStringLiteral("Side view"));
    painter.drawText(topArea.topLeft() + QPointF(8, 16), QStringLiteral("Top view"));

    const struct
    {
        const View &view;
        void (*draw)(QPainter &, const View &, const MountSurvey &);
        QString across;
    } views[] = {{side, drawSideView, QStringLiteral("height (m)")},
                 {top, drawTopView, QStringLiteral("across (m)")}};
    for (const auto &[view, draw, across] : views) {
        painter.save();
        painter.setClipRect(view.area);
        draw(painter, view, survey);
        if (survey.at)
            drawDistanceMark(painter, view, survey.at->distance);
        painter.restore();
        drawAxes(painter, view, QStringLiteral("ground distance from the pole (m)"), across);
    }
    drawLegend(painter, survey);
}

namespace {

std::variant<QString, QByteArray> draw(const MountSurvey &survey)
{
    return svgDocument(mountPictureSize(survey), QStringLiteral("A camera on a pole"),
                       QStringLiteral("Side and top views of what the camera covers"),
                       [&survey](QPainter &painter) { drawMount(painter, survey); });
}

} // namespace

extern "C" Q_DECL_EXPORT const char *kavreloPictureModuleVersion()
{
    static_assert(std::is_same_v<decltype(&kavreloPictureModuleVersion), PictureModuleVersion>);
    return KAVRELO_VERSION "/" KAVRELO_PICTURE_INTERFACE;
}

extern "C" Q_DECL_EXPORT bool kavreloDrawMountPicture(const MountSurvey &survey, QByteArray *svg,
                                                      QString *error)
{
    static_assert(std::is_same_v<decltype(&kavreloDrawMountPicture), DrawMountPicture>);
    return handOn(draw(survey), svg, error);
}
