#include "picturemodule.h"

#include "loadablemodule.h"
#include "pictureentry.h"

namespace {

LoadableModule &module()
{
    static LoadableModule library("kavrelo-pictures", pictureModuleVersionSymbol,
                                  KAVRELO_VERSION "/" KAVRELO_PICTURE_INTERFACE, "draw pictures");
    return library;
}

} // namespace

std::optional<QString> pictureModuleProblem()
{
    return module().problem({drawMountPictureSymbol});
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
