#include "pictureentry.h"
#include "svgpicture.h"

#include "levelcolours.h"
#include "sitemodel.h"

#include <QLineF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

// The site from above: the areas, the obstacles with their heights, the
// privacy zones hatched, every camera's bands in the level colours and the
// camera itself as a marker with its name and an arrow along its bearing;
// a north arrow, a scale bar in round metres and a legend of the levels.
// One metre is as long across as up, whatever the site's shape.

namespace {

// The plan above its legend, which takes as many rows as its entries
// need in the picture's font, so that none falls off the foot.
constexpr double pictureLeft = 40;
constexpr double pictureWidth = 920;
constexpr double planTop = 50;
constexpr double pictureFoot = 990;
const QColor areaColour(0xf0, 0xf0, 0xe8);
const QColor areaEdge(0x73, 0x73, 0x73);
const QColor obstacleColour(0x52, 0x52, 0x52);
const QColor privacyColour(0xcb, 0x18, 0x1d);
const QColor cameraColour(0x08, 0x45, 0x94);
const QColor markedColour(0xe6, 0x55, 0x0d);
const QColor otherCameraColour(0x96, 0x96, 0x96);
const QColor gapInk(gapColour.red, gapColour.green, gapColour.blue);
const QColor backgroundInk(0x80, 0x80, 0x80);

// Metres to the picture, north up, the same scale both ways. The frame is
// the site's (its areas, obstacles and privacy zones, and the cameras) with
// a margin, not the bands, which may run far beyond it; without a site, it
// is the cameras' bands.
class DrawingView
{
public:
    DrawingView(const SiteDrawing &drawing, const QRectF &plan) : m_plan(plan)
    {
        Box site;
        for (const auto *features :
             {&drawing.areas, &drawing.obstacles, &drawing.privacy, &drawing.background}) {
            for (const auto &feature : *features) {
                for (const PlanePolygon &polygon : feature.polygons)
                    site.take(polygon.exterior);
                for (const auto &line : feature.lines)
                    site.take(line);
            }
        }
        Box bands;
        for (const auto &camera : drawing.cameras) {
            site.take({camera.at});
            bands.take({camera.at});
            for (const auto &band : camera.bands)
                for (const PlanePolygon &polygon : band)
                    bands.take(polygon.exterior);
        }
        const bool hasSite = !drawing.areas.empty() || !drawing.obstacles.empty()
                || !drawing.privacy.empty() || !drawing.background.empty();
        Box frame = hasSite ? site : bands;
        if (frame.empty())
            frame = Box{-50.0, 50.0, -50.0, 50.0};
        if (hasSite) {
            const double margin = 0.05 * std::max(frame.maxX - frame.minX, frame.maxY - frame.minY);
            frame = Box{frame.minX - margin, frame.maxX + margin, frame.minY - margin,
                        frame.maxY + margin};
            if (!bands.empty())
                m_beyond = std::max({frame.minX - bands.minX, bands.maxX - frame.maxX,
                                     frame.minY - bands.minY, bands.maxY - frame.maxY, 0.0});
        }
        const double width = std::max(frame.maxX - frame.minX, 1.0);
        const double height = std::max(frame.maxY - frame.minY, 1.0);
        m_scale = std::min(m_plan.width() / width, m_plan.height() / height)
                * (hasSite ? 1.0 : 0.95);
        m_centre = {(frame.minX + frame.maxX) / 2.0, (frame.minY + frame.maxY) / 2.0};
    }

    // How far, in metres, the views run past the frame; 0 when they stay in.
    double beyond() const { return m_beyond; }
    // Where the plan is drawn in the picture.
    const QRectF &plan() const { return m_plan; }

    QPointF map(const PlanePoint &point) const
    {
        return {m_plan.center().x() + (point.x - m_centre.x) * m_scale,
                m_plan.center().y() - (point.y - m_centre.y) * m_scale};
    }
    double scale() const { return m_scale; }

