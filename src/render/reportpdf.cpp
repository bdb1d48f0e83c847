#include "pictureentry.h"
#include "reportdocument.h"
#include "svgpicture.h"

#include <QBuffer>
#include <QDateTime>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <type_traits>

// A site's report: the plan, the coverage, the schedule with its bill of
// materials, a page per camera and the assumptions, in points (1/72 inch)
// on the page, every page with a footer of the title and its number.

namespace {

constexpr double margin = 36;
constexpr double footerGap = 20;
constexpr double headingSize = 15;
constexpr double bodySize = 9;
constexpr double smallestTextSize = 6; // points: the smallest a reader is asked to read
const QColor ruleColour(0xbd, 0xbd, 0xbd);
const QColor shadeColour(0xf2, 0xf2, 0xf2);

// Without shaping, "office" stays six letters rather than a ligature, and
// a reader's search finds it.
QFont font(double points, bool bold = false)
{
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setStyleStrategy(QFont::PreferNoShaping);
    chosen.setPointSizeF(points);
    chosen.setBold(bold);
    return chosen;
}

QPageSize pageSize(ReportDocument::Paper paper)
{
    switch (paper) {
    case ReportDocument::Paper::a3:
        return QPageSize(QPageSize::A3);
    case ReportDocument::Paper::letter:
        return QPageSize(QPageSize::Letter);
    case ReportDocument::Paper::tabloid:
        return QPageSize(QPageSize::Tabloid);
    case ReportDocument::Paper::a4:
        break;
    }
    return QPageSize(QPageSize::A4);
}

// One of the module's pictures, as large as it fits in box and centred,
// in the pictures' own font; or, drawn small, in a larger one, so that no
// text is under the smallest a reader is asked to read: the pictures lay
// themselves out by their font. (The locator keeps the font of the plan
// behind it, which was drawn once as an image.)
enum class PictureText { asDrawn, legible };
void drawFitted(QPainter &painter, const QRectF &box, QSize size,
                const std::function<void(QPainter &)> &draw,
                PictureText text = PictureText::asDrawn)
{
    const double scale = std::min(box.width() / size.width(), box.height() / size.height());
    const int textPixels = text == PictureText::asDrawn
            ? pictureTextPixels
            : std::max(pictureTextPixels, static_cast<int>(std::ceil(smallestTextSize / scale)));
    painter.save();
    painter.translate(box.center()
                      - QPointF(size.width() * scale / 2.0, size.height() * scale / 2.0));
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(0, 0), size));
    QFont pictureFont(QStringLiteral("DejaVu Sans"));
    pictureFont.setStyleStrategy(QFont::PreferNoShaping);
    pictureFont.setPixelSize(textPixels);
    painter.setFont(pictureFont);
    painter.setPen(inkColour);
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    painter.restore();
}

// The lines a text takes in a width: broken at spaces, and within a word
// only where the word alone is wider, as a long camera name may be; its own
// line breaks kept.
QStringList wrapped(const QString &text, const QFont &font, double width, QPaintDevice *device)
{
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font, device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        if (paragraph.isEmpty())
            lines << QString();
    }
    return lines;
}

// Draws the lines from the top of box, aligned as asked; where they end.
double drawLines(QPainter &painter, const QRectF &box, const QStringList &lines,
                 Qt::Alignment align)
{
    const double height = QFontMetricsF(painter.font(), painter.device()).height();
    double y = box.top();
    for (const QString &line : lines) {
        painter.drawText(QRectF(box.left(), y, box.width(), height),
                         static_cast<int>(align | Qt::AlignTop), line);
        y += height;
    }
    return y;
}

