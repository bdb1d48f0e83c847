#include "mountpicture.h"

#include "mounting.h"

#include <QFont>
#include <QFontDatabase>
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

constexpr QSize pictureSize(900, 1000);
const QRectF sideArea(90, 60, 770, 330);
const QRectF topArea(90, 460, 770, 300);
constexpr double legendTop = 810;
constexpr double legendLineHeight = 17;

// One colour per level, loosest first, as in densityLevels.
const std::array<QColor, densityLevels.size()> levelColours{
        QColor(0xc6, 0xdb, 0xef), QColor(0x9e, 0xca, 0xe1), QColor(0x74, 0xc4, 0x76),
        QColor(0xfd, 0xd0, 0x49), QColor(0xfd, 0x8d, 0x3c), QColor(0xe6, 0x55, 0x0d)};
const QColor groundColour(0xd9, 0xd9, 0xd9);
const QColor viewColour(0xbc, 0xbd, 0xdc, 0x90);
const QColor blindColour(0xcb, 0x18, 0x1d);
const QColor inkColour(0x25, 0x25, 0x25);
constexpr double pi = 3.141592653589793;

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

// Text needs fonts, fonts need a QGuiApplication, and kavrelo-cli starts
// none for its other work: the first picture brings one, off screen, for
// the rest of the run. What the platform says while it starts (such as that
// XDG_RUNTIME_DIR is not set) is no business of the command line's user.
bool haveGuiApplication()
{
    if (QCoreApplication::instance())
        return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    static char name[] = "kavrelo-cli";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char *arguments[] = {name, platformOption, platform, nullptr};
    static int count = 3;
    const QtMessageHandler previous
            = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static const QGuiApplication *const application = new QGuiApplication(count, arguments);
    QFontDatabase().families(); // loads the fonts, which is when the platform speaks
    qInstallMessageHandler(previous);
    return application != nullptr;
}

// 1, 2 or 5 times a power of ten, so that a span has about six ticks.
double tickStep(double length)
{
    const double rough = length / 6.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double step : {1.0, 2.0, 5.0}) {
        if (step * power >= rough)
            return step * power;
    }
    return 10.0 * power;
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

void drawAxes(QPainter &painter, const View &view, const QString &xTitle, const QString &yTitle)
{
    painter.setPen(QPen(inkColour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(view.area);
    const double xStep = tickStep(view.xTo - view.xFrom);
    for (double x = std::ceil(view.xFrom / xStep) * xStep; x <= view.xTo; x += xStep) {
        const QPointF tick = view.at(x, view.yFrom);
        painter.drawLine(tick, tick + QPointF(0, 5));
        painter.drawText(tick + QPointF(-6, 18), QString::number(x));
    }
    const double yStep = tickStep(view.yTo - view.yFrom);
    for (double y = std::ceil(view.yFrom / yStep) * yStep; y <= view.yTo; y += yStep) {
        const QPointF tick = view.at(view.xFrom, y);
        painter.drawLine(tick, tick - QPointF(5, 0));
        painter.drawText(tick + QPointF(-45, 4), QString::number(y));
    }
    painter.drawText(view.area.bottomLeft() + QPointF(view.area.width() / 2 - 110, 36), xTitle);
    painter.save();
    painter.translate(view.area.left() - 55, view.area.center().y() + 30);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), yTitle);
    painter.restore();
}