    QPolygonF ring(const std::vector<PlanePoint> &points) const
    {
        QPolygonF mapped;
        for (const PlanePoint &point : points)
            mapped << map(point);
        return mapped;
    }
    QPainterPath path(const std::vector<PlanePolygon> &polygons) const
    {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const PlanePolygon &polygon : polygons) {
            path.addPolygon(ring(polygon.exterior));
            path.closeSubpath();
            for (const auto &hole : polygon.holes) {
                path.addPolygon(ring(hole));
                path.closeSubpath();
            }
        }
        return path;
    }

private:
    struct Box
    {
        double minX = std::numeric_limits<double>::infinity();
        double maxX = -std::numeric_limits<double>::infinity();
        double minY = std::numeric_limits<double>::infinity();
        double maxY = -std::numeric_limits<double>::infinity();

        bool empty() const { return minX > maxX; }
        void take(const std::vector<PlanePoint> &points)
        {
            for (const PlanePoint &point : points) {
                minX = std::min(minX, point.x);
                maxX = std::max(maxX, point.x);
                minY = std::min(minY, point.y);
                maxY = std::max(maxY, point.y);
            }
        }
    };

    QRectF m_plan;
    double m_scale = 1.0;
    PlanePoint m_centre{0.0, 0.0};
    double m_beyond = 0.0;
};

// Where labels may stand: within the plan, off one another, the cameras and
// their arrows. Each takes the first free place around its point, beside it
// before above or below it.
class LabelPlaces
{
public:
    // The north arrow's corner and the foot's row of scale bar and note are
    // taken from the start.
    explicit LabelPlaces(const QRectF &plan) : m_plan(plan)
    {
        block(QRectF(plan.right() - 50, plan.top(), 50, 80));
        block(QRectF(plan.left(), plan.bottom() - 36, plan.width(), 36));
    }

    void block(const QRectF &box) { m_taken.push_back(box); }
    void blockLine(QPointF from, QPointF to, double width)
    {
        const int steps = std::max(1, static_cast<int>(QLineF(from, to).length() / width));
        for (int step = 0; step <= steps; ++step) {
            const QPointF at = from + (to - from) * (static_cast<double>(step) / steps);
            block(QRectF(at.x() - width / 2, at.y() - width / 2, width, width));
        }
    }
    // The box the text takes near the point, which it then blocks.
    QRectF place(const QFontMetricsF &metrics, const QString &text, QPointF at, double gap)
    {
        return *place(metrics, text, at, gap, true);
    }
    // The same where a free place is found, else nothing and nothing blocked.
    std::optional<QRectF> placeIfFree(const QFontMetricsF &metrics, const QString &text, QPointF at,
                                      double gap)
    {
        return place(metrics, text, at, gap, false);
    }

private:
    std::optional<QRectF> place(const QFontMetricsF &metrics, const QString &text, QPointF at,
                                double gap, bool always)
    {
        const QSizeF size(metrics.horizontalAdvance(text) + 2, metrics.height());
        const QPointF offsets[] = {{gap, gap - size.height() / 2},
                                   {gap, -gap - size.height() / 2},
                                   {-gap - size.width(), gap - size.height() / 2},
                                   {-gap - size.width(), -gap - size.height() / 2},
                                   {-size.width() / 2, gap},
                                   {-size.width() / 2, -gap - size.height()},
                                   {gap, 2 * gap},
                                   {-gap - size.width(), 2 * gap},
                                   {gap, -2 * gap - size.height()},
                                   {-gap - size.width(), -2 * gap - size.height()}};
        std::optional<QRectF> inside;
        for (const QPointF &offset : offsets) {
            const QRectF box(at + offset, size);
            if (!m_plan.contains(box))
                continue;
            if (!inside)
                inside = box;
            if (std::none_of(m_taken.begin(), m_taken.end(),
                             [&](const QRectF &taken) { return taken.intersects(box); })) {
                block(box);
                return box;
            }
        }
        if (!always)
            return std::nullopt;
        QRectF chosen = inside.value_or(QRectF(at + offsets[0], size));
        // Kept within the plan even when no place there is free.
        chosen.moveLeft(std::clamp(chosen.left(), m_plan.left(),
                                   std::max(m_plan.left(), m_plan.right() - size.width())));
        chosen.moveTop(std::clamp(chosen.top(), m_plan.top(),
                                  std::max(m_plan.top(), m_plan.bottom() - size.height())));
        block(chosen);
        return chosen;
    }

    QRectF m_plan;
    std::vector<QRectF> m_taken;
};

QString heightText(const std::optional<double> &height)
{
    return height ? QStringLiteral("%1 m").arg(*height, 0, 'f', 1) : QStringLiteral("every height");
}