// A table's columns, each as wide as its widest cell or the longest word of
// its header; the text columns, which name the rows, no wider than a quarter
// of the page each, their long cells wrapped. The font shrinks for the
// table to fit across, but never below 6 points: a table still too wide
// goes on in slices of columns, each led by the text columns again, so that
// every figure is shown and every row named.
class TableLayout
{
public:
    TableLayout(const ReportTable &table, double width, QPaintDevice *device)
        : m_table(table), m_device(device)
    {
        double size = bodySize;
        while (true) {
            measure(size, width);
            const double total = std::accumulate(m_widths.begin(), m_widths.end(), 0.0);
            if (total <= width || size <= smallestTextSize)
                break;
            size = std::max(smallestTextSize, size * width / total * 0.98);
        }
        m_size = size;
        slice(width);
        const QFontMetricsF header(font(size, true), m_device);
        m_headerHeight = 0.0;
        for (int column = 0; column < columnCount(); ++column)
            m_headerHeight
                    = std::max(m_headerHeight,
                               lineCount(column, m_table.header.at(column), true) * header.height()
                                       + 2 * padding);
        const double line = QFontMetricsF(font(size), m_device).height();
        for (const QStringList &row : m_table.rows) {
            int lines = 1;
            for (int column = 0; column < row.size() && column < columnCount(); ++column)
                lines = std::max(lines, lineCount(column, row.at(column), false));
            m_rowHeights.push_back(lines * line + 2 * padding);
        }
    }

    double size() const { return m_size; }
    // Each slice's columns, the text columns first in each.
    const std::vector<std::vector<int>> &slices() const { return m_slices; }
    double headerHeight() const { return m_headerHeight; }
    // The rows [from, to) of each page, in a height for the header and rows.
    std::vector<std::pair<std::size_t, std::size_t>> rowPages(double height) const
    {
        std::vector<std::pair<std::size_t, std::size_t>> pages;
        std::size_t from = 0;
        do {
            std::size_t to = from;
            double used = m_headerHeight;
            while (to < m_rowHeights.size() && (to == from || used + m_rowHeights[to] <= height))
                used += m_rowHeights[to++];
            pages.emplace_back(from, to);
            from = to;
        } while (from < m_rowHeights.size());
        return pages;
    }
    // The height of the header and rows [from, to).
    double height(std::size_t from, std::size_t to) const
    {
        return std::accumulate(m_rowHeights.begin() + static_cast<std::ptrdiff_t>(from),
                               m_rowHeights.begin() + static_cast<std::ptrdiff_t>(to),
                               m_headerHeight);
    }

    // The slice's header and rows [from, to) at top-left; where they end.
    double draw(QPainter &painter, QPointF at, const std::vector<int> &columns, std::size_t from,
                std::size_t to) const
    {
        double across = 0.0;
        for (const int column : columns)
            across += m_widths[static_cast<std::size_t>(column)];
        painter.save();
        painter.setFont(font(m_size, true));
        double y = at.y();
        drawRow(painter, at.x(), y, columns, m_table.header);
        y += m_headerHeight;
        painter.setFont(font(m_size));
        for (std::size_t row = from; row < to && row < m_table.rows.size(); ++row) {
            if ((row - from) % 2 == 1)
                painter.fillRect(QRectF(at.x(), y, across, m_rowHeights[row]), shadeColour);
            drawRow(painter, at.x(), y, columns, m_table.rows[row]);
            y += m_rowHeights[row];
        }
        painter.setPen(QPen(inkColour, 0.75));
        painter.drawLine(QPointF(at.x(), at.y() + m_headerHeight),
                         QPointF(at.x() + across, at.y() + m_headerHeight));
        painter.restore();
        return y;
    }

private:
    static constexpr double padding = 3;

    int columnCount() const { return static_cast<int>(m_table.header.size()); }
    double innerWidth(int column) const
    {
        return m_widths[static_cast<std::size_t>(column)] - 2 * padding;
    }
    int lineCount(int column, const QString &text, bool header) const
    {
        return static_cast<int>(
                wrapped(text, font(m_size, header), innerWidth(column), m_device).size());
    }