// The part of the view between two image edges, within the view's bounds.
QPainterPath wedge(const View &view, const MountedCamera &camera)
{
    const double reach = 10.0 * (view.xTo - view.xFrom + view.yTo - view.yFrom);
    const auto towards = [&](double depressionDegrees) {
        const double radians = depressionDegrees * pi / 180.0;
        return QPointF(reach * std::cos(radians), camera.height - reach * std::sin(radians));
    };
    const double halfVertical = camera.view.verticalFovDegrees / 2.0;
    QPainterPath path(QPointF(0, camera.height));
    path.lineTo(towards(camera.tiltDegrees - halfVertical));
    path.lineTo(towards(camera.tiltDegrees + halfVertical));
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
        painter.setPen(QPen(groundColour.darker(150), 6, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(view.at(view.clamped(survey.ground->near), 0),
                         view.at(view.clamped(survey.ground->far), 0));
        if (std::isinf(survey.ground->far))
            drawHorizonMark(painter, view, 0);
    }
    if (survey.blindZone && *survey.blindZone > 0) {
        painter.setPen(QPen(blindColour, 6, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(view.at(0, 0), view.at(view.clamped(*survey.blindZone), 0));
    }
    painter.setPen(QPen(inkColour, 1, Qt::DashLine));
    painter.drawLine(view.at(view.xFrom, survey.targetHeight),
                     view.at(view.xTo, survey.targetHeight));
    if (survey.target) {
        painter.setPen(QPen(levelColours.front().darker(160), 3, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(view.at(view.clamped(survey.target->near), survey.targetHeight),
                         view.at(view.clamped(survey.target->far), survey.targetHeight));
        if (std::isinf(survey.target->far))
            drawHorizonMark(painter, view, survey.targetHeight);
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
        for (std::size_t level = 0; level < densityLevels.size(); ++level) {
            if (const auto &reach = survey.levelReach[level]) {
                painter.setBrush(levelColours[level]);
                painter.drawPolygon(band(view, camera, drop, survey.target->near, *reach));
            }
        }
        if (std::isinf(survey.target->far))
            drawHorizonMark(painter, view, view.yTo * 0.85);
    }
    painter.setBrush(inkColour);
    painter.drawEllipse(view.at(0, 0), 5, 5);
}

void drawDistanceMark(QPainter &painter, const View &view, double distance)
{
    painter.setPen(QPen(inkColour, 1, Qt::DotLine));
    painter.drawLine(view.at(view.clamped(distance), view.yFrom),
                     view.at(view.clamped(distance), view.yTo));
}

// Every figure of the legend as the command prints it.
QStringList legendLines(const MountSurvey &survey)
{
    QStringList lines;
    if (!survey.ground) {
        lines << QStringLiteral("Ground: never in view");
    } else {
        lines << QStringLiteral("Ground in view: ") + span(*survey.ground);
        lines << (*survey.blindZone > 0
                          ? QStringLiteral("Blind zone: 0.00 to %1 m")
                                    .arg(metres(*survey.blindZone))
                          : QStringLiteral("Blind zone: none, the view reaches behind the pole"));
    }
    const QString target = QStringLiteral("Target at %1 m: ").arg(metres(survey.targetHeight));
    lines << target + (survey.target ? span(*survey.target) : QStringLiteral("never in view"));
    for (std::size_t level = 0; level < densityLevels.size(); ++level) {
        const QString name = QString::fromLatin1(densityLevels[level].name);
        const auto &reach = survey.levelReach[level];
        lines << QStringLiteral("%1%2, %3 px/m: %4")
                         .arg(name.left(1).toUpper(), name.mid(1))
                         .arg(densityLevels[level].pixelsPerMetre)
                         .arg(reach ? QStringLiteral("%1 to %2 m")
                                              .arg(metres(survey.target->near), metres(*reach))
                                    : QStringLiteral("not met"));
    }
    if (const auto &at = survey.at) {
        QString line = QStringLiteral("At %1 m: ").arg(metres(at->distance));
        if (at->horizontalDensity)
            line += QStringLiteral("target %1 m wide, %2 px/m across, %3 px/m upright")
                            .arg(metres(*at->targetWidth))
                            .arg(*at->horizontalDensity, 0, 'f', 1)
                            .arg(*at->verticalDensity, 0, 'f', 1);
        else
            line += QStringLiteral("the target is not in view");
        lines << line;
    }
    return lines;
}

void drawLegend(QPainter &painter, const MountSurvey &survey)
{
    const QStringList lines = legendLines(survey);
    // Swatches for the lines that have a colour in the views.
    std::vector<QColor> swatches;
    if (survey.ground)
        swatches = {groundColour, blindColour};
    else
        swatches = {groundColour};
    swatches.push_back(levelColours.front().darker(160));
    swatches.insert(swatches.end(), levelColours.begin(), levelColours.end());
    for (int line = 0; line < lines.size(); ++line) {
        const double y = legendTop + line * legendLineHeight;
        if (static_cast<std::size_t>(line) < swatches.size()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(swatches[static_cast<std::size_t>(line)]);
            painter.drawRect(QRectF(sideArea.left(), y - 10, 14, 12));
        }
        painter.setPen(inkColour);
        painter.drawText(QPointF(sideArea.left() + 22, y), lines.at(line));
    }
}

// From the pole, or from behind it, to a little past the farthest figure;
// far enough to show a horizon.
std::pair<double, double> distanceRange(const MountSurvey &survey)
{
    std::vector<double> figures{0.0, survey.camera.height};
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
    const auto [nearest, farthest] = std::minmax_element(figures.begin(), figures.end());
    const double to = *farthest * (horizon ? 1.3 : 1.1);
    return {*nearest - 0.04 * (to - *nearest), to};
}

std::optional<QString> draw(const MountSurvey &survey, const QString &path)
{
    if (!haveGuiApplication())
        return QStringLiteral("pictures need a QGuiApplication");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(pictureSize);
    svg.setResolution(96); // so that a browser shows it pixel for pixel
    svg.setViewBox(QRect(QPoint(0, 0), pictureSize));
    svg.setTitle(QStringLiteral("A camera on a pole"));
    svg.setDescription(QStringLiteral("Side and top views of what the camera covers"));

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

    QPainter painter(&svg);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(inkColour);
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
    if (!painter.end() || !file.commit())
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return std::nullopt;
}

} // namespace

extern "C" Q_DECL_EXPORT bool kavreloDrawMountPicture(const MountSurvey &survey,
                                                      const QString &path, QString *error)
{
    static_assert(std::is_same_v<decltype(&kavreloDrawMountPicture), DrawMountPicture>);
    const auto problem = draw(survey, path);
    if (problem)
        *error = *problem;
    return !problem;
}