// Diagonal stripes within an outline, as paths, since not every SVG
// renderer draws a pattern brush.
QPainterPath hatched(const QPainterPath &outline)
{
    const QRectF box = outline.boundingRect();
    QPainterPath stripes;
    constexpr double gap = 8.0;
    constexpr double width = 1.2;
    for (double x = box.left() - box.height(); x < box.right(); x += gap) {
        QPolygonF stripe(QVector<QPointF>{{x, box.bottom()},
                                          {x + width, box.bottom()},
                                          {x + width + box.height(), box.top()},
                                          {x + box.height(), box.top()}});
        stripes.addPolygon(stripe);
        stripes.closeSubpath();
    }
    return stripes.intersected(outline);
}

void drawHatched(QPainter &painter, const QPainterPath &outline, const QColor &colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(hatched(outline));
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

void drawFeatures(QPainter &painter, const DrawingView &view, const SiteDrawing &drawing,
                  const DrawingMarks &marks)
{
    painter.setPen(QPen(areaEdge, 1.5));
    painter.setBrush(areaColour);
    for (const auto &area : drawing.areas)
        painter.drawPath(view.path(area.polygons));

    for (std::size_t level = 0; level < drawing.levels.size(); ++level) {
        QColor colour = paletteColour(drawing.levels, level);
        painter.setPen(Qt::NoPen);
        colour.setAlpha(200);
        painter.setBrush(colour);
        for (const auto &camera : drawing.cameras) {
            if (level < camera.bands.size())
                painter.drawPath(view.path(camera.bands[level]));
        }
    }

    // The rest of the plan it came from, thin, over the colours as on the
    // architect's own drawing.
    painter.setPen(QPen(backgroundInk, 0.75));
    painter.setBrush(Qt::NoBrush);
    for (const auto &feature : drawing.background) {
        painter.drawPath(view.path(feature.polygons));
        for (const auto &line : feature.lines)
            painter.drawPolyline(view.ring(line));
    }

    if (marks.gaps)
        drawHatched(painter, view.path(*marks.gaps), gapInk);
    for (const auto &zone : drawing.privacy)
        drawHatched(painter, view.path(zone.polygons), privacyColour);

    for (const auto &obstacle : drawing.obstacles) {
        painter.setPen(QPen(obstacleColour, 1));
        painter.setBrush(obstacleColour);
        painter.drawPath(view.path(obstacle.polygons));
        painter.setPen(QPen(obstacleColour, 3, Qt::SolidLine, Qt::FlatCap));
        for (const auto &line : obstacle.lines)
            painter.drawPolyline(view.ring(line));
    }
}

// Each obstacle's name and height near its first corner, where the label
// does not hide the shape, once the cameras have taken their places; where
// no place is free, as among a town's blocks, the label is left out.
void drawObstacleLabels(QPainter &painter, const DrawingView &view, const SiteDrawing &drawing,
                        LabelPlaces &places)
{
    const QFontMetricsF metrics(painter.font());
    painter.setPen(inkColour);
    for (const auto &obstacle : drawing.obstacles) {
        std::optional<QPointF> at;
        if (!obstacle.polygons.empty() && !obstacle.polygons.front().exterior.empty())
            at = view.map(obstacle.polygons.front().exterior.front());
        else if (!obstacle.lines.empty() && !obstacle.lines.front().empty())
            at = view.map(obstacle.lines.front().front());
        if (!at)
            continue;
        const QString name
                = obstacle.name.isEmpty() ? QString() : obstacle.name + QStringLiteral(", ");
        const QString text = name + heightText(obstacle.height);
        if (const auto box = places.placeIfFree(metrics, text, *at, 4))
            painter.drawText(*box, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

// A camera's marker and its arrow along the bearing, which labels keep off.
void drawCamera(QPainter &painter, const DrawingView &view, const SiteDrawing::Camera &camera,
                const QColor &colour, double size, LabelPlaces &places)
{
    constexpr double pi = 3.141592653589793;
    const QPointF at = view.map(camera.at);
    const double angle = camera.bearingDegrees * pi / 180.0;
    const QPointF tip = at + QPointF(std::sin(angle), -std::cos(angle)) * 22.0 * size;
    painter.setPen(QPen(colour, 2 * size));
    painter.drawLine(at, tip);
    const QPointF back = (at - tip) / 22.0 * 7.0;
    const QPointF side(-back.y() * 0.5, back.x() * 0.5);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF(QVector<QPointF>{tip, tip + back + side, tip + back - side}));
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(at, 5.0 * size, 5.0 * size);
    places.block(QRectF(at - QPointF(6, 6) * size, QSizeF(12, 12) * size));
    places.blockLine(at, tip, 6.0 * size);
}

void drawCameraLabel(QPainter &painter, const DrawingView &view, const SiteDrawing::Camera &camera,
                     double size, LabelPlaces &places)
{
    painter.setPen(inkColour);
    painter.drawText(places.place(QFontMetricsF(painter.font()), camera.name, view.map(camera.at),
                                  8.0 * size),
                     Qt::AlignLeft | Qt::AlignVCenter, camera.name);
}

void drawCameras(QPainter &painter, const DrawingView &view, const SiteDrawing &drawing,
                 const DrawingMarks &marks)
{
    LabelPlaces places(view.plan());
    for (const auto &camera : drawing.cameras)
        drawCamera(painter, view, camera, marks.camerasInGrey ? otherCameraColour : cameraColour,
                   1.0, places);
    for (const auto &camera : drawing.cameras)
        drawCameraLabel(painter, view, camera, 1.0, places);
    drawObstacleLabels(painter, view, drawing, places);
}

// A plan whose north nobody gave has no arrow: its up is only the plan's.
void drawNorthAndScale(QPainter &painter, const DrawingView &view, bool northKnown)
{
    const QRectF &planArea = view.plan();
    if (northKnown) {
        const QPointF north(planArea.right() - 30, planArea.top() + 50);
        painter.setPen(QPen(inkColour, 2));
        painter.setBrush(inkColour);
        painter.drawPolygon(QPolygonF(QVector<QPointF>{
                north + QPointF(0, -30), north + QPointF(-8, 0), north + QPointF(8, 0)}));
        painter.drawText(QRectF(north.x() - 20, north.y() + 4, 40, 16), Qt::AlignCenter,
                         QStringLiteral("N"));
    }

    // A bar of a round number of metres, about a fifth of the plan across.
    const double metres = roundStep(planArea.width() / 5.0 / view.scale(), 1.0);
    const double length = metres * view.scale();
    const QPointF start(planArea.left() + 10, planArea.bottom() - 20);
    painter.setPen(QPen(inkColour, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(start, start + QPointF(length, 0));
    painter.drawLine(start + QPointF(0, -5), start + QPointF(0, 5));
    painter.drawLine(start + QPointF(length, -5), start + QPointF(length, 5));
    painter.drawText(start + QPointF(length + 8, 4), QStringLiteral("%1 m").arg(metres));
}

struct LegendEntry
{
    QBrush brush;
    QPen pen;
    QString text;
};

std::vector<LegendEntry> legendEntries(const SiteDrawing &drawing, const DrawingMarks &marks)
{
    std::vector<LegendEntry> entries;
    for (std::size_t level = 0; level < drawing.levels.size(); ++level) {
        const SiteLevel &shown = drawing.levels[level];
        QString name = shown.name;
        if (!name.isEmpty())
            name[0] = name.at(0).toUpper();
        entries.push_back({paletteColour(drawing.levels, level), Qt::NoPen,
                           QStringLiteral("%1 (%2 px/m)").arg(name).arg(shown.pixelsPerMetre)});
    }
    entries.push_back({obstacleColour, Qt::NoPen, QStringLiteral("Obstacle")});
    entries.push_back(
            {privacyColour.lighter(170), QPen(privacyColour, 1), QStringLiteral("Privacy")});
    if (marks.gaps)
        entries.push_back({gapInk.lighter(170), QPen(gapInk, 1), marks.gapsLabel});
    return entries;
}

// Each entry's place in the legend, rows of them from the left: the
// baseline's start, under a first row whose baseline is at 0.
std::vector<QPointF> legendPlaces(const std::vector<LegendEntry> &entries,
                                  const QFontMetricsF &metrics)
{
    const double rowHeight = std::max(20.0, metrics.height() * 1.4);
    std::vector<QPointF> places;
    double x = pictureLeft;
    double y = 0.0;
    for (const LegendEntry &entry : entries) {
        const double width = 22 + metrics.horizontalAdvance(entry.text) + 18;
        if (x + width > pictureLeft + pictureWidth && x > pictureLeft) {
            x = pictureLeft;
            y += rowHeight;
        }
        places.emplace_back(x, y);
        x += width;
    }
    return places;
}

// The plan, over a legend that ends at the picture's foot.
QRectF planArea(const SiteDrawing &drawing, const DrawingMarks &marks, const QFont &font)
{
    const QFontMetricsF metrics(font);
    const std::vector<QPointF> places = legendPlaces(legendEntries(drawing, marks), metrics);
    const double legendHeight = (places.empty() ? 0.0 : places.back().y()) + metrics.height();
    const double legendTop = pictureFoot - legendHeight;
    return {pictureLeft, planTop, pictureWidth, legendTop - 20 - planTop};
}

void drawLegend(QPainter &painter, const SiteDrawing &drawing, const DrawingMarks &marks,
                const QRectF &plan)
{
    const QFontMetricsF metrics(painter.font());
    const std::vector<LegendEntry> entries = legendEntries(drawing, marks);
    const std::vector<QPointF> places = legendPlaces(entries, metrics);
    const double firstBaseline = plan.bottom() + 20 + metrics.ascent();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const LegendEntry &entry = entries[index];
        const QPointF at = places[index] + QPointF(0, firstBaseline);
        painter.setPen(entry.pen);
        painter.setBrush(entry.brush);
        painter.drawRect(QRectF(at.x(), at.y() - 11, 16, 12));
        painter.setPen(inkColour);
        painter.drawText(at + QPointF(22, 0), entry.text);
    }
}

} // namespace

void drawSite(QPainter &painter, const SiteDrawing &drawing, const DrawingMarks &marks)
{
    const DrawingView view(drawing, planArea(drawing, marks, painter.font()));
    const QRectF &plan = view.plan();
    if (marks.titled)
        painter.drawText(QPointF(plan.left(), 30),
                         QStringLiteral("Site plan: %1 %2, each level's band where it is the "
                                        "strictest met on the target's plane")
                                 .arg(drawing.cameras.size())
                                 .arg(drawing.cameras.size() == 1 ? QStringLiteral("camera")
                                                                  : QStringLiteral("cameras")));
    painter.save();
    painter.setClipRect(plan);
    drawFeatures(painter, view, drawing, marks);
    drawCameras(painter, view, drawing, marks);
    painter.restore();
    painter.setPen(QPen(inkColour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plan);
    drawNorthAndScale(painter, view, drawing.northKnown);
    if (view.beyond() >= 0.5)
        painter.drawText(QRectF(plan.left(), plan.bottom() - 28, plan.width() - 10, 16),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("The views reach up to %1 m past the frame")
                                 .arg(std::round(view.beyond())));
    drawLegend(painter, drawing, marks, plan);
}

void drawSiteCamera(QPainter &painter, const SiteDrawing &drawing, std::size_t camera)
{
    // On the plan that drawSite() draws without marks, in the same font.
    const DrawingView view(drawing, planArea(drawing, DrawingMarks{}, painter.font()));
    painter.save();
    painter.setClipRect(view.plan());
    // Large enough to be found on a small copy of the plan, and to be read
    // there: 6 points at least, however small the copy.
    constexpr double size = 3.0;
    QFont font = painter.font();
    font.setBold(true);
    const double scale = std::max(painter.worldTransform().m11(), 1e-3);
    font.setPixelSize(std::max(static_cast<int>(font.pixelSize() * size),
                               static_cast<int>(std::ceil(6.0 / scale))));
    painter.setFont(font);
    LabelPlaces places(view.plan());
    drawCamera(painter, view, drawing.cameras.at(camera), markedColour, size, places);
    drawCameraLabel(painter, view, drawing.cameras.at(camera), size, places);
    painter.restore();
}

extern "C" Q_DECL_EXPORT bool kavreloDrawSite(const SiteDrawing &drawing, QByteArray *svg,
                                              QString *error)
{
    static_assert(std::is_same_v<decltype(&kavreloDrawSite), DrawSite>);
    return handOn(svgDocument(siteDrawingSize, QStringLiteral("Site plan"),
                              QStringLiteral("The site from above, with every camera's bands"),
                              [&drawing](QPainter &painter) { drawSite(painter, drawing); }),
                  svg, error);
}