    void measure(double size, double width)
    {
        const QFontMetricsF cells(font(size), m_device);
        const QFontMetricsF header(font(size, true), m_device);
        m_widths.assign(static_cast<std::size_t>(columnCount()), 0.0);
        for (int column = 0; column < columnCount(); ++column) {
            double &natural = m_widths[static_cast<std::size_t>(column)];
            for (const QString &word : m_table.header.at(column).split(QLatin1Char(' ')))
                natural = std::max(natural, header.horizontalAdvance(word));
            for (const QStringList &row : m_table.rows) {
                if (column < row.size())
                    natural = std::max(natural, cells.horizontalAdvance(row.at(column)));
            }
            natural += 2 * padding + 4;
            natural = std::min(natural, column < m_table.textColumns ? width / 4 : width / 2);
        }
    }
    void slice(double width)
    {
        std::vector<int> text;
        double textWidth = 0.0;
        for (int column = 0; column < std::min(m_table.textColumns, columnCount()); ++column) {
            text.push_back(column);
            textWidth += m_widths[static_cast<std::size_t>(column)];
        }
        std::vector<int> current = text;
        double used = textWidth;
        for (int column = static_cast<int>(text.size()); column < columnCount(); ++column) {
            const double needed = m_widths[static_cast<std::size_t>(column)];
            if (used + needed > width && current.size() > text.size()) {
                m_slices.push_back(current);
                current = text;
                used = textWidth;
            }
            current.push_back(column);
            used += needed;
        }
        m_slices.push_back(current);
    }
    void drawRow(QPainter &painter, double x, double y, const std::vector<int> &columns,
                 const QStringList &cells) const
    {
        painter.setPen(inkColour);
        for (const int column : columns) {
            if (column < cells.size()) {
                const Qt::Alignment align
                        = column < m_table.textColumns ? Qt::AlignLeft : Qt::AlignRight;
                drawLines(painter, QRectF(x + padding, y + padding, innerWidth(column), 0.0),
                          wrapped(cells.at(column), painter.font(), innerWidth(column), m_device),
                          align);
            }
            x += m_widths[static_cast<std::size_t>(column)];
        }
    }

    const ReportTable &m_table;
    QPaintDevice *m_device; // whose resolution the text is measured at
    std::vector<double> m_widths;
    std::vector<std::vector<int>> m_slices;
    std::vector<double> m_rowHeights;
    double m_size = bodySize;
    double m_headerHeight = 0;
};

// The plan behind every camera's page, drawn once: the PDF holds one image
// however many pages show it, where drawing it anew would repeat every
// camera's bands on every page.
QImage locatorBackground(const SiteDrawing &drawing)
{
    QImage image(siteDrawingSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawingMarks marks;
    marks.titled = false;
    marks.camerasInGrey = true;
    drawFitted(painter, QRectF(QPointF(0, 0), siteDrawingSize), siteDrawingSize,
               [&](QPainter &on) { drawSite(on, drawing, marks); });
    return image;
}

// A page of the report: it draws into the room between the margins above
// its footer.
using Page = std::function<void(QPainter &, const QRectF &)>;

double heading(QPainter &painter, const QRectF &room, const QString &text)
{
    painter.setFont(font(headingSize, true));
    painter.setPen(inkColour);
    // A long title wraps within the margins rather than run off the page.
    return drawLines(painter, room, wrapped(text, painter.font(), room.width(), painter.device()),
                     Qt::AlignLeft)
            + headingSize * 0.6;
}

// Labels left and values right, as a command's text output shows them; a
// label too long for the room beside its value wraps. Each figure's lines.
std::vector<QStringList> figureLabels(const QFont &font, QPaintDevice *device, double width,
                                      const std::vector<ReportFigure> &lines)
{
    const QFontMetricsF metrics(font, device);
    std::vector<QStringList> labels;
    for (const auto &[label, value] : lines)
        labels.push_back(wrapped(
                label, font,
                std::max(width - metrics.horizontalAdvance(value) - bodySize, width / 3), device));
    return labels;
}

double figureLineHeight(QPaintDevice *device)
{
    return QFontMetricsF(font(bodySize), device).height() * 1.15;
}

// The height the figures take in a width.
double figuresHeight(QPaintDevice *device, double width, const std::vector<ReportFigure> &lines)
{
    double lineCount = 0;
    for (const QStringList &label : figureLabels(font(bodySize), device, width, lines))
        lineCount += std::max(1, static_cast<int>(label.size()));
    return lineCount * figureLineHeight(device);
}

// Draws the figures from the top of room; where they end.
double figures(QPainter &painter, const QRectF &room, const std::vector<ReportFigure> &lines)
{
    painter.setFont(font(bodySize));
    painter.setPen(inkColour);
    const double line = figureLineHeight(painter.device());
    const std::vector<QStringList> labels
            = figureLabels(painter.font(), painter.device(), room.width(), lines);
    double y = room.top();
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const QRectF row(room.left(), y, room.width(), line);
        const QStringList &label = labels[index];
        for (int part = 0; part < label.size(); ++part)
            painter.drawText(row.translated(0, part * line), Qt::AlignLeft | Qt::AlignVCenter,
                             label.at(part));
        painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter, lines[index].second);
        y += line * std::max(1, static_cast<int>(label.size()));
    }
    return y;
}

