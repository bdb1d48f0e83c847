#include "svgpicture.h"

#include "levelcolours.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSvgGenerator>

#include <cmath>

// kavrelo-cli starts no QGuiApplication for its other work: the first
// picture brings one for the rest of the run. What the platform says while
// it starts (such as that XDG_RUNTIME_DIR is not set) is no business of the
// command line's user.
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

std::variant<QString, QByteArray> svgDocument(QSize size, const QString &title,
                                              const QString &description,
                                              const std::function<void(QPainter &)> &draw)
{
    if (!haveGuiApplication())
        return QStringLiteral("pictures need a QGuiApplication");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setResolution(96); // so that a browser shows it pixel for pixel
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    svg.setDescription(description);
    QPainter painter(&svg);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pictureTextPixels);
    painter.setFont(font);
    painter.setPen(inkColour);
    draw(painter);
    if (!painter.end())
        return QStringLiteral("the picture could not be drawn");
    return buffer.data();
}

double roundStep(double length, double parts)
{
    const double rough = length / parts;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double step : {1.0, 2.0, 5.0}) {
        if (step * power >= rough)
            return step * power;
    }
    return 10.0 * power;
}

QColor paletteColour(const std::vector<NamedLevel> &levels, std::size_t level)
{
    const Rgb rgb = levelColour(levels, level);
    return QColor(rgb.red, rgb.green, rgb.blue);
}
