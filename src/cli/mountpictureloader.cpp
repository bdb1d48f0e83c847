#include "mountpicture.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path)
{
    // Where the build and the installation both put it, seen from the program.
    static QLibrary module(
            QDir(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath())
                    .filePath(QStringLiteral(KAVRELO_MODULE_FROM_PROGRAM "/kavrelo-mountpicture")));
    const auto draw = reinterpret_cast<DrawMountPicture>(module.resolve(drawMountPictureSymbol));
    if (!draw)
        return QStringLiteral("cannot draw pictures: %1").arg(module.errorString());
    QString error;
    if (!draw(survey, path, &error))
        return error;
    return std::nullopt;
}