class Report
{
public:
    Report(const ReportDocument &document, const QRectF &room, QPaintDevice *device)
        : m_document(document), m_room(room), m_device(device)
    {
        siteplan();
        if (m_document.coverage)
            coverage();
        tablePages(QStringLiteral("Schedule"), m_document.schedule);
        tablePages(QStringLiteral("Bill of materials"), m_document.bill);
        if (!m_document.cameras.empty())
            m_locator = locatorBackground(m_document.drawing);
        for (std::size_t camera = 0; camera < m_document.cameras.size(); ++camera)
            m_pages.push_back([this, camera](QPainter &painter, const QRectF &room) {
                cameraPage(painter, room, camera);
            });
        assumptions();
    }

    const std::vector<Page> &pages() const { return m_pages; }

private:
    void siteplan()
    {
        m_pages.push_back([this](QPainter &painter, const QRectF &room) {
            const double top = heading(painter, room, m_document.title);
            drawFitted(
                    painter, QRectF(room.left(), top, room.width(), room.bottom() - top),
                    siteDrawingSize, [this](QPainter &on) { drawSite(on, m_document.drawing); },
                    PictureText::legible);
        });
    }

    // The coverage table with the plan of the gaps under it, on one page
    // when it fits there with room for the plan; else the table on pages of
    // its own, and the plan on the next.
    void coverage()
    {
        const ReportTable &table = *m_document.coverage;
        const auto layout = std::make_shared<TableLayout>(table, m_room.width(), m_device);
        const bool together = layout->slices().size() == 1
                && layout->height(0, table.rows.size()) < m_room.height() / 2;
        if (!together)
            tablePages(QStringLiteral("Coverage"), table);
        if (!together && m_document.gapsLabel.isEmpty())
            return;
        m_pages.push_back([this, layout, together](QPainter &painter, const QRectF &room) {
            double top = heading(painter, room,
                                 together ? QStringLiteral("Coverage")
                                          : QStringLiteral("Coverage, gaps"));
            if (together)
                top = layout->draw(painter, QPointF(room.left(), top), layout->slices().front(), 0,
                                   m_document.coverage->rows.size())
                        + 12;
            if (m_document.gapsLabel.isEmpty())
                return;
            DrawingMarks marks;
            marks.gaps = &m_document.gaps;
            marks.gapsLabel = m_document.gapsLabel;
            drawFitted(
                    painter, QRectF(room.left(), top, room.width(), room.bottom() - top),
                    siteDrawingSize, [&](QPainter &on) { drawSite(on, m_document.drawing, marks); },
                    PictureText::legible);
        });
    }

    // A table over as many pages as it needs, its header on each: its rows
    // down the pages, then, for a table too wide, the next slice of its
    // columns the same way.
    void tablePages(const QString &title, const ReportTable &table)
    {
        const auto layout = std::make_shared<TableLayout>(table, m_room.width(), m_device);
        const double headingHeight = headingSize * 2.0;
        const auto rows = layout->rowPages(m_room.height() - headingHeight);
        bool first = true;
        for (const std::vector<int> &columns : layout->slices()) {
            for (const auto &[from, to] : rows) {
                const QString shown = first ? title : title + QStringLiteral(", continued");
                first = false;
                m_pages.push_back([layout, columns, shown, from = from,
                                   to = to](QPainter &painter, const QRectF &room) {
                    const double top = heading(painter, room, shown);
                    layout->draw(painter, QPointF(room.left(), top), columns, from, to);
                });
            }
        }
    }

