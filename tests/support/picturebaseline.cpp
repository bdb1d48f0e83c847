#include "picturebaseline.h"

#include <QDir>

QString differenceFromBaseline(const QImage &picture, const QString &name,
                               const QString &baselineDir, const QString &actualDir)
{
    const QImage actual = picture.convertToFormat(QImage::Format_RGB32);
    const QString baselinePath = QDir(baselineDir).filePath(name);
    if (qEnvironmentVariableIsSet("KAVRELO_UPDATE_BASELINES"))
        return actual.save(baselinePath) ? QString()
                                         : QStringLiteral("cannot save ") + baselinePath;
    QDir().mkpath(actualDir);
    actual.save(QDir(actualDir).filePath(name));
    const QImage baseline = QImage(baselinePath).convertToFormat(QImage::Format_RGB32);
    if (baseline.isNull())
        return QStringLiteral("no baseline ") + baselinePath;
    if (actual.size() != baseline.size())
        return QStringLiteral("%1 has another size than the picture").arg(baselinePath);
    if (actual == baseline)
        return {};

    QImage difference(actual.size(), QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb pixel = baseline.pixel(x, y);
            const bool same = pixel == actual.pixel(x, y);
            differing += same ? 0 : 1;
            const int faded = 192 + qGray(pixel) / 4;
            difference.setPixel(x, y, same ? qRgb(faded, faded, faded) : qRgb(255, 0, 0));
        }
    }
    const QString differencePath = QDir(actualDir).filePath(QStringLiteral("difference-") + name);
    difference.save(differencePath);
    return QStringLiteral("%1 pixels differ from %2; see %3")
            .arg(differing)
            .arg(baselinePath, differencePath);
}
