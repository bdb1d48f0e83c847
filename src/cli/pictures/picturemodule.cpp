#include "picturemodule.h"

#include "pictureentry.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

constexpr char expectedVersion[] = KAVRELO_VERSION "/" KAVRELO_PICTURE_INTERFACE;

// Where the build and the installation both put it, seen from the program.
// The program's own path comes from /proc, which is why the command line is
// built on Linux only.
QLibrary &module()
{
    static QLibrary library(QDir::cleanPath(
            QDir(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath())
                    .filePath(QStringLiteral(KAVRELO_MODULE_FROM_PROGRAM "/kavrelo-pictures"))));
    return library;
}

} // namespace

std::optional<QString> pictureModuleProblem()
{
    const auto version
            = reinterpret_cast<PictureModuleVersion>(module().resolve(pictureModuleVersionSymbol));
    if (!version)
        return QStringLiteral("cannot draw pictures: %1").arg(module().errorString());
    if (qstrcmp(version(), expectedVersion) != 0)
        return QStringLiteral("cannot draw pictures: %1 is version %2, not %3")
                .arg(module().fileName(), QLatin1String(version()), QLatin1String(expectedVersion));
    if (!module().resolve(drawMountPictureSymbol))
        return QStringLiteral("cannot draw pictures: %1").arg(module().errorString());
    return std::nullopt;
}

std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path)
{
    if (const auto problem = pictureModuleProblem())
        return problem;
    const auto draw = reinterpret_cast<DrawMountPicture>(module().resolve(drawMountPictureSymbol));
    QString error;
    if (!draw(survey, path, &error))
        return error;
    return std::nullopt;
}