    // mount's views beside the figures on a landscape page; on a portrait
    // one above them, as wide, with the figures in two columns of about one
    // height under them.
    void cameraPage(QPainter &painter, const QRectF &room, std::size_t index) const
    {
        const ReportCamera &camera = m_document.cameras[index];
        const double top = heading(painter, room, QStringLiteral("Camera %1").arg(camera.name));
        QRectF views(room.left(), top, room.width() * 0.55 - 12, room.bottom() - top);
        std::vector<QRectF> columns{QRectF(views.right() + 12, top,
                                           room.right() - views.right() - 12, room.bottom() - top)};
        std::vector<std::vector<ReportFigure>> shown{camera.figures};
        if (room.width() < room.height()) {
            const double half = (room.width() - 12) / 2;
            std::vector<ReportFigure> first;
            std::vector<ReportFigure> second = camera.figures;
            const double whole = figuresHeight(m_device, half, camera.figures);
            while (!second.empty() && figuresHeight(m_device, half, first) < whole / 2) {
                first.push_back(second.front());
                second.erase(second.begin());
            }
            const double needed
                    = std::max(figuresHeight(m_device, half, first),
                               figuresHeight(m_device, half, second)
                                       + figuresHeight(m_device, half, camera.fields) + 8);
            views = QRectF(room.left(), top, room.width(),
                           std::max(room.bottom() - top - needed - 8, (room.bottom() - top) * 0.4));
            const double below = views.bottom() + 8;
            columns = {QRectF(room.left(), below, half, room.bottom() - below),
                       QRectF(room.right() - half, below, half, room.bottom() - below)};
            shown = {first, second};
        }
        drawFitted(
                painter, views, mountPictureSize(camera.survey),
                [&](QPainter &on) { drawMount(on, camera.survey); }, PictureText::legible);
        double y = top;
        for (std::size_t column = 0; column < columns.size(); ++column)
            y = figures(painter, columns[column], shown[column]);
        const QRectF &side = columns.back();
        if (!camera.fields.empty())
            y = figures(painter, QRectF(side.left(), y + 8, side.width(), side.height()),
                        camera.fields);
        const QRectF locator(side.left(), y + 8, side.width(), side.bottom() - y - 8);
        if (locator.height() < 40)
            return;
        const double scale = std::min(locator.width(), locator.height()) / siteDrawingSize.width();
        const QRectF square(locator.left(), locator.top(), siteDrawingSize.width() * scale,
                            siteDrawingSize.height() * scale);
        painter.drawImage(square, m_locator);
        drawFitted(painter, square, siteDrawingSize,
                   [&](QPainter &on) { drawSiteCamera(on, m_document.drawing, index); });
    }

    // Headed paragraphs, onto further pages as they need.
    void assumptions()
    {
        struct Block
        {
            bool heading;
            QString text;
        };
        std::vector<Block> blocks;
        for (const auto &[title, paragraphs] : m_document.assumptions) {
            blocks.push_back({true, title});
            for (const QString &paragraph : paragraphs)
                blocks.push_back({false, paragraph});
        }
        const QFontMetricsF body(font(bodySize), m_device);
        const QFontMetricsF bold(font(bodySize + 2, true), m_device);
        const double headingHeight = headingSize * 2.0;
        std::size_t from = 0;
        while (from < blocks.size()) {
            double height = headingHeight;
            std::size_t to = from;
            while (to < blocks.size()) {
                const Block &block = blocks[to];
                const QFontMetricsF &metrics = block.heading ? bold : body;
                const double needed = metrics.boundingRect(QRectF(0, 0, m_room.width(), 10000),
                                                           Qt::TextWordWrap, block.text)
                                              .height()
                        + (block.heading ? 10 : 5);
                if (height + needed > m_room.height() && to > from)
                    break;
                height += needed;
                ++to;
            }
            const QString title = from == 0 ? QStringLiteral("Assumptions")
                                            : QStringLiteral("Assumptions, continued");
            std::vector<Block> page(blocks.begin() + static_cast<std::ptrdiff_t>(from),
                                    blocks.begin() + static_cast<std::ptrdiff_t>(to));
            m_pages.push_back([title, page](QPainter &painter, const QRectF &room) {
                double y = heading(painter, room, title);
                for (const Block &block : page) {
                    painter.setFont(block.heading ? font(bodySize + 2, true) : font(bodySize));
                    const QRectF area(room.left(), y, room.width(), room.bottom() - y);
                    const QRectF used = painter.boundingRect(area, Qt::TextWordWrap, block.text);
                    painter.drawText(area, Qt::TextWordWrap, block.text);
                    y = used.bottom() + (block.heading ? 10 : 5);
                }
            });
            from = to;
        }
    }

