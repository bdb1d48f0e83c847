#include "mountpicture.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

// Where the build and the installation both put it, seen from the program.
QLibrary &module()
{
    static QLibrary library(
            QDir(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath())
                    .filePath(QStringLiteral(KAVRELO_MODULE_FROM_PROGRAM "/kavrelo-mountpicture")));
    return library;
}

DrawMountPicture drawFunction()
{
    return reinterpret_cast<DrawMountPicture>(module().resolve(drawMountPictureSymbol));
}

} // namespace

std::optional<QString> mountPictureModuleProblem()
{
    if (!drawFunction())
        return QStringLiteral("cannot draw pictures: %1").arg(module().errorString());
    return std::nullopt;
}

std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path)
{
    if (const auto problem = mountPictureModuleProblem())
        return problem;
    QString error;
    if (!drawFunction()(survey, path, &error))
        return error;
    return std::nullopt;
}