    const ReportDocument &m_document;
    const QRectF m_room;
    QPaintDevice *m_device;
    std::vector<Page> m_pages;
    QImage m_locator;
};

void footer(QPainter &painter, const QRectF &page, const QString &title, int number, int total)
{
    painter.setFont(font(bodySize - 1));
    painter.setPen(inkColour);
    const QRectF line(margin, page.bottom() - margin, page.width() - 2 * margin, bodySize * 2);
    painter.setPen(QPen(ruleColour, 0.5));
    painter.drawLine(line.topLeft() - QPointF(0, 4), line.topRight() - QPointF(0, 4));
    painter.setPen(inkColour);
    const QString numbered = QStringLiteral("Page %1 of %2").arg(number).arg(total);
    // The title gives way to the page number.
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double room = line.width() - metrics.horizontalAdvance(numbered) - 2 * bodySize;
    // One line, whatever breaks the title holds: the footer's rule is above.
    QString oneLine = title;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop,
                     metrics.elidedText(oneLine, Qt::ElideRight, room));
    painter.drawText(line, Qt::AlignRight | Qt::AlignTop, numbered);
}

// QPdfWriter dates each document with the time it was written, which a
// report must not carry unasked: the date is given, or taken out. Either
// keeps the length, so the cross-reference offsets stay true.
void settleDate(QByteArray &pdf, const std::optional<qint64> &date)
{
    const QByteArray key("/CreationDate (");
    const int start = pdf.indexOf(key);
    const int end = start < 0 ? -1 : pdf.indexOf(')', start + key.size());
    if (end < 0)
        return;
    const int length = end + 1 - start;
    QByteArray replacement;
    if (date)
        replacement = key
                + QDateTime::fromSecsSinceEpoch(*date, Qt::UTC)
                          .toString(QStringLiteral("'D:'yyyyMMddHHmmss'Z'"))
                          .toLatin1()
                + ')';
    if (replacement.size() > length)
        replacement.clear();
    replacement.append(QByteArray(length - replacement.size(), ' '));
    pdf.replace(start, length, replacement);
}

// Qt's PDF engine writes its fonts in the order of a QHash, which Qt seeds
// anew in every process: the same report would differ from run to run.
// The hashes that a report's writer makes take a fixed seed instead, and
// the rest of the run keeps its own.
class FixedHashOrder
{
public:
    FixedHashOrder() { qSetGlobalQHashSeed(0); }
    ~FixedHashOrder() { qSetGlobalQHashSeed(-1); }
    FixedHashOrder(const FixedHashOrder &) = delete;
    FixedHashOrder &operator=(const FixedHashOrder &) = delete;
};

std::variant<QString, QByteArray> reportDocument(const ReportDocument &document)
{
    if (!haveGuiApplication())
        return QStringLiteral("reports need a QGuiApplication");
    const FixedHashOrder fixedHashOrder;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageLayout(
                QPageLayout(pageSize(document.paper),
                            document.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                            QMarginsF(0, 0, 0, 0)));
        writer.setTitle(document.title);
        writer.setCreator(document.producer);
        const QRectF page(0, 0, writer.width(), writer.height());
        const QRectF room(margin, margin, page.width() - 2 * margin,
                          page.height() - 2 * margin - footerGap);
        const Report report(document, room, &writer);
        const int total = static_cast<int>(report.pages().size());
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int number = 1; number <= total; ++number) {
            if (number > 1)
                writer.newPage();
            report.pages()[static_cast<std::size_t>(number - 1)](painter, room);
            footer(painter, page, document.title, number, total);
            if (document.progress)
                document.progress(number, total);
            if (document.stopRequested && document.stopRequested())
                return QStringLiteral("the report was given up");
        }
        if (!painter.end())
            return QStringLiteral("the PDF could not be drawn");
    }
    QByteArray pdf = buffer.data();
    settleDate(pdf, document.date);
    return pdf;
}

} // namespace

extern "C" Q_DECL_EXPORT bool kavreloMakeReport(const ReportDocument &report, QByteArray *pdf,
                                                QString *error)
{
    static_assert(std::is_same_v<decltype(&kavreloMakeReport), MakeReport>);
    return handOn(reportDocument(report), pdf, error);
}
